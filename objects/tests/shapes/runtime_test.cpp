// The zoom area and the spacing stretcher: an area too low only steps the zoom, a
// tall one zooms to fit the window; the stretcher's grid marks, its handle limits
// (a refused move beeps), a stretched part of a measure re-spacing only that part,
// a range under 16 ticks refused, and a drop freeing the whole spacing list; the
// Zoom tool's click and right click.
#include <gtest/gtest.h>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "display/view_modes.h"
#include "display/zoom.h"
#include "editing/group_tools.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_list.h"
#include "notes/beatmap/beat_map.h"
#include "objects/runtime/area_class.h"
#include "objects/runtime/stretcher_class.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_shapes {
namespace {

class AreaTest : public ShapesTest {
  protected:
    void TearDown() override {
        Release();
        ReleaseObjectChain(&TheSelectionState()->temporaryChain, doc_);
        ShapesTest::TearDown();
    }
    // Opens an area at a click and drags its corner down by `height` - 2 units.
    ScoreObject* DragArea(int32_t height) {
        ScoreObject* prototype = ConstructObject(TypeCode(ObjectType::Area));
        view_->pointerPoint = {kPageOrigin + 1000, kPageOrigin + 1000};
        ScoreObject* area = ClassOf(prototype).CreateAtClick(prototype, view_);
        FreeRecord(kTextObjectPool, prototype);
        EXPECT_NE(area, nullptr);
        Grab(area, kAreaCornerHandle);
        Move(area, 400, height - kNewAreaExtent);
        return area;
    }
};

// An area under 128 units only steps the zoom in; 1280 units in a window 600
// pixels high zoom to 60, the origin at the area's corner rounded to 64.
TEST_F(AreaTest, ZoomsToTheAreaHeight) {
    OpenWindow(800, 600);
    SetZoom(view_, 16);
    ScoreObject* low = DragArea(100);
    EXPECT_EQ(V(AsArea(low)->body.height), 100);
    ClassOf(low).EndDrag(low, view_);
    EXPECT_EQ(view_->zoom, SteppedZoom(16, 1, false, false));
    SetZoom(view_, 16);
    ScoreObject* tall = DragArea(1280);
    ClassOf(tall).EndDrag(tall, view_);
    EXPECT_EQ(view_->zoom, 60);
    EXPECT_EQ(view_->pageOrigin[0], (kPageOrigin + 998 + 32) & ~63);
    EXPECT_EQ(ZoomForAreaHeight(127, 600), 0);
    EXPECT_EQ(ZoomForAreaHeight(1280, 600), 60);
}

// Out of page view the end of the drag steps the zoom whatever the area; a drop on
// the area steps it out.
TEST_F(AreaTest, ScrollViewAndDropStep) {
    OpenWindow(800, 600);
    SetZoom(view_, 16);
    ScoreObject* area = DragArea(1280);
    view_->pageView = 0;
    ClassOf(area).EndDrag(area, view_);
    EXPECT_EQ(view_->zoom, SteppedZoom(16, 1, false, false));
    int zoom = view_->zoom;
    EXPECT_EQ(ClassOf(area).HandleDrop(area, view_, nullptr, nullptr), 1);
    EXPECT_EQ(view_->zoom, SteppedZoom(zoom, -1, false, false));
}

// A click of the Zoom tool (press and release at one point, no drag) makes an area
// that lives until the release and steps the zoom in; a right click steps it out.
TEST_F(AreaTest, ZoomToolClickStepsInAndRightClickStepsOut) {
    OpenWindow(800, 600);
    SetZoom(view_, 16);
    ZoomToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    const gfx::Point at = Device(kPageOrigin + 1000, kPageOrigin + 1000);
    const intptr_t point = win::PackPoint({at.x, at.y});
    ZoomToolHandler(view_, ToolAction::Message, nullptr, window_, win::Message::LeftButtonDown, 0, point);
    ZoomToolHandler(view_, ToolAction::Message, nullptr, window_, win::Message::LeftButtonUp, 0, point);
    EXPECT_EQ(view_->zoom, SteppedZoom(16, 1, false, false));
    const int32_t in = view_->zoom;
    ZoomToolHandler(view_, ToolAction::Message, nullptr, window_, win::Message::RightButtonDown, 0, point);
    EXPECT_EQ(view_->zoom, SteppedZoom(in, -1, false, false));
}

class StretcherTest : public ShapesTest {
  protected:
    void SetUp() override {
        ShapesTest::SetUp();
        ASSERT_GE(doc_->header.staffCount, 1);
        ASSERT_NE(view_->currentSystem, nullptr);
        UpdateBeatMaps(view_, 1);
        ASSERT_GT(BeatMapTickToX(view_, 1024), 0);
        view_->currentMeasureLength = MeasureRecordOf(doc_, view_->currentMeasure)->lengthTicks;
    }
    ScoreObject* Stretcher() {
        ScoreObject* prototype = ConstructObject(TypeCode(ObjectType::Stretcher));
        ScoreObject* made = ClassOf(prototype).CreateAtClick(prototype, view_);
        FreeRecord(kTextObjectPool, prototype);
        return made;
    }
    StretcherBody& Body(ScoreObject* s) { return AsStretcher(s)->body; }
    int LivePool2() {
        int live = 0;
        const RecordPool& pool = doc_->pools.pools[2];
        for (int block = 0; block < pool.blockCount; ++block)
            for (int slot = 1; slot < pool.blocks[block].nextFresh; ++slot)
                if (IsLiveRecord(PoolSet(doc_->pools), 2, PoolSlotAddress(2, block, slot))) ++live;
        return live;
    }
};

// A 4096-tick measure: 32 marks a pass, 8 long, 8 middle and 16 short.
TEST_F(StretcherTest, GridMarks) {
    std::vector<GridMark> marks = StretcherGridMarks(4096);
    ASSERT_EQ(marks.size(), 32u);
    int counts[3] = {};
    for (const GridMark& mark : marks) counts[mark.length == 256 ? 0 : mark.length == 192 ? 1 : 2]++;
    EXPECT_EQ(counts[0], 8);
    EXPECT_EQ(counts[1], 8);
    EXPECT_EQ(counts[2], 16);
    EXPECT_EQ(marks[1].tick, 128);
    EXPECT_EQ(marks[2].length, 192);
    EXPECT_TRUE(StretcherGridMarks(0).empty());
}

// A new stretcher spans the measure; its start handle cannot pass the end (a beep,
// nothing moves) nor go below 0; the new end cannot pass the start.
TEST_F(StretcherTest, HandleLimits) {
    ScoreObject* s = Stretcher();
    ASSERT_NE(s, nullptr);
    int last = view_->currentMeasureLength - 1;
    EXPECT_EQ(V(Body(s).endTick), last);
    EXPECT_EQ(V(Body(s).endX), BeatMapTickToX(view_, last));
    Grab(s, kStretcherStartHandle);
    Move(s, Body(s).endX + 10, 0);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
    EXPECT_EQ(V(Body(s).startX), 0);
    Move(s, -50, 0);
    EXPECT_EQ(V(Body(s).startX), 0);
    Move(s, 100, 0);
    EXPECT_EQ(V(Body(s).startX), 100);
    Grab(s, kStretcherNewEndHandle);
    Move(s, -Body(s).newEndX, 0);
    EXPECT_EQ(ui::headless::Beeps().size(), 2u);
    UnlinkObject(s);
    FreeRecord(kTextObjectPool, s);
}

// Stretching the first half of the measure re-spaces that half only: its entries
// are wider than the rest, which all keep one value; a drop frees the whole spacing
// list and the default spacing comes back.
TEST_F(StretcherTest, StretchAndDrop) {
    int length = view_->currentMeasureLength;
    ASSERT_GE(length, 1024);
    int half = length / 2;
    int32_t quarterX = BeatMapTickToX(view_, half / 2);
    int liveBefore = LivePool2();
    ScoreObject* s = Stretcher();
    Grab(s, kStretcherEndHandle);
    Move(s, BeatMapTickToX(view_, half) - Body(s).endX, 0);
    Grab(s, kStretcherNewEndHandle);
    Move(s, 256, 0);
    ClassOf(s).EndDrag(s, view_);
    EXPECT_GT(BeatMapTickToX(view_, half / 2), quarterX);
    MeasureRecord* record = MeasureRecordOf(doc_, view_->currentMeasure);
    ASSERT_TRUE(static_cast<bool>(record->spacing));
    uint16_t inside = 0;
    uint16_t outside = 0;
    for (SpacingEntry* e = SpacingEntryOf(record->spacing); e != nullptr;
         e = e->next != 0 ? SpacingEntryOf(RecordHandle(e->next)) : nullptr) {
        uint16_t& value = e->time < half ? inside : outside;
        if (value == 0) value = e->xPer16Ticks;
        EXPECT_EQ(e->xPer16Ticks, value) << "entry at " << e->time;
    }
    EXPECT_GT(inside, outside);
    EXPECT_GT(LivePool2(), liveBefore);
    EXPECT_EQ(ClassOf(s).HandleDrop(s, view_, nullptr, nullptr), 0);
    EXPECT_FALSE(static_cast<bool>(record->spacing));
    EXPECT_EQ(LivePool2(), liveBefore);
    EXPECT_LE(std::abs(BeatMapTickToX(view_, half / 2) - quarterX), 1);
    UnlinkObject(s);
    FreeRecord(kTextObjectPool, s);
}

// A stretch and a drop each leave the whole window to be drawn again: the measures
// after the stretched one move with it.
TEST_F(StretcherTest, StretchAndDropRedrawTheWholeView) {
    OpenWindow(800, 600);
    ScoreObject* s = Stretcher();
    ASSERT_NE(s, nullptr);
    const win::Rect whole = win::GetClientRect(window_);
    win::ValidateRect(window_, nullptr);
    Grab(s, kStretcherNewEndHandle);
    Move(s, -128, 0);
    ClassOf(s).EndDrag(s, view_);
    EXPECT_EQ(win::GetUpdateRect(window_), whole) << "the stretch left the view as it was drawn";
    win::ValidateRect(window_, nullptr);
    ClassOf(s).HandleDrop(s, view_, nullptr, nullptr);
    EXPECT_EQ(win::GetUpdateRect(window_), whole) << "the drop left the view as it was drawn";
    UnlinkObject(s);
    FreeRecord(kTextObjectPool, s);
}

// A range under 16 ticks (the end of a measure whose length is not a multiple of
// 16) is refused with a beep and changes nothing.
TEST_F(StretcherTest, ShortRangeIsRefused) {
    constexpr int kOddLength = 4104;
    MeasureRecordOf(doc_, view_->currentMeasure)->lengthTicks = kOddLength;
    view_->currentMeasureLength = kOddLength;
    UpdateBeatMaps(view_, 1);
    ScoreObject* s = Stretcher();
    Body(s).startX = static_cast<int16_t>(BeatMapTickToX(view_, kOddLength - 8));
    Body(s).endX = static_cast<int16_t>(BeatMapTickToX(view_, kOddLength - 1));
    Body(s).newEndX = Body(s).endX;
    Grab(s, kStretcherNewEndHandle);
    Move(s, 64, 0);
    size_t beeps = ui::headless::Beeps().size();
    ClassOf(s).EndDrag(s, view_);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_FALSE(static_cast<bool>(MeasureRecordOf(doc_, view_->currentMeasure)->spacing));
    UnlinkObject(s);
    FreeRecord(kTextObjectPool, s);
}

}  // namespace
}  // namespace ql::testing_shapes
