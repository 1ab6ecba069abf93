// Row blits against a pixel-by-pixel walk: every raster operation (all 256 truth
// tables), monochrome and colour on either side, null, solid, hatched and pattern
// inks, stretched, mirrored and clipped boxes, boxes partly or wholly off either
// image, over seeded random cases; and blits within one image that overlap.
#include <gtest/gtest.h>

#include <random>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/detail/blit_rows.h"
#include "platform/gfx/detail/image.h"
#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using detail::BlitSource;
using detail::BlitTarget;
using detail::DcState;
using detail::DeviceBox;
using detail::Image;
using detail::Ink;

// The colour rules a pixel at a time, as written out before the row blits.
uint32_t ConvertOnePixel(uint32_t s, bool sourceMono, bool destMono, const BlitTarget& t, uint32_t sourceBk) {
    if (sourceMono && !destMono) return (s & detail::kRgbMask) == 0 ? t.textPixel : t.backgroundPixel;
    if (!sourceMono && destMono)
        return ((s ^ sourceBk) & detail::kRgbMask) == 0 ? detail::kWhitePixel : detail::kBlackPixel;
    return s;
}

// The blit a pixel at a time, sampling, converting and combining each pixel on its own.
void BlitPixelByPixel(Image& image, const BlitTarget& t, const BlitSource* src, const Ink& pattern, uint32_t rop) {
    bool sourceMono = src && src->pixels && src->pixels->monochrome();
    for (int y = t.area.top; y < t.area.bottom; ++y) {
        uint32_t* row = image.Row(y);
        for (int x = t.area.left; x < t.area.right; ++x) {
            uint32_t s = 0, p = 0;
            if (src) {
                if (!detail::SamplePixel(*src, t.box, int64_t{x} - t.box.box.left, int64_t{y} - t.box.box.top, &s))
                    continue;
                s = ConvertOnePixel(s, sourceMono, image.monochrome(), t, src->backgroundPixel);
            }
            if (!pattern.PixelAt(x, y, &p)) p = 0;
            if (image.monochrome()) p = detail::MonochromePixelOf(p);
            row[x] = detail::ApplyRop3(rop, p, s, row[x]);
        }
    }
}

class RandomBlits {
public:
    explicit RandomBlits(uint32_t seed) : rng_(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }

    // Pixels from a small palette (so that sources often match their background) or any colour.
    uint32_t Pixel(bool mono) {
        static constexpr uint32_t kPalette[] = {detail::kWhitePixel, detail::kBlackPixel, 0xFF123456u, 0xFFFF0000u};
        uint32_t p = Chance(60) ? kPalette[Int(0, 3)] : (static_cast<uint32_t>(Int(0, 0xFFFFFF)) | detail::kOpaqueAlpha);
        return mono ? detail::MonochromePixelOf(p) : p;
    }
    std::unique_ptr<Image> MakeImage(int w, int h, bool mono) {
        auto image = Image::Create(w, h, detail::kWhitePixel, mono);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) image->Row(y)[x] = Pixel(mono);
        return image;
    }
    // A box near an image of the given size: inside, across an edge, or far off.
    DeviceBox Box(int w, int h) {
        int x = Int(-w / 2 - 1, w - 1), y = Int(-h / 2 - 1, h - 1);
        if (Chance(3)) x += Chance(50) ? (1 << 30) : -(1 << 30);
        Rect r{x, y, x + Int(1, 2 * w), y + Int(1, 2 * h)};
        return DeviceBox{r, Chance(30), Chance(30)};
    }
    Ink MakeInk(const DcState& state) {
        auto brush = std::make_shared<BrushDesc>();
        switch (Int(0, 3)) {
        case 0: return Ink();
        case 1: brush->style = BrushStyle::Solid; break;
        case 2:
            brush->style = BrushStyle::Hatched;
            brush->hatch = static_cast<HatchStyle>(Int(0, 5));
            break;
        default:
            brush->style = BrushStyle::Pattern;
            brush->patternWidth = Int(1, 8);
            brush->patternHeight = Int(1, 8);
            brush->monochromePattern = Chance(50);
            for (int i = 0; i < brush->patternWidth * brush->patternHeight; ++i)
                brush->pattern.push_back(detail::ColourOf(Pixel(brush->monochromePattern)));
        }
        brush->colour = detail::ColourOf(Pixel(false));
        return Ink::ForBrush(brush, state);
    }

private:
    std::mt19937 rng_;
};

// Every truth table, with and without a source, gives the pixels of the pixel-by-pixel walk.
TEST(GfxBlitRows, EveryOperationMatchesThePixelByPixelWalk) {
    RandomBlits r(20261208);
    constexpr int kCases = 6000;
    int changed = 0;  // cases that changed a pixel, so that the comparison has something to compare
    for (int n = 0; n < kCases; ++n) {
        const uint32_t rop = static_cast<uint32_t>(n % 256) << 16;
        const bool destMono = r.Chance(25), sourceMono = r.Chance(25), withSource = r.Chance(85);
        const int dw = r.Int(1, 24), dh = r.Int(1, 12);
        auto fast = r.MakeImage(dw, dh, destMono);
        auto slow = fast->Copy(fast->bounds());

        DcState state;
        state.textColour = detail::ColourOf(r.Pixel(false));
        state.backgroundColour = detail::ColourOf(r.Pixel(false));
        state.backgroundMode = r.Chance(50) ? BackgroundMode::Opaque : BackgroundMode::Transparent;
        const Ink ink = r.MakeInk(state);

        BlitTarget target;
        target.box = r.Box(dw, dh);
        Rect clip{r.Int(0, dw), r.Int(0, dh), r.Int(0, dw), r.Int(0, dh)};
        target.area = Intersect(target.box.box, r.Chance(70) ? fast->bounds() : Normalised(clip));
        target.textPixel = detail::PixelOf(state.textColour);
        target.backgroundPixel = detail::PixelOf(state.backgroundColour);

        BlitSource src;
        const int sw = r.Int(1, 24), sh = r.Int(1, 12);
        auto whole = r.MakeImage(sw, sh, sourceMono);
        // Unstretched (the same size as the target) or any box.
        const int ox = r.Int(-4, sw), oy = r.Int(-4, sh);
        DeviceBox from = r.Chance(40) ? DeviceBox{Rect{ox, oy, ox + target.box.box.Width(), oy + target.box.box.Height()},
                                                  r.Chance(20), r.Chance(20)}
                                      : r.Box(sw, sh);
        src.box = from.box;
        src.mirrorX = from.flipX;
        src.mirrorY = from.flipY;
        src.backgroundPixel = r.Pixel(false);
        Rect area = Intersect(src.box, whole->bounds());
        if (!area.IsEmpty()) {
            src.pixels = whole->Copy(area);
            src.origin = Point{area.left, area.top};
        }

        const BlitSource* source = withSource ? &src : nullptr;
        auto before = fast->Copy(fast->bounds());
        detail::BlitRows(*fast, target, source, ink, rop);
        BlitPixelByPixel(*slow, target, source, ink, rop);
        bool anyChanged = false;
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x) {
                anyChanged = anyChanged || fast->At(x, y) != before->At(x, y);
                ASSERT_EQ(fast->At(x, y), slow->At(x, y))
                    << "case " << n << " rop " << std::hex << (rop >> 16) << std::dec << " at " << x << "," << y;
            }
        changed += anyChanged;
    }
    EXPECT_GT(changed, kCases / 4);
}

// A blit within one image reads the image as it was before the blit, however
// the two rectangles overlap: the same as a blit from an untouched copy of it.
TEST(GfxBlitRows, OverlappingBlitWithinOneImageReadsTheImageBeforeIt) {
    RandomBlits r(7);
    constexpr int kSide = 12, kCases = 200;
    for (int n = 0; n < kCases; ++n) {
        testing::Canvas same(kSide, kSide), other(kSide, kSide), copy(kSide, kSide);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                Colour c = detail::ColourOf(r.Pixel(false));
                SetPixel(same.dc(), Point{x, y}, c);
                SetPixel(other.dc(), Point{x, y}, c);
                SetPixel(copy.dc(), Point{x, y}, c);
            }
        Rect to{r.Int(-3, kSide), r.Int(-3, kSide), r.Int(-3, kSide + 3), r.Int(-3, kSide + 3)};
        Rect from{r.Int(-3, kSide), r.Int(-3, kSide), r.Int(-3, kSide + 3), r.Int(-3, kSide + 3)};
        const uint32_t rop = r.Chance(50) ? RasterOp::SourceCopy : RasterOp::SourceInvert;
        StretchBlit(same.dc(), to, same.dc(), from, rop);
        StretchBlit(other.dc(), to, copy.dc(), from, rop);
        ASSERT_EQ(same.Pixels(), other.Pixels()) << "case " << n;
    }
}

}  // namespace
}  // namespace ql::gfx
