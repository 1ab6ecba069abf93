// Fixture of the system-drawing tests: a fresh program state, a headless score
// window, and a view in page view on one system of a given number of staves and
// measures (4/4, laid out by the beat map) with the music fonts at a zoom; helpers
// that set group bits and barline kinds, add a note to a cell, draw the system with
// the grid's ink log on, and read the window's pixels.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "display/system_drawing_test_seam.h"
#include "notes/tests/drawing/drawing_window_fixture.h"
#include "platform/gfx/types.h"
#include "platform/win/window.h"
#include "staves/staff_group_bits.h"

namespace ql::testing_sysdraw {

using sysdraw::test_seam::GridInk;
using sysdraw::test_seam::GridInkKind;

// Engraving metrics the fixture gives the score (view units).
constexpr uint16_t kStaffLineWidth = 12;
constexpr uint16_t kBarLineWidth = 12;
constexpr uint16_t kThickBarWidth = 80;
constexpr uint16_t kDoubleGap = 68;
constexpr uint16_t kBracketOffset = 160;
constexpr uint16_t kBraceOffset = 320;
constexpr int kNoteTick = 1024;

class SysDrawTest : public ::ql::testing::DrawingWindowTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One system of `staves` staves and `measures` measures at `zoom`.
    void BuildScore(int staves, int measures, int32_t zoom);

    StaffRecord* Staff(int staff) const;
    MeasureRecord* Measure(int measure) const;
    ScoreSystem* System() const;
    MeasureCell* Cell(int staff, int measure) const;
    // A quarter note at tick kNoteTick of voice 1 of a cell.
    void AddNote(int staff, int measure);
    // Joins staves first..last into one group of a kind.
    void JoinGroup(GroupKind kind, int first, int last);
    void SetLines(int staff, int lines);
    void SetHideWhenEmpty(int staff, bool on);

    // Draws every staff of the system with the ink log on (cleared first).
    void DrawAll();
    std::vector<GridInk> Inks(GridInkKind kind) const;

    int32_t StaffY(int staff) const;
    int32_t SlotX(int slot) const;  // system x + the slot's opening barline

    // The window resized, the view's metrics and its beat maps taken again.
    void SizeWindow(int width, int height);
    // Fills the window white.
    void ClearWindow();

    std::vector<GridInk> log_;
};

}  // namespace ql::testing_sysdraw
