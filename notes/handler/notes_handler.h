// The notes handler: the score-object class of type 29 ("Note") through which the
// Notes tool places notes and the selection engine edits a focused note (keys, the
// drop of the pointer on it), and the note handle objects made from it. It is never
// stored in a score file: the document's prototype of type 29 (pool 9, made while the
// document is built) places notes; handle objects come from static pool 0.
#pragma once

#include <cstdint>

#include "core/memory/ref32.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct ScoreSystem;
struct EventRecord;

constexpr uint32_t kNotesHandlerBodyBytes = 50;

// The body of a note handle object: the y of its two handle points, its system, a
// flag byte (bit 0 beam-group handle, bits 2-3 voice, bit 6 first of its voice, bit 7
// last), staff and measure, the note it stands for and the first handle object of its
// voice.
#pragma pack(push, 1)
struct NotesHandlerBody {
    int32_t handleY[2];
    Ref32<ScoreSystem> system;
    uint8_t flags;
    uint8_t staff;
    int16_t measure;
    Ref32<EventRecord> note;
    Ref32<ScoreObject> voiceFirst;
    uint8_t reserved[26];
};
#pragma pack(pop)
static_assert(sizeof(NotesHandlerBody) == kNotesHandlerBodyBytes);

constexpr uint8_t kHandleBeamGroup = 0x01;
constexpr uint8_t kHandleFirstOfVoice = 0x40;
constexpr uint8_t kHandleLastOfVoice = 0x80;

// Registers the class and the type's construction (pool 9 while a document builds
// its prototypes).
void RegisterNotesHandlerClass();
// A handle object from static pool 0, constructed; null when the pool is exhausted.
ScoreObject* NewNotesHandler();
// The handler's clean-up and the return of its record to the pool it came from.
void DestroyNotesHandler(ScoreObject* object);

// The note of the selection's focused hit record, or null.
EventRecord* FocusedNote();

// The drop of the pointer on a focused note (the note of `hit`, else the focused
// one): with Shift held the note takes the palette's value, otherwise it is deleted.
// 1 when something was done.
int DropOnNote(ScoreView* view, EventRecord* note);

// The key set of OnKey chosen by the modifier state (Shift x 4 + Alt x 2 + Ctrl, a
// latched Ctrl or Shift counting as held), and the keys themselves. 1 when handled.
int ModifierStateNow();
int NoteKey(ScoreView* view, EventRecord* note, uint32_t key);

// Moves the item at `tick` of the current measure in time within its voice by
// changing the spacing before it: direction -1 narrows, +1 widens; `larger` selects
// the larger move.
void NudgeEventSpacing(ScoreView* view, int tick, int direction, bool larger);

// Asks the program's notes handler to follow the view's current staff and measure;
// the object linked after the handler when it did, else null.
ScoreObject* FollowNotesHandlerLocation(ScoreView* view);

}  // namespace ql
