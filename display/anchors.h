// Object anchors (module LOCATE): turning logical points into the location words
// stored in object bodies and back. Anchor kinds: 0 time, 1 page, 2 and 4
// measure, 3 none (the location is zeroed).
#pragma once

#include <cstdint>

#include "core/model/geometry.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct ObjectLocation;
struct LocationRecord;

// Fills the 16-byte location record for points, by anchor kind 0..4; kind 3
// zeroes it. Also the entry that CommitDrag uses.
void EncodeAnchors(ScoreView* view, LocationRecord* out, int anchorKind,
                   ObjectLocation* bodyLocation, const LogicalPoint* points, int count);

// Time anchors (kind 0) for points.
void EncodeTimeAnchors(ScoreView* view, const LogicalPoint* points, ObjectLocation* anchor,
                       int flag);

// Page anchors (kind 1): coarse = (x + 30720) >> 7, fine = x - coarse * 128 + 30720,
// for x and y.
void EncodePageAnchors(ScoreView* view, ObjectLocation* bodyLocation, const LogicalPoint* points,
                       int count);

// Anchors of kind 0..4 back to logical points (kind 3 yields nothing). The one
// write: a time anchor whose tick is past its measure is moved to the last column.
void DecodeAnchors(ScoreView* view, int kind, ObjectLocation* location, LogicalPoint* out,
                   int count);

// Point of an object attached to a note: note position plus the stored offsets.
void NoteAnchorToPoint(ScoreView* view, ScoreObject* object, const ObjectLocation* location,
                       LogicalPoint* out);

// Stores a point as x and y offsets from the object's note.
void PointToNoteAnchor(ScoreView* view, ScoreObject* object, ObjectLocation* anchor,
                       const LogicalPoint& point);

// Converts the object's note anchors back into points.
void NoteAnchorsToPoints(ScoreView* view, ScoreObject* object, const ObjectLocation* anchor,
                         LogicalPoint* points);

// Measure offsets (x from a measure slot's content start, y from a staff's top line)
// turned into logical points in place: for a staff and measure in the system that
// shows the measure (y as stored), or for the current location (y scaled by the
// view scale). False, points unchanged, when there is no such system.
bool MeasureOffsetsToPoints(ScoreView* view, int staff, int measure, LogicalPoint* points,
                            int count);
bool CurrentMeasureOffsetsToPoints(ScoreView* view, LogicalPoint* points, int count);
// The inverse for the current location: offsets in the current measure, y unscaled.
bool PointsToCurrentMeasureOffsets(ScoreView* view, LogicalPoint* points, int count);

// In page view with off-page items shown (and neither printing nor rendering to the
// clipboard), moves an object lying wholly off the page back onto its edge and, for
// anchor kinds 0, 1, 2 and 4, stores the moved point in its anchor. The object spans
// width by height around the point as the text-alignment `placement` puts it
// (right: leftwards; centre: both ways; bottom: upwards). True when it was moved.
bool ClampAnchorsToPage(ScoreView* view, LogicalPoint* point, int kind, ObjectLocation* anchors,
                        int32_t width, int32_t height, uint32_t placement);

// True when the view keeps objects on the page as ClampAnchorsToPage does: page view
// with off-page items shown, neither printing nor rendering to the clipboard. A
// painter may skip finding an object's point for the clamp when this is false.
bool ShowsOffPageItems(const ScoreView* view);

}  // namespace ql
