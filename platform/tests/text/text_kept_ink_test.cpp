// Text drawn again on a context that keeps its Cairo context between calls: a clip
// set or dropped since the last run, and the bitmap a memory context holds now,
// decide where the next run goes; a run's colours are its own; one scaled font
// serves every run of a face at one size, and Cairo draws with it as handed, also
// after a run in another font, inking as a context of its own would.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/dc_access.h"
#include "platform/text/context_font.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/scaled_font_cache.h"
#include "platform/text/text_out.h"

namespace ql::text {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 60;
constexpr int32_t kFontHeight = -40;
constexpr gfx::Point kLeftText{4, 4};
constexpr gfx::Point kRightText{84, 4};
constexpr gfx::Rect kLeftHalf{0, 0, kWidth / 2, kHeight};
constexpr gfx::Point kMiddleText{44, 8};

int InkIn(const std::vector<gfx::Colour>& pixels, int left, int right) {
    int ink = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = left; x < right; ++x) ink += pixels[static_cast<size_t>(y) * kWidth + x] != gfx::kWhite;
    return ink;
}

class KeptInkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LogicalFont request;
        request.SetFace("Arial");
        request.height = kFontHeight;
        font_ = CreateFontIndirect(request);
        ASSERT_TRUE(FindFont(font_) != nullptr);
    }
    void TearDown() override { DeleteFont(font_); }
    FontHandle font_{};
};

// After a run without a clip, a clip to the left half keeps the next run out of the
// right half; once dropped again the right half takes ink.
TEST_F(KeptInkTest, TheClipInForceDecidesWhereTheNextRunGoes) {
    gfx::BitmapHandle image = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::DcHandle dc = gfx::CreateWindowContext(image);
    gfx::SelectObject(dc, font_);
    ASSERT_TRUE(TextOutA(dc, kLeftText, "WM"));
    ASSERT_GT(InkIn(gfx::ReadBitmapPixels(image), 0, kWidth / 2), 0);
    gfx::SetClipRect(dc, kLeftHalf);
    TextOutA(dc, kRightText, "WM");
    EXPECT_EQ(InkIn(gfx::ReadBitmapPixels(image), kWidth / 2, kWidth), 0) << "a run went past the clip";
    gfx::ClearClip(dc);
    ASSERT_TRUE(TextOutA(dc, kRightText, "WM"));
    EXPECT_GT(InkIn(gfx::ReadBitmapPixels(image), kWidth / 2, kWidth), 0) << "the dropped clip still cut";
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
}

// A memory context draws into the bitmap it holds now, not the one it drew into
// last.
TEST_F(KeptInkTest, AMemoryContextDrawsIntoTheBitmapSelectedNow) {
    gfx::BitmapHandle screen = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::DcHandle window = gfx::CreateWindowContext(screen);
    gfx::DcHandle memory = gfx::CreateMemoryContext(window);
    gfx::BitmapHandle first = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::BitmapHandle second = gfx::CreateImageBitmap(kWidth, kHeight);
    const gfx::BitmapHandle stock = gfx::SelectObject(memory, first);
    gfx::SelectObject(memory, font_);
    ASSERT_TRUE(TextOutA(memory, kLeftText, "WM"));
    const std::vector<gfx::Colour> firstBefore = gfx::ReadBitmapPixels(first);
    gfx::SelectObject(memory, second);
    ASSERT_TRUE(TextOutA(memory, kRightText, "WM"));
    EXPECT_EQ(gfx::ReadBitmapPixels(first), firstBefore) << "the run went into the bitmap held before";
    EXPECT_GT(InkIn(gfx::ReadBitmapPixels(second), kWidth / 2, kWidth), 0);
    gfx::SelectObject(memory, stock);
    gfx::DeleteContext(memory);
    gfx::DeleteContext(window);
    for (gfx::BitmapHandle b : {first, second, screen}) gfx::DeleteObject(b);
}

// An opaque run's background does not carry over into the transparent run after it,
// and each run inks in its own text colour.
TEST_F(KeptInkTest, EachRunTakesItsOwnColours) {
    gfx::BitmapHandle image = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::DcHandle dc = gfx::CreateWindowContext(image);
    gfx::SelectObject(dc, font_);
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Opaque);
    gfx::SetBackgroundColour(dc, gfx::Rgb(0, 0, 255));
    ASSERT_TRUE(TextOutA(dc, kLeftText, "WM"));
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    gfx::SetTextColour(dc, gfx::Rgb(255, 0, 0));
    ASSERT_TRUE(TextOutA(dc, kRightText, "WM"));
    const std::vector<gfx::Colour> pixels = gfx::ReadBitmapPixels(image);
    int blue = 0;
    int red = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = kWidth / 2; x < kWidth; ++x) {
            const gfx::Colour c = pixels[static_cast<size_t>(y) * kWidth + x];
            blue += gfx::BlueOf(c) > 128 && gfx::RedOf(c) < 128 ? 1 : 0;
            red += gfx::RedOf(c) > 128 && gfx::GreenOf(c) < 128 && gfx::BlueOf(c) < 128 ? 1 : 0;
        }
    EXPECT_EQ(blue, 0) << "the first run's background carried over";
    EXPECT_GT(red, 0) << "the second run did not ink in its own colour";
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
}

// Runs of one face at one size share a scaled font; another size makes one more.
TEST_F(KeptInkTest, OneScaledFontServesEveryRunAtOneSize) {
    gfx::BitmapHandle image = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::DcHandle dc = gfx::CreateWindowContext(image);
    gfx::SelectObject(dc, font_);
    ASSERT_TRUE(TextOutA(dc, kLeftText, "W"));
    const size_t afterFirst = ScaledFontCount();
    ASSERT_TRUE(TextOutA(dc, kRightText, "M"));
    EXPECT_EQ(ScaledFontCount(), afterFirst);
    LogicalFont larger;
    larger.SetFace("Arial");
    larger.height = 2 * kFontHeight;
    FontHandle other = CreateFontIndirect(larger);
    gfx::SelectObject(dc, other);
    ASSERT_TRUE(TextOutA(dc, kLeftText, "W"));
    EXPECT_EQ(ScaledFontCount(), afterFirst + 1);
    gfx::SelectObject(dc, font_);
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
    DeleteFont(other);
}

// Runs in two fonts taking turns, as a tempo mark's symbol and number do.
class AlternatingFontsTest : public KeptInkTest {
  protected:
    void SetUp() override {
        KeptInkTest::SetUp();
        LogicalFont request;
        request.SetFace("Times New Roman");
        request.height = kFontHeight / 2;
        request.weight = 700;
        other_ = CreateFontIndirect(request);
        ASSERT_TRUE(FindFont(other_) != nullptr);
    }
    void TearDown() override {
        DeleteFont(other_);
        KeptInkTest::TearDown();
    }
    // The three runs, in the first font, the second and the first again.
    struct Run {
        FontHandle font;
        gfx::Point at;
        const char* text;
    };
    std::vector<Run> Runs() const { return {{font_, kLeftText, "WM"}, {other_, kMiddleText, "120"}, {font_, kRightText, "fp"}}; }
    FontHandle other_{};
};

// After a run in another font Cairo still holds the kept scaled font of the font
// the next run is in, rather than one it made itself.
TEST_F(AlternatingFontsTest, CairoDrawsWithTheKeptScaledFont) {
    gfx::BitmapHandle image = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::DcHandle dc = gfx::CreateWindowContext(image);
    for (const Run& run : Runs()) {
        gfx::SelectObject(dc, run.font);
        ASSERT_TRUE(TextOutA(dc, run.at, run.text));
        SizedFont sized;
        ASSERT_TRUE(ContextFont(dc, &sized));
        cairo_t* cr = gfx::BeginInk(dc);
        ASSERT_NE(cr, nullptr);
        EXPECT_EQ(cairo_get_scaled_font(cr), ScaledFontFor(sized, false, cairo_get_target(cr)))
            << "the run of \"" << run.text << "\" was drawn with a font Cairo made afresh";
        gfx::EndInk(dc);
    }
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
}

// The same runs ink the same pixels on one kept context as each on a context of
// its own.
TEST_F(AlternatingFontsTest, InkIsTheSameAsOnFreshContexts) {
    gfx::BitmapHandle kept = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::BitmapHandle fresh = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::DcHandle dc = gfx::CreateWindowContext(kept);
    for (const Run& run : Runs()) {
        gfx::SelectObject(dc, run.font);
        ASSERT_TRUE(TextOutA(dc, run.at, run.text));
        gfx::DcHandle own = gfx::CreateWindowContext(fresh);
        gfx::SelectObject(own, run.font);
        ASSERT_TRUE(TextOutA(own, run.at, run.text));
        gfx::DeleteContext(own);
    }
    const std::vector<gfx::Colour> pixels = gfx::ReadBitmapPixels(kept);
    EXPECT_GT(InkIn(pixels, 0, kWidth), 0);
    EXPECT_EQ(pixels, gfx::ReadBitmapPixels(fresh));
    gfx::DeleteContext(dc);
    gfx::DeleteObject(kept);
    gfx::DeleteObject(fresh);
}

}  // namespace
}  // namespace ql::text
