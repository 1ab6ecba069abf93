// The range, request and step frame shared by clef and key changes (see
// signature_step.h).
#include "staves/signature_step.h"

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/private_messages.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/win/message_loop.h"
#include "staves/clef_key_relayout.h"

namespace ql {

TransposeRequest TransposeRequestOver(const SignatureRange& range) {
    TransposeRequest request;
    request.staff = range.staff;
    request.firstMeasure = range.firstMeasure;
    request.firstTick = range.firstTick;
    request.lastMeasure = range.endMeasure;
    request.lastTick = range.endTick;
    return request;
}

bool HasStaffMeasureLocation(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->currentStaff >= 1 &&
           view->currentStaff <= view->document->header.staffCount && view->currentMeasure >= 1 &&
           view->currentMeasure <= view->document->header.measureCount;
}

std::optional<SignatureStep> BeginSignatureStep(ScoreView* view, ChangeWhat what) {
    if (!HasStaffMeasureLocation(view)) return std::nullopt;
    ScoreDocument* document = view->document;
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    const ChangeRange range = ComputeChangeRange(document, what, ChangeRangeMode::UpToChange, staff, measure, 0, 0);
    if (range.notes != 0) {
        win::PostMessage(view->ViewWindow, kMsgSyntheticPress);
        return std::nullopt;
    }
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    if (cell == nullptr) return std::nullopt;
    SignatureStep step;
    step.range = {staff, measure, 0, range.end, range.endTick};
    step.current = what == ChangeWhat::Key ? CellKey(*cell) : CellClef(*cell);
    return step;
}

int FinishSignatureStep(ScoreView* view, const SignatureStep& step, ObjectType type,
                        const std::function<void()>& apply) {
    {
        const UndoStep edit(view->document, view, UndoKind::Item, TypeCode(type), UndoVerb::Add);
        apply();
        SetDocumentModified(view->document);
    }
    RelayoutAfterSignatureChange(view, step.range.firstMeasure);
    return 1;
}

}  // namespace ql
