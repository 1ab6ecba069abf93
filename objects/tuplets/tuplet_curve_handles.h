// The handles of a tuplet mark's curve (style 2): the eight records behind the
// label's, their linked drag, the move handle kept clear of the number, the cursor
// over each handle, and the XOR drag feedback drawn from the handles' places.
//
// Chain order: 0 the curve's head (kind 10), 1 P0, 2 P1, 3 P2, 4 P3, 5 and 6 the
// inner control points, 7 the move handle between the ends. Handles 1 to 7 carry
// their index as their kind, which is what the editor hands to the cursor choice.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"
#include "core/objects/score_object.h"

namespace ql {

struct ScoreView;
struct HitRecord;

constexpr int kCurveHandleCount = 8;
constexpr int kCurveMoveHandle = 7;
constexpr uint8_t kCurveHeadKind = 10;

// The curve's records of the mark's chain into h[0..7]; false unless all are there.
bool CurveHandles(ScoreObject* object, HitRecord** h);
// The same from the curve's head record.
bool CurveHandlesFrom(HitRecord* head, HitRecord** h);
// The eight records at the curve's points; null (and a beep) when records run out
// or the mark's note is gone.
HitRecord* BuildCurveHandles(ScoreObject* object, ScoreView* view);
// Handle `index` moves by `d` with its linked companions (1: 2 and 5; 2: 5; 3: 6;
// 4: 3 and 6) unless Ctrl is held; the move handle follows the ends. The move
// handle (7) takes the whole curve along; the number keeps its place.
void TrackCurveHandle(ScoreObject* object, int index, LogicalPoint d);
// The index (1..7) of the grabbed record among the curve's handles, else 0.
int GrabbedCurveIndex(ScoreObject* object);

// The move handle stands just clear of the number and of the control handles, on
// the side away from the notes: below them when the curve bows down (handle 2 at or
// below handle 1), above them otherwise; at least 256 wide. `curve` is the curve's
// head record, `label` the number's.
void FitCurveMoveHandle(HitRecord* curve, const HitRecord* label);
// The bracket's move handle (`middle`) the same way, clear of the number alone.
void FitMoveHandleClear(HitRecord* middle, bool belowLabel, int32_t labelTop, int32_t labelBottom);

// The handle index a record's kind stands for (1..7), 0 for the number and heads.
int CurveHandleIndexOfKind(int32_t kind);
// 1 and 4 the four-way size cursor, 2 and 3 the vertical-size one, 5 and 6 the
// inverted vertical-size one, 7 the move cursor (the four-way one as well), others
// the vertical-size one.
void SetCurveHandleCursor(int index);

// The drag feedback from the handles: the arms P0-P1 and P3-P2, then the outer
// curve and the inner one, whose ends are drawn inset along x and towards the bow
// by the document's curve end gap so that the two never share a pixel (the
// feedback is drawn with XOR: a second drawing removes it).
void DrawCurveFeedback(ScoreObject* object, ScoreView* view);

}  // namespace ql
