// The "Set Page Number" dialog (885): numbers the view's current page and the pages
// after it n, n + 1, ... up to (not including) an end page: the next page whose
// number breaks the run (the default), none (to the end of the piece), or the page
// carrying a number typed (searched after the current page). A number below 1, an end page not found, or numbers that
// would pass the largest page number keep the dialog open and change nothing.
#include <cstdio>
#include <limits>
#include <optional>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/tool_services.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page_chain.h"
#include "layout/page_layout_dialogs.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql {

namespace {

using namespace page_number_dialog;
using platform::WindowHandle;

constexpr intptr_t kDialogDone = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int kLargestPageNumber = std::numeric_limits<int16_t>::max();
constexpr char kNumberTooSmall[] = "The new page number must be greater than 0.";
constexpr char kUnableToFindPage[] = "Unable to find page %d.";

void ShowBox(const char* text) {
    ModalMessageBox(text, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconExclamation);
}

void RefuseField(WindowHandle dialog, int32_t id) {
    ui::Beep(ui::BeepKind::Stop);
    win::SetFocus(ui::GetDialogItem(dialog, id));
}

// The first page after `page` whose number does not continue the run; null at the end.
ScorePage* NextNumberBreak(ScorePage* page) {
    for (int i = 0; page != nullptr && i < pages::kMaxChain; ++i) {
        ScorePage* next = page->next.get();
        if (next == nullptr || next->pageNumber != page->pageNumber + 1) return next;
        page = next;
    }
    return nullptr;
}

// The end page of the choice in `*end` (null: to the last page); false when the
// typed end page cannot be found (the box has been shown).
bool ChosenEndPage(WindowHandle dialog, ScoreView* view, ScorePage** end) {
    *end = nullptr;
    if (ui::IsItemChecked(dialog, kToEnd)) return true;
    if (!ui::IsItemChecked(dialog, kToNumber)) {
        *end = NextNumberBreak(view->currentPage);
        return true;
    }
    const std::optional<int32_t> number = ui::GetItemInt(dialog, kToNumberEdit);
    const int wanted = number.value_or(0);
    ScorePage* found = wanted >= 1 ? FindPageByNumber(view->document, wanted, view->currentPage) : nullptr;
    if (found == nullptr) {
        char text[64];
        std::snprintf(text, sizeof text, kUnableToFindPage, wanted);
        ShowBox(text);
        return false;
    }
    *end = found;
    return true;
}

int PagesBefore(ScorePage* from, const ScorePage* end) {
    int count = 0;
    for (; from != nullptr && from != end && count < pages::kMaxChain; from = from->next.get()) ++count;
    return count;
}

// OK: the dialog's result, or 0 to stay open.
intptr_t ApplyPageNumber(WindowHandle dialog, ScoreView* view) {
    const std::optional<int32_t> number = ui::GetItemInt(dialog, kNumber);
    if (!number || *number < 1) {
        ShowBox(kNumberTooSmall);
        win::SetFocus(ui::GetDialogItem(dialog, kNumber));
        return 0;
    }
    ScorePage* end = nullptr;
    if (!ChosenEndPage(dialog, view, &end)) return 0;
    const int count = PagesBefore(view->currentPage, end);
    if (int64_t{*number} + count - 1 > kLargestPageNumber) {
        RefuseField(dialog, kNumber);
        return 0;
    }
    ScoreDocument* document = view->document;
    UndoStep step(document, view, UndoKind::Page, 0, UndoVerb::Renum);
    ScorePage* page = view->currentPage;
    for (int i = 0; i < count && page != nullptr; ++i, page = page->next.get())
        page->pageNumber = static_cast<int16_t>(*number + i);
    SetDocumentModified(document);
    UpdatePagersToolbar(view);
    InvalidateLinkedViews(view);
    return kDialogDone;
}

intptr_t OnCommand(WindowHandle dialog, ScoreView* view, uint32_t word) {
    const uint32_t id = win::CommandId(word);
    if (id == static_cast<uint32_t>(kToNumberEdit) && win::CommandCode(word) == ui::kEditChange) {
        for (int32_t radio : {kToNextSetting, kToEnd, kToNumber}) ui::CheckItem(dialog, radio, radio == kToNumber);
        return 1;
    }
    if (id == ui::kIdOk) {
        if (const intptr_t end = ApplyPageNumber(dialog, view)) ui::EndDialog(dialog, end);
        return 1;
    }
    if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, kDialogCancelled);
        return 1;
    }
    if (id == static_cast<uint32_t>(kHelpButtonId)) return ShowDialogContextHelp(dialog, kHelpId, nullptr);
    return 0;
}

}  // namespace

intptr_t RunSetPageNumberDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentPage == nullptr ||
        view->currentPage->pageNumber < 0 || !pages::IsPageInList(view->document, view->currentPage))
        return kDialogCancelled;
    const intptr_t result = ModalDialogBox(
        view, kSetPageNumberDialog, [view](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            switch (message) {
                case win::Message::InitDialog:
                    ui::SetItemInt(dialog, kNumber, view->currentPage->pageNumber);
                    ui::SetItemInt(dialog, kToNumberEdit, GetLastPageNumber(view->currentPage));
                    ui::CheckItem(dialog, kToNextSetting, true);
                    EnableHelpButton(dialog, nullptr);
                    return 0;
                case win::Message::Command:
                    return OnCommand(dialog, view, word);
                case win::Message::DrawItem:
                    return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
                case win::Message::Help:
                    return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
                default:
                    return 0;
            }
        });
    return result == kDialogDone ? kDialogDone : kDialogCancelled;
}

}  // namespace ql
