// Hit testing under the pointer: the growing boxes and the head sizes they stop
// testing, the box edges, voices and the voice mask, chords with a displaced head,
// the staff below, and the pointer moved onto a note.
#include "core/model/event_record.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "display/tests/locate/locate_fixture.h"
#include "display/view_location.h"
#include "notes/rests/rest.h"
#include "notes/rests/staff_place.h"
#include "platform/win/headless.h"

namespace ql::testing_locate {
namespace {

class HitTestTest : public LocateTest {
  protected:
    void SetUp() override {
        LocateTest::SetUp();
        BuildScore(2, {1}, 4);
        Locate(1, 2);
    }
    EventRecord* At(int dx, int dy, EventRecord* note) {
        const LogicalPoint at = GetEventPosition(note, view_);
        view_->pointerPoint = LogicalPoint{at.x + dx, at.y + dy};
        return HitTestVoiceEvents(view_, 0);
    }
};

TEST_F(HitTestTest, PassesGrowToOneHundredTwentyEightByNinetySix) {
    EventRecord* note = AddNote(0, 1024, -4);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(At(100, 0, note), note);     // head 100 left of the pointer: fourth pass
    EXPECT_EQ(At(128, 0, note), nullptr);  // right edge of the widest box is outside
    EXPECT_EQ(At(127, 0, note), note);
    EXPECT_EQ(At(-128, 0, note), note);    // left edge inside
    EXPECT_EQ(At(0, 95, note), note);
    EXPECT_EQ(At(0, 96, note), nullptr);   // bottom edge outside
    EXPECT_EQ(At(0, -96, note), note);     // top edge inside
    EXPECT_EQ(At(-129, 0, note), nullptr);
}

TEST_F(HitTestTest, SmallHeadsAreTestedOnlyInTheFirstPasses) {
    EventRecord* note = AddNote(0, 1024, -4);
    note->flags = static_cast<uint16_t>((note->flags & ~kEventSizeClassMask) | 0x20);
    EXPECT_EQ(At(-31, 0, note), note);     // first pass
    EXPECT_EQ(At(-40, 0, note), nullptr);  // needs the second pass
    note->flags = static_cast<uint16_t>((note->flags & ~kEventSizeClassMask) | 0x10);
    EXPECT_EQ(At(-40, 0, note), note);     // second pass
    EXPECT_EQ(At(-70, 0, note), nullptr);  // needs the third pass
}

TEST_F(HitTestTest, VoiceMaskZeroSearchesVoiceZeroFirst) {
    EventRecord* first = AddNote(0, 512, -2);
    EventRecord* second = AddNote(1, 512, -2);
    ASSERT_NE(second, nullptr);
    view_->pointerPoint = GetEventPosition(first, view_);
    view_->voiceMask = 0;
    EXPECT_EQ(FindEventUnderPointer(view_), first);
    EXPECT_EQ(State().locate.HitVoice, 0);
    view_->voiceMask = 2;  // voice 1 first
    EXPECT_EQ(FindEventUnderPointer(view_), second);
    EXPECT_EQ(State().locate.HitVoice, 1);
}

TEST_F(HitTestTest, ChordNotesAndADisplacedHeadAreFoundAtTheirOwnPlaces) {
    EventRecord* low = AddNote(0, 2048, -2);
    EventRecord* high = AddNote(0, 2048, -3);
    ASSERT_NE(high, nullptr);
    high->word2 |= 0x8000;           // head on the other side of the stem
    high->flags &= ~kEventStemFlag;  // stem up: moved left
    const LogicalPoint lowAt = GetEventPosition(low, view_);
    const LogicalPoint highAt = GetEventPosition(high, view_);
    EXPECT_LT(highAt.x, lowAt.x);
    view_->pointerPoint = highAt;
    EXPECT_EQ(HitTestVoiceEvents(view_, 0), high);
    view_->pointerPoint = lowAt;
    EXPECT_EQ(HitTestVoiceEvents(view_, 0), low);
}

TEST_F(HitTestTest, NothingOnStaffOneTriesStaffTwoWhenShown) {
    Locate(2, 2);
    EventRecord* below = AddNote(0, 1024, -4);
    const LogicalPoint at = GetEventPosition(below, view_);
    Locate(1, 2);
    view_->pointerPoint = at;
    EXPECT_EQ(FindEventUnderPointer(view_), below);
    EXPECT_EQ(view_->currentStaff, 2);  // the location stays on the staff searched
    Locate(1, 2);
    StaffFlagsOf(view_->currentSystem)[2] = static_cast<int8_t>(0x80);  // hidden
    EXPECT_EQ(FindEventUnderPointer(view_), nullptr);
    EXPECT_EQ(view_->currentStaff, 1);
}

TEST_F(HitTestTest, PointerMovedToANoteLandsOnItsHead) {
    EventRecord* note = AddNote(0, 3072, -5);
    MovePointerToObject(view_, note);
    EXPECT_EQ(view_->pointerPoint, GetEventPosition(note, view_));
    EXPECT_EQ(win::headless::PointerWarps().size(), 1u);
    EXPECT_EQ(FindEventUnderPointer(view_), note);
    EXPECT_EQ(State().locate.SkipNextMouseMove, 0);  // only the point move arms it
}

TEST_F(HitTestTest, MovePointerToPointIgnoresPointsOutsideTheVisibleRectangle) {
    view_->visibleRect = gfx::Rect{-1000, -1000, 1000, 1000};
    const LogicalPoint before = view_->pointerPoint;
    MovePointerToPoint(view_, 1001, 0);
    EXPECT_EQ(view_->pointerPoint, before);
    EXPECT_TRUE(win::headless::PointerWarps().empty());
    MovePointerToPoint(view_, 1000, 1000);  // edges are inside
    EXPECT_EQ(view_->pointerPoint, (LogicalPoint{1000, 1000}));
    EXPECT_EQ(State().locate.SkipNextMouseMove, 1);
    EXPECT_TRUE(ConsumeSkippedMouseMove());
    EXPECT_FALSE(ConsumeSkippedMouseMove());
}

// Rests: the box runs from the rest's x - t to x + 2 pixels + t, t growing 32, 64,
// 96; the mask's voice first, then the voices the filter allows.
TEST_F(HitTestTest, RestsAreFoundWithinNinetySixUnits) {
    view_->PixelUnitsX = 2;
    ScoreObject* rest = NewRestFromImport(view_, 0, 1024, 10, 0);
    ASSERT_NE(rest, nullptr);
    const RestBody& body = *RestBodyOf(rest);
    const int32_t x = CurrentSlotX(view_) + TimeToX(view_, 1024) + GetRestXOffset(rest);
    const int32_t y = view_->staffY + body.position * 64;
    view_->pointerPoint = LogicalPoint{x - 96, y};
    EXPECT_EQ(FindElementInMeasure(view_), rest);  // left edge of the widest box
    view_->pointerPoint = LogicalPoint{x - 97, y};
    EXPECT_EQ(FindElementInMeasure(view_), nullptr);
    view_->pointerPoint = LogicalPoint{x + 4 + 95, y + 95};
    EXPECT_EQ(FindElementInMeasure(view_), rest);
    view_->pointerPoint = LogicalPoint{x + 4 + 96, y};  // right edge: outside
    EXPECT_EQ(FindElementInMeasure(view_), nullptr);
    // A rest of voice 2 is found from voice 0 unless the filter excludes voice 2.
    ScoreObject* other = NewRestFromImport(view_, 2, 3072, 10, 0);
    ASSERT_NE(other, nullptr);
    const int32_t ox = CurrentSlotX(view_) + TimeToX(view_, 3072) + GetRestXOffset(other);
    view_->pointerPoint = LogicalPoint{ox, view_->staffY + RestBodyOf(other)->position * 64};
    EXPECT_EQ(FindElementInMeasure(view_), other);
    EXPECT_EQ(State().locate.HitVoice, 2);
    EXPECT_EQ(FindVoiceOfElement(view_->currentCell, other, 0), 2);
    State().locate.VoiceFilterMask = 0x02;  // voice 1 only
    EXPECT_EQ(FindElementInMeasure(view_), nullptr);
}

}  // namespace
}  // namespace ql::testing_locate
