// The small rules of entry: the value from the palette, the step under the pointer,
// the first stem of a new note, the palette toggles and the head offsets between voices.
#include <gtest/gtest.h>

#include "core/state.h"
#include "notes/entry/note_entry.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

using EntryRules = EntryTest;

int CodeOf(int entry, uint8_t strip = kNormalNoteStrip) {
    NoteToolState& tools = State().notes.NoteTools;
    tools.selectedEntry = static_cast<uint16_t>(entry);
    tools.strips[entry] = strip;
    return PaletteDurationCode();
}

// Palette entries give their values; entry 1's strip chooses whole or double whole;
// entries from 6 on read their strip (15 thirty-second, 37 sixty-fourth, 38 128th).
TEST_F(EntryRules, PaletteEntryGivesTheDurationCode) {
    EXPECT_EQ(CodeOf(0), 13);
    EXPECT_EQ(CodeOf(1), 12);
    EXPECT_EQ(CodeOf(1, 0), 13);
    EXPECT_EQ(CodeOf(2), 11);
    EXPECT_EQ(CodeOf(5), 8);
    EXPECT_EQ(CodeOf(6), 7);
    EXPECT_EQ(CodeOf(6, 37), 6);
    EXPECT_EQ(CodeOf(7, 38), 5);
    EXPECT_EQ(CodeOf(7, 200), 7) << "a strip the palette never shows";
    // The whole-note rule also rewrites a chord's value when entry 1 is selected.
    State().notes.NoteTools.strips[1] = kNormalNoteStrip;
    State().notes.NoteTools.selectedEntry = 1;
    EXPECT_EQ(ApplyWholeNoteEntry(kQuarter), 12);
    State().notes.NoteTools.selectedEntry = 3;
    EXPECT_EQ(ApplyWholeNoteEntry(kQuarter), kQuarter);
}

// The step under a y rounds to the nearest 64 units, negative upwards.
TEST_F(EntryRules, StepUnderPointerRoundsToNearestStep) {
    const int32_t base = StaffBaseY(view_);
    EXPECT_EQ(StepAtY(view_, base), 0);
    EXPECT_EQ(StepAtY(view_, base + 31), 0);
    EXPECT_EQ(StepAtY(view_, base + 32), 1);
    EXPECT_EQ(StepAtY(view_, base - 32), -1);
    EXPECT_EQ(StepAtY(view_, base - 64 * 4 - 20), -4);
}

// Stem mode 1 forces up, 2 down; mode 0 points up exactly below the middle line.
TEST_F(EntryRules, FirstStemFollowsStemMode) {
    const StaffRecord* staff = view_->currentStaffRecord;
    State().notes.StemMode = 0;
    EXPECT_EQ(EntryStemUp(staff, kMiddleLine), 0);
    EXPECT_EQ(EntryStemUp(staff, kMiddleLine + 1), 1);
    EXPECT_EQ(EntryStemUp(staff, kMiddleLine - 1), 0);
    State().notes.StemMode = 1;
    EXPECT_EQ(EntryStemUp(staff, -12), 1);
    State().notes.StemMode = 2;
    EXPECT_EQ(EntryStemUp(staff, 4), 0);
}

// The tuplet toggle writes a fixed ratio's index, or its own ratio; dots by strip.
TEST_F(EntryRules, PaletteTogglesAreWrittenIntoTheNote) {
    NoteToolState& tools = State().notes.NoteTools;
    EventRecord note{};
    tools.tupletOn = 1;
    tools.tupletActual = 5;
    tools.tupletNormal = 4;
    ApplyPaletteModifiers(&note);
    EXPECT_EQ(note.tupletKind, 1);
    EXPECT_EQ(note.tupletRatio, 1);
    tools.tupletActual = 7;
    tools.tupletNormal = 2;
    ApplyPaletteModifiers(&note);
    EXPECT_EQ(note.tupletKind, 2);
    EXPECT_EQ(note.tupletRatio, 0x72);
    tools.dotsOn = 1;
    tools.dotsStrip = 38;
    ApplyPaletteModifiers(&note);
    EXPECT_EQ(note.word2 & kEventDotsMask, 2);
    tools.noteHeadOn = 1;
    tools.noteHeadEntry = 2;
    ApplyPaletteModifiers(&note);
    EXPECT_EQ(note.flags >> 11, 3);
}

// Heads of another voice at the same time: a unison half against a quarter whose stem
// points towards it moves by 16; a second between such notes by 8, or -8 when the new
// note is the higher one.
TEST_F(EntryRules, HeadsMoveAwayFromOtherVoices) {
    EventRecord* other = Note(1, 0, kQuarter, -2);
    other->flags &= static_cast<uint16_t>(~kEventStemFlag);  // stem down, from above
    EventRecord* unison = Note(0, 0, kHalf, -2);
    unison->flags |= kEventStemFlag;
    unison->nudge = 0;
    EXPECT_EQ(OffsetHeadsAgainstOtherVoices(view_, unison, 0), 16);
    // The other note more dotted: -12.
    unison->nudge = 0;
    other->word2 |= 1;
    EXPECT_EQ(OffsetHeadsAgainstOtherVoices(view_, unison, 0), -12);
    other->word2 &= static_cast<uint16_t>(~kEventDotsMask);
    // A second, stems towards each other: the lower new note +8.
    EventRecord* second = Note(2, 2048, kQuarter, 0);
    second->flags |= kEventStemFlag;
    EventRecord* upper = Note(3, 2048, kQuarter, -1);
    upper->flags &= static_cast<uint16_t>(~kEventStemFlag);
    EXPECT_EQ(OffsetHeadsAgainstOtherVoices(view_, second, 2), 8);
}

}  // namespace
}  // namespace ql::testing_entry
