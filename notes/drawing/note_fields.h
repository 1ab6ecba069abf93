// The fields of a note record (EventRecord) that drawing reads, by bit, with the
// small readers the drawing code shares. Bits named by the pitch and stem modules
// (accidental code, head kind, stem direction, far-side head) are theirs; this file
// names the rest: marks, hidden parts, cross-staff, grace slash, beam style.
//
// Positions count staff steps from the bottom line, negative upwards; one step is
// 64 view units. The stem offset is the y of the stem's free end relative to the
// chord's first (top) note, in view units, negative when the stem goes up.
#pragma once

#include <cstdint>

#include "core/model/event_record.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

// ---- flags ----
constexpr uint16_t kNoteStemCarrier = kEventChordHead;  // bit 0: draws stem, flag, beam
constexpr uint16_t kNoteStemUp = kEventStemFlag;        // bit 8
constexpr uint16_t kNoteSoundHidden = 0x0200;           // bit 9: not played
constexpr uint16_t kNoteVoiceHidden = kNoteSoundHidden; // and so hidden with its voice
constexpr uint16_t kNoteCrossStaff = 0x0400;            // bit 10
constexpr int kNoteSizeClassShift = 4;                  // bits 4-5
constexpr int kNoteSizeClassBits = 0x03;

// ---- word2, the mark word ----
constexpr uint16_t kNoteTieIn = kNoteTieContinuation;   // bit 4: a tie ends here
constexpr uint16_t kNoteStaccato = 0x0040;              // bit 6
constexpr uint16_t kNoteLegato = 0x0080;                // bit 7
constexpr uint16_t kNoteHeadHidden = 0x1000;            // bit 12
constexpr uint16_t kNoteStemHidden = 0x2000;            // bit 13
constexpr uint16_t kNoteChordHasSecond = 0x4000;        // bit 14
constexpr uint16_t kNoteFarSide = kEventHeadOtherSide;  // bit 15

// ---- stemWord ----
constexpr uint16_t kStemBeamStyleMask = 0x0003;    // bits 0-1 (a group's first chord)
constexpr uint16_t kStemBeamsHidden = 0x0008;      // bit 3: flag and beams hidden
constexpr uint16_t kStemInnermostHidden = 0x0010;  // bit 4: innermost beam level hidden
constexpr uint16_t kStemGraceSlash = 0x0020;       // bit 5
constexpr uint16_t kStemCrossStaffAbove = 0x8000;  // bit 15: the other staff is above

// The marks of a voice hidden by its cell: head, stem, flag and beams hidden.
constexpr uint16_t kVoiceHiddenMarks = kNoteHeadHidden | kNoteStemHidden;
constexpr uint16_t kVoiceHiddenStemBits = kStemBeamsHidden | kStemInnermostHidden;

// ---- Head kinds (flags bits 11-15) ----
constexpr int kHeadNormal = 0;
constexpr int kLastShapedHead = 6;  // 1..6 promote to 79..84 for long values
constexpr int kCircledXHead = 8;
constexpr int kHollowSquareHead = 11;
constexpr int kHalfNoteHead = 13;
constexpr int kRestHead = 14;
constexpr int kFirstRepeatHead = 15;  // 15..18: no stem
constexpr int kLastRepeatHead = 18;
constexpr int kFirstTablatureHead = 19;

inline int NoteSizeClass(const EventRecord& note) {
    return (note.flags >> kNoteSizeClassShift) & kNoteSizeClassBits;
}
inline bool IsStemUp(const EventRecord& note) {
    return (note.flags & kNoteStemUp) != 0;
}
inline bool IsCrossStaff(const EventRecord& note) {
    return (note.flags & kNoteCrossStaff) != 0;
}
inline bool IsStemCarrier(const EventRecord& note) {
    return (note.flags & kNoteStemCarrier) != 0;
}
inline bool IsHeadHidden(const EventRecord& note) {
    return (note.word2 & kNoteHeadHidden) != 0;
}
inline bool IsStemHidden(const EventRecord& note) {
    return (note.word2 & kNoteStemHidden) != 0;
}
inline bool IsFarSide(const EventRecord& note) {
    return (note.word2 & kNoteFarSide) != 0;
}
inline bool ChordHasSecond(const EventRecord& note) {
    return (note.word2 & kNoteChordHasSecond) != 0;
}
inline int NoteDots(const EventRecord& note) {
    return note.word2 & kEventDotsMask;
}
// Steps from the chord's first note to its farthest (stemWord bits 9-14).
inline int ChordSpan(const EventRecord& first) {
    return (first.stemWord & kStemFieldMask) >> kStemFieldShift;
}
inline bool IsRepeatHead(int kind) {
    return kind >= kFirstRepeatHead && kind <= kLastRepeatHead;
}
inline bool IsTablatureHead(int kind) {
    return kind >= kFirstTablatureHead;
}
// Beams of a DurationCode: 10 - code (eighth 1 .. 128th 5); at least 1 in a group.
constexpr int kBeamCountBase = 10;
inline int BeamCountOf(int duration) {
    const int count = kBeamCountBase - duration;
    return count < 1 ? 1 : count;
}

}  // namespace ql
