// The "Multi-measure Rest" command and its dialog (833). At a measure holding a rest
// the command offers to expand it; elsewhere it scans the run of empty measures from
// the location and lets the user choose, by printed number, where the rest ends.
#include <algorithm>
#include <optional>
#include <string>

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"
#include "staves/barline_dialog_resources.h"
#include "staves/multi_measure_rest.h"
#include "staves/time_signature_dialog.h"

namespace ql {

namespace {

using namespace rest_dialog;
using platform::WindowHandle;

// OK: an end number above the start and not above the highest; else the box and the
// dialog stays open.
bool AcceptEndNumber(WindowHandle dialog, int start, int highest, int* chosen) {
    const std::optional<int32_t> end = ui::GetItemInt(dialog, kEndNumber);
    if (!end || *end <= start || *end > highest) {
        ErrorBox(kTwoOrMoreMeasures);
        return false;
    }
    *chosen = *end;
    return true;
}

void FinishRestEdit(ScoreView* view) {
    SetDocumentModified(view->document);
    InvalidateLinkedViews(view);
    UpdateLinkedViews(view);
}

void ExpandAfterAsking(ScoreView* view, int measure) {
    const int answer = ModalMessageBox(kExpandQuestion, ProgramString(kStrProductName),
                                       ui::kBoxYesNo | ui::kBoxIconQuestion);
    if (answer != ui::kIdYes) return;
    if (ExpandMultiMeasureRest(view, measure)) FinishRestEdit(view);
}

// Scans the run and combines what the dialog chooses.
void CombineFromDialog(ScoreView* view, int start) {
    ScoreDocument* document = view->document;
    std::string reason;
    const int last = ScanRestRun(view, start, &reason);
    if (last < start) {
        ErrorBox(reason);
        return;
    }
    if (last == start) {
        ErrorBox(kTwoOrMoreMeasures);
        return;
    }
    const int startNumber = MeasureRecordOf(document, start)->number;
    const MeasureRecord* lastRecord = MeasureRecordOf(document, last);
    const int endNumber = MultiMeasureRestDialog(view, startNumber, lastRecord->number + lastRecord->extra);
    if (endNumber == 0) return;
    const int end = std::min(MeasureHoldingNumber(document, start + 1, endNumber), last);
    if (end - start < 1) return;
    if (CombineMeasures(view, start, end)) FinishRestEdit(view);
}

}  // namespace

int MultiMeasureRestDialog(ScoreView* view, int startNumber, int highestEndNumber) {
    int chosen = 0;
    const intptr_t result = ModalDialogBox(
        view, kMultiMeasureRestDialog,
        [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t /*data*/) -> intptr_t {
            if (message == win::Message::InitDialog) {
                ui::SetItemInt(dialog, kStartNumber, startNumber);
                SetupSpinControl(dialog, kEndNumber, startNumber + 1, highestEndNumber, highestEndNumber, true);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            const uint32_t id = win::CommandId(word);
            if (id == ui::kIdOk && AcceptEndNumber(dialog, startNumber, highestEndNumber, &chosen))
                ui::EndDialog(dialog, ui::kIdOk);
            if (id == ui::kIdCancel) ui::EndDialog(dialog, ui::kIdCancel);
            return id == ui::kIdOk || id == ui::kIdCancel ? 1 : 0;
        });
    return result == ui::kIdOk ? chosen : 0;
}

void MultiMeasureRestCommand(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || !view->document->measureTable) return;
    // The insertion point is the caret a double click left; the pointer may have
    // moved the location since, so the measure is the caret's.
    if (view->CaretShown == 0) {
        ShowNotice(kDoubleClickNotice);
        return;
    }
    if (view->ViewWindow) {
        LocationFromCaret(view);
        win::HideCaret(view->ViewWindow);
    }
    view->CaretShown = 0;
    ScoreDocument* document = view->document;
    const int start = view->currentMeasure;
    const MeasureRecord* record = MeasureRecordOf(document, start);
    if (record == nullptr || start < 1 || start > document->header.measureCount) return;
    UndoStep step(document, view, UndoKind::MMR, TypeCode(ObjectType::Measure), UndoVerb::Change);
    if (record->extra > 0) ExpandAfterAsking(view, start);
    else CombineFromDialog(view, start);
}

}  // namespace ql
