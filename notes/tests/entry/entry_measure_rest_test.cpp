// The whole-measure rest an empty measure shows goes from the screen when the first
// note is entered there: afterwards the measure looks as it does drawn afresh, with
// no grey left where the soft edges of the rest's glyph were.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "notes/drawing/note_draw.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/gfx/bitmap.h"

namespace ql::testing_entry {
namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 256;
constexpr int kInkThreshold = 128;
constexpr int kEntryStep = -3;

bool Ink(uint32_t c) {
    return (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
}
bool Paper(uint32_t c) {
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

class EntryMeasureRest : public EntryTest {
  protected:
    // The current measure drawn from nothing: its staff lines and voice 0.
    void DrawMeasure() {
        BeginViewDraw(view_);
        RedrawCurrentMeasure(view_);
        DrawVoiceNotes(view_->currentCell, view_, 0);
        EndViewDraw(view_);
    }
};

TEST_F(EntryMeasureRest, TheFirstNoteTakesTheRestAway) {
    const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
    if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
    State().notes.AutoRest = 1;
    UseMeasure(1);
    OpenWindow(kWidth, kHeight);
    DrawMeasure();
    const std::vector<uint32_t> empty = WindowPixels();
    PointAt(0, kEntryStep);
    Click();
    ASSERT_EQ(Voice().size(), 1u);
    const std::vector<uint32_t> entered = WindowPixels();
    OpenWindow(kWidth, kHeight);
    DrawMeasure();
    const std::vector<uint32_t> fresh = WindowPixels();
    ASSERT_EQ(entered.size(), fresh.size());
    int restPixels = 0;
    int leftOver = 0;
    int greyLeft = 0;
    for (size_t i = 0; i < empty.size(); ++i) {
        if (Paper(empty[i]) || !Paper(fresh[i])) continue;  // the rest's own pixels
        restPixels += Ink(empty[i]);
        leftOver += Ink(empty[i]) && Ink(entered[i]);
        greyLeft += !Paper(entered[i]);
    }
    EXPECT_GT(restPixels, 20) << "the empty measure showed no rest";
    EXPECT_EQ(leftOver, 0) << "the rest still shows beside the note";
    EXPECT_EQ(greyLeft, 0) << "the edges of the rest are left in grey";
}

}  // namespace
}  // namespace ql::testing_entry
