// Copy and Copy to End take the marquee's block: the staves whose middles it covers
// and the measures from the first whose right barline lies right of its left edge to
// the last whose right barline lies inside it; Copy to End runs on to the last
// measure with music, or to a time-signature change after it.
#include "editing/tests/marquee_fixture.h"

#include "core/model/beat_map_record.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "editing/block_clipboard.h"
#include "editing/block_range.h"
#include "editing/marquee.h"
#include "notes/beatmap/beat_map.h"

namespace ql::testing_editing {
namespace {

constexpr int32_t kStaffHeight = 512;

class BlockSourceTest : public MarqueeTest {
  protected:
    void SetUp() override {
        staffCount_ = 2;
        MarqueeTest::SetUp();
        system_ = doc_->firstPage->firstSystem.get();
        ASSERT_NE(system_, nullptr);
        UpdateBeatMaps(view_, 1);
        ClearBlockClipboard();
    }
    void TearDown() override {
        ClearBlockClipboard();
        MarqueeTest::TearDown();
    }
    // Where a measure's slot opens (its left barline), in logical units.
    int32_t SlotLeft(int measure) const {
        return system_->x + view_->beatMap.slotX[BeatMapCell(system_->number, measure - system_->firstMeasure + 1)];
    }
    // A marquee over both staves from just inside one measure's left barline to just
    // right of another's right barline.
    void MarqueeOver(int first, int last) {
        const uint16_t* offsets = StaffOffsetsOf(system_);
        const int32_t top = system_->y + offsets[1] - kStaffHeight - 64;
        const int32_t bottom = system_->y + offsets[2] + 64;
        const int32_t right = last < 4 ? SlotLeft(last + 1) + 32 : SlotLeft(4) + 100000;
        DrawMarquee(SlotLeft(first) + 32, top, right, bottom);
    }
    BlockSource& Source() { return State().blockClipboard.source; }
    void NoteIn(int measure) {
        ASSERT_NE(AddEventToVoice(view_, GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, measure), 0, 0, 10, 0),
                  nullptr);
    }

    const ScoreSystem* system_ = nullptr;
};

TEST_F(BlockSourceTest, CopyTakesTheMeasuresWhoseRightBarlineTheMarqueeReaches) {
    MarqueeOver(2, 3);
    ASSERT_NE(CurrentMarquee(), nullptr);
    ASSERT_EQ(SetBlockSource(view_), 1);
    EXPECT_EQ(CurrentMarquee(), nullptr) << "the copy takes the focus from the marquee";
    EXPECT_TRUE(BlockHeld());
    EXPECT_EQ(Source().document, doc_);
    EXPECT_EQ(Source().firstStaff, 1);
    EXPECT_EQ(Source().lastStaff, 2);
    EXPECT_EQ(Source().firstMeasure, 2);
    EXPECT_EQ(Source().lastMeasure, 3);
}

// Without a marquee there is no block range: Copy takes nothing and keeps the block.
TEST_F(BlockSourceTest, NoMarqueeNoBlock) {
    Source().document = doc_;
    EXPECT_EQ(SetBlockSource(view_), 0);
    EXPECT_TRUE(BlockHeld());
}

// Copy to End: on to the last measure with music, or, after it, to the last measure
// before a time-signature change.
TEST_F(BlockSourceTest, CopyToEndRunsOnToTheMusicOrASignatureChange) {
    NoteIn(3);
    MarqueeOver(1, 1);
    ASSERT_EQ(SetBlockSourceRange(view_), 1);
    EXPECT_EQ(Source().firstMeasure, 1);
    EXPECT_EQ(Source().lastMeasure, 3) << "the music ends in measure 3";

    GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 2)->beats = 3;
    GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 3)->beats = 3;
    GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 4)->beats = 3;
    GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 5)->beats = 2;
    doc_->header.measureCount = 5;
    FreeEventChain(GetVoiceHead(GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 3), 0));
    NoteIn(2);
    MarqueeOver(1, 1);  // the copy took the focus from the first marquee
    ASSERT_EQ(SetBlockSourceRange(view_), 1);
    EXPECT_EQ(Source().lastMeasure, 4) << "the measure before the change after the music";
}

// A rectangle given by the caller is the range, marquee or none; a staff hidden in
// the system is not taken, and a rectangle between two staves covers none.
TEST_F(BlockSourceTest, GivenRectangleCoversItsVisibleStaves) {
    const uint16_t* offsets = StaffOffsetsOf(system_);
    const int32_t staff1Bottom = system_->y + offsets[1];
    const int32_t staff2Bottom = system_->y + offsets[2];
    BlockRange range;
    // Over staff 2 only, with no marquee drawn.
    const gfx::Rect lower{SlotLeft(1) + 32, staff2Bottom - kStaffHeight - 16, SlotLeft(2) + 32, staff2Bottom + 16};
    ASSERT_EQ(MarqueeToBlockRange(view_, &range, &lower), 1);
    EXPECT_EQ(range.firstStaff, 2);
    EXPECT_EQ(range.lastStaff, 2);
    EXPECT_EQ(range.firstMeasure, 1);
    EXPECT_EQ(range.lastMeasure, 1);
    // Over both staves, staff 1 hidden in the system.
    const gfx::Rect both{SlotLeft(1) + 32, staff1Bottom - kStaffHeight - 16, SlotLeft(3) + 32, staff2Bottom + 16};
    StaffFlagsOf(system_)[1] = -128;
    ASSERT_EQ(MarqueeToBlockRange(view_, &range, &both), 1);
    EXPECT_EQ(range.firstStaff, 2);
    EXPECT_EQ(range.lastMeasure, 2);
    StaffFlagsOf(system_)[1] = 0;
    // In the gap between the two staves.
    if (staff2Bottom - kStaffHeight > staff1Bottom + 8) {
        const gfx::Rect gap{SlotLeft(1) + 32, staff1Bottom + 4, SlotLeft(2) + 32, staff2Bottom - kStaffHeight - 4};
        EXPECT_EQ(MarqueeToBlockRange(view_, &range, &gap), 0);
    }
}

}  // namespace
}  // namespace ql::testing_editing
