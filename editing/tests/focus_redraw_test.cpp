// The walk that collects the handles of what the view shows: only the staves whose
// line lies in the visible band, only the measures of the visible slots (from one
// earlier when the first visible slot has a slot of its system before it), an end
// as soon as the focus is gone, the handle-rebuild request and its hold as they were
// before the walk, and the view's drawing open while the handles are built.
#include "editing/tests/editing_fixture.h"

#include <array>

#include "core/model/beat_map_record.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/view_location.h"
#include "editing/selection.h"

namespace ql::testing_editing {
namespace {

// Systems far apart and staves far apart inside them, so that a narrow visible band
// takes one staff line alone; every measure slot is kSlotWidth wide.
constexpr int32_t kTop = kLogicalOrigin + 4096;
constexpr int32_t kSystemPitch = 16384;
constexpr uint16_t kStaffPitch = 4096;
constexpr int32_t kSlotWidth = 1000;
constexpr int32_t kWide = 30000;
constexpr int kMeasuresPerSystem = 4;

class VisibleWalkTest : public EditingTest {
  protected:
    void SetUp() override {
        staffCount_ = 2;
        systemCount_ = 2;
        EditingTest::SetUp();
        ArmBoxTool();
        int i = 0;
        for (ScoreSystem* system = doc_->firstPage->firstSystem.get(); system != nullptr;
             system = system->next.get(), ++i) {
            system->y = kTop + i * kSystemPitch;
            uint16_t* offsets = StaffOffsetsOf(system);
            ASSERT_NE(offsets, nullptr);
            offsets[1] = 0;
            offsets[2] = kStaffPitch;
            for (int slot = 1; slot <= kMeasuresPerSystem; ++slot)
                view_->beatMap.slotX[BeatMapCell(system->number, slot)] =
                    static_cast<uint16_t>((slot - 1) * kSlotWidth);
        }
        systemX_ = doc_->firstPage->firstSystem->x;
        ResetSelection(view_, 0);
    }
    // A box in the object list of a staff's cell at a measure.
    ScoreObject* BoxAt(int staff, int measure) {
        SetCurrentMeasureQuick(view_, staff, measure);
        if (view_->currentCell == nullptr) return nullptr;
        ScoreObject* box = ConstructObject(kBoxType);
        if (box == nullptr) return nullptr;
        StoreField(box->BodyBytes(), BoxBody{originX_, originY_, originX_ + 400, originY_ + 400});
        InsertObjectAfter(GetOrCreateCellObjectList(view_->currentCell), box);
        return box;
    }
    void Show(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        view_->visibleRect = gfx::Rect{left, top, right, bottom};
    }
    // Walks afresh; which of the boxes head a record of list A afterwards.
    template <size_t N>
    std::array<bool, N> Walk(const std::array<ScoreObject*, N>& boxes) {
        ResetSelection(view_, 0);
        RedrawFocusAcrossSystems(view_);
        std::array<bool, N> taken{};
        for (size_t i = 0; i < N; ++i) taken[i] = FindHitRecordOfElement(boxes[i]) != nullptr;
        return taken;
    }
    int32_t systemX_ = 0;
};

// A staff is walked only when its line lies inside the visible band (2048 above
// the visible top to 1024 below the visible bottom), whatever its neighbours do;
// a system none of whose staves reaches the band is not walked at all.
TEST_F(VisibleWalkTest, OnlyStavesWhoseLineLiesInTheVisibleBand) {
    const std::array<ScoreObject*, 3> boxes = {BoxAt(1, 1), BoxAt(2, 1), BoxAt(1, 5)};
    for (ScoreObject* box : boxes) ASSERT_NE(box, nullptr);

    Show(kLogicalOrigin, kTop, kLogicalOrigin + kWide, kTop + 100);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 3>{true, false, false}));

    Show(kLogicalOrigin, kTop + kStaffPitch - 100, kLogicalOrigin + kWide, kTop + kStaffPitch);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 3>{false, true, false}));

    Show(kLogicalOrigin, kTop + kSystemPitch, kLogicalOrigin + kWide, kTop + kSystemPitch + 100);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 3>{false, false, true}));

    // A view never sized shows everything.
    Show(0, 0, 0, 0);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 3>{true, true, true}));
}

// Only the measures whose slots meet the visible width are walked, from one measure
// earlier when the first of them follows another slot of its system: what stands
// there can reach into view. The first slot has none before it.
TEST_F(VisibleWalkTest, MeasuresOfTheVisibleSlotsFromOneEarlier) {
    std::array<ScoreObject*, 4> boxes{};
    for (int m = 1; m <= kMeasuresPerSystem; ++m) ASSERT_NE(boxes[m - 1] = BoxAt(1, m), nullptr);
    const int32_t top = kTop - 100;
    const int32_t bottom = kTop + 100;

    Show(systemX_ + 2 * kSlotWidth + 500, top, systemX_ + 3 * kSlotWidth - 100, bottom);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 4>{false, true, true, false}));

    Show(systemX_ + 100, top, systemX_ + kSlotWidth + 500, bottom);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 4>{true, true, false, false}));

    // The last slot reaches to the end of the system.
    Show(systemX_ + 3 * kSlotWidth + 5000, top, systemX_ + 3 * kSlotWidth + 6000, bottom);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 4>{false, false, true, true}));

    // Left of the system: nothing of it is shown.
    Show(kLogicalOrigin, top, systemX_ - 10, bottom);
    EXPECT_EQ(Walk(boxes), (std::array<bool, 4>{false, false, false, false}));
}

// When the focused object becomes none while the handles are built, the walk ends
// there: nothing after that location builds its handles.
TEST_F(VisibleWalkTest, StopsWhenTheFocusBecomesNone) {
    for (int m = 1; m <= kMeasuresPerSystem; ++m) ASSERT_NE(BoxAt(1, m), nullptr);
    ASSERT_NE(BoxAt(2, 1), nullptr);
    Show(0, 0, 0, 0);
    ResetSelection(view_, 0);
    g_boxCalls.handleVoiceMasks.clear();
    RedrawFocusAcrossSystems(view_);
    EXPECT_EQ(g_boxCalls.handleVoiceMasks.size(), 5u);

    ResetSelection(view_, 0);
    g_boxCalls.handleVoiceMasks.clear();
    g_boxCalls.onBuildHandles = [](ScoreObject*, ScoreView*) { TheSelectionState()->focusedObject = {}; };
    RedrawFocusAcrossSystems(view_);
    EXPECT_EQ(g_boxCalls.handleVoiceMasks.size(), 1u);
    EXPECT_EQ(State().input.CollectingAcrossSystems, 0);
}

// The objects' requests for a rebuild while their handles are built are not kept,
// a request that was pending stays, and the hold is off during the walk and back
// afterwards. The handles are built with the view's drawing open.
TEST_F(VisibleWalkTest, TheRebuildRequestAndItsHoldComeBack) {
    ASSERT_NE(BoxAt(1, 1), nullptr);
    Show(0, 0, 0, 0);
    SelectionState& s = *TheSelectionState();
    std::vector<uint8_t> holds;
    std::vector<int> depths;
    g_boxCalls.onBuildHandles = [&](ScoreObject*, ScoreView* view) {
        holds.push_back(TheSelectionState()->rebuildHold);
        depths.push_back(view->DrawDepth);
        TheSelectionState()->rebuildRequested = 1;
    };
    for (uint8_t pending : {0, 1}) {
        ResetSelection(view_, 0);
        holds.clear();
        depths.clear();
        s.rebuildRequested = pending;
        s.rebuildHold = 1;
        const uint8_t depth = view_->DrawDepth;
        RedrawFocusAcrossSystems(view_);
        EXPECT_EQ(s.rebuildRequested, pending);
        EXPECT_EQ(s.rebuildHold, 1);
        ASSERT_EQ(holds.size(), 1u);
        EXPECT_EQ(holds[0], 0);
        EXPECT_EQ(depths[0], depth + 1);
        EXPECT_EQ(view_->DrawDepth, depth);
    }
}

}  // namespace
}  // namespace ql::testing_editing
