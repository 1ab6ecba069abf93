// Sheets of every code 32..255 of the two music fonts, drawn through the text
// layer at the score's size: one cell per code with its number, a staff whose
// bottom line is the baseline, a red tick left of the glyph origin and a blue
// bar under the baseline as long as the advance. Written as PNGs for review;
// checked that each code the drawing code gives a meaning has ink in its cell
// and that every code measures with a width.
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

constexpr int kFirstCode = 32;
constexpr int kLastCode = 255;
constexpr int kColumns = 8;
constexpr int kRows = 7;
constexpr int kCodesPerSheet = kColumns * kRows;
constexpr int kZoom = 16;                    // device pixels per staff space
constexpr int32_t kSpace = 128;              // logical units per staff space
constexpr int32_t kMusicFontHeight = -512;   // one em is the staff height
constexpr int32_t kLabelFontHeight = -160;
constexpr int32_t kCellWidth = 10 * kSpace;
constexpr int32_t kCellHeight = 13 * kSpace;
constexpr int32_t kBaselineInCell = 8 * kSpace;  // room above for clefs and braces
constexpr int32_t kOriginInCell = 2 * kSpace;
constexpr int32_t kLabelInset = kSpace / 4;
constexpr int32_t kTickLength = kSpace / 4;
constexpr int32_t kAdvanceBarDrop = kSpace / 3;
constexpr int32_t kStaffLines = 5;
constexpr uint8_t kSymbolCharset = 2;
constexpr int kDarkChannel = 128;  // every channel below this: black ink
constexpr int kLeastInkPixels = 3;
constexpr gfx::Colour kStaffColour = gfx::kLightGrey;
constexpr gfx::Colour kOriginColour = gfx::Rgb(255, 0, 0);
constexpr gfx::Colour kAdvanceColour = gfx::Rgb(120, 170, 255);
constexpr gfx::Colour kLabelColour = gfx::Rgb(0, 0, 255);

struct CodeRange {
    int first;
    int last;
};

// The codes of "Glyphora" that the drawing, palette and import code name:
// symbols, clefs, heads, fret numbers, flags, rests, articulations, dynamics,
// words, note symbols, ornaments, accidentals, signs, tempo units, brace and
// bracket parts.
constexpr CodeRange kGlyphoraMeaningful[] = {
    {34, 34},   {37, 38},   {40, 42},   {48, 67},   {69, 85},   {87, 103},  {110, 114},
    {118, 123}, {128, 181}, {184, 185}, {188, 230}, {232, 232}, {234, 235}, {237, 238},
    {240, 241}, {243, 244}, {249, 249}, {251, 255},
};
// "Fretmark": the 192 chord diagrams (E7 by the formula, 127, excepted) and the
// E7 diagram drawn in its place.
constexpr CodeRange kFretmarkMeaningful[] = {{60, 126}, {128, 252}};

template <size_t N>
std::vector<int> CodesOf(const CodeRange (&ranges)[N]) {
    std::vector<int> codes;
    for (const CodeRange& r : ranges)
        for (int code = r.first; code <= r.last; ++code) codes.push_back(code);
    return codes;
}

FontHandle MakeFont(std::string_view face, int32_t height, uint8_t charset) {
    LogicalFont request;
    request.SetFace(face);
    request.height = height;
    request.charset = charset;
    return CreateFontIndirect(request);
}

// One sheet of kCodesPerSheet codes from `first`, at the score's mapping.
class Sheet {
  public:
    Sheet(FontHandle music, FontHandle labels, int first, bool withStaff)
        : music_(music), labels_(labels), first_(first), withStaff_(withStaff) {
        image_ = gfx::CreateImageBitmap(kColumns * kCellWidth * kZoom / kSpace,
                                        kRows * kCellHeight * kZoom / kSpace);
        dc_ = gfx::CreateWindowContext(image_);
        gfx::SetMapMode(dc_, gfx::MapMode::Anisotropic);
        gfx::SetWindowExtent(dc_, gfx::Size{kSpace, kSpace});
        gfx::SetViewportExtent(dc_, gfx::Size{kZoom, kZoom});
        gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Transparent);
        gfx::SetTextAlign(dc_, gfx::kTextAlignBaseline);
        staffPen_ = gfx::CreatePen(gfx::PenStyle::Solid, 0, kStaffColour);
        originPen_ = gfx::CreatePen(gfx::PenStyle::Solid, 0, kOriginColour);
        advancePen_ = gfx::CreatePen(gfx::PenStyle::Solid, 0, kAdvanceColour);
    }
    ~Sheet() {
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        for (gfx::PenHandle pen : {staffPen_, originPen_, advancePen_}) gfx::DeleteObject(pen);
    }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    void Draw() {
        for (int code = first_; code < first_ + kCodesPerSheet && code <= kLastCode; ++code) DrawCell(code);
    }
    bool Write(const std::string& name) const {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        return gfx::WritePng(image_, (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string());
    }
    bool Holds(int code) const { return code >= first_ && code < first_ + kCodesPerSheet; }

    // Black pixels inside the ink box the layer measures for the code.
    int InkPixels(int code) const {
        gfx::SelectObject(dc_, music_);
        GlyphBox box;
        if (!GetGlyphOutlineBox(dc_, static_cast<uint32_t>(code), &box) || !box.hasInk) return 0;
        gfx::Point origin = Origin(code);
        gfx::Point a = gfx::LogicalToDevice(dc_, gfx::Point{origin.x + box.left, origin.y - box.top});
        gfx::Point b = gfx::LogicalToDevice(dc_, gfx::Point{origin.x + box.right, origin.y - box.bottom});
        int count = 0;
        for (int y = a.y; y <= b.y; ++y)
            for (int x = a.x; x <= b.x; ++x) count += IsBlack(gfx::GetBitmapPixel(image_, x, y));
        return count;
    }

  private:
    static bool IsBlack(gfx::Colour c) {
        return c != gfx::kInvalidColour && gfx::RedOf(c) < kDarkChannel && gfx::GreenOf(c) < kDarkChannel &&
               gfx::BlueOf(c) < kDarkChannel;
    }
    gfx::Point CellTopLeft(int code) const {
        int slot = code - first_;
        return gfx::Point{(slot % kColumns) * kCellWidth, (slot / kColumns) * kCellHeight};
    }
    gfx::Point Origin(int code) const {
        gfx::Point cell = CellTopLeft(code);
        return gfx::Point{cell.x + kOriginInCell, cell.y + kBaselineInCell};
    }
    void Line(gfx::PenHandle pen, gfx::Point from, gfx::Point to) {
        gfx::SelectObject(dc_, pen);
        gfx::MoveTo(dc_, from);
        gfx::LineTo(dc_, to);
    }
    void DrawCell(int code) {
        gfx::Point cell = CellTopLeft(code), origin = Origin(code);
        int lines = withStaff_ ? kStaffLines : 1;
        for (int line = 0; line < lines; ++line)
            Line(staffPen_, gfx::Point{cell.x, origin.y - line * kSpace},
                 gfx::Point{cell.x + kCellWidth, origin.y - line * kSpace});
        Line(originPen_, gfx::Point{origin.x - 2 * kTickLength, origin.y}, gfx::Point{origin.x - kTickLength, origin.y});
        gfx::SelectObject(dc_, music_);
        int32_t advance = 0;
        GetCharWidths(dc_, static_cast<uint32_t>(code), static_cast<uint32_t>(code), &advance);
        Line(advancePen_, gfx::Point{origin.x, origin.y + kAdvanceBarDrop},
             gfx::Point{origin.x + advance, origin.y + kAdvanceBarDrop});
        gfx::SetTextColour(dc_, kLabelColour);
        gfx::SelectObject(dc_, labels_);
        TextOutA(dc_, gfx::Point{cell.x + kLabelInset, cell.y - kLabelFontHeight + kLabelInset},
                 std::to_string(code));
        gfx::SetTextColour(dc_, gfx::kBlack);
        gfx::SelectObject(dc_, music_);
        char byte = static_cast<char>(code);
        TextOutA(dc_, origin, std::string_view(&byte, 1));
    }

    FontHandle music_;
    FontHandle labels_;
    int first_;
    bool withStaff_;
    gfx::BitmapHandle image_;
    gfx::DcHandle dc_;
    gfx::PenHandle staffPen_;
    gfx::PenHandle originPen_;
    gfx::PenHandle advancePen_;
};

class MusicFontSheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        labels_ = MakeFont("Liberation Sans", kLabelFontHeight, 0);
        ASSERT_TRUE(labels_);
    }
    void TearDown() override { DeleteFont(labels_); }

    // Draws and writes the sheets of one font; every code in `meaningful` must
    // have ink on its sheet.
    void CheckFont(std::string_view face, const std::string& fileStem, bool withStaff,
                   const std::vector<int>& meaningful) {
        FontHandle music = MakeFont(face, kMusicFontHeight, kSymbolCharset);
        ASSERT_TRUE(music);
        ASSERT_TRUE(FindFont(music)->match.fromPrivateFolder) << face << " is not the program's own";
        for (int first = kFirstCode; first <= kLastCode; first += kCodesPerSheet) {
            Sheet sheet(music, labels_, first, withStaff);
            sheet.Draw();
            std::string name = fileStem + "_codes_" + std::to_string(first) + "_" +
                               std::to_string(std::min(first + kCodesPerSheet - 1, kLastCode)) + ".png";
            EXPECT_TRUE(sheet.Write(name));
            for (int code : meaningful) {
                if (!sheet.Holds(code)) continue;
                EXPECT_GE(sheet.InkPixels(code), kLeastInkPixels) << face << " code " << code;
            }
        }
        DeleteFont(music);
    }
    FontHandle labels_;
};

// Every Glyphora code with a meaning draws visible ink through the symbol
// character set (NBSP 160 and the soft hyphen 173 among them).
TEST_F(MusicFontSheetTest, GlyphoraCodesWithAMeaningHaveInk) {
    CheckFont("Glyphora", "glyphora", true, CodesOf(kGlyphoraMeaningful));
}

// Every chord code of Fretmark draws its diagram.
TEST_F(MusicFontSheetTest, FretmarkDiagramsHaveInk) {
    CheckFont("Fretmark", "fretmark", false, CodesOf(kFretmarkMeaningful));
}

// Through the text layer, every code 32..255 of both fonts measures with a
// width, since stored scores may name any code.
TEST_F(MusicFontSheetTest, EveryCodeMeasuresWithAWidth) {
    for (std::string_view face : {"Glyphora", "Fretmark"}) {
        FontHandle music = MakeFont(face, kMusicFontHeight, kSymbolCharset);
        ASSERT_TRUE(music);
        gfx::DcHandle dc = gfx::CreateMemoryContext(gfx::DcHandle{});
        gfx::SelectObject(dc, music);
        std::vector<int32_t> widths(kLastCode - kFirstCode + 1);
        ASSERT_TRUE(GetCharWidths(dc, kFirstCode, kLastCode, widths.data()));
        for (int code = kFirstCode; code <= kLastCode; ++code)
            EXPECT_GT(widths[code - kFirstCode], 0) << face << " code " << code;
        gfx::DeleteContext(dc);
        DeleteFont(music);
    }
}

}  // namespace
}  // namespace ql::text
