// The "Insert Pages" (822) and "Delete Pages" (814) dialogs for the view's current
// page. Insert Pages checks the measure limit before anything changes and stays
// open when the pages would not fit; Delete Pages counts from the current page to
// the page carrying the number typed, asks before deleting, and deletes only on Yes.
#include <cstdint>
#include <optional>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql {

namespace {

using platform::WindowHandle;

constexpr intptr_t kDialogDone = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int32_t kMostInsertedPages = 42;
constexpr char kCannotInsertAll[] = "Cannot insert all pages.";
constexpr char kIncreaseMaxMeasures[] = "Increase MaxMeasures in the QLW.INI file.";
constexpr char kRemoveQuestion[] = "Remove pages and their contents?";
constexpr char kCannotDeleteAll[] = "Cannot delete all pages.";
constexpr char kCantDeleteAll[] = "Can't delete all pages.";

// What every page dialog does with the logo, help and draw messages; -1 when the
// message is not one of them.
intptr_t CommonDialogMessage(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data,
                             int32_t helpId) {
    if (message == win::Message::DrawItem) return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
    if (message == win::Message::Help)
        return ShowDialogContextHelp(dialog, helpId, reinterpret_cast<const win::HelpInfo*>(data));
    if (message == win::Message::Command && win::CommandId(word) == kHelpButtonId)
        return ShowDialogContextHelp(dialog, helpId, nullptr);
    return -1;
}

// A typed number the dialog cannot take: beep, the focus back on the field.
void RefuseField(WindowHandle dialog, int32_t id) {
    ui::Beep(ui::BeepKind::Stop);
    win::SetFocus(ui::GetDialogItem(dialog, id));
}

// Insert Pages OK: true when the dialog may end.
bool AcceptInsertPages(WindowHandle dialog, ScoreView* view) {
    using namespace insert_pages_dialog;
    const std::optional<int32_t> count = ui::GetItemInt(dialog, kCount);
    if (!count || *count < 1) {
        RefuseField(dialog, kCount);
        return false;
    }
    const ScoreDocument* document = view->document;
    const int64_t perPage = int64_t{pages::SystemsPerPage(document)} * pages::MeasuresPerSystem(document);
    if (perPage * *count + document->header.measureCount > MeasureLimit) {
        ShowNotice(kCannotInsertAll);
        ModalMessageBox(kIncreaseMaxMeasures, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconInformation);
        return false;
    }
    InsertPages(view, *count, ui::IsItemChecked(dialog, kAfter));
    return true;
}

// The page numbered `number` from the current page on; the current page when none is.
ScorePage* PageNumberedFrom(ScoreDocument* document, ScorePage* current, int number) {
    if (current->pageNumber == number) return current;
    ScorePage* found = FindPageByNumber(document, number, current);
    return found != nullptr ? found : current;
}

// Delete Pages OK: the dialog's result, or 0 to stay open.
intptr_t AcceptDeletePages(WindowHandle dialog, ScoreView* view) {
    using namespace delete_pages_dialog;
    ScoreDocument* document = view->document;
    ScorePage* current = view->currentPage;
    const std::optional<int32_t> through = ui::GetItemInt(dialog, kThrough);
    if (!through) {
        RefuseField(dialog, kThrough);
        return 0;
    }
    const int first = GetPageIndex(document, current);
    const int count = GetPageIndex(document, PageNumberedFrom(document, current, *through)) - first + 1;
    if (count < 1) return kDialogCancelled;
    if (count >= document->header.pageCount) {
        ShowNotice(kCannotDeleteAll);
        ModalMessageBox(kCantDeleteAll, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconInformation);
        return 0;
    }
    const int answer = ModalMessageBox(kRemoveQuestion, ProgramString(kStrProductName),
                                       ui::kBoxYesNo | ui::kBoxIconExclamation);
    if (answer != ui::kIdYes) return kDialogCancelled;
    SetDocumentModified(document);
    DeletePages(view, count);
    return kDialogDone;
}

bool HasListedPage(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->currentPage != nullptr &&
           view->currentPage->pageNumber >= 0 && pages::IsPageInList(view->document, view->currentPage);
}

}  // namespace

intptr_t RunInsertPagesDialog(ScoreView* view) {
    using namespace insert_pages_dialog;
    if (!HasListedPage(view)) return kDialogCancelled;
    const intptr_t result = ModalDialogBox(
        view, kInsertPagesDialog, [view](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            const intptr_t common = CommonDialogMessage(dialog, message, word, data, kHelpId);
            if (common >= 0) return common;
            if (message == win::Message::InitDialog) {
                SetupSpinControl(dialog, kCount, 1, kMostInsertedPages, 1, true);
                ui::CheckItem(dialog, kAfter, true);
                EnableHelpButton(dialog, nullptr);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            const uint32_t id = win::CommandId(word);
            if (id == ui::kIdOk && AcceptInsertPages(dialog, view)) ui::EndDialog(dialog, kDialogDone);
            if (id == ui::kIdCancel) ui::EndDialog(dialog, kDialogCancelled);
            return id == ui::kIdOk || id == ui::kIdCancel ? 1 : 0;
        });
    return result == kDialogDone ? kDialogDone : kDialogCancelled;
}

intptr_t RunDeletePagesDialog(ScoreView* view) {
    using namespace delete_pages_dialog;
    if (!HasListedPage(view)) return kDialogCancelled;
    const int number = view->currentPage->pageNumber;
    const int last = GetLastPageNumber(view->currentPage);
    const intptr_t result = ModalDialogBox(
        view, kDeletePagesDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            const intptr_t common = CommonDialogMessage(dialog, message, word, data, kHelpId);
            if (common >= 0) return common;
            if (message == win::Message::InitDialog) {
                ui::SetItemInt(dialog, kFirst, number);
                SetupSpinControl(dialog, kThrough, number, last, number, true);
                EnableHelpButton(dialog, nullptr);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            const uint32_t id = win::CommandId(word);
            if (id == ui::kIdOk) {
                if (const intptr_t end = AcceptDeletePages(dialog, view)) ui::EndDialog(dialog, end);
                return 1;
            }
            if (id == ui::kIdCancel) ui::EndDialog(dialog, kDialogCancelled);
            return id == ui::kIdCancel ? 1 : 0;
        });
    return result == kDialogDone ? kDialogDone : kDialogCancelled;
}

}  // namespace ql
