// Fixture of the tests that hold what a measure shows on the screen against the
// measure drawn afresh: a window of the measure's size, the current measure drawn
// from nothing (staff lines and its voices), and the shades that count as ink and as
// clean paper.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/draw/draw_surface.h"
#include "display/linked_views.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_redraw.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/gfx/bitmap.h"

namespace ql::testing_entry {

constexpr int kInkThreshold = 128;
constexpr int kEntryStep = -3;  // the space below the middle line: stems up

// The mean of a pixel's channels.
inline int Shade(uint32_t c) {
    return (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3;
}
inline bool Ink(uint32_t c) {
    return Shade(c) < kInkThreshold;
}
constexpr int kPaperThreshold = 224;
// Paper, or the faintest edge of ink drawn there: overlapping soft edges shade the
// ink of a redraw a little, which is not ink left over.
inline bool Paper(uint32_t c) {
    return Shade(c) >= kPaperThreshold;
}
// Paper no ink touched, not even with a glyph's soft edge.
inline bool CleanPaper(uint32_t c) {
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

class MeasureRedrawTest : public EntryTest {
  protected:
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 256;

    // The current measure drawn from nothing: its staff lines and its voices.
    void DrawMeasure() {
        BeginViewDraw(view_);
        RedrawCurrentMeasure(view_);
        DrawStaffNotesAllVoices(view_, view_->currentCell);
        EndViewDraw(view_);
    }
    // A fresh window showing the current measure drawn from nothing.
    void ShowMeasureAfresh() {
        OpenWindow(kWidth, kHeight);
        DrawMeasure();
    }
    // Measure 1 made current and shown afresh: the screen an edit starts from.
    void ShowFirstMeasure() {
        UseMeasure(1);
        ShowMeasureAfresh();
    }
    // Ink on the screen where the measure drawn afresh has paper; with `missing`, ink
    // of the fresh drawing the screen lacks; with `grey`, pixels of any shade where
    // the fresh drawing has clean paper (the soft edges of a glyph drawn away).
    int InkLeftOver(int* missing = nullptr, int* grey = nullptr) {
        const std::vector<uint32_t> shown = WindowPixels();
        ShowMeasureAfresh();
        const std::vector<uint32_t> fresh = WindowPixels();
        EXPECT_EQ(shown.size(), fresh.size());
        int freshInk = 0;
        int leftOver = 0;
        int lacking = 0;
        int shaded = 0;
        for (size_t i = 0; i < fresh.size() && i < shown.size(); ++i) {
            freshInk += Ink(fresh[i]);
            leftOver += Ink(shown[i]) && Paper(fresh[i]);
            lacking += Ink(fresh[i]) && Paper(shown[i]);
            shaded += CleanPaper(fresh[i]) && !CleanPaper(shown[i]);
        }
        EXPECT_GT(freshInk, 100) << "nothing was drawn";
        if (missing != nullptr) *missing = lacking;
        if (grey != nullptr) *grey = shaded;
        return leftOver;
    }
    static bool HaveMusicFont() {
        return std::filesystem::exists(std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf");
    }
};

}  // namespace ql::testing_entry
