// Figures that run past the right end of the view's current system (module
// FMTPAGE): points beyond the system's content end map onto the next system, and
// polylines and polygons are drawn split at the system's end line, the part
// beyond it moved onto the next system. A figure is drawn in one piece per system
// and never past a system's end line: the near piece ends at S's end line E; the
// far piece starts where N's start-of-system signs end (K) and is cut at N's own
// end line, and a figure longer than N goes on in the same way onto the systems
// after it on the page. A figure that only overhangs E, without reaching into the
// next measure's first beat, is cut at E and has no far piece.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/objects.h"
#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;
struct HitRecord;

// The edges of the current system S and its next system N.
struct SystemSpan {
    bool valid = false;    // S exists
    bool hasNext = false;  // N exists and links back to S
    int32_t endLine = 0;       // E: where S's last measure ends
    int32_t contentEnd = 0;    // C: content start of the slot after S's last measure
    int32_t nextStart = 0;     // D: content start of N's first slot
    int32_t nextSignsEnd = 0;  // K: where N's clef, key and time signature end (<= D)
    int32_t nextEndLine = 0;   // where N's last measure ends
    int32_t shiftY = 0;        // V: from S's current staff to N's
};
SystemSpan CurrentSystemSpan(const ScoreView* view);

// The point itself, or its image on N when it lies beyond C and N exists.
gfx::Point WrapPointToNextSystem(const ScoreView* view, gfx::Point point);

// Whether a point is drawn (honours the continuation-only switch).
int PointBeyondSystemEnd(const ScoreView* view, gfx::Point point);

// Moves a hit record by an offset, wraps its anchor point and places the record
// there with a rectangle of +- half; the wrapped point becomes its point and anchor.
void WrapObjectRectToNextSystem(const ScoreView* view, HitRecord* hit, gfx::Point offset, int32_t half);
// The same, setting only the record's point.
void WrapObjectPointToNextSystem(const ScoreView* view, HitRecord* hit, gfx::Point offset);

// The intersection of two segments (a[0]-a[1], b[0]-b[1]); 1 with *out set when
// they meet, bounds included, else 0 (parallel segments never meet).
int ClipSegmentToEdge(const gfx::Point* a, const gfx::Point* b, gfx::Point* out);

// Where a point of a far piece lands on N: the next measure's leading space E..C
// is laid over K..D (the room after N's signs), points past C move by D - C; y
// moves by V.
gfx::Point MoveOntoNextSystem(const SystemSpan& span, gfx::Point point);

// The pieces a polyline is drawn as: runs at or before E in place, runs beyond E
// moved onto N (and the systems after it) and cut at each one's end line (dropped
// without N, or when the figure does not reach past the middle of E..C); the whole
// polyline when it lies at or before E or has too many points to split.
std::vector<std::vector<gfx::Point>> SplitPolylinePieces(const ScoreView* view, const gfx::Point* points,
                                                         int count);

// Draws a polyline / filled polygon split at E; 0 with fewer than 2 points or no
// current system, else 1.
int DrawSplitPolyline(ScoreView* view, const gfx::Point* points, int count);
int DrawSplitPolygon(ScoreView* view, const gfx::Point* points, int count);
// A polyline split at E, each piece drawn with a pen of a style and width
// (DrawPolylineWithPen); 0 as DrawSplitPolyline.
int DrawSplitPolylineWithPen(ScoreView* view, const gfx::Point* points, int count,
                             gfx::PenStyle style, int32_t width, bool joinFlag);

}  // namespace ql
