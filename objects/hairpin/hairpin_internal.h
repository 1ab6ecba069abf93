// The hairpin class's parts that live in their own files: handles and drags
// (hairpin_handles.cpp), the flip and attachment toggle (hairpin_class.cpp) and
// dialog 812 (hairpin_dialog.cpp).
#pragma once

#include <cstdint>

#include "objects/hairpin/hairpin_class.h"

namespace ql {

struct ScoreObject;
struct ScoreView;
struct HitRecord;

constexpr int kHairpinDialogId = 812;

HitRecord* BuildHairpinHandles(ScoreObject* object, ScoreView* view);
// The shape the focused chain's handles hold (apex, ends), when the chain is the
// object's; false otherwise.
bool ShapeOfHandles(ScoreObject* object, HairpinShape* shape);
// Places the object's handles (when it has a chain) at a shape's handle points.
void PlaceHandlesOfShape(ScoreObject* object, const HairpinShape& shape);
void TrackHairpinDrag(ScoreObject* object, ScoreView* view);
void MoveHairpinHandles(ScoreObject* object, ScoreView* view);
int CommitHairpinDrag(ScoreObject* object, ScoreView* view);
void DrawHairpinTracking(ScoreObject* object, ScoreView* view);
void InvalidateHairpin(ScoreObject* object, ScoreView* view);

int FlipHairpin(ScoreObject* object, ScoreView* view);
void ToggleHairpinAttachment(ScoreObject* object, ScoreView* view);

// Dialog 812 on a scratch hairpin; 1 OK (something changed), 2 otherwise.
int RunHairpinDialog(ScoreView* view, ScoreObject* hairpin);

}  // namespace ql
