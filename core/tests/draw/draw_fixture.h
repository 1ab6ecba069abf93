// Shared set-up of the drawing-surface and font tests: a fresh program state and
// window layer, a score window of a known size, a document and a view on it at a
// given zoom, and the program's music fonts. Helpers read the window's pixels.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/draw/staff_scaling.h"
#include "platform/tests/win/plain_window.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/state.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "platform/gfx/bitmap.h"
#include "platform/text/font.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_draw {

constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 360;
constexpr int32_t kTestZoom = 16;
constexpr int kInkThreshold = 128;

class DrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", kWindowWidth, kWindowHeight);
        document_ = std::make_unique<ScoreDocument>();
        view_.self = &view_;
        view_.document = document_.get();
        view_.pageView = 1;
        view_.pageOrigin[0] = view_.pageOrigin[1] = kLogicalOrigin;
        view_.scrollOrigin[0] = view_.scrollOrigin[1] = kLogicalOrigin;
        view_.zoom = kTestZoom;
        view_.ViewWindow = window_;
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = 96;
        fontsBefore_ = text::LiveFontCount();
    }

    void TearDown() override {
        ReleaseViewDrawing(&view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        EXPECT_EQ(text::LiveFontCount(), fontsBefore_) << "a font was left behind";
    }

    // The music fonts; skips the test when the project's font is not built.
    void RequireMusicFonts() {
        std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
        if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
        ASSERT_TRUE(CreateMusicFonts());
        ASSERT_EQ(text::GetFontFaceName(State().drawing.MusicFont), kMusicFontFace);
    }

    gfx::Colour Pixel(int x, int y) const {
        return gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
    }
    bool IsInk(int x, int y) const {
        gfx::Colour c = Pixel(x, y);
        return c != gfx::kInvalidColour &&
               (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    bool WritePng(const std::string& name) const {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        return gfx::WritePng(win::GetWindowImage(window_),
                             (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string());
    }

    win::WindowHandle window_;
    std::unique_ptr<ScoreDocument> document_;
    ScoreView view_;
    size_t fontsBefore_ = 0;
};

}  // namespace ql::testing_draw
