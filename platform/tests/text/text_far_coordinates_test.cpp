// Text placed far outside the image, where device coordinates pass the range the
// renderer keeps exactly: the opaque cell, the glyphs and the underline and
// strike-out bars leave the image alone; text that only starts far away, or that
// a mapping brings near, draws as it would close by.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"

namespace ql::text {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 60;
constexpr int32_t kFontHeight = -40;
constexpr int32_t kFar = 1 << 24;  // wraps onto 0 in 24.8 fixed point
constexpr gfx::Colour kBackground = gfx::Rgb(0, 128, 255);

// An image with a context drawing opaque, underlined and struck-out text.
class FarCanvas {
  public:
    explicit FarCanvas(int32_t fontHeight = kFontHeight) {
        image_ = gfx::CreateImageBitmap(kWidth, kHeight);
        dc_ = gfx::CreateWindowContext(image_);
        LogicalFont request;
        request.SetFace("Arial");
        request.height = fontHeight;
        request.underline = 1;
        request.strikeout = 1;
        font_ = CreateFontIndirect(request);
        gfx::SelectObject(dc_, font_);
        gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Opaque);
        gfx::SetBackgroundColour(dc_, kBackground);
    }
    ~FarCanvas() {
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        DeleteFont(font_);
    }
    gfx::DcHandle dc() const { return dc_; }
    std::vector<gfx::Colour> Pixels() const { return gfx::ReadBitmapPixels(image_); }
    int CountNot(gfx::Colour colour) const {
        int count = 0;
        for (gfx::Colour c : Pixels()) count += c != colour;
        return count;
    }

  private:
    gfx::BitmapHandle image_;
    gfx::DcHandle dc_;
    FontHandle font_;
};

// Opaque text with both bars at points that wrap onto the image, on either side
// and along either axis, leaves every pixel white; so does transparent text.
TEST(TextFarCoordinates, TextBeyondTheRangeLeavesTheImageAlone) {
    const gfx::Point farPoints[] = {
        {kFar + 10, 0},      // wraps onto x = 10
        {-kFar + 10, 0},     // from the left
        {10, kFar + 5},      // below, wrapping onto y = 5
        {10, -kFar + 5},     // above
        {kFar + 10, kFar},   // both axes
        {INT32_MAX - 1, 0},  // at the end of the 32-bit range
        {INT32_MIN, INT32_MIN},
    };
    for (gfx::Point at : farPoints) {
        for (gfx::BackgroundMode mode :
             {gfx::BackgroundMode::Opaque, gfx::BackgroundMode::Transparent}) {
            FarCanvas canvas;
            gfx::SetBackgroundMode(canvas.dc(), mode);
            EXPECT_TRUE(TextOutA(canvas.dc(), at, "WWWW"));
            EXPECT_EQ(canvas.CountNot(gfx::kWhite), 0) << at.x << "," << at.y;
        }
    }
}

// Right-aligned text reaching from far beyond the range onto the image draws its
// last glyphs, cell and bars exactly as the short text ending at the same point
// (three glyphs: the image shows the last two).
TEST(TextFarCoordinates, RunStartingFarAwayDrawsItsNearEnd) {
    constexpr int32_t kLargeFont = -100;
    constexpr size_t kGlyphs = 100000;  // about 9 million pixels of 'W's
    constexpr gfx::Point kEnd{120, 50};
    FarCanvas longRun(kLargeFont), shortRun(kLargeFont);
    for (const FarCanvas* c : {&longRun, &shortRun})
        gfx::SetTextAlign(c->dc(), gfx::kTextAlignRight | gfx::kTextAlignBaseline);
    EXPECT_TRUE(TextOutA(longRun.dc(), kEnd, std::string(kGlyphs, 'W')));
    EXPECT_TRUE(TextOutA(shortRun.dc(), kEnd, "WWW"));
    EXPECT_GT(shortRun.CountNot(gfx::kWhite), 0);
    EXPECT_EQ(longRun.Pixels(), shortRun.Pixels());
}

// A character extra that carries the second glyph out of the range leaves it
// out: the image is that of the first glyph alone, whose cell reaches as far.
TEST(TextFarCoordinates, GlyphCarriedAwayByTheCharacterExtraStaysAway) {
    FarCanvas one, two;
    for (const FarCanvas* c : {&one, &two}) gfx::SetTextCharacterExtra(c->dc(), kFar);
    EXPECT_TRUE(TextOutA(one.dc(), gfx::Point{10, 5}, "W"));
    EXPECT_TRUE(TextOutA(two.dc(), gfx::Point{10, 5}, "WW"));
    EXPECT_GT(one.CountNot(gfx::kWhite), 0);
    EXPECT_EQ(two.Pixels(), one.Pixels());
}

// A far logical point that the mapping brings onto the image is drawn as the
// same text given near: only device coordinates are cut.
TEST(TextFarCoordinates, MappedNearTextIsUnchanged) {
    FarCanvas near, mapped;
    gfx::SetViewportOrigin(mapped.dc(), gfx::Point{-kFar, -kFar});
    EXPECT_TRUE(TextOutA(near.dc(), gfx::Point{10, 5}, "WWWW"));
    EXPECT_TRUE(TextOutA(mapped.dc(), gfx::Point{kFar + 10, kFar + 5}, "WWWW"));
    EXPECT_GT(near.CountNot(gfx::kWhite), 0);
    EXPECT_EQ(mapped.Pixels(), near.Pixels());
}

}  // namespace
}  // namespace ql::text
