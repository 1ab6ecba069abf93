// The whole-measure rest an empty measure shows goes from the screen when the first
// note is entered there: afterwards the measure looks as it does drawn afresh, with
// no grey left where the soft edges of the rest's glyph were.
#include <gtest/gtest.h>

#include <vector>

#include "core/state.h"
#include "notes/tests/entry/measure_redraw_fixture.h"

namespace ql::testing_entry {
namespace {

class EntryMeasureRest : public MeasureRedrawTest {};

TEST_F(EntryMeasureRest, TheFirstNoteTakesTheRestAway) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    State().notes.AutoRest = 1;
    ShowFirstMeasure();
    const std::vector<uint32_t> empty = WindowPixels();
    PointAt(0, kEntryStep);
    Click();
    ASSERT_EQ(Voice().size(), 1u);
    const std::vector<uint32_t> entered = WindowPixels();
    ShowMeasureAfresh();
    const std::vector<uint32_t> fresh = WindowPixels();
    ASSERT_EQ(entered.size(), fresh.size());
    int restPixels = 0;
    int leftOver = 0;
    int greyLeft = 0;
    for (size_t i = 0; i < empty.size(); ++i) {
        if (CleanPaper(empty[i]) || !CleanPaper(fresh[i])) continue;  // the rest's own pixels
        restPixels += Ink(empty[i]);
        leftOver += Ink(empty[i]) && Ink(entered[i]);
        greyLeft += !CleanPaper(entered[i]);
    }
    EXPECT_GT(restPixels, 20) << "the empty measure showed no rest";
    EXPECT_EQ(leftOver, 0) << "the rest still shows beside the note";
    EXPECT_EQ(greyLeft, 0) << "the edges of the rest are left in grey";
}

}  // namespace
}  // namespace ql::testing_entry
