// Hide-when-empty staves: left out of a system while they hold nothing, back after
// an edit gives them an event, drawn only over the measures that hold events, and
// never seen by undo or marked as a change.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/engraving_metrics.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/system_drawing.h"
#include "display/tests/system/sysdraw_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/clef_key_placement.h"

namespace ql::testing_sysdraw {
namespace {

constexpr int kStaves = 4;
constexpr int kMeasures = 5;
constexpr int kOssia = 2;
constexpr uint8_t kHiddenFlag = 0x80;

class HideEmpty : public SysDrawTest {
  protected:
    void SetUp() override {
        SysDrawTest::SetUp();
        BuildScore(kStaves, kMeasures, 16);
        view_->currentSystem = System();
        SetHideWhenEmpty(kOssia, true);
    }
    bool Hidden(int staff) const {
        return (static_cast<uint8_t>(StaffFlagsOf(System())[staff]) & kHiddenFlag) != 0;
    }
    std::vector<uint16_t> Offsets() const {
        const uint16_t* o = StaffOffsetsOf(System());
        return std::vector<uint16_t>(o, o + kStaves + 1);
    }
};

// An empty hide-when-empty staff leaves the system (the staves below close up) and
// comes back, at its old place, once it holds an event.
TEST_F(HideEmpty, EmptyStaffLeavesAndComesBack) {
    const std::vector<uint16_t> before = Offsets();
    const uint16_t counter = doc_->changeCounter;
    HideEmptyStaves(view_);
    EXPECT_TRUE(Hidden(kOssia));
    EXPECT_FALSE(Hidden(1));
    EXPECT_FALSE(Hidden(3));
    EXPECT_LT(Offsets()[3], before[3]);  // staff 3 moved up
    EXPECT_EQ(doc_->changeCounter, counter);

    RestoreHiddenEmptyStaves(view_);
    EXPECT_FALSE(Hidden(kOssia));
    EXPECT_EQ(Offsets(), before);

    AddNote(kOssia, 4);
    HideEmptyStaves(view_);
    EXPECT_FALSE(Hidden(kOssia));
    EXPECT_EQ(Offsets(), before);
}

// "OssiaStaves" lifts hiding; a staff not marked is never hidden; the last shown staff
// stays.
TEST_F(HideEmpty, OnlyMarkedStavesAreHidden) {
    State().display.OssiaStaves = 1;
    HideEmptyStaves(view_);
    EXPECT_FALSE(Hidden(kOssia));
    State().display.OssiaStaves = 0;
    for (int s = 1; s <= kStaves; ++s) SetHideWhenEmpty(s, true);
    HideEmptyStaves(view_);
    int shown = 0;
    for (int s = 1; s <= kStaves; ++s) shown += Hidden(s) ? 0 : 1;
    EXPECT_EQ(shown, 1);
}

// An undo bracket and the undo baseline first put hidden staves back: the system's
// arrays an edit records are the stored ones.
TEST_F(HideEmpty, UndoSeesNoHiddenStaff) {
    const std::vector<uint16_t> before = Offsets();
    HideEmptyStaves(view_);
    ASSERT_TRUE(Hidden(kOssia));
    BeginUndoableEdit(doc_, 0, 0, 0, view_, UndoKind{}, 0, UndoVerb{});
    EXPECT_FALSE(Hidden(kOssia));
    EXPECT_EQ(Offsets(), before);
    EndUndoableEdit(doc_, 0, 0, 0, view_, UndoKind{}, 0, UndoVerb{});
    HideEmptyStaves(view_);
    ASSERT_TRUE(Hidden(kOssia));
    TakeUndoBaseline(doc_);
    EXPECT_FALSE(Hidden(kOssia));
}

// A staff with events in some measures is drawn over those runs only.
TEST_F(HideEmpty, StaffIsDrawnOverItsRuns) {
    AddNote(kOssia, 2);
    AddNote(kOssia, 3);
    AddNote(kOssia, 5);
    const std::vector<StaffEventRun> runs = FindNonEmptyMeasureRuns(view_, kOssia);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].firstSlot, 2);
    EXPECT_EQ(runs[0].lastSlot, 3);
    EXPECT_EQ(runs[1].firstSlot, 5);
    EXPECT_EQ(runs[1].lastSlot, 5);
    EXPECT_TRUE(FindNonEmptyMeasureRuns(view_, 1).empty());  // not marked: no runs
    DrawAll();
    const int32_t y = StaffY(kOssia);
    for (const GridInk& ink : Inks(GridInkKind::Line)) {
        if (ink.y1 != y || ink.y2 != y) continue;
        const bool inFirst = ink.x1 == SlotX(2) && ink.x2 == SlotX(4);
        const bool inSecond = ink.x1 == SlotX(5);
        EXPECT_TRUE(inFirst || inSecond) << "a line from " << ink.x1 << " to " << ink.x2;
    }
    // The run's edges are joined to the staff below by dotted lines.
    const std::vector<GridInk> joins = Inks(GridInkKind::DottedLine);
    EXPECT_GE(joins.size(), 4u);
}

// A run that a clef change opens has its staff lines start under that clef, not at
// the run's barline.
TEST_F(HideEmpty, RunOpenedByAClefHasItsLinesUnderTheClef) {
    AddNote(kOssia, 3);
    MeasureCell* cell = Cell(kOssia, 3);
    cell->clefKey = static_cast<uint8_t>((cell->clefKey & 0xF0) | CodeOf(ClefKind::Bass));
    UpdateBeatMaps(view_, 1);
    const PlacedClef clef = PlaceClefChange(view_, kOssia, 2, CodeOf(ClefKind::Bass));
    ASSERT_TRUE(clef.found);
    const int32_t clefLeft = clef.at.x - EngravingMetricOf(*doc_, EngravingMetric::ClefChange) / 2;
    ASSERT_LT(clefLeft, SlotX(3));
    DrawAll();
    const int32_t y = StaffY(kOssia);
    int lines = 0;
    for (const GridInk& ink : Inks(GridInkKind::Line)) {
        if (ink.y1 != y || ink.y2 != y) continue;
        ++lines;
        EXPECT_EQ(ink.x1, clefLeft);
        EXPECT_EQ(ink.x2, SlotX(4));
    }
    EXPECT_GT(lines, 0);
}

}  // namespace
}  // namespace ql::testing_sysdraw
