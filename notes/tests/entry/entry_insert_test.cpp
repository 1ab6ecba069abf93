// Entering notes at the cursor with the Notes tool: values and steps, the room check
// with and without extension, chords, beaming and the pointer's next place.
#include <gtest/gtest.h>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/state.h"
#include "notes/entry/note_entry.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_entry {
namespace {

using EntryInsert = EntryTest;

bool SawNotice(const std::vector<std::string>& texts, const std::string& text) {
    for (const std::string& t : texts)
        if (t.find(text) != std::string::npos) return true;
    return false;
}

// Eight eighths clicked one after the other fill 4/4 in two beam groups of four; the
// pointer moves on by itself after each note.
TEST_F(EntryInsert, EightEighthsByClicksMakeTwoBeamGroupsOfFour) {
    PointAt(0, kMiddleLine);
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(view_->currentMeasure, 1) << "click " << i;
        Click();
    }
    EXPECT_EQ(view_->currentMeasure, 2) << "the last note filled the measure: on to the next";
    UseMeasure(1);
    const std::vector<EventRecord*> chords = Chords();
    ASSERT_EQ(chords.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(chords[i]->time, i * kEighthTicks);
    EXPECT_TRUE(IsOneGroup({chords[0], chords[1], chords[2], chords[3]}));
    EXPECT_TRUE(IsOneGroup({chords[4], chords[5], chords[6], chords[7]}));
}

// A ninth eighth in the full measure (clicked clear of the last note, which it would
// join as a chord) is refused with the notice; nothing changes.
TEST_F(EntryInsert, NoteThatDoesNotFitIsRefused) {
    PointAt(0, kMiddleLine);
    for (int i = 0; i < 8; ++i) Click();
    UseMeasure(1);
    const std::vector<uint8_t> before = PoolBytes();
    PointAt(4000, kMiddleLine);
    Click();
    EXPECT_EQ(view_->currentMeasure, 1);
    EXPECT_TRUE(SawNotice(Notices(), kNoRoomInMeasureNotice));
    EXPECT_EQ(PoolBytes(), before);
    EXPECT_EQ(Voice().size(), 8u);
}

// A note that exactly fills the room left goes in; with "Auto extend measure" on a
// longer one lengthens the measure by exactly the missing ticks.
TEST_F(EntryInsert, ExactFitEntersAndAutoExtendAddsTheMissingTicks) {
    State().notes.NoteTools.selectedEntry = 3;  // quarter
    PointAt(0, kMiddleLine);
    for (int i = 0; i < 3; ++i) Click();
    UseMeasure(1);
    State().notes.NoteTools.selectedEntry = 2;  // half: 1024 missing
    PointAt(3072, kMiddleLine);
    Click();
    EXPECT_EQ(Voice().size(), 3u) << "refused without the option";
    State().notes.AutoExtendMeasure = 1;
    Click();
    UseMeasure(1);
    EXPECT_EQ(Voice().size(), 4u);
    EXPECT_EQ(MeasureRecordOf(doc_, 1)->lengthTicks, 4096 + 1024);
    EXPECT_TRUE(SawNotice(Notices(), "4096ths = 5120"));
    State().notes.NoteTools.selectedEntry = 3;
    UseMeasure(2);
    PointAt(0, kMiddleLine);
    for (int i = 0; i < 4; ++i) Click();
    UseMeasure(2);
    EXPECT_EQ(Voice().size(), 4u) << "the fourth quarter fills the measure exactly";
}

// With Ctrl held the pointer over a chord adds a note to it with the chord's value,
// and the pointer goes back to where the note was entered.
TEST_F(EntryInsert, CtrlClickOverChordJoinsIt) {
    State().notes.NoteTools.selectedEntry = 3;
    PointAt(1024, kMiddleLine);
    Click();
    UseMeasure(1);
    State().notes.NoteTools.selectedEntry = 4;  // the chord's value wins over the palette's
    win::headless::SetKeyDown(win::Key::Control, true);
    PointAt(0, -8);
    const LogicalPoint entered = view_->pointerPoint;
    Click();
    win::headless::SetKeyDown(win::Key::Control, false);
    const std::vector<EventRecord*> notes = Voice();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0]->time, notes[1]->time);
    EXPECT_EQ(notes[0]->duration, kQuarter);
    EXPECT_EQ(notes[1]->duration, kQuarter);
    EXPECT_EQ(SignedStep(*notes[0]), -8);  // a chord is ordered by step
    EXPECT_EQ(view_->pointerPoint.x, entered.x);
    EXPECT_EQ(view_->pointerPoint.y, entered.y);
}

// A third note joins a chord of two: every note stays, ordered by step.
TEST_F(EntryInsert, ThirdNoteJoinsAChordOfTwo) {
    State().notes.NoteTools.selectedEntry = 3;
    PointAt(1024, kMiddleLine);
    Click();
    UseMeasure(1);
    win::headless::SetKeyDown(win::Key::Control, true);
    PointAt(0, -8);
    Click();
    UseMeasure(1);
    PointAt(0, 4);
    Click();
    win::headless::SetKeyDown(win::Key::Control, false);
    const std::vector<EventRecord*> notes = Voice();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0]->time, notes[2]->time);
    EXPECT_LT(SignedStep(*notes[0]), SignedStep(*notes[1]));
    EXPECT_LT(SignedStep(*notes[1]), SignedStep(*notes[2]));
}

// The first note of an empty voice goes right after the head sentinel at the time the
// voice's items leave (0), wherever the pointer is; a time past the measure counts as 0.
TEST_F(EntryInsert, FirstNoteOfEmptyVoiceStartsTheMeasure) {
    PointAt(2048, kMiddleLine);
    Click();
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 1u);
    EXPECT_EQ(Voice()[0]->time, 0);
    EXPECT_TRUE(IsHeadSentinel(*PrevEvent(Voice()[0])));
}

// A voice whose chain has a broken back link is mended before the note goes in: the
// chain is cut at the break and the new note follows what is left.
TEST_F(EntryInsert, DamagedChainIsMendedBeforeEntry) {
    State().notes.NoteTools.selectedEntry = 3;
    Note(0, 0, kQuarter, -4);
    EventRecord* second = Note(0, 1024, kQuarter, -4);
    Note(0, 2048, kQuarter, -4);
    second->prev = RecordHandle{};  // broken back link
    PointAt(3072, kMiddleLine);
    Click();
    UseMeasure(1);
    const std::vector<EventRecord*> notes = Voice();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1]->time, 1024);
    EXPECT_EQ(notes[1]->prev, HandleOfEvent(notes[0]));
}

// A measure standing for a multi-measure rest takes no note.
TEST_F(EntryInsert, MultiMeasureRestTakesNoNote) {
    MeasureRecordOf(doc_, 1)->extra = 3;
    PointAt(0, kMiddleLine);
    EXPECT_EQ(InsertNoteAtCursor(view_), nullptr);
    EXPECT_TRUE(SawNotice(Notices(), kMultiMeasureRestNotice));
    EXPECT_TRUE(Voice().empty());
}

// An unset voice slot gets port 0 and channel 0 at the first entry into that voice.
TEST_F(EntryInsert, UnsetVoicePortIsAssignedOnEntry) {
    view_->voiceMask = 0x02;  // voice 2
    StaffRecord* staff = view_->currentStaffRecord;
    ASSERT_EQ(staff->timbres[1].port, kNoTimbrePort);
    PointAt(0, kMiddleLine);
    Click();
    EXPECT_EQ(staff->timbres[1].port, 0);
    EXPECT_EQ(staff->timbres[1].channel, 0);
}

}  // namespace
}  // namespace ql::testing_entry
