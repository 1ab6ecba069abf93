// The curve of a slur (and the band routine ties and tuplet brackets share): the
// default shape, its inset ends, flattening a cubic Bezier into a bounded point
// buffer, drawing the band between the outer and inner curves, flipping and
// thickening, and the eight-record handle chain with its drags and commit.
//
// A slur's band is the area between the outer curve (P0, P1, P2, P3) and the inner
// curve (P0, P1 + (dx1, dy1), P2 + (dx2, dy2), P3); inner offsets all 0 draw a thin
// line. Upward slurs have their control points above the ends (smaller y) and a
// positive thickness (the inner curve lies below the outer one).
#pragma once

#include <cstdint>

#include "core/model/geometry.h"
#include "objects/curves/curve_objects.h"
#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct ScoreDocument;
struct HitRecord;

// The values of a document that curves and lines are drawn with (one home; when
// the music metrics give them a stored place only this accessor changes).
struct CurveLineValues {
    int8_t slurThickness;      // inner offset of a new slur, logical units
    int32_t slurEndGap;        // ends drawn inset by this, logical units
    int32_t dottedSlurPen;     // pen width of a dotted slur, device pixels
    int8_t defaultLineWidth;   // a new spanner's line width, device pixels
};
CurveLineValues CurveLineValuesOf(const ScoreDocument* document);

// Device pixels as logical units of the view (through its open context, else its zoom).
int32_t PixelsToLogical(const ScoreView* view, int32_t pixels);

// The four control points and the two inner control points, in logical units.
struct CurvePoints {
    LogicalPoint p[kSlurPoints];       // start, two control points, end
    LogicalPoint inner[2];             // P1 + (dx1, dy1), P2 + (dx2, dy2)
};

// The default shape relative to (0, 0): P0 = (0, 0), P1 = (inset, height),
// P2 = (L - inset, height), P3 = (L, 0), L = max(length, 3 inset); inset and height
// 512 when 0; dx = 0, dy = thickness (the document's slur thickness when 0).
void DefaultCurveShape(const ScoreDocument* document, int32_t length, int32_t inset,
                       int32_t height, int32_t thickness, LogicalPoint* points, int8_t* inner);

// Sets a slur's points and offsets to the default shape, each x turned into a time
// anchor of the view's current measure slot.
void InitCurve(SlurObject* slur, ScoreView* view, int32_t length, int32_t inset, int32_t height,
               int32_t thickness);

// P0.x += inset, P3.x -= inset; both ends move vertically by the inset, up when the
// reference's P1 lies below its P0, down otherwise.
void InsetCurveEnds(int32_t inset, const LogicalPoint* reference, LogicalPoint* points);

// The slur's points on the view (anchors decoded in its kind, inner offsets added,
// their y scaled by the view's staff scale when positive).
CurvePoints SlurCurvePoints(SlurObject* slur, ScoreView* view);

// ---- Flattening ----

// The shared point buffer of one drawing: its first point, then each flat piece's end.
constexpr int kCurveBufferCapacity = 256;
constexpr int kCurveBufferLimit = kCurveBufferCapacity / 2 - 12;  // points it holds
struct CurveBuffer {
    gfx::Point points[kCurveBufferCapacity];
    int count = 0;
    bool overflow = false;
    int depth = 0;  // deepest recursion reached
    void Reset() { count = 0, overflow = false, depth = 0; }
    void Append(gfx::Point p);
};

// Logical units per device pixel of the view (never below 2); with `fine` a quarter
// of that when the quarter is above 2, else 2.
int32_t CurveTolerance(const ScoreView* view, bool fine);

// Whether both inner control points lie within `tolerance` of the chord A-D (signed
// differences; a zero-length chord counts as flat).
bool IsFlatPiece(const gfx::Point* piece, int32_t tolerance);

// Appends the flattened curve to the buffer (its P0 first when the buffer is empty).
void FlattenBezier(const gfx::Point* curve, int32_t tolerance, CurveBuffer* buffer);

// ---- Drawing ----

// Draws a band (style 0) or the outer curve dotted (style 1); `feedback` draws the
// drag feedback form; `fine` uses the fine tolerance and draws on `dc` unsplit. A
// full buffer abandons the drawing. Returns false when nothing was drawn.
bool DrawCurveBand(ScoreView* view, platform::DcHandle dc, const LogicalPoint* outer,
                   const LogicalPoint* inner, int style, bool feedback, bool fine);

// The last drawing's buffer (for the drawing's callers and tests).
const CurveBuffer& LastCurveBuffer();

// ---- Shape edits ----

// Whether the slur bends upward: its start lies below (larger y) its first control point.
bool IsUpwardSlur(const SlurObject& slur);
// Mirrors the control points and inner offsets about the start's y (direction +1
// upward, -1 downward); nothing when it already bends that way. True when flipped.
bool FlipSlur(SlurObject* slur, int direction);
// dy1 and dy2 change by 2 x step, the sign following the slur's direction, kept to
// -127..127. True when they changed.
bool ThickenSlur(SlurObject* slur, int step);
// Moves all four anchors by (dx, dy) logical units.
void MoveSlur(SlurObject* slur, int32_t dx, int32_t dy);

// ---- Handles ----

// Chain order: 0 own mark (P0.x + 128, P0.y), 1 P0, 2 P1, 3 P2, 4 P3, 5 and 6 the inner
// control points (shifted 384 left and right when any inner offset is non-zero), 7
// the move handle at the midpoint of P0 and P3. The kind byte holds the index.
constexpr int kSlurHandleCount = 8;
constexpr int kSlurMoveHandle = 7;
constexpr int kSlurEndHandle = 4;
constexpr int32_t kThicknessHandleShift = 384;
HitRecord* BuildSlurHandles(SlurObject* slur, ScoreView* view);

// Moves handle `index` by the offset with its companions (start: 2 and 5; end: 3 and
// 6; control: its thickness handle) unless `linked` is false; with `symmetric` a
// control or thickness handle moves its partner mirror-wise. Points past the
// system's end go onto the next system; the move handle is re-centred.
void TrackSlurHandle(ScoreView* view, HitRecord* head, int index, LogicalPoint offset, bool linked,
                     bool symmetric);

// Inner offsets from the handles: thickness handle minus control handle, shifts
// removed, clamped to -127..127; all 0 when the slur had none.
void CommitSlurOffsets(SlurObject* slur, HitRecord* head);

}  // namespace ql
