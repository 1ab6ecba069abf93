// A tie's handles and the edits made with them: six handles on its curve, dragged
// by the table of which handles follow which, stored back into the body relative to
// the tie's notes; the flips, the thickness step and the line-style key.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"
#include "objects/curves/curve_objects.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct HitRecord;

// Handle kinds, in chain order.
enum TieHandle : uint8_t {
    kTieStartHandle = 0,
    kTieOuterStartHandle = 1,
    kTieOuterEndHandle = 2,
    kTieEndHandle = 3,
    kTieInnerStartHandle = 4,
    kTieInnerEndHandle = 5,
};
constexpr int kTieHandleCount = 6;

// The tie's voice (shape bits 12-15) and line style (bits 8-11; 1 dashed).
int TieVoice(const TieBody& body);
int LineStyle(const TieBody& body);

// The six handles on the curve as the view draws it at its current location (the
// start note's staff and measure); null without an end note within the next measure,
// and, with a beep, when the hit records run out.
HitRecord* BuildTieHandles(ScoreObject* tie, ScoreView* view);
// Moves the handles for a drag of `grabbed` by `offset`: the handles it carries move
// with it, its partner mirrors the horizontal part, the far end follows vertically.
void TrackTieDrag(ScoreObject* tie, int grabbed, LogicalPoint offset);
// Stores the handles into the body relative to the notes; 1 when stored.
int CommitTieDrag(ScoreObject* tie, ScoreView* view);
// The handle outline of the curve in XOR (drawn twice it is gone).
void DrawTieTracking(ScoreObject* tie, ScoreView* view);
// Reflects the handles to the other side of the start note: `toAbove` for a curve
// bulging downwards (nothing when it bulges upwards already), else the reverse.
void FlipTieHandles(ScoreObject* tie, ScoreView* view, bool toAbove);
// The thickness stepped by 2 * step (inner handles moved with it).
void StepTieThickness(ScoreObject* tie, ScoreView* view, int step);
// "D" the line style, "F" the flip, each one undoable edit; 0 for other keys.
int TieKey(ScoreObject* tie, ScoreView* view, uint32_t virtualKey);

}  // namespace ql
