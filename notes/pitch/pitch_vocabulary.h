// The pitch vocabulary every notes, staves and layout module speaks: staff positions,
// accidental codes, clef kinds, key codes, duration codes and step names, the note
// and staff fields that hold them, and the small conversions between them (ticks of
// a duration code, accidentals of a key signature). The long constant tables behind
// the pitch arithmetic live in notes/pitch/pitch_tables.h.
//
// A note is stored by where it sits on the staff: a StaffPosition (0 the bottom line,
// one unit per diatonic step, negative upwards) plus an AccidentalCode, read against
// the clef and key signature of its measure cell.
#pragma once

#include <cstdint>

#include "core/model/event_record.h"
#include "core/model/grid_records.h"

namespace ql {

// ---- Staff positions ----
// Signed steps from the bottom line, negative upwards (higher pitches).
using StaffPosition = int8_t;
// The position of records that have none (head sentinels).
constexpr int kNoStaffPosition = -127;

// ---- Step names of the diatonic scale ----
enum class Step : uint8_t { C = 0, D = 1, E = 2, F = 3, G = 4, A = 5, B = 6 };
constexpr int kStepsPerOctave = 7;
constexpr int kSemitonesPerOctave = 12;

// ---- Accidental codes (bits 1-3 of a note's flags) ----
// None leaves the sound to the key signature and the accidentals in force. Codes 6
// and 7 are never written; a note carrying one sounds as if it had None.
enum class AccidentalCode : uint8_t {
    None = 0,
    Sharp = 1,
    DoubleSharp = 2,
    Flat = 3,
    DoubleFlat = 4,
    Natural = 5,
};
constexpr int kLastAccidentalCode = 5;

// ---- Clef kinds (low nibble of a cell's clefKey) ----
enum class ClefKind : uint8_t {
    Treble = 0,
    Tenor = 1,
    Alto = 2,
    Bass = 3,
    Baritone = 4,
    Percussion = 5,
    Treble8vaAbove = 6,
    Treble8vaBelow = 7,
    Bass8vaAbove = 8,
    Bass8vaBelow = 9,
    Soprano = 10,
    Tab = 11,
    MezzoSoprano = 12,
    ModernTenor = 13,
    BaritoneSecond = 14,
};
constexpr int kClefKindCount = 15;

// ---- Key codes (high nibble of a cell's clefKey), named by their major key ----
// 7 has no accidentals; 6..0 add one flat each (B E A D G C F), 8..14 one sharp each
// (F C G D A E B). A minor key shares the code of its relative major.
enum class KeyCode : uint8_t {
    CFlat = 0,
    GFlat = 1,
    DFlat = 2,
    AFlat = 3,
    EFlat = 4,
    BFlat = 5,
    F = 6,
    C = 7,
    G = 8,
    D = 9,
    A = 10,
    E = 11,
    B = 12,
    FSharp = 13,
    CSharp = 14,
};
constexpr int kKeyCodeCount = 15;

// ---- Duration codes: log2 of the plain length in ticks (a quarter is 1024) ----
enum class DurationCode : uint8_t {
    Note256th = 4,
    Note128th = 5,
    Note64th = 6,
    Note32nd = 7,
    Note16th = 8,
    Eighth = 9,
    Quarter = 10,
    Half = 11,
    Whole = 12,
    DoubleWhole = 13,
};
constexpr int kShortestDurationCode = 4;
constexpr int kLongestDurationCode = 13;

// The stored byte of a code.
constexpr uint8_t CodeOf(AccidentalCode code) {
    return static_cast<uint8_t>(code);
}
constexpr uint8_t CodeOf(ClefKind clef) {
    return static_cast<uint8_t>(clef);
}
constexpr uint8_t CodeOf(KeyCode key) {
    return static_cast<uint8_t>(key);
}
constexpr uint8_t CodeOf(DurationCode duration) {
    return static_cast<uint8_t>(duration);
}
constexpr int IndexOf(Step step) {
    return static_cast<int>(step);
}

static_assert(CodeOf(DurationCode::Quarter) == kDurationQuarter);
static_assert(CodeOf(DurationCode::Eighth) == kDurationEighth);

// Range checks of stored codes (a damaged record or file may hold anything).
constexpr bool IsValidClef(int clef) {
    return clef >= 0 && clef < kClefKindCount;
}
constexpr bool IsValidKey(int key) {
    return key >= 0 && key < kKeyCodeCount;
}
constexpr bool IsValidDurationCode(int code) {
    return code >= kShortestDurationCode && code <= kLongestDurationCode;
}
// A stored duration code for a table lookup: a code outside 4..13 (a damaged file)
// reads as the quarter.
constexpr int CheckedDurationCode(int code) {
    return IsValidDurationCode(code) ? code : CodeOf(DurationCode::Quarter);
}
constexpr int kLowestMidiKey = 0;
constexpr int kHighestMidiKey = 127;
constexpr bool IsValidMidiKey(int key) {
    return key >= kLowestMidiKey && key <= kHighestMidiKey;
}

// Ticks of the plain value of a duration code (no dots or tuplets); 0 outside 4..13.
constexpr int DurationCodeTicks(int code) {
    return IsValidDurationCode(code) ? 1 << code : 0;
}
// The duration code whose plain value lasts exactly `ticks`; 0 when none does.
constexpr int DurationCodeOfTicks(int ticks) {
    for (int code = kShortestDurationCode; code <= kLongestDurationCode; ++code)
        if (DurationCodeTicks(code) == ticks) return code;
    return 0;
}

// ---- Key signatures ----
constexpr int kNoAccidentalsKey = CodeOf(KeyCode::C);
// Accidentals the key signature shows: |key - 7|; 0 for a code out of range.
constexpr int KeyAccidentalCount(int key) {
    if (!IsValidKey(key)) return 0;
    return key < kNoAccidentalsKey ? kNoAccidentalsKey - key : key - kNoAccidentalsKey;
}
// -1 for a flat key, +1 for a sharp key, 0 for key 7 and codes out of range.
constexpr int KeySide(int key) {
    if (!IsValidKey(key) || key == kNoAccidentalsKey) return 0;
    return key < kNoAccidentalsKey ? -1 : 1;
}
// Naturals needed to cancel the old key when the new one follows: the excess of the
// old count over the new on the same side, the whole old count across sides.
constexpr int KeyCancelNaturals(int oldKey, int newKey) {
    const int oldCount = KeyAccidentalCount(oldKey);
    const int newCount = KeyAccidentalCount(newKey);
    if (KeySide(oldKey) == KeySide(newKey)) return oldCount > newCount ? oldCount - newCount : 0;
    return oldCount;
}

// ---- Note fields (EventRecord) read and written by the pitch code ----
constexpr uint16_t kNoteAccidentalMask = 0x000E;  // flags bits 1-3: AccidentalCode
constexpr int kNoteAccidentalShift = 1;
constexpr uint16_t kNoteHeadKindMask = 0xF800;  // flags bits 11-15: head kind / fret
constexpr int kNoteHeadKindShift = 11;
constexpr uint16_t kNoteTieContinuation = 0x0010;     // word2 bit 4: the note ends a tie
constexpr uint16_t kNoteTiedAccidentalMask = 0x01C0;  // stemWord bits 6-8
constexpr int kNoteTiedAccidentalShift = 6;

inline StaffPosition NotePosition(const EventRecord& note) {
    return static_cast<StaffPosition>(note.step);
}
inline void SetNotePosition(EventRecord& note, int position) {
    note.step = static_cast<uint8_t>(static_cast<StaffPosition>(position));
}
// The stored accidental bits, 0..7.
inline int NoteAccidentalBits(const EventRecord& note) {
    return (note.flags & kNoteAccidentalMask) >> kNoteAccidentalShift;
}
// The code as it sounds: 6 and 7 count as None.
inline int NoteAccidentalCode(const EventRecord& note) {
    const int bits = NoteAccidentalBits(note);
    return bits <= kLastAccidentalCode ? bits : CodeOf(AccidentalCode::None);
}
inline void SetNoteAccidentalCode(EventRecord& note, int code) {
    note.flags = static_cast<uint16_t>((note.flags & ~kNoteAccidentalMask) |
                                       ((code << kNoteAccidentalShift) & kNoteAccidentalMask));
}
inline bool IsTieContinuation(const EventRecord& note) {
    return (note.word2 & kNoteTieContinuation) != 0;
}
// The accidental carried into a tie continuation; 0 = none.
inline int NoteTiedAccidental(const EventRecord& note) {
    return (note.stemWord & kNoteTiedAccidentalMask) >> kNoteTiedAccidentalShift;
}
inline void SetNoteTiedAccidental(EventRecord& note, int code) {
    note.stemWord =
        static_cast<uint16_t>((note.stemWord & ~kNoteTiedAccidentalMask) |
                              ((code << kNoteTiedAccidentalShift) & kNoteTiedAccidentalMask));
}
inline int NoteHeadKind(const EventRecord& note) {
    return (note.flags & kNoteHeadKindMask) >> kNoteHeadKindShift;
}
inline void SetNoteHeadKind(EventRecord& note, int kind) {
    note.flags = static_cast<uint16_t>((note.flags & ~kNoteHeadKindMask) |
                                       ((kind << kNoteHeadKindShift) & kNoteHeadKindMask));
}

// ---- Cell and staff fields ----
// The clef and the key of a cell. A nibble outside its table (a damaged file) reads
// as the clef or key a new cell takes; the stored nibble is left as it is.
int CellClef(const MeasureCell& cell);
int CellKey(const MeasureCell& cell);

constexpr uint16_t kStaffMinorKey = 0x1000;       // transpositionWord bit 12
constexpr uint16_t kStaffLineCountMask = 0x0F00;  // flags bits 8-11
constexpr int kStaffLineCountShift = 8;

inline bool IsMinorKeyStaff(const StaffRecord& staff) {
    return (staff.transpositionWord & kStaffMinorKey) != 0;
}
inline int StaffLineCount(const StaffRecord& staff) {
    return (staff.flags & kStaffLineCountMask) >> kStaffLineCountShift;
}
// The General MIDI program of the staff's first voice, as the signed byte it is
// compared as (-1: none set).
inline int StaffProgram(const StaffRecord& staff) {
    return static_cast<int8_t>(staff.timbres[0].patch);
}

}  // namespace ql
