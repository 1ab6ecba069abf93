// A clef change at the start of a measure inside a system is drawn before the
// closing barline of the measure before it, where the beat map made room for it.
#include <gtest/gtest.h>

#include "core/model/grid.h"
#include "display/system_drawing.h"
#include "display/tests/system/sysdraw_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "staves/clef_key_placement.h"

namespace ql::testing_sysdraw {
namespace {

constexpr int kTreble = 0, kBass = 3;
constexpr int kBoxHalfWidth = 6;   // pixels around the glyph's centre
constexpr int kBoxAbove = 24;      // pixels above its baseline
constexpr int kBoxBelow = 4;

class ClefChangeDrawing : public SysDrawTest {
  protected:
    void SetClefFrom(int measure, int clef) {
        for (int m = measure; m <= 3; ++m)
            Cell(1, m)->clefKey = static_cast<uint8_t>((Cell(1, m)->clefKey & ~kClefNibbleMask) | clef);
        UpdateBeatMaps(view_, 1);
    }
    // Ink pixels in a box around where the change to `clef` before measure 2 stands.
    int InkAtTheChange(int clef) {
        ClearWindow();
        DrawAll();
        const PlacedClef placed = PlaceClefChange(view_, 1, 1, clef);
        EXPECT_TRUE(placed.found);
        const gfx::Point at = Device(placed.at.x, placed.at.y);
        int ink = 0;
        for (int y = at.y - kBoxAbove; y <= at.y + kBoxBelow; ++y)
            for (int x = at.x - kBoxHalfWidth; x <= at.x + kBoxHalfWidth; ++x) ink += IsInk(x, y) ? 1 : 0;
        return ink;
    }
};

// Measures 2 and 3 in the bass clef: the F clef stands at the end of measure 1; with
// no change only the staff lines cross that place.
TEST_F(ClefChangeDrawing, StandsBeforeTheBarlineOfTheMeasureBefore) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(1, 3, 16);
    SizeWindow(1600, 600);
    const int linesOnly = InkAtTheChange(kBass);
    SetClefFrom(2, kBass);
    const int withChange = InkAtTheChange(kBass);
    EXPECT_GT(withChange, linesOnly + 20) << "no clef before measure 2's barline";
    SetClefFrom(2, kTreble);
    EXPECT_EQ(InkAtTheChange(kBass), linesOnly);
}

}  // namespace
}  // namespace ql::testing_sysdraw
