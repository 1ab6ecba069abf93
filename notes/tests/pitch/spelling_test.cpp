// Spelling a MIDI key as a staff position and accidental: whatever the clef, key,
// mode and preferences, the note written must sound the key played; and the
// spellings the user asks for (flat or sharp per interval) are the ones written.
#include "notes/pitch/spelling.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>

#include "core/state.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/spelling_preferences.h"

namespace ql {
namespace {

constexpr int kTreble = CodeOf(ClefKind::Treble);
constexpr int kSoprano = CodeOf(ClefKind::Soprano);
constexpr int kTab = CodeOf(ClefKind::Tab);
constexpr int kNone = CodeOf(AccidentalCode::None);
constexpr int kSharp = CodeOf(AccidentalCode::Sharp);
constexpr int kFlat = CodeOf(AccidentalCode::Flat);
constexpr int kDoubleFlat = CodeOf(AccidentalCode::DoubleFlat);
constexpr int kNatural = CodeOf(AccidentalCode::Natural);

class SpellingTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }

    // Spells into a fresh note; returns SpellPitch's result.
    int Spell(int clef, int key, int midiKey, bool minor = false) {
        note_ = EventRecord{};
        return SpellPitchInMode(minor, clef, midiKey, clef, key, note_);
    }
    void SetTable(bool minor, const int8_t (&values)[kSpellingIntervals]) {
        for (int i = 0; i < kSpellingIntervals; ++i) SetSpellingPreference(minor, i, values[i]);
    }

    EventRecord note_{};
};

// The code the key signature gives the note's final position, as SpellPitch reports it.
int KeyCodeAt(int clef, int key, int position) {
    const int a = KeyAlterationAt(clef, key, position);
    return a < 0 ? kFlat : (a > 0 ? kSharp : 0);
}

// Checks every clef (but TAB) x key x mode x MIDI key under the current preferences:
// the note written sounds the key, with a code 0..5 and a real position, and the
// result names the key's sign exactly when the note was left without a code.
void ExpectEverySpellingSoundsItsKey(const char* profile) {
    for (int clef = 0; clef < kClefKindCount; ++clef) {
        if (clef == kTab) continue;
        for (int key = 0; key < kKeyCodeCount; ++key) {
            for (bool minor : {false, true}) {
                for (int midiKey = kLowestMidiKey; midiKey <= kHighestMidiKey; ++midiKey) {
                    EventRecord note{};
                    const int result = SpellPitchInMode(minor, clef, midiKey, clef, key, note);
                    const int code = NoteAccidentalBits(note);
                    const int position = NotePosition(note);
                    const int expected = code == kNone ? KeyCodeAt(clef, key, position) : 0;
                    if (code <= kLastAccidentalCode && position != kNoStaffPosition &&
                        NoteToMidiKey(nullptr, note, clef, key) == midiKey && result == expected)
                        continue;
                    ADD_FAILURE() << profile << ": clef " << clef << " key " << key
                                  << (minor ? " minor" : " major") << " MIDI " << midiKey
                                  << " -> position " << position << " code " << code << " sounds "
                                  << NoteToMidiKey(nullptr, note, clef, key) << ", result "
                                  << result;
                    return;
                }
            }
        }
    }
}

// With the built-in preferences, every spelling sounds the key played.
TEST_F(SpellingTest, DefaultPreferencesSoundEveryKeyPlayed) {
    ExpectEverySpellingSoundsItsKey("default");
}

// Any signs at any interval (flats, sharps, preferences at the key's own degrees)
// still sound the key played: only the spelling changes.
TEST_F(SpellingTest, AnyPreferenceSignsSoundEveryKeyPlayed) {
    const int8_t allFlat[kSpellingIntervals] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    const int8_t allSharp[kSpellingIntervals] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (bool minor : {false, true}) SetTable(minor, allFlat);
    ExpectEverySpellingSoundsItsKey("all flat");
    for (bool minor : {false, true}) SetTable(minor, allSharp);
    ExpectEverySpellingSoundsItsKey("all sharp");
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> sign(-1, 1);
    for (int round = 0; round < 3; ++round) {
        for (bool minor : {false, true})
            for (int i = 0; i < kSpellingIntervals; ++i)
                SetSpellingPreference(minor, i,
                                      IsBlackPitchClass(i) ? (sign(random) | 1) : sign(random));
        ExpectEverySpellingSoundsItsKey("random signs");
    }
}

// A profile with 0 at the black-key intervals spells as the built-in defaults do,
// so nothing sounds a semitone off; the stored profile keeps its zeros.
TEST_F(SpellingTest, ZeroAtABlackKeyIntervalSpellsAsTheDefault) {
    LoadSpellingPreferences("0,0,0,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0");
    ExpectEverySpellingSoundsItsKey("zeros");
    EXPECT_EQ(SpellingPreferencesOf(false)[1], 0);
    EXPECT_EQ(SpellingPreferencesOf(true)[6], 0);
    // C major, MIDI 61: the default's sharp above the tonic, not D with no sign.
    Spell(kTreble, CodeOf(KeyCode::C), 61);
    EXPECT_EQ(NotePosition(note_), 2);
    EXPECT_EQ(NoteAccidentalBits(note_), kSharp);
}

// The Part's own examples of spelling in the treble clef.
TEST_F(SpellingTest, SpellsTheExamplesOfTheTrebleClef) {
    // C major, 61: C-sharp on the C below the staff.
    EXPECT_EQ(Spell(kTreble, CodeOf(KeyCode::C), 61), 0);
    EXPECT_EQ(NotePosition(note_), 2);
    EXPECT_EQ(NoteAccidentalBits(note_), kSharp);
    // F major, 70: B with no sign; the key's flat is reported.
    EXPECT_EQ(Spell(kTreble, CodeOf(KeyCode::F), 70), kFlat);
    EXPECT_EQ(NotePosition(note_), -4);
    EXPECT_EQ(NoteAccidentalBits(note_), kNone);
    // G major, 65: F with a natural sign; 66: F with no sign, the key's sharp reported.
    EXPECT_EQ(Spell(kTreble, CodeOf(KeyCode::G), 65), 0);
    EXPECT_EQ(NotePosition(note_), -1);
    EXPECT_EQ(NoteAccidentalBits(note_), kNatural);
    EXPECT_EQ(Spell(kTreble, CodeOf(KeyCode::G), 66), kSharp);
    EXPECT_EQ(NotePosition(note_), -1);
    EXPECT_EQ(NoteAccidentalBits(note_), kNone);
    // C-sharp major, 65: E-sharp through the key.
    EXPECT_EQ(Spell(kTreble, CodeOf(KeyCode::CSharp), 65), kSharp);
    EXPECT_EQ(NotePosition(note_), 0);
    EXPECT_EQ(NoteAccidentalBits(note_), kNone);
}

// A percussion staff's key signature alters nothing, so a black key of the key's own
// scale gets its sign written: F-sharp in D major, B-flat in B-flat major.
TEST_F(SpellingTest, PercussionStaffWritesTheSignsOfTheKey) {
    const int percussion = CodeOf(ClefKind::Percussion);
    EXPECT_EQ(Spell(percussion, CodeOf(KeyCode::D), 54), 0);
    EXPECT_EQ(NotePosition(note_), -6);  // F
    EXPECT_EQ(NoteAccidentalBits(note_), kSharp);
    EXPECT_EQ(Spell(percussion, CodeOf(KeyCode::BFlat), 58), 0);
    EXPECT_EQ(NotePosition(note_), -9);  // B
    EXPECT_EQ(NoteAccidentalBits(note_), kFlat);
}

// A flat preference at a white pitch class: F-flat for class 4, E double flat for 2.
TEST_F(SpellingTest, FlatPreferenceOnWhitePitchClassesGivesFFlatOrDoubleFlat) {
    SetSpellingPreference(false, 4, -1);
    SetSpellingPreference(false, 2, -1);
    Spell(kTreble, CodeOf(KeyCode::C), 64);
    EXPECT_EQ(NotePosition(note_), -1);  // F
    EXPECT_EQ(NoteAccidentalBits(note_), kFlat);
    Spell(kTreble, CodeOf(KeyCode::C), 62);
    EXPECT_EQ(NotePosition(note_), 0);  // E
    EXPECT_EQ(NoteAccidentalBits(note_), kDoubleFlat);
}

// Minor keys use the minor table: the raised seventh of A minor is G-sharp, where
// C major spells the same key as A-flat.
TEST_F(SpellingTest, MinorModeUsesTheMinorTable) {
    Spell(kTreble, CodeOf(KeyCode::C), 68, false);
    EXPECT_EQ(NotePosition(note_), -3);  // A
    EXPECT_EQ(NoteAccidentalBits(note_), kFlat);
    Spell(kTreble, CodeOf(KeyCode::C), 68, true);
    EXPECT_EQ(NotePosition(note_), -2);  // G
    EXPECT_EQ(NoteAccidentalBits(note_), kSharp);
}

// The rotated copy follows every change: of key, of mode and of the tables.
TEST_F(SpellingTest, CachedPreferencesFollowKeyModeAndTableChanges) {
    EXPECT_EQ(SpellingPreferenceFor(CodeOf(KeyCode::C), false, 1), 1);
    EXPECT_EQ(SpellingPreferenceFor(CodeOf(KeyCode::D), false, 3), 1);  // interval 1 of D
    EXPECT_EQ(SpellingPreferenceFor(CodeOf(KeyCode::C), true, 3), 1);   // minor: sharp above 3
    EXPECT_EQ(SpellingPreferenceFor(CodeOf(KeyCode::C), false, 3), -1);
    SetSpellingPreference(false, 1, -1);
    Spell(kTreble, CodeOf(KeyCode::C), 61);
    EXPECT_EQ(NotePosition(note_), 1);  // D-flat now
    EXPECT_EQ(NoteAccidentalBits(note_), kFlat);
    LoadSpellingPreferences(kMajorSpellingDefault, nullptr);
    Spell(kTreble, CodeOf(KeyCode::C), 61);
    EXPECT_EQ(NoteAccidentalBits(note_), kSharp);
}

// A speller keeps the preferences of its own key while another key's are read: two
// spellers used in turn spell every key as a single spelling in their key does
// (pitch class 3 is E-flat in C but D-sharp in D).
TEST_F(SpellingTest, SpellersOfTwoKeysUsedInTurnKeepTheirOwnPreferences) {
    const int c = CodeOf(KeyCode::C);
    const int d = CodeOf(KeyCode::D);
    const PitchSpeller inC(false, kTreble, kTreble, c);
    const PitchSpeller inD(false, kTreble, kTreble, d);  // built last: the shared copy is D's
    for (int midiKey = kLowestMidiKey; midiKey <= kHighestMidiKey; ++midiKey) {
        for (const auto& [speller, key] : {std::pair{&inC, c}, std::pair{&inD, d}}) {
            EventRecord byVoice{};
            const int given = speller->Spell(midiKey, byVoice);
            const int alone = Spell(kTreble, key, midiKey);
            EXPECT_EQ(given, alone) << "key " << key << " midi " << midiKey;
            EXPECT_EQ(NotePosition(byVoice), NotePosition(note_)) << "key " << key << " midi " << midiKey;
            EXPECT_EQ(NoteAccidentalBits(byVoice), NoteAccidentalBits(note_)) << midiKey;
        }
    }
    EventRecord note{};
    inC.Spell(63, note);
    EXPECT_EQ(NoteAccidentalBits(note), kFlat);
    inD.Spell(63, note);
    EXPECT_EQ(NoteAccidentalBits(note), kSharp);
}

// The profile texts: the defaults give the start-up tables; a text with fewer than
// twelve numbers leaves the table as it was.
TEST_F(SpellingTest, ProfileTextsAreStoredOnlyWhenComplete) {
    const SpellingPreferenceTable startUp{};
    int8_t parsed[kSpellingIntervals] = {};
    ASSERT_TRUE(ParseSpellingPreferences(kMajorSpellingDefault, parsed));
    EXPECT_EQ(std::memcmp(parsed, startUp.major, sizeof parsed), 0);
    ASSERT_TRUE(ParseSpellingPreferences(kMinorSpellingDefault, parsed));
    EXPECT_EQ(std::memcmp(parsed, startUp.minor, sizeof parsed), 0);
    LoadSpellingPreferences("1,1,1,1,1,1,1,1,1,1,1", "-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1");
    EXPECT_EQ(std::memcmp(SpellingPreferencesOf(false), startUp.major, sizeof parsed), 0);
    EXPECT_EQ(SpellingPreferencesOf(true)[0], -1);
    EXPECT_FALSE(ParseSpellingPreferences(nullptr, parsed));
    EXPECT_FALSE(SetSpellingPreference(false, 12, 1));
    EXPECT_FALSE(SetSpellingPreference(false, -1, 1));
}

// Bad codes and keys are refused and leave the note as it was.
TEST_F(SpellingTest, BadInputWritesNothing) {
    const EventRecord before = [] {
        EventRecord n{};
        n.step = 5;
        n.flags = 0x0006;
        return n;
    }();
    for (auto [clef, key, midiKey] :
         {std::tuple{15, 7, 60}, std::tuple{0, 15, 60}, std::tuple{0, 7, -1}, std::tuple{0, 7, 128},
          std::tuple{255, 255, 1000}}) {
        EventRecord note = before;
        EXPECT_EQ(SpellPitchInMode(false, clef, midiKey, clef, key, note), 0);
        EXPECT_EQ(std::memcmp(&note, &before, sizeof note), 0);
    }
    EventRecord note = before;
    EXPECT_EQ(SpellPitchInMode(false, 0, 60, 15, 7, note), 0);  // bad key clef
    EXPECT_EQ(std::memcmp(&note, &before, sizeof note), 0);
    EXPECT_EQ(SpellingPreferenceFor(15, false, 1), 0);
    EXPECT_EQ(SpellingPreferenceFor(7, false, 12), 0);
}

// Soprano clef: the bottom line is middle C, the B below it one step down.
TEST_F(SpellingTest, SopranoClefPlacesMiddleCOnTheBottomLine) {
    EXPECT_EQ(PitchToStaffPosition(kSoprano, 59), 1);
    EXPECT_EQ(PitchToStaffPosition(kSoprano, 60), 0);
    EXPECT_EQ(PitchToStaffPosition(kSoprano, 61), kPitchRaised);
}

}  // namespace
}  // namespace ql
