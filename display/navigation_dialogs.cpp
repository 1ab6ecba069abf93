// The navigation dialogs and their commands: "Go to Page" (821) and "Go to Measure"
// (820) search the number typed after the view's current page or measure, then
// from the start, and stay open with "Out of range" when nothing carries it; "Find
// Measure and/or Page" (886) packs both numbers for FindMeasureAndPage.
#include <cstdio>
#include <optional>
#include <string>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "core/units/view_moves.h"
#include "display/navigation.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page_chain.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"

namespace ql {

namespace {

using platform::WindowHandle;

constexpr intptr_t kDialogDone = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int kPageShift = 16;
constexpr int kFieldMask = 0xFFFF;
constexpr char kRangeFormat[] = "(1 - %d)";

void SetRange(WindowHandle dialog, int32_t id, int count) {
    char text[32];
    std::snprintf(text, sizeof text, kRangeFormat, count);
    ui::SetItemText(dialog, id, text);
}

void ShowOutOfRange() {
    const std::string text = ProgramString(kStrOutOfRange);
    ShowNotice(text.c_str());
}

// The logo, help and draw messages of every navigation dialog; -1 for others.
intptr_t CommonMessage(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data, int32_t helpId) {
    if (message == win::Message::DrawItem) return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
    if (message == win::Message::Help)
        return ShowDialogContextHelp(dialog, helpId, reinterpret_cast<const win::HelpInfo*>(data));
    if (message == win::Message::Command && win::CommandId(word) == static_cast<uint32_t>(kHelpButtonId))
        return ShowDialogContextHelp(dialog, kGoToHelpId, nullptr);
    return -1;
}

// A dialog procedure around one OK handler; the handler returns true to end with 1.
template <class Init, class Ok>
intptr_t RunNavigationDialog(ScoreView* view, int32_t dialogId, int32_t helpId, Init init, Ok ok) {
    const intptr_t result = ModalDialogBox(
        view, dialogId, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            const intptr_t common = CommonMessage(dialog, message, word, data, helpId);
            if (common >= 0) return common;
            if (message == win::Message::InitDialog) {
                if (GetActiveView(dialog) == nullptr) {
                    ui::EndDialog(dialog, kDialogCancelled);
                    return 0;
                }
                init(dialog);
                EnableHelpButton(dialog, nullptr);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            const uint32_t id = win::CommandId(word);
            if (id == ui::kIdOk && ok(dialog)) ui::EndDialog(dialog, kDialogDone);
            if (id == ui::kIdCancel) ui::EndDialog(dialog, kDialogCancelled);
            return id == ui::kIdOk || id == ui::kIdCancel ? 1 : 0;
        });
    return result == kDialogDone ? kDialogDone : kDialogCancelled;
}

int InitialPageNumber(ScoreDocument* document) {
    ScorePage* page = document->foundPage;
    return pages::IsPageInList(document, page) ? page->pageNumber : 1;
}

int InitialMeasureNumber(const ScoreDocument* document) {
    return document->foundMeasureNumber >= 1 ? document->foundMeasureNumber : 1;
}

// Page number n after the view's page, then from the first; its index, or -1.
int PageIndexOfNumber(ScoreView* view, int number) {
    ScoreDocument* document = view->document;
    ScorePage* after = pages::IsPageInList(document, view->currentPage) ? view->currentPage : nullptr;
    ScorePage* page = FindPageByNumber(document, number, after);
    if (page == nullptr) page = FindPageByNumber(document, number, nullptr);
    return page != nullptr ? GetPageIndex(document, page) : -1;
}

bool HasScore(const ScoreView* view) {
    return IsValidView(view) && view->document != nullptr && view->document->measureTable;
}

}  // namespace

intptr_t RunGoToPageDialog(ScoreView* view, int* found) {
    using namespace go_to_page_dialog;
    if (!HasScore(view)) return kDialogCancelled;
    ScoreDocument* document = view->document;
    const int count = document->header.pageCount;
    return RunNavigationDialog(
        view, kGoToPageDialog, kGoToHelpId,
        [&](WindowHandle dialog) {
            SetRange(dialog, kRange, count);
            SetupSpinControl(dialog, kNumber, 1, count, InitialPageNumber(document), true);
        },
        [&](WindowHandle dialog) {
            const std::optional<int32_t> number = ui::GetItemInt(dialog, kNumber);
            const int index = number ? PageIndexOfNumber(view, *number) : -1;
            if (index < 0) {
                ShowOutOfRange();
                return false;
            }
            *found = index;
            return true;
        });
}

intptr_t RunGoToMeasureDialog(ScoreView* view, int* found) {
    using namespace go_to_measure_dialog;
    if (!HasScore(view)) return kDialogCancelled;
    ScoreDocument* document = view->document;
    const int count = document->header.measureCount;
    return RunNavigationDialog(
        view, kGoToMeasureDialog, kGoToHelpId,
        [&](WindowHandle dialog) {
            SetRange(dialog, kRange, count);
            SetupSpinControl(dialog, kNumber, 1, count, InitialMeasureNumber(document), true);
        },
        [&](WindowHandle dialog) {
            const std::optional<int32_t> number = ui::GetItemInt(dialog, kNumber);
            const int measure = number ? FindMeasureByNumber(document, *number, view->currentMeasure + 1) : 0;
            if (measure == 0) {
                ShowOutOfRange();
                return false;
            }
            *found = measure;
            return true;
        });
}

intptr_t RunFindDialog(ScoreView* view, int* found) {
    using namespace find_dialog;
    if (!HasScore(view)) return kDialogCancelled;
    ScoreDocument* document = view->document;
    DisplayGlobals& display = State().display;
    return RunNavigationDialog(
        view, kFindDialog, kHelpId,
        [&](WindowHandle dialog) {
            if (display.FindMeasureChecked == 0 && display.FindPageChecked == 0) display.FindMeasureChecked = 1;
            SetRange(dialog, kMeasureRange, document->header.measureCount);
            SetRange(dialog, kPageRange, document->header.pageCount);
            SetupSpinControl(dialog, kPage, 1, document->header.pageCount, InitialPageNumber(document), false);
            SetupSpinControl(dialog, kMeasure, 1, document->header.measureCount, InitialMeasureNumber(document), false);
            ui::CheckItem(dialog, kMeasureBox, display.FindMeasureChecked != 0);
            ui::CheckItem(dialog, kPageBox, display.FindPageChecked != 0);
            win::SetFocus(ui::GetDialogItem(dialog, display.FindMeasureChecked != 0 ? kMeasure : kPage));
        },
        [&](WindowHandle dialog) {
            display.FindMeasureChecked = ui::IsItemChecked(dialog, kMeasureBox) ? 1 : 0;
            display.FindPageChecked = ui::IsItemChecked(dialog, kPageBox) ? 1 : 0;
            const int measure = display.FindMeasureChecked != 0 ? ui::GetItemInt(dialog, kMeasure).value_or(0) : 0;
            const int page = display.FindPageChecked != 0 ? ui::GetItemInt(dialog, kPage).value_or(0) : 0;
            *found = ((page & kFieldMask) << kPageShift) + (measure & kFieldMask);
            return true;
        });
}

void CmdGoToPage(ScoreView* view) {
    int index = 0;
    const intptr_t result = RunGoToPageDialog(view, &index);
    if (!HasScore(view)) return;
    view->document->findRepeatMode = 0;
    if (result != kDialogDone) return;
    view->document->foundPageIndex = index;
    view->document->foundPage = GetPageAt(view->document, index);
    ShowPageByIndex(view, index);
}

void CmdGoToMeasure(ScoreView* view) {
    int measure = 0;
    const intptr_t result = RunGoToMeasureDialog(view, &measure);
    if (!HasScore(view)) return;
    view->document->findRepeatMode = 0;
    if (result == kDialogDone) GoToMeasureIndex(view, measure);
}

void CmdFindMeasurePage(ScoreView* view) {
    int value = 0;
    const intptr_t result = RunFindDialog(view, &value);
    if (!HasScore(view)) return;
    view->document->findRepeatMode = 0;
    if (result == kDialogDone) FindMeasureAndPage(view, value >> kPageShift, value & kFieldMask);
}

}  // namespace ql
