// Widths of text runs, as the program's layout, carets and text boxes use them:
// the extent of a run is the sum of its characters' widths (plus the character
// extra after each), for every face, height and zoom, and the glyphs are drawn at
// those sums, so text drawn in one call matches text drawn piece by piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"

namespace ql::text {
namespace {

constexpr char kPangram[] = "The quick brown fox jumps over the lazy dog";
constexpr uint8_t kWestern = 0;
constexpr uint8_t kSymbol = 2;
constexpr int kWidth = 480;
constexpr int kHeight = 64;

struct FaceCase {
    const char* face;
    uint8_t charset;
};

// Text faces through their metric-compatible substitutes, a face found as it is
// named, and the two music fonts of the program's folder read by symbol code.
constexpr FaceCase kFaces[] = {
    {"Arial", kWestern},       {"Times New Roman", kWestern}, {"Courier New", kWestern},
    {"DejaVu Sans", kWestern}, {"Glyphora", kSymbol},         {"Fretmark", kSymbol},
};
// Small heights, where rounding the whole run once strays furthest from the sum
// of rounded widths, cell heights (positive) and a large em.
constexpr int32_t kHeights[] = {-7, -9, -10, -11, -13, -16, -23, -37, 12, 19, -100};

// What a face draws: its pangram, or for a music font a spread of its codes.
std::string SampleOf(const FaceCase& face) {
    if (face.charset != kSymbol) return kPangram;
    std::string codes;
    for (int code = 33; code <= 255; code += 5) codes.push_back(static_cast<char>(code));
    return codes;
}

// A font on an image context, with an optional zoom (device / logical units). A
// bilevel canvas (a monochrome bitmap, white ink on black) draws glyphs without
// antialiasing, so ink of neighbouring glyphs that overlaps adds up the same
// whether they are drawn together or one by one.
class TextCanvas {
  public:
    TextCanvas(const FaceCase& face, int32_t height, gfx::Size zoom = {1, 1},
               bool bilevel = false) {
        if (bilevel) {
            image_ = gfx::CreateMonochromeBitmap(kWidth, kHeight);
            dc_ = gfx::CreateMemoryContext(gfx::DcHandle{});
            gfx::SelectObject(dc_, image_);
            gfx::SetTextColour(dc_, gfx::kWhite);
        } else {
            image_ = gfx::CreateImageBitmap(kWidth, kHeight);
            dc_ = gfx::CreateWindowContext(image_);
        }
        LogicalFont request;
        request.SetFace(face.face);
        request.height = height;
        request.charset = face.charset;
        font_ = CreateFontIndirect(request);
        gfx::SelectObject(dc_, font_);
        gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Transparent);
        if (zoom == gfx::Size{1, 1}) return;
        gfx::SetMapMode(dc_, gfx::MapMode::Anisotropic);
        gfx::SetWindowExtent(dc_, gfx::Size{zoom.cy, zoom.cy});
        gfx::SetViewportExtent(dc_, gfx::Size{zoom.cx, zoom.cx});
    }
    ~TextCanvas() {
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        DeleteFont(font_);
    }
    gfx::DcHandle dc() const { return dc_; }
    bool Substituted() const { return IsFontSubstituted(font_); }
    std::vector<gfx::Colour> Pixels() const { return gfx::ReadBitmapPixels(image_); }

    // The width of each character of the text, one at a time.
    std::vector<int32_t> Widths(const std::string& text) const {
        std::vector<int32_t> widths;
        for (char c : text) {
            int32_t w = 0;
            auto code = static_cast<uint8_t>(c);
            EXPECT_TRUE(GetCharWidths(dc_, code, code, &w));
            widths.push_back(w);
        }
        return widths;
    }

  private:
    gfx::BitmapHandle image_;
    gfx::DcHandle dc_;
    FontHandle font_;
};

// Zooms of the score views: none, zoomed out to 3/7 and zoomed in to 5/2.
constexpr gfx::Size kZooms[] = {{1, 1}, {3, 7}, {5, 2}};

// Faces, heights, zooms and character extras: the extent is always the sum of
// the widths (the pangram in Arial at -9 is where a once-rounded run was 7
// pixels short); UTF-16 text measures the same as its 8-bit form.
TEST(TextAdvances, ExtentIsTheSumOfTheCharacterWidths) {
    for (const FaceCase& face : kFaces)
        for (int32_t height : kHeights)
            for (gfx::Size zoom : kZooms)
                for (int32_t extra : {0, 3}) {
                    TextCanvas canvas(face, height, zoom);
                    ASSERT_FALSE(canvas.Substituted() && face.charset == kSymbol) << face.face;
                    gfx::SetTextCharacterExtra(canvas.dc(), extra);
                    std::string text = SampleOf(face);
                    int32_t sum = 0;
                    for (int32_t w : canvas.Widths(text)) sum += w + extra;
                    gfx::Size extent;
                    ASSERT_TRUE(GetTextExtentA(canvas.dc(), text, &extent));
                    EXPECT_EQ(extent.cx, sum) << face.face << " " << height << " zoom " << zoom.cx
                                              << "/" << zoom.cy << " extra " << extra;
                    if (face.charset == kSymbol) continue;
                    std::u16string wide(text.begin(), text.end());
                    ASSERT_TRUE(GetTextExtentW(canvas.dc(), wide, &extent));
                    EXPECT_EQ(extent.cx, sum) << face.face << " " << height;
                }
}

// Where the reference point of an alignment sits along a run of width w: its
// logical offset from the run's left end, and its device x on the image.
struct Anchor {
    gfx::TextAlign align;
    int32_t Offset(int32_t w) const {
        return align == gfx::kTextAlignRight ? w : align == gfx::kTextAlignCentre ? w / 2 : 0;
    }
    int32_t DeviceX() const {
        return align == gfx::kTextAlignRight    ? kWidth
               : align == gfx::kTextAlignCentre ? kWidth / 2
                                                : 0;
    }
};
constexpr Anchor kAnchors[] = {
    {gfx::kTextAlignLeft}, {gfx::kTextAlignCentre}, {gfx::kTextAlignRight}};

// Drawn in one call, with any alignment, a run puts every glyph where drawing its
// characters one by one at the summed widths puts them: the same pixels, at every
// zoom (the reference point is one the zoom maps exactly), on a bilevel canvas.
TEST(TextAdvances, GlyphsAreDrawnAtTheSummedWidths) {
    constexpr int32_t kDrawnHeights[] = {-9, -13, 19, -37};
    for (const FaceCase& face : kFaces)
        for (int32_t height : kDrawnHeights)
            for (gfx::Size zoom : kZooms)
                for (Anchor anchor : kAnchors) {
                    std::string text = SampleOf(face);
                    TextCanvas whole(face, height, zoom, true), pieces(face, height, zoom, true);
                    std::vector<int32_t> widths = pieces.Widths(text);
                    int32_t width = 0;
                    for (int32_t w : widths) width += w;
                    for (const TextCanvas* c : {&whole, &pieces}) {
                        gfx::SetViewportOrigin(c->dc(), gfx::Point{anchor.DeviceX(), kHeight / 2});
                        gfx::SetTextAlign(c->dc(), gfx::kTextAlignBaseline);
                    }
                    gfx::SetTextAlign(whole.dc(), anchor.align | gfx::kTextAlignBaseline);
                    ASSERT_TRUE(TextOutA(whole.dc(), gfx::Point{0, 0}, text));
                    int32_t x = -anchor.Offset(width);
                    for (size_t i = 0; i < text.size(); ++i) {
                        ASSERT_TRUE(TextOutA(pieces.dc(), gfx::Point{x, 0}, text.substr(i, 1)));
                        x += widths[i];
                    }
                    EXPECT_EQ(whole.Pixels(), pieces.Pixels())
                        << face.face << " " << height << " zoom " << zoom.cx << "/" << zoom.cy
                        << " align " << anchor.align;
                    std::vector<gfx::Colour> ink = pieces.Pixels();
                    EXPECT_GT(std::count(ink.begin(), ink.end(), gfx::kWhite), 0)
                        << face.face << " " << height;
                }
}

}  // namespace
}  // namespace ql::text
