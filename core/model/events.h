// Event chains: notes and rests of one voice, linked by handles in time order.
//
// A chain starts at a head sentinel; events at one time form a chord ordered by
// staff step, whose first event (the chord head) carries the beam links. Every walk
// resolves links through the current pool set and treats a link that does not
// resolve to a live record as the end of the chain. Linking operations mark the
// document modified. Durations: ComputeDurationTicks; a quarter is 1024 ticks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/event_record.h"
#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreObject;

// Longest walk over a chain: more links than pool 4 can hold means a loop.
constexpr int kMaxChainLength = 32 * 1024;

// ---- Resolution ----
// The live event a handle names in the current set, or null.
EventRecord* ResolveEvent(RecordHandle handle);
// The handle of an event of the current set; 0 for a foreign pointer.
RecordHandle HandleOfEvent(const EventRecord* event);
// The neighbours, or null (a sentinel is returned as it is).
EventRecord* NextEvent(const EventRecord* event);
EventRecord* PrevEvent(const EventRecord* event);

// ---- Records ----
EventRecord* AllocEvent(size_t size);  // pool 4; the size is ignored
void FreeEvent(EventRecord* event);
EventRecord* InitEvent(EventRecord* event, uint16_t time, int stemFlag, uint8_t duration,
                       uint8_t step);
EventRecord* InitRestEvent(EventRecord* event);
// A rest record made a voice's head sentinel (time and step out of range, unlinked).
EventRecord* InitHeadSentinel(EventRecord* event);
// A new sentinel's handle; on exhaustion one beep and the document's shared sentinel
// (0 when that does not resolve either).
RecordHandle CreateHeadSentinel(ScoreDocument* document);
EventRecord* CopyEventUnlinked(EventRecord* event, const EventRecord* source);
// A copy of the event in toSet (attachments cloned in order), or null.
EventRecord* CloneEvent(const EventRecord* source, ScoreView* view, PoolSet fromSet, PoolSet toSet);
ScoreObject* GetEventAttachment(const EventRecord* event);
// Releases the attached chain (not while shutting down); the handle is the caller's.
void FreeEventAttachment(EventRecord* event);
// Frees every event after `event` (far end first) with its attachments; next := 0.
void FreeEventChain(EventRecord* event);

// ---- Linking ----
EventRecord* InsertEventAfter(EventRecord* event, ScoreDocument* document, EventRecord* newEvent);
EventRecord* InsertEventBefore(EventRecord* event, ScoreDocument* document, EventRecord* newEvent);
// Links newEvent into the chain of `at` by ascending time, then ascending step.
EventRecord* InsertEventGroup(EventRecord* at, ScoreDocument* document, EventRecord* newEvent);
// Inserts a note or rest and keeps its chord head and beam group consistent: an
// eighth or shorter inside a beam group joins it, a longer value splits it.
void LayoutWalkEventChain(EventRecord* at, ScoreView* view, EventRecord* newEvent);
EventRecord* UnlinkEvent(EventRecord* event, ScoreDocument* document);
void UnlinkChord(EventRecord* event, ScoreDocument* document);
void TransferChordHead(EventRecord* newHead, EventRecord* oldHead);

// ---- Chords (a sentinel is never returned) ----
int IsFirstOfChord(const EventRecord* event);
int IsLastOfChord(const EventRecord* event);
int IsChordEndByDirection(const EventRecord* event);
EventRecord* GetFirstEventOfChord(EventRecord* event);
EventRecord* GetLastEventOfChord(EventRecord* event);
EventRecord* GetChordEndByDirection(EventRecord* event);
EventRecord* GetChordStartByDirection(EventRecord* event);
EventRecord* GetChordMember(EventRecord* event);
EventRecord* GetPrevEventSameTime(const EventRecord* event);
EventRecord* GetNextEventSameTime(const EventRecord* event);
EventRecord* GetPrevChordEvent(EventRecord* event);
EventRecord* GetNextChordEvent(EventRecord* event);
// Despite its name: the first event of the chord BEFORE the event's chord.
EventRecord* GetFirstEventOfNextChord(EventRecord* event);
EventRecord* GetPrevRealEvent(const EventRecord* event);
EventRecord* SeekEventForwardToTime(EventRecord* event, int tick);
EventRecord* SeekEventToTime(EventRecord* event, int tick);

// ---- Beam groups (links kept in chord heads) ----
int IsChordBeamed(EventRecord* event);
// Despite its name: the beamPrev of the chord's head.
RecordHandle GetChordBeamNextHandle(EventRecord* event);
// Despite its name: the beamNext of the chord's head.
RecordHandle GetChordBeamPrevHandle(EventRecord* event);
EventRecord* GetBeamPrevChord(const EventRecord* event);
// Despite its name: the head of the FIRST chord of the group (beamPrev to the end).
EventRecord* GetLastChordOfBeamGroup(EventRecord* event);
// Despite its name: the head of the LAST chord of the group (beamNext to the end).
EventRecord* GetFirstChordOfBeamGroup(EventRecord* event);
int CountBeamGroupChords(EventRecord* event);
// Despite its name: ticks from the event's time to the end of its beam group.
int GetBeamGroupLastEvent(EventRecord* event);
EventRecord* GetEventAfterBeamGroupStart(EventRecord* event);
// Despite its name: the head of the first chord of the beam group holding the chord
// just before the event's group; null when none.
EventRecord* CountBeamGroupEvents(EventRecord* event);
EventRecord* GetAdjacentChordEvent(EventRecord* event);
// The chord at tick (or the first after it when that one is beamed), resolved to the
// head of its group's first chord; null when not beamed or nothing lies there.
EventRecord* GetBeamGroupStartAtTick(EventRecord* head, int tick);

// ---- Durations ----
// Ticks of a value: 2^duration plus its dots, then the outer ratio, then the tuplet.
int ComputeDurationTicks(int tupletKind, int dots, int duration, int outerRatio, int ratioIndex,
                         int divisor, int multiplier, int outerDivisor, int outerMultiplier);
// ComputeDurationTicks with the event's own fields.
int EventDurationTicks(const EventRecord& event);
// The number of notes the event's tuplet groups (3 for a triplet: the divisor of
// its ratio); 1 outside a tuplet or for a ratio index past the table.
int TupletNoteCount(const EventRecord& event);
// The index (0..8) of the fixed tuplet ratio of `actual` notes in the time of
// `normal` (3:2 is 0), or -1 when the pair is not one of them.
int FixedTupletRatioIndex(int actual, int normal);

// The numbers of a tuplet ratio as its three stored bytes give them: `first` notes in
// the time of `second`, nested inside `nestedFirst` in the time of `nestedSecond`.
// All four are 0 when the bytes hold no ratio (kind other than 1 and 2, or kind 1
// with an index of 9 or more).
struct TupletNumbers {
    int first;
    int second;
    int nestedFirst;
    int nestedSecond;
};
TupletNumbers ReadTupletNumbers(int tupletKind, int ratio, int nested);
// The same for a note's own bytes (0 when it carries no ratio).
int GetNoteTupletNumerator(const EventRecord& note);
int GetNoteTupletDenominator(const EventRecord& note);
int GetNoteNestedNumerator(const EventRecord& note);
int GetNoteNestedDenominator(const EventRecord& note);

}  // namespace ql
