// Pictures of the formatter's work at zoom 16: the staff-line frames of the systems
// of pages 1 and 2 of a 200-measure score of two staves on a 4 x 4 grid
// (formatted_page1_zoom16.png, formatted_page2_zoom16.png), and the scroll view's
// strip drawn measure by measure along its slots (scroll_view_zoom16.png). The
// pixels show every staff line inside the margins, no system below the bottom
// margin, four systems on each page, and the strip's lines unbroken.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/model/beat_map_record.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "display/view_modes.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "core/draw/fonts.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_layout {
namespace {

constexpr int32_t kZoom = 16;
constexpr int32_t kSpace = 128;
constexpr int kStaffLines = 5;
constexpr int kStaves = 2;
constexpr int kInkThreshold = 128;
constexpr int kSystemsPerPage = 4;

class FormattedPagesPicture : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        view_->zoom = kZoom;
        view_->pageOrigin[0] = view_->pageOrigin[1] = kLogicalOrigin;
        view_->scrollOrigin[0] = view_->scrollOrigin[1] = kLogicalOrigin;
        win::WindowClass cls;
        cls.name = "QLMdiChild";
        cls.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(cls);
        width_ = Dev(view_->PageRight) + 8;
        height_ = Dev(view_->PageBottom) + 8;
        win::WindowParams params;
        params.className = "QLMdiChild";
        params.style = win::kStyleVisible;
        params.rect = win::Rect{0, 0, width_, height_};
        window_ = win::CreateWindow(params);
        view_->ViewWindow = window_;
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = 96;
        NewScore(kStaves, kSystemsPerPage, 4);
        ASSERT_EQ(AddMeasures(view_, 200), 1);
        ReformatOptions options;
        ReformatFromPage(view_, &options, doc_->firstPage);
    }
    void TearDown() override {
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        PageFormatTest::TearDown();
    }
    static int Dev(int32_t logical) { return static_cast<int>((int64_t{logical} - kLogicalOrigin) * kZoom / kSpace); }

    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        gfx::MoveTo(view_->ViewDC, gfx::Point{x0, y0});
        gfx::LineTo(view_->ViewDC, gfx::Point{x1, y1});
    }
    // Five lines per staff from the system's left edge to the right margin.
    void DrawPage(ScorePage* page) {
        PageMargins margins;
        ASSERT_TRUE(GetPageMargins(page, &margins));
        const int32_t right = view_->PageRight - margins.logical[2];
        BeginViewDraw(view_);
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            for (int staff = 1; staff <= kStaves; ++staff)
                for (int line = 0; line < kStaffLines; ++line) {
                    const int32_t y = s->y + StaffOffsetsOf(s)[staff] + line * kSpace;
                    Line(s->x, y, right, y);
                }
        EndViewDraw(view_);
    }
    bool Ink(int x, int y) const {
        gfx::Colour c = gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
        return c != gfx::kInvalidColour && (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // Runs of ink along a column / row: their first pixels.
    std::vector<int> RunsDown(int x) const {
        std::vector<int> runs;
        for (int y = 0; y < height_; ++y)
            if (Ink(x, y) && (y == 0 || !Ink(x, y - 1))) runs.push_back(y);
        return runs;
    }
    std::vector<std::pair<int, int>> RunsAcross(int y) const {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < width_; ++x) {
            if (!Ink(x, y)) continue;
            if (runs.empty() || runs.back().second != x - 1) runs.push_back({x, x});
            else runs.back().second = x;
        }
        return runs;
    }
    void Save(const std::string& name) {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(window_), (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string()));
    }
    void CheckPage(int index, const std::string& name) {
        ScorePage* page = GetPageAt(doc_, index);
        ASSERT_NE(page, nullptr);
        DrawPage(page);
        Save(name);
        PageMargins margins;
        ASSERT_TRUE(GetPageMargins(page, &margins));
        const int left = Dev(kLogicalOrigin + margins.logical[0]);
        const int right = Dev(view_->PageRight - margins.logical[2]);
        const int top = Dev(kLogicalOrigin + margins.logical[1]);
        const int bottom = Dev(view_->PageBottom - margins.logical[3]);
        // Every staff line crosses the page's middle column: 4 systems x 2 staves x 5.
        const std::vector<int> lines = RunsDown((left + right) / 2);
        ASSERT_EQ(lines.size(), static_cast<size_t>(kSystemsPerPage * kStaves * kStaffLines));
        EXPECT_GE(lines.front(), top - 1);
        EXPECT_LE(lines.back(), bottom + 1);  // no system below the bottom margin
        for (int y : lines) {
            const auto runs = RunsAcross(y);
            ASSERT_EQ(runs.size(), 1u) << "row " << y;
            EXPECT_NEAR(runs[0].first, left, 1) << "row " << y;
            EXPECT_NEAR(runs[0].second, right, 1) << "row " << y;
        }
    }

    platform::WindowHandle window_;
    int width_ = 0;
    int height_ = 0;
};

TEST_F(FormattedPagesPicture, PageOneSystemsInsideTheMargins) { CheckPage(0, "formatted_page1_zoom16.png"); }

TEST_F(FormattedPagesPicture, PageTwoSystemsInsideTheMargins) { CheckPage(1, "formatted_page2_zoom16.png"); }

TEST_F(FormattedPagesPicture, ScrollViewLinesRunUnbroken) {
    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    view_->currentStaff = 1;
    view_->currentMeasure = 1;
    ASSERT_EQ(EnterScrollView(view_), 1);
    view_->visibleRect = gfx::Rect{kLogicalOrigin, kLogicalOrigin, view_->PageRight, view_->PageBottom};
    SetScrollViewStart(view_, 5);
    ScoreSystem* strip = view_->galleySystem;
    const int slots = strip->lastMeasure - strip->firstMeasure + 1;
    ASSERT_GE(slots, 4);  // the measures that fit the window
    const int32_t top = strip->y + StaffOffsetsOf(strip)[1];
    const auto slotX = [&](int slot) { return strip->x + view_->beatMap.slotX[BeatMapCell(strip->number, slot)]; };
    ASSERT_GT(slotX(slots + 1), slotX(1));
    BeginViewDraw(view_);
    // Each measure draws its own piece of the staff, slot edge to slot edge.
    for (int slot = 1; slot <= slots; ++slot)
        for (int line = 0; line < kStaffLines; ++line)
            Line(slotX(slot), top + line * kSpace, slotX(slot + 1), top + line * kSpace);
    EndViewDraw(view_);
    Save("scroll_view_zoom16.png");
    for (int line = 0; line < kStaffLines; ++line) {
        const int y = Dev(top + line * kSpace);
        const auto runs = RunsAcross(y);
        ASSERT_EQ(runs.size(), 1u) << "line " << line;  // no gap between measures
        EXPECT_NEAR(runs[0].first, Dev(slotX(1)), 1);
        EXPECT_NEAR(runs[0].second, std::min(Dev(slotX(slots + 1)), width_ - 1), 1);
    }
}

}  // namespace
}  // namespace ql::testing_layout
