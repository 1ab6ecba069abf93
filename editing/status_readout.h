// The status bar's description of the object under the pointer (name, anchoring,
// per-type details) and of the grabbed handle's position, and the choice of the
// current voice from an object.
#pragma once

namespace ql {

struct ScoreView;
struct ScoreObject;
struct HitRecord;

// Status part 0: the object's name and anchoring; nothing without a record or owner, or
// while the status lock is set. `type` is the owner's type code.
void ShowObjectStatus(ScoreView* view, HitRecord* record, int type);
// Status part 2: the handle's anchor words in 128ths; for a focused Staff, part 0
// gives "Staff" and the view's staff number.
void ShowHandleStatus(ScoreView* view, HitRecord* record);
// The view's current-voice mask from the object's voice.
void SelectVoiceOfObject(ScoreView* view, ScoreObject* object);

// The name of an object type as the status bar shows it; "" for a type without one.
const char* ObjectTypeStatusName(int type);

}  // namespace ql
