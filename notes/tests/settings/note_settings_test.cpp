// The Note Settings dialog driven by scripts: what it shows, what OK writes back
// (typed values clamped to the shown ranges with one beep), that Cancel and a
// "Cross staff" click followed by Cancel leave the note and the undo history as they
// were, and that OK applies the cross-staff change to the note itself.
#include <gtest/gtest.h>

#include <cstring>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/undo/undo.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch.h"
#include "notes/settings/note_dialog_resources.h"
#include "notes/settings/note_settings_dialog.h"
#include "notes/tests/pitch/pitch_fixture.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/headless.h"

namespace ql::testing_pitch {
namespace {

namespace nsd = note_settings_dialog;

constexpr int kTreble = CodeOf(ClefKind::Treble);
constexpr int kC = CodeOf(KeyCode::C);
constexpr uint8_t kHalf = CodeOf(DurationCode::Half);
constexpr uint8_t kWhole = CodeOf(DurationCode::Whole);

class NoteSettingsTest : public PitchScoreTest {
  protected:
    void SetUp() override {
        PitchScoreTest::SetUp();
        win::headless::ResetWindowLayer();
        sys::SetProgramBundle(nullptr);
        RegisterNoteDialogResources();
        cell_ = CellWith(kTreble, kC);
        note_ = AddNote(cell_, 0, -2, 0);
    }
    void TearDown() override {
        sys::SetProgramBundle(nullptr);
        win::headless::ResetWindowLayer();
        PitchScoreTest::TearDown();
    }
    intptr_t Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(nsd::kDialogId, std::move(script));
        return RunNoteSettingsDialog(view_, note_);
    }
    MeasureCell* cell_ = nullptr;
    EventRecord* note_ = nullptr;
};

// Delay limits: a half note -2048..2048 and release up to 4096; a whole note and a
// double whole 4096 both ways; no note 2048.
TEST_F(NoteSettingsTest, DelayLimitsFollowTheDuration) {
    EventRecord half{};
    half.duration = kHalf;
    EXPECT_EQ(ResetNoteDefaults(&half).limit, 2048);
    EXPECT_EQ(ResetNoteDefaults(&half).releaseMax, 4096);
    EventRecord whole{};
    whole.duration = kWhole;
    EXPECT_EQ(ResetNoteDefaults(&whole).limit, 4096);
    EXPECT_EQ(ResetNoteDefaults(&whole).releaseMax, 4096);
    whole.duration = CodeOf(DurationCode::DoubleWhole);
    EXPECT_EQ(ResetNoteDefaults(&whole).limit, 4096);
    EXPECT_EQ(ResetNoteDefaults(nullptr).limit, 2048);
    // A damaged code counts as no note.
    whole.duration = 40;
    EXPECT_EQ(ResetNoteDefaults(&whole).limit, 2048);
}

// The dialog shows the duration, the ranges and the note's values; Cancel after
// changing everything leaves the note's bytes and the undo history alone.
TEST_F(NoteSettingsTest, CancelChangesNothing) {
    note_->duration = kHalf;
    note_->attack = 100;
    EventRecord before = *note_;
    const int depth = UndoDepth(doc_);
    const intptr_t result = Run([](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Text(nsd::kDurationName), "Half note");
        EXPECT_EQ(d.Text(nsd::kAttackRange), "(-2048 - 2048)");
        EXPECT_EQ(d.Text(nsd::kReleaseRange), "(-2048 - 4096)");
        EXPECT_EQ(d.Int(nsd::kAttack), 100);
        EXPECT_EQ(d.Int(nsd::kTimbre), 0);
        d.SetChecked(nsd::kStaccato, true);
        d.SetChecked(nsd::kCrossStaff, true);
        d.Type(nsd::kVelocity, "40");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(std::memcmp(&before, note_, sizeof before), 0);
    EXPECT_EQ(UndoDepth(doc_), depth);
}

// "Cross staff" then Cancel: the note stays on its staff (the box only flipped).
TEST_F(NoteSettingsTest, CrossStaffThenCancelChangesNothing) {
    EventRecord before = *note_;
    Run([](ui::headless::DialogDriver& d) {
        d.Click(nsd::kCrossStaff);
        EXPECT_TRUE(d.IsChecked(nsd::kCrossStaff));
        d.PressEscape();
    });
    EXPECT_FALSE(IsCrossStaff(*note_));
    EXPECT_EQ(std::memcmp(&before, note_, sizeof before), 0);
}

// In a beam group the same: "Cross staff" then Cancel leaves the note's partner in
// the group (its stem and links) and the undo history as they were.
TEST_F(NoteSettingsTest, CrossStaffThenCancelLeavesTheBeamGroupAlone) {
    constexpr int kSixteenthTicks = 256;
    EventRecord* partner = AddNote(cell_, kSixteenthTicks, -3, 0);
    ASSERT_NE(partner, nullptr);
    note_->beamNext = HandleOfEvent(partner);
    partner->beamPrev = HandleOfEvent(note_);
    const EventRecord beforeNote = *note_;
    const EventRecord beforePartner = *partner;
    const int depth = UndoDepth(doc_);
    Run([](ui::headless::DialogDriver& d) {
        d.Click(nsd::kCrossStaff);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(std::memcmp(&beforeNote, note_, sizeof beforeNote), 0);
    EXPECT_EQ(std::memcmp(&beforePartner, partner, sizeof beforePartner), 0);
    EXPECT_EQ(UndoDepth(doc_), depth);
}

// OK: typed values outside their ranges are clamped with one beep; text that is no
// number keeps the value; the flags and the cross-staff change reach the note in one
// undo step.
TEST_F(NoteSettingsTest, OkClampsTypedValuesWithOneBeep) {
    note_->duration = kHalf;
    note_->release = 7;
    const int depth = UndoDepth(doc_);
    ui::headless::ResetUi();
    const intptr_t result = Run([](ui::headless::DialogDriver& d) {
        d.Type(nsd::kVelocity, "300");
        d.Type(nsd::kTimbre, "9");
        d.Type(nsd::kAttack, "-99999");
        d.Type(nsd::kRelease, "soon");
        d.SetChecked(nsd::kLegato, true);
        d.SetChecked(nsd::kCrossStaff, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(note_->velocity, 127);
    EXPECT_EQ(note_->attack, -2048);
    EXPECT_EQ(note_->release, 7);
    EXPECT_NE(note_->word2 & kNoteLegato, 0);
    EXPECT_TRUE(IsCrossStaff(*note_));
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
}

// OK with "Cross staff" runs the Notes tool's toggle: the note keeps its pitch, its
// place on the other staff worked out from the two clefs.
TEST_F(NoteSettingsTest, OkWithCrossStaffKeepsThePitch) {
    const int before = NoteToMidiKey(Staff(1), *note_, kTreble, kC);
    Run([](ui::headless::DialogDriver& d) {
        d.SetChecked(nsd::kCrossStaff, true);
        d.Click(ui::kIdOk);
    });
    ASSERT_TRUE(IsCrossStaff(*note_));
    EXPECT_NE(note_->crossStaffPosition, kNoCrossStaffPosition) << "the place on the other staff was left open";
    EXPECT_EQ(static_cast<int8_t>(note_->crossStaffPosition), -2) << "both staves read the treble clef here";
    // Off again through the dialog: the note is back on its staff with its pitch.
    Run([](ui::headless::DialogDriver& d) {
        d.SetChecked(nsd::kCrossStaff, false);
        d.Click(ui::kIdOk);
    });
    EXPECT_FALSE(IsCrossStaff(*note_));
    EXPECT_EQ(NoteToMidiKey(Staff(1), *note_, kTreble, kC), before);
}

// Timbre 0 marks the staff's timbre; 1..4 clear the mark and store timbre - 1.
TEST_F(NoteSettingsTest, TimbreZeroMeansTheStaffTimbre) {
    Run([](ui::headless::DialogDriver& d) {
        d.Type(nsd::kTimbre, "3");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(note_->flags & 0x0040, 0);
    EXPECT_EQ((note_->word2 >> 2) & 3, 2);
    Run([](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Int(nsd::kTimbre), 3);
        d.Type(nsd::kTimbre, "0");
        d.Click(ui::kIdOk);
    });
    EXPECT_NE(note_->flags & 0x0040, 0);
}

// A stored attack outside the normal range is shown and kept by OK; the range text
// still shows the normal range. The scroll bar steps inside the widened range and
// beeps at its end.
TEST_F(NoteSettingsTest, StoredValueOutsideTheRangeWidensIt) {
    note_->duration = CodeOf(DurationCode::Quarter);
    note_->attack = 3000;
    ui::headless::ResetUi();
    Run([](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Text(nsd::kAttackRange), "(-1024 - 1024)");
        EXPECT_EQ(d.Int(nsd::kAttack), 3000);
        d.Scroll(nsd::kAttackBar, win::ScrollCode::LineUp);  // 3001: past the widened end
        EXPECT_EQ(d.Int(nsd::kAttack), 3000);
        d.Scroll(nsd::kAttackBar, win::ScrollCode::LineDown);
        EXPECT_EQ(d.Int(nsd::kAttack), 2999);
        d.Scroll(nsd::kAttackBar, win::ScrollCode::LineUp);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(note_->attack, 3000);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
}

}  // namespace
}  // namespace ql::testing_pitch
