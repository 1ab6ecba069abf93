// Object anchors. The locate module that turns points into time, page and
// measure anchors is not built yet; until it is, anchors are left as they are and
// only the points of location records are kept.
#include "display/anchors.h"

#include "core/objects/score_object.h"

namespace ql {

void EncodeAnchors(ScoreView* /*view*/, LocationRecord* out, int /*anchorKind*/,
                   ObjectLocation* bodyLocation, const LogicalPoint* points, int count) {
    // provisional: no anchor is encoded; the record keeps the body's location as it
    // is and the first point.
    if (out == nullptr) return;
    *out = LocationRecord{};
    if (bodyLocation != nullptr) out->location = *bodyLocation;
    if (points != nullptr && count > 0) out->point = points[0];
}

void EncodeTimeAnchors(ScoreView* /*view*/, const LogicalPoint* /*points*/,
                       ObjectLocation* /*anchor*/, int /*flag*/) {
    // provisional: time anchors need the beat maps of the locate module; the anchor
    // is left unchanged.
}

void EncodePageAnchors(ScoreView* /*view*/, ObjectLocation* /*bodyLocation*/,
                       const LogicalPoint* /*points*/, int /*count*/) {
    // provisional: the page-anchor word layout belongs to the locate module; the
    // anchor is left unchanged.
}

void NoteAnchorsToPoints(ScoreView* /*view*/, ScoreObject* /*object*/,
                         const ObjectLocation* /*anchor*/, LogicalPoint* /*points*/) {
    // provisional: note positions come from the note drawing code; the points are
    // left unchanged.
}

}  // namespace ql
