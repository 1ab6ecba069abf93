// Inside the stems module: the snapshot of a voice that every operation walks, the
// tally of the stem rule, and the steps that write a chord's stem.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/model/event_record.h"
#include "core/memory/pool.h"
#include "notes/stems/stems.h"

namespace ql {

struct ScoreView;
struct MeasureCell;

namespace stems {

// Event bits read and written here besides those of core/model/event_record.h.
constexpr uint16_t kStemUp = kEventStemFlag;        // flags bit 8: stem up
constexpr uint16_t kCrossStaffNote = 0x0400;        // flags bit 10
constexpr int kSizeClassShift = 4;                  // flags bits 4-5
constexpr uint16_t kTieEnd = 0x0010;                // word2 bit 4: a tie ends here
constexpr uint16_t kTieStart = 0x0020;              // word2 bit 5: a tie starts here
constexpr uint16_t kHeadHidden = 0x1000;            // word2 bit 12: left out of the stem count
constexpr uint16_t kChordHasSecond = 0x4000;        // word2 bit 14
constexpr uint16_t kHeadFarSide = kEventHeadOtherSide;  // word2 bit 15
constexpr int kStemFieldModulus = 64;

// Durations (DurationCode, log2 of the ticks).
constexpr uint8_t kLongestBeamable = kDurationEighth;  // 9
constexpr uint8_t kShortestKnownCode = 4;  // a code below this is repaired to an eighth
constexpr int kEighthTicks = 1 << kDurationEighth;
constexpr int kQuarterTicks = 1 << kDurationQuarter;

// One voice as it stands: the events reached from its head sentinel by forward
// links, in chain order, stopping at a link that does not resolve, a sentinel, an
// event already passed or one earlier in time than the one before (at most
// kMaxChainLength events). When the event the snapshot was taken for is not on that
// path (its backward links lead elsewhere), the walk starts at the event itself.
// Chords are the runs of equal time; a chord's head is its first event.
class VoiceChords {
  public:
    explicit VoiceChords(EventRecord* anyEvent);
    // The snapshot of another voice, in the tables of this one (a walk over many
    // voices keeps one snapshot and allocates once).
    void Take(EventRecord* anyEvent);
    // The same when the caller holds the link the event was reached by (its handle).
    void Take(EventRecord* anyEvent, RecordHandle handle);
    // The same for a voice's first event reached from its head sentinel (`first` is
    // what `firstHandle` resolves to): the walk starts at the head when the first
    // event links back to it, as Take's would.
    void TakeFromHead(EventRecord* head, RecordHandle headHandle, EventRecord* first,
                      RecordHandle firstHandle);

    int ChordCount() const { return static_cast<int>(chordStart_.size()); }
    // Every event in chain order.
    int EventCount() const { return static_cast<int>(events_.size()); }
    EventRecord* Event(int i) const { return events_[i]; }
    // Index of the chord holding the event; -1 when it is not in the snapshot.
    int ChordOf(const EventRecord* event) const;
    EventRecord* Head(int chord) const { return events_[chordStart_[chord]]; }
    RecordHandle HeadHandle(int chord) const { return handles_[chordStart_[chord]]; }
    int NoteCount(int chord) const {
        const int end = chord + 1 < ChordCount() ? chordStart_[chord + 1]
                                                 : static_cast<int>(events_.size());
        return end - chordStart_[chord];
    }
    EventRecord* Note(int chord, int i) const { return events_[chordStart_[chord] + i]; }
    // The chord whose head the handle names, when that chord is after (Later) or
    // before (Earlier) `chord`; else -1 (0, unresolved, a sentinel, another voice,
    // a chord member, the wrong direction).
    int LaterChordNamed(int chord, RecordHandle handle) const;
    int EarlierChordNamed(int chord, RecordHandle handle) const;
    // Following the usable links from `chord`: the group's first and last chord and
    // its number of chords.
    int GroupFirst(int chord) const;
    int GroupLast(int chord) const;
    int GroupChordCount(int chord) const;
    int Time(int chord) const { return Head(chord)->time; }
    int Ticks(int chord) const;
    int End(int chord) const { return Time(chord) + Ticks(chord); }
    // Ticks from the group's first chord to the end of its last.
    int GroupTicks(int chord) const;
    // The direction bit of the chord before (0 for the first chord).
    int DirectionBefore(int chord) const {
        return chord > 0 && (Head(chord - 1)->flags & kStemUp) != 0 ? 1 : 0;
    }
    // Whether any chord head carried a beam link when the snapshot was taken.
    bool AnyBeamLinks() const { return anyBeamLinks_; }

  private:
    void Clear();
    void WalkForward(EventRecord* from);
    // The same from an event (not a sentinel) and the handle it was resolved from.
    void WalkForwardFrom(EventRecord* event, RecordHandle handle);
    // The rest of a walk past its first few events, from `event` (resolved from
    // `handle`), events already passed kept in a set.
    void WalkLongFrom(EventRecord* event, RecordHandle handle, const PoolResolver<EventRecord>& chain);
    // Adds the event to the snapshot; false (nothing added) when it is earlier than
    // the last one.
    bool Append(EventRecord* event, RecordHandle handle);
    // Walks from `start`; then from the event itself when the walk missed it.
    void WalkFrom(EventRecord* start, EventRecord* anyEvent, RecordHandle handle);
    int EventIndexOf(RecordHandle handle) const;

    std::vector<EventRecord*> events_;
    std::vector<RecordHandle> handles_;
    std::vector<int> chordStart_;
    // The look-up of events by handle, made by EventIndexOf when it first needs it:
    // the chord of every event and (handle bits, event index) sorted.
    void MakeLookup() const;
    mutable std::vector<int> chordOfEvent_;
    mutable std::vector<std::pair<uint16_t, int>> byHandle_;
    mutable bool lookupReady_ = false;
    bool anyBeamLinks_ = false;
};

// Distances of the counted notes from the middle line.
struct StemTally {
    int highest = 0;  // largest d
    int lowest = 0;   // smallest d
    int sum = 0;
    int count = 0;
};

// Adds one note at distance d from the middle line to the tally.
inline void TallyDistance(int d, StemTally& tally) {
    if (tally.count == 0 || d > tally.highest) tally.highest = d;
    if (tally.count == 0 || d < tally.lowest) tally.lowest = d;
    tally.sum += d;
    ++tally.count;
}
// Adds the notes of a chord to the tally (nothing when its head's word2 bit 12 is set).
void TallyChord(const ScoreView* view, const VoiceChords& voice, int chord, StemTally& tally);
// What the stem rule reads besides the notes: whether stems follow the voice (the
// view shows voices by a mask, or another voice of its cell holds anything) and which
// way they then point, the stem mode and the kept direction. A walk over the chords
// of one voice reads it once.
class StemRule {
  public:
    explicit StemRule(const ScoreView* view);
    // 1 up, 0 down.
    int Choose(const StemTally& tally, int fallback) const {
        int up = fallback;
        if (tally.count > 0) {
            const int above = std::abs(tally.lowest);
            if (above < tally.highest) up = 1;
            else if (above > tally.highest) up = 0;
            else if (tally.sum != 0) up = tally.sum > 0 ? 1 : 0;
        }
        if (followsVoice_) up = voiceUp_;
        if (stemMode_ == kStemsUp) up = 1;
        if (stemMode_ == kStemsDown) up = 0;
        if (keepsDirection_) up = keptUp_ ? 1 : 0;
        return up;
    }

  private:
    bool followsVoice_ = false;
    int voiceUp_ = 1;
    // The program-wide stem settings, read once.
    uint8_t stemMode_ = kStemsFloat;
    bool keepsDirection_ = false;
    bool keptUp_ = false;
};
// The stem rule: 1 up, 0 down.
int ChooseStemDirection(const ScoreView* view, const StemTally& tally, int fallback);
// A code below 4 becomes an eighth without dots.
inline void RepairShortDuration(EventRecord& note) {
    if (note.duration >= kShortestKnownCode) return;
    note.duration = kDurationEighth;
    note.word2 &= static_cast<uint16_t>(~kEventDotsMask);
}
// The same on every note of the chord.
void RepairShortDurations(const VoiceChords& voice, int chord);
// The stem direction bit of a note, and the span field of a chord's head.
inline void SetStemBit(EventRecord& note, int up) {
    if (up) note.flags |= kStemUp;
    else note.flags &= static_cast<uint16_t>(~kStemUp);
}
inline void SetStemField(EventRecord& head, int span) {
    head.stemWord = static_cast<uint16_t>((head.stemWord & ~kStemFieldMask) |
                                          ((span & (kStemFieldModulus - 1)) << kStemFieldShift));
}
// Gives the chord its direction: the head owns the stem, the other notes take its
// direction and DurationCode, the head's stem field the span; seconds marked.
void ApplyChordStemDirection(const VoiceChords& voice, int chord, int up);
// Puts notes a second from their neighbour on the far side of the stem.
void MarkChordSeconds(const VoiceChords& voice, int chord);
// The stem length of a chord standing alone, from its head's step, size class and
// span, the chord's DurationCode and direction.
int16_t UnbeamedStemLength(const EventRecord& head, int span, int up);
// The whole single-chord set-up: direction, links of every note cleared, stem length.
void SetUpSingleChordStem(const VoiceChords& voice, int chord, int up);
// StemSingleChord on a chord of one note, in one pass over it: what a transposition
// restems for most chords of a score.
int StemLoneNote(const StemRule& rule, const ScoreView* view, const VoiceChords& voice, int chord);
// ComputeNoteStemDirection on a chord of a snapshot.
int StemSingleChord(ScoreView* view, const VoiceChords& voice, int chord);
int StemSingleChord(const StemRule& rule, ScoreView* view, const VoiceChords& voice, int chord);
// Restems the chord's group (or the chord when it ends up alone); returns the index
// of the last chord handled.
int RestemChordOrGroup(ScoreView* view, const VoiceChords& voice, int chord);
// The same with the stem rule read once by the caller for the whole voice.
int RestemChordOrGroup(const StemRule& rule, ScoreView* view, const VoiceChords& voice, int chord);
// Chords of a tree's leaves, left to right (unresolved leaves skipped).
std::vector<EventRecord*> BeamTreeChords(const BeamNode* root);

}  // namespace stems
}  // namespace ql
