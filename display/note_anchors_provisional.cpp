// Anchors of objects: decoding a stored location into a point, and the anchors of
// objects attached to notes.
#include "display/anchors.h"

namespace ql {

// provisional: decoding needs the locate module's measure slots and beat maps,
// which are not built; the points are left as the caller set them.
void DecodeAnchors(ScoreView* /*view*/, int /*kind*/, const ObjectLocation* /*location*/,
                   LogicalPoint* /*out*/, int /*count*/) {}

// provisional: note positions come from the beat maps, which are not built; the
// point is left as the caller set it.
void NoteAnchorToPoint(ScoreView* /*view*/, ScoreObject* /*object*/,
                       const ObjectLocation* /*location*/, LogicalPoint* /*out*/) {}

// provisional: the note positions these anchors are relative to come from the
// locate module's beat maps, which are not built; the stored offsets are left as
// they are, so a re-anchored object keeps its place.
void PointToNoteAnchor(ScoreView* /*view*/, ScoreObject* /*object*/, ObjectLocation* /*anchor*/,
                       const LogicalPoint& /*point*/) {}

}  // namespace ql
