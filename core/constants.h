// Constants that many modules of the program must agree on: score time, score
// units, the voice-mask rule, object type codes and subtypes, the pool of each
// record kind, shared string ids, command ids and the private view messages.
// One home per number; modules add their own constants here with small edits.
#pragma once

#include <cstdint>

namespace ql {

// ---- Score time ----
constexpr int kTicksPerQuarter = 1024;
// An item less than this many ticks after the wanted tick counts as at it.
constexpr int kTickTolerance = 16;

// ---- Score units (logical units) ----
constexpr int kUnitsPerStaffSpace = 128;
constexpr int kUnitsPerStaffStep = 64;
constexpr int kFiveLineStaffUnits = 512;
// Origin of logical coordinates, and the 16-bit range they are clamped to.
constexpr int kLogicalOrigin = -30720;
constexpr int kLogicalMax = 32767;
constexpr int kLogicalMin = -32768;

constexpr int32_t ClampLogical(int64_t value) {
    return value > kLogicalMax ? kLogicalMax : value < kLogicalMin ? kLogicalMin : static_cast<int32_t>(value);
}

// ---- Staves ----
// The most staves a score has; every per-staff run-time table of the editors and
// the sequencer has kMaxStaves + 1 entries (entry 0 unused, or the conductor).
constexpr int kMaxStaves = 64;

// ---- Voices ----
constexpr int kVoiceCount = 4;
constexpr uint8_t kVoiceMaskBits = 0x0F;

// The active voice (0..3) of a view's voice mask: the lowest set bit when the mask
// is 1..15, else voice 0.
constexpr int ActiveVoiceOfMask(uint8_t mask) {
    if (mask == 0 || mask > kVoiceMaskBits) return 0;
    int voice = 0;
    while ((mask & (1u << voice)) == 0) ++voice;
    return voice;
}

// ---- Object type codes (one byte, stored in files as such) ----
enum class ObjectType : uint8_t {
    Selection = 0,
    Item = 1,
    Image2 = 2,
    Image3 = 3,
    Slur = 4,
    Tie = 5,
    TextBox = 6,
    Hairpin = 7,
    Line = 8,
    Circle = 9,
    Box = 10,
    Curve = 11,
    Stretcher = 12,
    Staff = 13,
    Clef = 14,
    KeySignature = 15,
    TimeSignature = 16,
    Symbol = 17,
    Text = 18,
    Area = 19,
    MidiImage = 20,
    Dynamic = 21,
    Pedal = 22,
    EG = 23,
    Tempo = 24,
    MidiEvent = 25,
    NoteArticulation = 26,
    Measure = 27,
    Label = 28,
    Note = 29,
    Unused30 = 30,
    Unused31 = 31,
    Mixer = 32,
    Margin = 33,
    MidiMessage = 34,
    Unused35 = 35,
    Unused36 = 36,
    Arc = 37,
    Accidental = 38,
    Chord = 39,
    Unused40 = 40,
    Finger = 41,
    Unused42 = 42,
    Rest43 = 43,
    ImageText = 44,
    Rest = 45,
    PedalBracket = 46,
    Widget = 47,
    RepeatEnding = 48,
    Octave = 49,
    Lyric = 50,
    Tuplet = 51,
    Guide = 52,
    Picture = 53,
};
constexpr int kObjectTypeCount = 54;
static_assert(static_cast<int>(ObjectType::Picture) + 1 == kObjectTypeCount);

// Where an object is anchored (the list it lives in).
enum class ObjectSubtype : uint8_t {
    MeasureTimeList = 0,     // measure cell list, anchored at a time
    PageList = 1,            // page list
    MeasureAnchorList = 2,   // measure cell list, anchored at the measure
    NoteAttachment = 3,      // note attachment chain
    StaffLabelList = 4,      // staff label list
};
constexpr int kObjectSubtypeCount = 5;

// ---- The pool of each record kind: document set ----
constexpr int kListNodePool = 2;       // 8-byte list nodes
constexpr int kSpacingEntryPool = 2;   // SpacingEntry
constexpr int kSmallArrayPool = 3;     // small per-staff arrays
constexpr int kEventRecordPool = 4;    // EventRecord
constexpr int kMeasureCellPool = 5;    // MeasureCell
constexpr int kScoreSystemPool = 6;    // ScoreSystem
constexpr int kRootObjectPool = 6;     // bare root objects, list heads
constexpr int kSmallObjectPool = 7;    // objects of 17 to 22 bytes
constexpr int kStaffRecordPool = 8;    // StaffRecord
constexpr int kScorePagePool = 8;      // ScorePage
constexpr int kTextObjectPool = 8;     // text objects, event attachments
constexpr int kLargeObjectPool = 9;    // larger objects
constexpr int kStavesArrayPool = 10;   // the staves array
constexpr int kCellArrayPool = 10;     // cell-handle arrays

// ---- The pool of each record kind: static set ----
constexpr int kHitRecordStaticPool = 0;     // HitRecord
constexpr int kTransientStaticPool = 1;     // marquee and other transient objects
constexpr int kFirstClipboardPool = 2;      // block clipboard: pools 2..10
constexpr int kLastClipboardPool = 10;
constexpr int kNotesScratchStaticPool = 5;  // scratch records of the notes code
constexpr int kSequencerStaticPool = 11;    // shared with the MIDI-input thread
constexpr int kPerformanceStaticPool = 12;  // performance events
constexpr int kSpareStaticPool = 13;

// ---- Limits set at start-up ----
constexpr int32_t kDefaultMaxMeasures = 1024;
constexpr uint8_t kDefaultMaxSystemSlots = 24;

// ---- Shared string ids ----
constexpr int kStrModuleLineReport = 278;   // "%s\n %s": module line, then the text
constexpr int kStrResourceMemoryLow = 435;  // "Resource memory is low.\nReleasing some resources..."

// ---- Commands ----
constexpr int kCmdSave = 57603;
constexpr int kCmdUndo = 57643;
constexpr int kCmdRedo = 57644;

// The private messages of the score view (0x800B, 0x8020, 0x8022) are declared
// once, in core/private_messages.h.

}  // namespace ql
