// What a clef change and a key change share: the range of one staff they cover, the
// transposition request over it, and the frame of a step by the arrow keys (the
// range up to the next change from the view's location, refused with the synthetic
// press when it holds notes; the edit as one undoable step; the layout refreshed).
#pragma once

#include <functional>
#include <optional>

#include "core/constants.h"
#include "notes/transpose/transpose.h"
#include "staves/change_range.h"

namespace ql {

struct ScoreView;

// Measures [firstMeasure, endMeasure) of a staff, from a tick of the first to a
// tick of the last (0: the range ends at the start of endMeasure).
struct SignatureRange {
    int staff = 1;
    int firstMeasure = 1;
    int firstTick = 0;
    int endMeasure = 2;
    int endTick = 0;
};

// A transposition request over the range; the caller adds what changes.
TransposeRequest TransposeRequestOver(const SignatureRange& range);

// True when the view's location names a staff and a measure of the score.
bool HasStaffMeasureLocation(const ScoreView* view);

// The start of a step at the view's location: the range up to the next change and
// the cell's code (clef or key nibble) at the measure. Null without a location or a
// cell; null too, after posting the synthetic press (the focused object's dialog
// then runs), when the range holds notes.
struct SignatureStep {
    SignatureRange range;
    int current = 0;
};
std::optional<SignatureStep> BeginSignatureStep(ScoreView* view, ChangeWhat what);

// Runs `apply` as one undoable edit ("Add" of objects of `type`), marks the document
// modified and refreshes the layout from the step's measure. Returns 1.
int FinishSignatureStep(ScoreView* view, const SignatureStep& step, ObjectType type,
                        const std::function<void()>& apply);

}  // namespace ql
