// Positions, keys and durations: MIDI keys to staff positions and back under every
// clef, the key signature's alterations, clef changes that keep the written pitch,
// the accidental NoteToMidiKey reports, and the duration and key-signature helpers.
#include "notes/pitch/pitch.h"

#include <gtest/gtest.h>

#include <bit>

#include "core/model/events.h"
#include "core/state.h"
#include "notes/pitch/pitch_frame.h"
#include "notes/pitch/pitch_tables.h"

namespace ql {
namespace {

constexpr int kTreble = CodeOf(ClefKind::Treble);
constexpr int kBass = CodeOf(ClefKind::Bass);
constexpr int kTab = CodeOf(ClefKind::Tab);
constexpr int kPercussion = CodeOf(ClefKind::Percussion);
constexpr int kC = CodeOf(KeyCode::C);

class PitchTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }
};

EventRecord NoteAt(int position, int code = 0) {
    EventRecord note{};
    SetNotePosition(note, position);
    SetNoteAccidentalCode(note, code);
    return note;
}

bool IsPitchedClef(int clef) {
    return clef != kTab;
}

// Under every pitched clef, the natural PitchToStaffPosition finds for a key sounds
// that key, or the key a semitone lower when it reports "raised".
TEST_F(PitchTest, PositionOfEveryKeyIsItsNaturalUnderEveryClef) {
    for (int clef = 0; clef < kClefKindCount; ++clef) {
        if (!IsPitchedClef(clef)) continue;
        for (int key = kLowestMidiKey; key <= kHighestMidiKey; ++key) {
            const int32_t pitch = PitchToStaffPosition(clef, key);
            const int natural = NoteToMidiKey(nullptr, NoteAt(PositionOfPitch(pitch)), clef, kC);
            ASSERT_EQ(natural + (IsPitchRaised(pitch) ? 1 : 0), key)
                << "clef " << clef << " key " << key;
            ASSERT_EQ(IsPitchRaised(pitch), natural % 12 != key % 12);
        }
    }
}

// Each step up the staff is one step up the scale: positions from far below to far
// above the staff give rising keys, and every octave of seven steps adds 12.
TEST_F(PitchTest, PositionsRiseByScaleStepsAndOctaves) {
    for (int clef = 0; clef < kClefKindCount; ++clef) {
        if (!IsPitchedClef(clef)) continue;
        for (int position = 40; position > -60; --position) {
            const int low = NoteToMidiKey(nullptr, NoteAt(position), clef, kC);
            const int high = NoteToMidiKey(nullptr, NoteAt(position - 1), clef, kC);
            const int octave = NoteToMidiKey(nullptr, NoteAt(position - 7), clef, kC);
            ASSERT_TRUE(high - low == 1 || high - low == 2) << clef << " " << position;
            ASSERT_EQ(octave - low, 12) << clef << " " << position;
        }
        // The bottom line sounds the clef's bottom-line key.
        EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(0), clef, kC), kClefTable[clef].bottomKey);
    }
}

// A key alters exactly its count of steps in each octave, flats below code 7 and
// sharps above; Percussion and TAB are never altered.
TEST_F(PitchTest, KeyAltersItsCountOfStepsPerOctave) {
    for (int key = 0; key < kKeyCodeCount; ++key) {
        EXPECT_EQ(std::popcount(KeyMaskOf(key)), KeyAccidentalCount(key));
        int altered = 0;
        for (int position = 0; position > -7; --position) {
            const int a = KeyAlterationAt(kTreble, key, position);
            EXPECT_EQ(a, a == 0 ? 0 : KeySide(key));
            altered += a != 0;
            EXPECT_EQ(a, KeyAlterationAt(kTreble, key, position - 14));  // octaves agree
            EXPECT_EQ(KeyAlterationAt(kPercussion, key, position), 0);
            EXPECT_EQ(KeyAlterationAt(kTab, key, position), 0);
        }
        EXPECT_EQ(altered, KeyAccidentalCount(key));
    }
    // One flat is B: in the treble the middle line; one sharp is F, the top line.
    EXPECT_EQ(KeyAlterationAt(kTreble, CodeOf(KeyCode::F), -4), -1);
    EXPECT_EQ(KeyAlterationAt(kTreble, CodeOf(KeyCode::G), -8), 1);
    EXPECT_EQ(KeyAlterationAt(kBass, CodeOf(KeyCode::G), -6), 1);
}

// The note's own code overrides the key; without one the key decides, and
// LastEffectiveAccidental says which accidental applied.
TEST_F(PitchTest, NoteCodesOverrideTheKeyAndAreReported) {
    const int g = CodeOf(KeyCode::G);
    const int f = -1;  // F, the first space of the treble staff
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(f), kTreble, g), 66);
    EXPECT_EQ(LastEffectiveAccidental(), CodeOf(AccidentalCode::Sharp));
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(f, 5), kTreble, g), 65);
    EXPECT_EQ(LastEffectiveAccidental(), CodeOf(AccidentalCode::Natural));
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(f, 4), kTreble, g), 63);
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(f, 2), kTreble, g), 67);
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(-4), kTreble, CodeOf(KeyCode::F)), 70);
    EXPECT_EQ(LastEffectiveAccidental(), CodeOf(AccidentalCode::Flat));
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(-2), kTreble, kC), 67);
    EXPECT_EQ(LastEffectiveAccidental(), CodeOf(AccidentalCode::Natural));
    // Codes 6 and 7 are never written; a note carrying one sounds as the key says.
    EventRecord odd = NoteAt(f);
    odd.flags = static_cast<uint16_t>(odd.flags | (7 << kNoteAccidentalShift));
    EXPECT_EQ(NoteToMidiKey(nullptr, odd, kTreble, g), 66);
}

// A clef change keeps the written pitch: between clefs at written pitch the shifted
// position sounds the same key; the none position becomes 0; a clef out of range
// leaves the position.
TEST_F(PitchTest, ClefChangeKeepsTheWrittenPitch) {
    const ClefKind plain[] = {
        ClefKind::Treble,       ClefKind::Tenor,       ClefKind::Alto,
        ClefKind::Bass,         ClefKind::Baritone,    ClefKind::Soprano,
        ClefKind::MezzoSoprano, ClefKind::ModernTenor, ClefKind::BaritoneSecond};
    for (ClefKind from : plain) {
        for (ClefKind to : plain) {
            for (int position = 10; position > -20; --position) {
                const int shifted = ShiftPositionForClef(position, CodeOf(from), CodeOf(to));
                ASSERT_EQ(NoteToMidiKey(nullptr, NoteAt(shifted), CodeOf(to), kC),
                          NoteToMidiKey(nullptr, NoteAt(position), CodeOf(from), kC));
            }
        }
    }
    // Middle C: two steps below the treble staff, ten above the bass staff's bottom.
    EXPECT_EQ(ShiftPositionForClef(2, kTreble, kBass), -10);
    // An octave clef keeps the written position of its plain clef.
    EXPECT_EQ(ShiftPositionForClef(-3, kTreble, CodeOf(ClefKind::Treble8vaBelow)), -3);
    for (int from = 0; from < kClefKindCount; ++from)
        for (int to = 0; to < kClefKindCount; ++to)
            EXPECT_EQ(ShiftPositionForClef(kNoStaffPosition, from, to), 0);
    EXPECT_EQ(ShiftPositionForClef(kNoStaffPosition, 15, 0), kNoStaffPosition);
    EXPECT_EQ(ShiftPositionForClef(-3, 0, 15), -3);
}

// Bad clef or key codes and keys outside 0..127 give 0 and write nothing.
TEST_F(PitchTest, BadCodesGiveZeroAndWriteNothing) {
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(-2), kTreble, kC), 67);
    const uint8_t before = LastEffectiveAccidental();
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(-2), 15, kC), 0);
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(-2), kTreble, 15), 0);
    EXPECT_EQ(NoteToMidiKey(nullptr, NoteAt(-2), -1, -1), 0);
    EXPECT_EQ(LastEffectiveAccidental(), before);
    EXPECT_EQ(PitchToStaffPosition(15, 60), 0);
    EXPECT_EQ(PitchToStaffPosition(kTreble, -1), 0);
    EXPECT_EQ(PitchToStaffPosition(kTreble, 128), 0);
    EXPECT_EQ(StepOfPosition(15, 3), 0);
    EXPECT_EQ(KeyAlterationAt(kTreble, 15, 0), 0);
    EXPECT_EQ(KeyAlterationAt(15, 0, 0), 0);
    EXPECT_EQ(ClefRowOf(15), nullptr);
    EXPECT_EQ(ClefRowOf(-1), nullptr);
    EXPECT_EQ(KeyMaskOf(15), 0);
    EXPECT_EQ(KeyTransposeOf(-1), 0);
}

// Steps of positions far below and above the staff wrap round the octave.
TEST_F(PitchTest, StepsWrapBelowAndAboveTheStaff) {
    EXPECT_EQ(StepOfPosition(kTreble, 0), IndexOf(Step::E));
    EXPECT_EQ(StepOfPosition(kTreble, 2), IndexOf(Step::C));
    EXPECT_EQ(StepOfPosition(kTreble, 9), IndexOf(Step::C));  // an octave lower
    EXPECT_EQ(StepOfPosition(kTreble, -5), IndexOf(Step::C));
    EXPECT_EQ(StepOfPosition(kTreble, -127), IndexOf(Step::E) + 1);  // 127 = 18 x 7 + 1
    EXPECT_EQ(StepOfPosition(kBass, 0), IndexOf(Step::G));
    EXPECT_EQ(StepOfPosition(CodeOf(ClefKind::Soprano), 1), IndexOf(Step::B));
}

// Durations: each code's ticks, the code of a plain length, and agreement with the
// score model's own duration arithmetic; codes outside 4..13 give 0.
TEST_F(PitchTest, DurationCodesConvertToTicksAndBack) {
    EXPECT_EQ(DurationCodeTicks(CodeOf(DurationCode::Note256th)), 16);
    EXPECT_EQ(DurationCodeTicks(CodeOf(DurationCode::Quarter)), 1024);
    EXPECT_EQ(DurationCodeTicks(CodeOf(DurationCode::DoubleWhole)), 8192);
    for (int code = kShortestDurationCode; code <= kLongestDurationCode; ++code) {
        EXPECT_EQ(DurationCodeOfTicks(DurationCodeTicks(code)), code);
        EXPECT_EQ(ComputeDurationTicks(0, 0, code, 0, 0, 0, 0, 0, 0), DurationCodeTicks(code));
    }
    EXPECT_EQ(DurationCodeTicks(3), 0);
    EXPECT_EQ(DurationCodeTicks(14), 0);
    EXPECT_EQ(DurationCodeTicks(-1), 0);
    EXPECT_EQ(DurationCodeOfTicks(1536), 0);  // a dotted quarter has no code
    EXPECT_EQ(DurationCodeOfTicks(0), 0);
}

// Key signatures: counts, sides and the naturals a change must cancel.
TEST_F(PitchTest, KeySignatureCountsSidesAndCancellations) {
    EXPECT_EQ(KeyAccidentalCount(CodeOf(KeyCode::CFlat)), 7);
    EXPECT_EQ(KeyAccidentalCount(kC), 0);
    EXPECT_EQ(KeyAccidentalCount(CodeOf(KeyCode::E)), 4);
    EXPECT_EQ(KeyAccidentalCount(15), 0);
    EXPECT_EQ(KeySide(CodeOf(KeyCode::BFlat)), -1);
    EXPECT_EQ(KeySide(kC), 0);
    EXPECT_EQ(KeySide(CodeOf(KeyCode::A)), 1);
    // Same side: the excess of the old count; across sides: the whole old count.
    EXPECT_EQ(KeyCancelNaturals(CodeOf(KeyCode::E), CodeOf(KeyCode::G)), 3);
    EXPECT_EQ(KeyCancelNaturals(CodeOf(KeyCode::G), CodeOf(KeyCode::E)), 0);
    EXPECT_EQ(KeyCancelNaturals(CodeOf(KeyCode::E), CodeOf(KeyCode::F)), 4);
    EXPECT_EQ(KeyCancelNaturals(CodeOf(KeyCode::EFlat), kC), 3);
    EXPECT_EQ(KeyCancelNaturals(kC, CodeOf(KeyCode::D)), 0);
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

// A pitch frame reads every note as NoteToMidiKey and KeyAlterationAt do, under every
// clef with pitches of its own, every key, every position a note byte holds and every
// code; a TAB frame and a frame of a code out of range are not valid and read 0.
TEST_F(PitchTest, APitchFrameReadsEveryNoteAsTheNoteByNoteFunctions) {
    for (int clef = 0; clef < kClefKindCount; ++clef)
        for (int key = 0; key < kKeyCodeCount; ++key) {
            const PitchFrame frame(clef, key);
            ASSERT_EQ(frame.valid(), clef != kTab);
            if (!frame.valid()) continue;
            for (int position = -128; position <= 127; ++position) {
                ASSERT_EQ(frame.KeyAlteration(position), KeyAlterationAt(clef, key, position))
                    << "clef " << clef << " key " << key << " position " << position;
                for (int code = 0; code <= kLastAccidentalCode; ++code)
                    ASSERT_EQ(frame.MidiKey(position, code),
                              NoteToMidiKey(nullptr, NoteAt(position, code), clef, key))
                        << "clef " << clef << " key " << key << " position " << position
                        << " code " << code;
            }
        }
    for (const PitchFrame& bad : {PitchFrame(kTab, kC), PitchFrame(kClefKindCount, kC),
                                  PitchFrame(kTreble, kKeyCodeCount), PitchFrame(-1, kC)}) {
        EXPECT_FALSE(bad.valid());
        EXPECT_EQ(bad.MidiKey(0, 0), 0);
        EXPECT_EQ(bad.KeyAlteration(0), 0);
    }
}

// Each stored code alters its note by its own semitones whatever the key does to the
// step; None and the codes 6 and 7 sound as the key says, also for an alteration
// outside the key table's -1..+1.
TEST_F(PitchTest, EveryStoredCodeAltersByItsOwnSemitones) {
    constexpr int kOwn[] = {0, 1, 2, -1, -2, 0};  // None (taken from the key) .. Natural
    for (int keyAlteration : {-1, 0, 1}) {
        for (int code = 1; code <= kLastAccidentalCode; ++code)
            EXPECT_EQ(pitch_detail::AlterationOfCode(code, keyAlteration), kOwn[code])
                << "code " << code << " key alteration " << keyAlteration;
        for (int keyCode : {0, 6, 7})
            EXPECT_EQ(pitch_detail::AlterationOfCode(keyCode, keyAlteration), keyAlteration);
    }
    EXPECT_EQ(pitch_detail::AlterationOfCode(0, 2), 2);
    EXPECT_EQ(pitch_detail::AlterationOfCode(CodeOf(AccidentalCode::Flat), 2), -1);
    EXPECT_EQ(pitch_detail::AlterationOfCode(8, -1), -1);
}

// One reading of a position gives what MidiKey and KeyAlteration give apart, and what
// the position sounds with each code.
TEST_F(PitchTest, OneReadingOfAPositionGivesKeyAndAlteration) {
    for (int key = 0; key < kKeyCodeCount; ++key) {
        const PitchFrame frame(kBass, key);
        for (int position = -128; position <= 127; ++position)
            for (int code = 0; code <= kLastAccidentalCode; ++code) {
                const PitchFrame::NoteReading reading = frame.Read(position, code);
                ASSERT_EQ(reading.midiKey, frame.MidiKey(position, code));
                ASSERT_EQ(reading.keyAlteration, frame.KeyAlteration(position));
                ASSERT_EQ(frame.At(position).Sounded(code), reading.midiKey);
            }
    }
    const PitchFrame tab(kTab, kC);
    EXPECT_EQ(tab.Read(0, 1).midiKey, 0);
    EXPECT_EQ(tab.At(0).natural, 0);
}

}  // namespace
}  // namespace ql
