// Drawing never counts as an edit: drawing the fixture score twice leaves the pools
// as drawing it once and the document unmodified; the few repairs drawing keeps up to
// date (a missing forward beam link, the marks of a voice hidden by its cell, a
// cross-staff position) are made once and then stay, and a tie-continuation bit
// without its tie is never touched; a cross-staff note is drawn on its other staff with its pitch unchanged.
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/note_redraw.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/drawing/notedraw_fixture.h"

namespace ql::testing_notedraw {
namespace {

constexpr uint16_t kSecondVoiceHidden = 0x0400;  // cell word bit 10
constexpr int32_t kStaffDistanceSteps = 1024 / kStep;

class DrawingRepairs : public NoteDrawTest {
  protected:
    void SetUp() override {
        NoteDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        f_ = BuildFixtureScore(kPlainZoom);
        UseRecordingSurface();
    }
    // The key a cross-staff note sounds: its other-staff position on staff 2.
    int CrossStaffKey(const EventRecord& note) {
        EventRecord onOther = note;
        onOther.step = note.crossStaffPosition;
        MeasureCell* cell = Cell(kCrossTargetStaff, 4);
        return NoteToMidiKey(StaffRecordOf(doc_, kCrossTargetStaff), onOther, CellClef(*cell),
                             CellKey(*cell));
    }
    FixtureNotes f_;
};

// Two draws of the whole score: the pools byte for byte as after one, and the
// document's change counter never moves.
TEST_F(DrawingRepairs, DrawingTwiceLeavesThePoolsAsDrawingOnce) {
    const uint16_t changes = doc_->changeCounter;
    DrawFixtureScore();
    const std::vector<std::byte> once = SnapshotPools();
    const size_t calls = log_.size();
    DrawFixtureScore();
    EXPECT_EQ(SnapshotPools(), once);
    EXPECT_EQ(log_.size(), 2 * calls);  // the same drawing again
    EXPECT_EQ(doc_->changeCounter, changes);
}

// Each repair is made by the first draw and left alone by the next.
TEST_F(DrawingRepairs, RepairsAreMadeOnceAndStay) {
    // A forward link lost while its partner still links back.
    f_.upBeam[1]->beamNext = RecordHandle{};
    // The second voice hidden by its cell.
    EventRecord* hidden = Note(1, 1, 1, 0, kCodeQuarter, 2);
    Cell(1, 1)->cellWord |= kSecondVoiceHidden;
    // A tie into the first measure of the system whose start does not exist.
    f_.second->word2 |= kNoteTieIn;
    // A cross-staff note whose position on the other staff is not worked out yet.
    f_.cross->crossStaffPosition = kNoCrossStaffPosition;
    const int ownStep = SignedStep(*f_.cross);
    const uint16_t changes = doc_->changeCounter;
    DrawFixtureScore();
    EXPECT_EQ(f_.upBeam[1]->beamNext, HandleOfEvent(f_.upBeam[2]));
    EXPECT_EQ(hidden->word2 & (kNoteHeadHidden | kNoteStemHidden),
              kNoteHeadHidden | kNoteStemHidden);
    EXPECT_TRUE(hidden->flags & kNoteVoiceHidden);
    EXPECT_TRUE(f_.second->word2 & kNoteTieIn) << "painting leaves tie bits to the edits";
    EXPECT_EQ(static_cast<int8_t>(f_.cross->crossStaffPosition), ownStep - kStaffDistanceSteps);
    EXPECT_EQ(SignedStep(*f_.cross), ownStep);
    const std::vector<std::byte> once = SnapshotPools();
    DrawFixtureScore();
    EXPECT_EQ(SnapshotPools(), once);
    EXPECT_EQ(doc_->changeCounter, changes);
}

// The cached position on staff 2 holds: the note's own step follows the staves'
// distance, its head lands on staff 2's middle line, and the key it sounds from
// staff 2 stays what it was.
TEST_F(DrawingRepairs, CrossStaffNoteIsDrawnOnTheOtherStaffWithItsPitch) {
    const int key = CrossStaffKey(*f_.cross);
    DrawCell(1, 4);
    EXPECT_EQ(static_cast<int8_t>(f_.cross->crossStaffPosition), kCrossStaffPosition);
    EXPECT_EQ(SignedStep(*f_.cross), kCrossStaffPosition + kStaffDistanceSteps);
    EXPECT_EQ(CrossStaffKey(*f_.cross), key);
    const std::vector<InkCall> heads = Calls(InkPart::Head);
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].points[0].y, BottomY(kCrossTargetStaff) + kCrossStaffPosition * kStep);
    // The staves move apart: the note stays on staff 2's middle line.
    StaffOffsetsOf(doc_->firstPage->firstSystem.get())[kCrossTargetStaff] += 2 * kStep;
    log_.clear();
    DrawCell(1, 4);
    EXPECT_EQ(SignedStep(*f_.cross), kCrossStaffPosition + kStaffDistanceSteps + 2);
    EXPECT_EQ(Calls(InkPart::Head).at(0).points[0].y, heads[0].points[0].y + 2 * kStep);
}

}  // namespace
}  // namespace ql::testing_notedraw
