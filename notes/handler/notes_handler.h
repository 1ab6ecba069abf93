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
struct HitRecord;

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
// Tab and Shift+Tab: the next or previous chord of the active voice from the note
// (null: the one under the pointer, else the pointer's time), on into the next or
// previous measure of the system past the measure's end; auditioned with the
// pointer on it. 1 when the key was taken.
int StepToAdjacentNote(ScoreView* view, EventRecord* note, bool backward);
int NoteKey(ScoreView* view, EventRecord* note, uint32_t key);

// Moves the item at `tick` of the current measure sideways by changing the spacing
// from the previous column to it: direction -1 narrows, +1 widens, by one eighth of
// the distance (at most 76 units); `larger` moves by a quarter (at most 152). The
// measure's width and beat map follow; the pointer goes beside the item.
void NudgeEventSpacing(ScoreView* view, int tick, int direction, bool larger);
// Steps the spacing of the span from `note` to the end of its beam group (the last
// chord's end, 16 ticks short of the barline when it reaches it): n of 1 or more
// widens it by one eighth, below 1 narrows it by one eighth, with no cap. With the
// program's RebuildLinkedBeatMaps set the beat maps of the view and its linked views
// are rebuilt, else the measure's width and beat map follow. 1 when it changed.
int NudgeNoteSpacing(ScoreView* view, EventRecord* note, int n);
// The previous column of a tick: the latest item of the current cell's voices that
// starts more than 17 ticks before it, its time and x (time 0 and the x of the
// slot's first beat when there is none).
struct ColumnPoint {
    int time = 0;
    int32_t x = 0;
};
ColumnPoint TimeToSystemX(ScoreView* view, int tick);
// The spacing keys: the item at or after the pointer's tick (else the one before)
// narrowed or widened by one step.
int ItemTimeAtCursor(ScoreView* view);
void NarrowSpacingAtCursor(ScoreView* view);
void WidenSpacingAtCursor(ScoreView* view);

// Handle objects of the voices of a measure (see note_handles.cpp): one per beam
// group or unbeamed chord, for each voice the view offers that has events and no
// handle objects yet. Build makes the chain unlinked (null when there is nothing to
// make or the pool ran out; `made` gets the count); Create links it into the
// selection's handle list and returns the count. Release destroys those of a staff
// and measure (one voice, or every voice for -1) and returns how many.
ScoreObject* BuildNoteHandlerChain(ScoreView* view, int staff, int measure, int* made);
int CreateNoteHandlers(ScoreView* view, int staff, int measure);
int ReleaseNoteHandlers(int staff, int measure, int voice);
// A vertical drag of a handle object's stem handle by dy: an unbeamed chord's handle
// 0 moves its stem end; a group's handle 0 both beam ends, 1 the left, 2 the right.
// The stem lengths (and stem directions) follow. 1 when applied.
int CommitStemDrag(ScoreView* view, ScoreObject* handle, int index, int32_t dy);

// The next accidental code (0 none, 1 sharp, 2 double sharp, 3 flat, 4 double flat,
// 5 natural) when a note's sign is stepped up (step > 0) or down, by the key's
// alteration at its position (-1, 0, +1); with Ctrl the code steps through 0..5 and
// wraps. -1 when nothing changes. Cycle applies it to the note (1 when it did).
int NextAccidentalCode(int current, int step, int keyAlteration, bool ctrl);
int CycleAccidentalAtPointer(ScoreView* view, EventRecord* note, int step);
// The notes handler's StepValue and Invalidate on the focused note (see
// note_values.cpp).
void StepNoteValue(ScoreView* view, int n);
void InvalidateNoteOffsets(ScoreView* view);

// Asks the program's notes handler to follow the view's current staff and measure;
// the object linked after the handler when it did, else null.
ScoreObject* FollowNotesHandlerLocation(ScoreView* view);
// The location followed for the selection (the notes handler's and the rest class's
// FollowLocation): the note handle objects of the view's current staff and measure
// made and put after the selection's insertion list; 1 when any were made.
int FollowNoteHandlesForSelection(ScoreView* view);
// The hit records of a note handle object (its BuildHandles): 0 the group or the
// chord's stem end, 1 and 2 the beam's ends (the chord's near and stem ends), then
// from 3 on one over the head of each note of the group, naming that note. Null when
// the records ran out.
HitRecord* BuildNoteHandleRecords(ScoreObject* object, ScoreView* view);

}  // namespace ql
