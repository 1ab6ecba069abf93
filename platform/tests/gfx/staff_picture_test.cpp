// The staff picture: five staff lines 128 units apart with the music font's note
// heads (codes 69-72) on lines and in spaces, drawn through the score's mapping at
// two zooms. Writes the pictures as PNGs for review and checks from pixel rows
// that every head is centred on its line or space.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"

namespace ql::text {
namespace {

constexpr int32_t kScoreOrigin = -30720;  // the program's logical origin
constexpr int32_t kSpace = 128;           // logical units per staff space
constexpr int32_t kStep = kSpace / 2;     // a line or a space further
constexpr int32_t kLineCount = 5;
constexpr int32_t kMusicFontHeight = -512;  // one em is the staff height
constexpr int32_t kStaffTop = kScoreOrigin + 3 * kSpace;
constexpr int32_t kStaffLeft = kScoreOrigin + kSpace;
constexpr int32_t kFirstHeadX = kStaffLeft + 3 * kSpace;
constexpr int32_t kHeadPitch = 400;  // logical distance between heads
constexpr int32_t kFirstHeadCode = 69;
constexpr int32_t kLastHeadCode = 72;
constexpr int32_t kSteps[] = {0, 3, 4, 7};  // top line, a space, middle line, a space
constexpr int kHeadCount = (kLastHeadCode - kFirstHeadCode + 1) * 4;
constexpr int32_t kStaffRight = kFirstHeadX + kHeadCount * kHeadPitch;
constexpr int32_t kPictureWidth = kStaffRight - kScoreOrigin + kSpace;
constexpr int32_t kPictureHeight = (kLineCount + 5) * kSpace;
constexpr int kInkThreshold = 128;
// Device pixels. A glyph centred on its baseline is centred on the top edge of the
// pixel row the line fills, half a pixel above the line's centre.
constexpr double kCentreTolerance = 1.0;

struct Head {
    int32_t code = 0;
    int32_t x = 0;  // logical origin of the glyph
    int32_t step = 0;
    int32_t Y() const { return kStaffTop + step * kStep; }
};

std::vector<Head> Heads() {
    std::vector<Head> heads;
    int32_t x = kFirstHeadX;
    for (int32_t code = kFirstHeadCode; code <= kLastHeadCode; ++code)
        for (int32_t step : kSteps) {
            heads.push_back(Head{code, x, step});
            x += kHeadPitch;
        }
    return heads;
}

// One picture at one zoom (device pixels per staff space).
class StaffPicture {
  public:
    StaffPicture(int zoom, FontHandle musicFont) : zoom_(zoom) {
        image_ =
            gfx::CreateImageBitmap(kPictureWidth * zoom / kSpace, kPictureHeight * zoom / kSpace);
        dc_ = gfx::CreateWindowContext(image_);
        gfx::SetMapMode(dc_, gfx::MapMode::Anisotropic);
        gfx::SetWindowExtent(dc_, gfx::Size{kSpace, kSpace});
        gfx::SetViewportExtent(dc_, gfx::Size{zoom, zoom});
        gfx::SetWindowOrigin(dc_, gfx::Point{kScoreOrigin, kScoreOrigin});
        gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Transparent);
        gfx::SetTextAlign(dc_, gfx::kTextAlignBaseline);
        gfx::SelectObject(dc_, musicFont);
    }
    ~StaffPicture() {
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
    }

    void DrawLines() {
        for (int32_t line = 0; line < kLineCount; ++line) {
            int32_t y = kStaffTop + line * kSpace;
            gfx::MoveTo(dc_, gfx::Point{kStaffLeft, y});
            gfx::LineTo(dc_, gfx::Point{kStaffRight, y});
        }
    }
    void DrawHeads() {
        for (const Head& head : Heads()) {
            char code = static_cast<char>(head.code);
            TextOutA(dc_, gfx::Point{head.x, head.Y()}, std::string_view(&code, 1));
        }
    }
    bool Write(const std::string& name) const {
        return gfx::WritePng(image_, (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string());
    }

    bool IsInk(int x, int y) const {
        gfx::Colour c = gfx::GetBitmapPixel(image_, x, y);
        return c != gfx::kInvalidColour &&
               (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // Rows [first, last] holding ink between the device columns x0..x1; false when none.
    bool InkRows(int x0, int x1, int* first, int* last) const {
        *first = -1;
        for (int y = 0; y < Height(); ++y)
            for (int x = x0; x <= x1; ++x)
                if (IsInk(x, y)) {
                    if (*first < 0) *first = y;
                    *last = y;
                    break;
                }
        return *first >= 0;
    }
    // The device row centres of the staff lines, read in a column left of the heads.
    std::vector<double> LineCentres() const {
        int x = gfx::LogicalToDevice(dc_, gfx::Point{kStaffLeft + kSpace, 0}).x;
        std::vector<double> centres;
        for (int y = 0; y < Height(); ++y) {
            if (!IsInk(x, y)) continue;
            int first = y;
            while (y + 1 < Height() && IsInk(x, y + 1)) ++y;
            centres.push_back((first + y + 1) / 2.0);
        }
        return centres;
    }
    gfx::DcHandle dc() const { return dc_; }
    int zoom() const { return zoom_; }

  private:
    int Height() const {
        gfx::BitmapInfo info;
        gfx::GetBitmapInfo(image_, &info);
        return info.height;
    }
    int zoom_;
    gfx::BitmapHandle image_;
    gfx::DcHandle dc_;
};

class StaffPictureTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        std::filesystem::path fontFile = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
        std::filesystem::path script =
            std::filesystem::path(QL_SOURCE_DIR) / "fonts/make_music_fonts.py";
        if (!std::filesystem::exists(fontFile) && !std::filesystem::exists(script))
            GTEST_SKIP() << "the music font is not built yet";
        LogicalFont request;
        request.SetFace("Glyphora");
        request.height = kMusicFontHeight;
        request.charset = 2;  // symbol: codes are glyph codes
        font_ = CreateFontIndirect(request);
        ASSERT_TRUE(font_);
        ASSERT_TRUE(FindFont(font_)->match.fromPrivateFolder);
        ASSERT_FALSE(IsFontSubstituted(font_));
    }
    void TearDown() override { DeleteFont(font_); }
    FontHandle font_;
};

// Every head's ink is centred on its line (even steps) or its space (odd steps),
// and the black, half and whole heads are about one space tall.
TEST_P(StaffPictureTest, HeadsAreCentredOnTheirLinesAndSpaces) {
    const int zoom = GetParam();
    StaffPicture staff(zoom, font_);
    staff.DrawLines();
    staff.DrawHeads();
    EXPECT_TRUE(staff.Write("staff_heads_zoom" + std::to_string(zoom) + ".png"));
    std::vector<double> lines = staff.LineCentres();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kLineCount));

    StaffPicture heads(zoom, font_);  // the heads alone, to read their ink
    heads.DrawHeads();
    EXPECT_TRUE(heads.Write("staff_heads_only_zoom" + std::to_string(zoom) + ".png"));
    for (const Head& head : Heads()) {
        GlyphBox box;
        ASSERT_TRUE(GetGlyphOutlineBox(heads.dc(), head.code, &box));
        int x0 = gfx::LogicalToDevice(heads.dc(), gfx::Point{head.x + box.left, 0}).x;
        int x1 = gfx::LogicalToDevice(heads.dc(), gfx::Point{head.x + box.right, 0}).x;
        int first = 0, last = 0;
        ASSERT_TRUE(heads.InkRows(x0, x1, &first, &last)) << "code " << head.code;
        double centre = (first + last + 1) / 2.0;
        double expected = head.step % 2 == 0
                              ? lines[head.step / 2]
                              : (lines[head.step / 2] + lines[head.step / 2 + 1]) / 2;
        EXPECT_NEAR(centre, expected, kCentreTolerance)
            << "code " << head.code << " step " << head.step;
        if (head.code != kFirstHeadCode) {  // the breve's side bars reach further
            EXPECT_NEAR(last - first + 1, zoom, zoom * 0.3) << "code " << head.code;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(TwoZooms, StaffPictureTest, ::testing::Values(12, 40));

}  // namespace
}  // namespace ql::text
