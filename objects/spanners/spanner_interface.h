// The spanner interface's operations on the line alone (wickette, widget bracket,
// repeat ending, octave line, tuplet): stored anchors to points on the view and
// back, the drawn path, the six-record handle chain and its linked drags, the line
// width step, and finding the system, staff and measure that hold a label.
//
// Points, in logical units: [0] the free end of the start hook, [1] the start point,
// [2] the end point, [3] the free end of the end hook; the label point lies half way
// along (a third of the way for a tuplet). Hooks are stored unzoomed and scaled by
// the view's staff scale when it is positive. A note-attached spanner (kind 3)
// keeps its times relative to its note and its y offsets from the note's y; when
// the note has gone it falls back to kind 0 the next time its points are read or
// stored.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"
#include "core/objects/score_object.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {

struct ScoreView;
struct HitRecord;

constexpr int kSpannerPointCount = 4;
struct SpannerPoints {
    LogicalPoint p[kSpannerPointCount];  // start hook end, start, end, end hook end
    LogicalPoint label;
};

// Handle chain: index 0 the object's own record (kind kSpannerHeadKind) at p[0],
// 1..4 at p[0..3], 5 the middle handle, which moves the whole line. The index is
// the record's kind byte.
constexpr uint8_t kSpannerHeadKind = 10;
constexpr int kSpannerHandleCount = 6;
constexpr int kSpannerMiddleHandle = 5;

// The line handle a cursor request means: the index when one is given, else the
// kind of the record under the pointer when it is a line handle's (the editor
// hands over 0 with the record's kind); 0 for any other record.
int SpannerHandleIndex(int32_t index, int32_t kind);

// The style byte: low nibble dashed, high nibble the line starts at the hook's end.
constexpr uint8_t kSpannerDashedMask = 0x0F;
constexpr uint8_t kSpannerHookFirstMask = 0xF0;
constexpr uint8_t kSpannerHookFirstStyle = 0x80;
constexpr int8_t kLargestLineWidth = 127;

// Zeroes both anchors' first three words, stores the line width, clears the style
// and fills the default bracket at the view's pointer (x, y): p0 = (x, y),
// p1 = (x, y - height), p2 = (x + width, y - height), p3 = (x + width, y).
void InitSpannerInterface(SpannerInterface* spanner, ScoreView* view, SpannerPoints* points,
                          int32_t width, int32_t height, int8_t lineWidth);

// The stored anchors and hooks as points on the view (the view located at the
// owner's measure for time anchors).
void ComputeSpannerPoints(SpannerInterface* spanner, ScoreView* view, SpannerPoints* points);

// The inverse: points to anchors and hooks; `result` (may be null) receives the
// location record of the new start.
void EncodeSpannerPoints(SpannerInterface* spanner, LocationRecord* result, ScoreView* view,
                         const SpannerPoints& points);

// The four points in drawing order: p0 p1 p2 p3, or p1 p0 p2 p3 with the high
// style bits (the line then runs from the start hook's end).
void SpannerPathPoints(const SpannerInterface& spanner, const SpannerPoints& points,
                       gfx::Point* out);

// Draws the line and hooks: dashed through the pen polyline routine, solid split at
// the system's end so the part beyond continues on the next system.
void DrawSpannerLine(SpannerInterface* spanner, ScoreView* view);

// Six records (see above), each point past its system's end moved onto the next
// system; every record's owner is the spanner's owner. Null when a record cannot
// be had (nothing is left allocated).
HitRecord* BuildLineHandles(SpannerInterface* spanner, ScoreView* view);

// The handle chain being worked on for an object: the selection's focused chain when
// it belongs to the object, else the chain the object records (null when none).
HitRecord* HandleChainOf(ScoreObject* object);

// The member `index` of a handle chain (0 the head), or null.
HitRecord* SpannerHandle(HitRecord* head, int index);

// Moves handle `index` by the drag offset and its companions (linked moves are
// skipped when `linked` is false, as with Ctrl held), then places the middle
// handle again. The octave line's own table of companions is used when `octave`.
void TrackSpannerHandle(const SpannerInterface& spanner, ScoreView* view, HitRecord* head,
                        int index, LogicalPoint offset, bool linked, bool octave = false);

// The points held by handles 1..4 of a chain (the label point half way).
SpannerPoints SpannerPointsOfHandles(HitRecord* head);

// Adds the signed step to the line width, kept to 0..127; the alert beep when a
// limit stops it. True when the width changed.
bool StepLineWidth(SpannerInterface* spanner, int step);

// The system, staff and measure that hold a labelled spanner, found from the free
// end of its end hook (points.p[3]) and its start (points.p[1]): with the hooks
// pointing up (and never for a repeat ending) the nearest staff whose bottom line
// lies above that end, searching up from the page's last system; otherwise the
// nearest staff whose top line lies below it, searching down from the first. The
// measure: for a repeat ending the one whose left barline is nearest the start, for
// the others the last one starting at or left of it. Without systems: the view's
// current place. `result` receives the system's reference, the staff and the measure.
void LocateSpannerStart(ScoreObject* owner, LocationRecord* result, ScoreView* view,
                        const SpannerPoints& points);

// After a drag: a time-anchored object (kind 0) whose new start (staff, measure)
// differs from the one its head handle recorded moves into the object list of the
// start's cell (made when missing), and the head handle takes the new location.
void MoveObjectToStartCell(ScoreObject* object, ScoreView* view, const LocationRecord& start,
                           HitRecord* head);

}  // namespace ql
