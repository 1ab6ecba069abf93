// Text ink and the context's clip: glyphs cut by a clip rectangle keep exactly
// their unclipped pixels inside it and leave everything outside alone; a clip that
// is the whole image changes nothing.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"

namespace ql::text {
namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 60;
constexpr int32_t kFontHeight = -48;
constexpr gfx::Point kTextAt{4, 2};
constexpr gfx::Rect kPartialClip{20, 10, 70, 40};

// Draws the same text on a fresh image under a given clip (none when empty).
std::vector<gfx::Colour> DrawClipped(const gfx::Rect& clip, gfx::BackgroundMode mode) {
    gfx::BitmapHandle image = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::DcHandle dc = gfx::CreateWindowContext(image);
    LogicalFont request;
    request.SetFace("Arial");
    request.height = kFontHeight;
    FontHandle font = CreateFontIndirect(request);
    gfx::SelectObject(dc, font);
    gfx::SetBackgroundMode(dc, mode);
    gfx::SetBackgroundColour(dc, gfx::Rgb(0, 128, 255));
    if (!clip.IsEmpty()) gfx::SetClipRect(dc, clip);
    EXPECT_TRUE(TextOutA(dc, kTextAt, "WMW"));
    std::vector<gfx::Colour> pixels = gfx::ReadBitmapPixels(image);
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
    DeleteFont(font);
    return pixels;
}

class TextClipTest : public ::testing::TestWithParam<gfx::BackgroundMode> {};

// Inside a partial clip the pixels are those of the unclipped text; outside, white.
TEST_P(TextClipTest, PartialClipKeepsInsidePixelsAndLeavesOutsideWhite) {
    std::vector<gfx::Colour> whole = DrawClipped(gfx::Rect{}, GetParam());
    std::vector<gfx::Colour> cut = DrawClipped(kPartialClip, GetParam());
    int wrongInside = 0, wrongOutside = 0, inkInside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            size_t i = static_cast<size_t>(y) * kWidth + x;
            if (kPartialClip.Contains(gfx::Point{x, y})) {
                wrongInside += cut[i] != whole[i];
                inkInside += whole[i] != gfx::kWhite;
            } else {
                wrongOutside += cut[i] != gfx::kWhite;
            }
        }
    EXPECT_GT(inkInside, 0);  // the clip does cut through the text
    EXPECT_EQ(wrongInside, 0);
    EXPECT_EQ(wrongOutside, 0);
}

// A clip covering the whole image draws the same pixels as no clip at all.
TEST_P(TextClipTest, ClipOfTheWholeImageChangesNothing) {
    EXPECT_EQ(DrawClipped(gfx::Rect{0, 0, kWidth, kHeight}, GetParam()),
              DrawClipped(gfx::Rect{}, GetParam()));
}

INSTANTIATE_TEST_SUITE_P(BothBackgrounds, TextClipTest,
                         ::testing::Values(gfx::BackgroundMode::Transparent, gfx::BackgroundMode::Opaque));

}  // namespace
}  // namespace ql::text
