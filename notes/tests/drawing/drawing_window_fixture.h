// The scene the note-drawing and system-drawing tests share: a fresh program state
// with the static pool set, a headless score window at screen resolution, a linked
// view and an empty document; torn down with the view's drawing, the drawing
// globals and the music fonts. Helpers set engraving metrics and the zoom, and read
// the window's pixels. Header only, so that both test programs take it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/mapping.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing {

class DrawingWindowTest : public ::testing::Test {
  protected:
    static constexpr int kKeyC = 7;
    static constexpr int kScreenDpi = 96;
    static constexpr int kInkThreshold = 128;
    static constexpr int kStartWindowSide = 64;

    // The program state reset, then `registerClasses` (the object classes the tests
    // draw), then the window, view and document.
    template <class Register>
    void OpenScene(Register registerClasses) {
        ResetProgramState();
        ASSERT_EQ(InitStaticPoolSet(), 1);  // beam trees come from the static set
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        registerClasses();
        ResetPreferenceDefaults();
        ProgramPreferences().key = kKeyC;
        window_ = OpenPlainWindow("QLMdiChild", kStartWindowSide, kStartWindowSide);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
    }
    // Drawing ended, then `releaseOwn` (what the fixture made), then the scene.
    template <class Release>
    void CloseScene(Release releaseOwn) {
        EndViewDrawAll(view_);
        releaseOwn();
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }

    // The music fonts; false (the test is then skipped) when they are not built.
    static bool HaveMusicFonts() {
        const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
        return std::filesystem::exists(font) && CreateMusicFonts();
    }
    void SetMetric(EngravingMetric metric, uint16_t units) {
        doc_->internalDistances[static_cast<int>(metric)] = units;
    }
    void SetZoom(int32_t zoom) {
        view_->zoom = zoom;
        InitViewMetrics(view_);
    }

    gfx::Colour Pixel(int x, int y) const {
        return gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
    }
    bool IsInk(int x, int y) const {
        const gfx::Colour c = Pixel(x, y);
        return c != gfx::kInvalidColour &&
               (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // A logical point of the view in window pixels.
    gfx::Point Device(int32_t x, int32_t y) {
        BeginViewDraw(view_);
        const gfx::Point point = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, y});
        EndViewDraw(view_);
        return point;
    }
    // The window's image in the test-output folder.
    bool WritePng(const std::string& name) const {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        return gfx::WritePng(win::GetWindowImage(window_),
                             (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string());
    }
    // The window resized and the view's metrics taken again.
    void SizeWindow(int width, int height) {
        win::MoveWindow(window_, win::Rect{0, 0, width, height}, false);
        InitViewMetrics(view_);
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    win::WindowHandle window_{};
};

}  // namespace ql::testing
