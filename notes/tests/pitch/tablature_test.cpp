// Tablature: the tuning row a staff gets, frets to keys and back on every string of
// every row, and what a note on a TAB staff sounds.
#include "notes/pitch/tablature.h"

#include <gtest/gtest.h>

#include "core/state.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_tables.h"

namespace ql {
namespace {

constexpr int kTab = CodeOf(ClefKind::Tab);
constexpr int kC = CodeOf(KeyCode::C);
constexpr int kGuitarRow = 0;
constexpr int kBassRow = 1;
constexpr int kFiveStringBanjoRow = 2;
constexpr int kUnsetProgramRow = 4;
constexpr int kNylonGuitar = 24;
constexpr int kAcousticBass = 32;
constexpr int kBanjo = 105;

class TablatureTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }
};

StaffRecord TabStaff(int lines, int program, int semitones = 0) {
    StaffRecord staff{};
    staff.flags = static_cast<uint16_t>(lines << kStaffLineCountShift);
    staff.timbres[0].patch = static_cast<uint8_t>(program);
    staff.semitones = static_cast<int8_t>(semitones);
    return staff;
}

EventRecord TabNote(int line, int fret) {
    EventRecord note{};
    SetNotePosition(note, TabPositionOfLine(line));
    if (fret >= 0) {
        EXPECT_TRUE(SetNoteTabFret(note, fret));
    }
    return note;
}

// On every string of every row, each fret 0..12 sounds open + fret, and that key
// gives the fret back; keys below the open string or above fret 12 are refused.
TEST_F(TablatureTest, FretsAndKeysConvertOnEveryStringOfEveryRow) {
    for (int row = 0; row < kTabTuningRows; ++row) {
        const TabTuningRow& tuning = TabTuningRows()[row];
        for (int string = 0; string < tuning.stringCount; ++string) {
            const int open = TabOpenStringKey(row, string);
            ASSERT_EQ(open, tuning.openKeys[string]);
            for (int fret = 0; fret <= kHighestTabFret; ++fret) {
                const int key = TabFretKey(row, string, fret);
                ASSERT_EQ(key, open + fret);
                ASSERT_EQ(TabFretOfKey(row, string, key), fret);
            }
            EXPECT_EQ(TabFretOfKey(row, string, open - 1), kTabRefused);
            EXPECT_EQ(TabFretOfKey(row, string, open + kHighestTabFret + 1), kTabRefused);
            EXPECT_EQ(TabFretKey(row, string, -1), kTabRefused);
            EXPECT_EQ(TabFretKey(row, string, kHighestTabFret + 1), kTabRefused);
        }
        // A string beyond the row is refused, however it is asked for.
        EXPECT_EQ(TabOpenStringKey(row, tuning.stringCount), kTabRefused);
        EXPECT_EQ(TabOpenStringKey(row, -1), kTabRefused);
        EXPECT_EQ(TabFretKey(row, tuning.stringCount, 0), kTabRefused);
        EXPECT_EQ(TabFretOfKey(row, tuning.stringCount, 60), kTabRefused);
    }
    EXPECT_EQ(TabOpenStringKey(kTabTuningRows, 0), kTabRefused);
    EXPECT_EQ(TabOpenStringKey(-1, 0), kTabRefused);
}

// A staff's line, fret and transposition give its key, and the key its fret back, for
// every line of the reachable rows.
TEST_F(TablatureTest, StaffLinesSoundTheirStringsAndFrets) {
    const struct {
        int lines, program, row;
    } staves[] = {{6, kNylonGuitar, kGuitarRow}, {5, kAcousticBass, kBassRow},
                  {4, kAcousticBass, kBassRow},  {5, kBanjo, kFiveStringBanjoRow},
                  {4, -1, kUnsetProgramRow},     {3, kNylonGuitar, kGuitarRow}};
    for (const auto& s : staves) {
        for (int semitones : {0, -2, 12}) {
            const StaffRecord staff = TabStaff(s.lines, s.program, semitones);
            ASSERT_EQ(TabTuningRowFor(StaffProgram(staff), s.lines), s.row);
            const int strings = TabTuningRows()[s.row].stringCount;
            for (int line = 0; line < s.lines; ++line) {
                const int open = TabOpenStringKey(s.row, strings - s.lines + line);
                for (int fret = 0; fret <= kHighestTabFret; ++fret) {
                    const int key = NoteToMidiKey(&staff, TabNote(line, fret), kTab, kC);
                    ASSERT_EQ(key, open + fret + semitones) << s.lines << " " << line;
                    ASSERT_EQ(TabStaffFretOfKey(staff, line, key), fret);
                }
            }
            // A line above the staff's lines lies beyond the row: refused.
            EXPECT_EQ(TabStaffFretOfKey(staff, s.lines, TabOpenStringKey(s.row, 0)), kTabRefused);
        }
    }
}

// Six lines and a guitar program: bottom line 52, top line 76; between lines, below
// the staff or from line 6 up the note sounds 52; a head kind below 19 is the open string.
TEST_F(TablatureTest, GuitarStaffEdgeCases) {
    const StaffRecord staff = TabStaff(6, kNylonGuitar);
    EXPECT_EQ(NoteToMidiKey(&staff, TabNote(0, 0), kTab, kC), 52);
    EXPECT_EQ(NoteToMidiKey(&staff, TabNote(5, 0), kTab, kC), 76);
    EventRecord between = TabNote(2, 3);
    SetNotePosition(between, -5);
    EXPECT_EQ(NoteToMidiKey(&staff, between, kTab, kC), kTabNoStringKey);
    SetNotePosition(between, 2);
    EXPECT_EQ(NoteToMidiKey(&staff, between, kTab, kC), kTabNoStringKey);
    SetNotePosition(between, TabPositionOfLine(6));
    EXPECT_EQ(NoteToMidiKey(&staff, between, kTab, kC), kTabNoStringKey);
    EventRecord plainHead = TabNote(1, -1);
    SetNoteHeadKind(plainHead, 3);
    EXPECT_EQ(NoteToMidiKey(&staff, plainHead, kTab, kC), 57);
    EXPECT_EQ(NoteToMidiKey(nullptr, TabNote(0, 0), kTab, kC), kTabNoStringKey);
    // Frets outside 0..12 are not written.
    EventRecord note = TabNote(0, 4);
    EXPECT_FALSE(SetNoteTabFret(note, 13));
    EXPECT_FALSE(SetNoteTabFret(note, -1));
    EXPECT_EQ(NoteTabFret(note), 4);
}

// Row choice: programs are inclusive signed ranges tried in order with enough
// strings; the unset program (-1) has its own row; anything else falls back to row 0.
TEST_F(TablatureTest, RowChoiceUsesInclusiveProgramRanges) {
    EXPECT_EQ(TabTuningRowFor(24, 6), kGuitarRow);
    EXPECT_EQ(TabTuningRowFor(31, 6), kGuitarRow);
    EXPECT_EQ(TabTuningRowFor(32, 4), kBassRow);
    EXPECT_EQ(TabTuningRowFor(39, 5), kBassRow);
    EXPECT_EQ(TabTuningRowFor(40, 4), kGuitarRow);  // a violin: no row, the fallback
    EXPECT_EQ(TabTuningRowFor(0, 4), kGuitarRow);
    EXPECT_EQ(TabTuningRowFor(kBanjo, 5), kFiveStringBanjoRow);
    EXPECT_EQ(TabTuningRowFor(kBanjo, 4), kFiveStringBanjoRow);
    EXPECT_EQ(TabTuningRowFor(kBanjo + 1, 4), kGuitarRow);
    EXPECT_EQ(TabTuningRowFor(-1, 4), kUnsetProgramRow);
    EXPECT_EQ(TabTuningRowFor(0xFF, 4), kUnsetProgramRow);  // the stored byte of -1
    EXPECT_EQ(TabTuningRowFor(32, 6), kGuitarRow);          // a bass row has only five strings
    EXPECT_EQ(TabTuningRowFor(-1, 5), kGuitarRow);
}

// More lines than the fallback row has strings: the lowest lines have no string and
// sound 52, as every line from the seventh up does; lines 2..5 are strings 0..3.
TEST_F(TablatureTest, LinesBeyondTheFallbackRowHaveNoString) {
    const StaffRecord staff = TabStaff(8, kNylonGuitar);
    EXPECT_EQ(TabStringOfLine(kGuitarRow, 8, 0), kTabRefused);
    EXPECT_EQ(TabStringOfLine(kGuitarRow, 8, 1), kTabRefused);
    EXPECT_EQ(TabStringOfLine(kGuitarRow, 8, 2), 0);
    EXPECT_EQ(NoteToMidiKey(&staff, TabNote(0, 5), kTab, kC), kTabNoStringKey);
    EXPECT_EQ(NoteToMidiKey(&staff, TabNote(2, 0), kTab, kC), 52);
    EXPECT_EQ(NoteToMidiKey(&staff, TabNote(5, 0), kTab, kC), 67);
    EXPECT_EQ(NoteToMidiKey(&staff, TabNote(6, 0), kTab, kC), kTabNoStringKey);
    EXPECT_EQ(TabStaffFretOfKey(staff, 0, 52), kTabRefused);
}

}  // namespace
}  // namespace ql
