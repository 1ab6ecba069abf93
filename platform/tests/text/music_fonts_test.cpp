// Checks the generated music fonts "Glyphora" and "Fretmark" in the program's
// folder, read with FreeType directly: coverage of every code, the cmap pages,
// and the calibration the score drawing relies on (one em is the
// staff height, note heads centred on the baseline, rests and clefs placed
// against the staff's bottom line, brace halves sized for the brace font).
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kFirstCode = 32;
constexpr uint32_t kLastCode = 255;
constexpr uint32_t kSymbolPage = 0xF000;
// The score's units: an em of 512 holds the five-line staff, 128 a space.
constexpr double kScoreEm = 512.0;
constexpr double kScoreSpace = 128.0;

struct GlyphShape {
    FT_BBox box{};
    FT_Pos advance = 0;
    int contours = 0;
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> contourEnds;  // index of each contour's last point
};

// One face opened from the program's folder; design units throughout.
class MusicFace {
  public:
    explicit MusicFace(const std::string& fileName) {
        std::string path = std::string(QL_PROGRAM_DIR) + "/" + fileName;
        if (FT_Init_FreeType(&library_) != 0) return;
        if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) face_ = nullptr;
    }
    ~MusicFace() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    MusicFace(const MusicFace&) = delete;
    MusicFace& operator=(const MusicFace&) = delete;

    bool IsOpen() const { return face_ != nullptr; }
    FT_Face Face() const { return face_; }
    double Em() const { return face_->units_per_EM; }
    // Score units (em 512) of a length in design units.
    double Score(FT_Pos units) const { return units * kScoreEm / Em(); }

    GlyphShape Glyph(uint32_t code) const {
        GlyphShape shape;
        FT_UInt index = FT_Get_Char_Index(face_, code);
        if (index == 0 || FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0)
            return shape;
        FT_GlyphSlot slot = face_->glyph;
        shape.advance = slot->advance.x;
        shape.contours = slot->outline.n_contours;
        if (shape.contours > 0) FT_Outline_Get_BBox(&slot->outline, &shape.box);
        shape.points.assign(slot->outline.points, slot->outline.points + slot->outline.n_points);
        shape.tags.assign(slot->outline.tags, slot->outline.tags + slot->outline.n_points);
        shape.contourEnds.assign(slot->outline.contours, slot->outline.contours + slot->outline.n_contours);
        return shape;
    }

  private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// The box of each contour's points (curves stay within their control points).
std::vector<FT_BBox> ContourBoxes(const GlyphShape& shape) {
    std::vector<FT_BBox> boxes;
    size_t first = 0;
    for (short end : shape.contourEnds) {
        FT_BBox box{shape.points[first].x, shape.points[first].y, shape.points[first].x, shape.points[first].y};
        for (size_t i = first; i <= static_cast<size_t>(end); ++i) {
            box.xMin = std::min(box.xMin, shape.points[i].x);
            box.yMin = std::min(box.yMin, shape.points[i].y);
            box.xMax = std::max(box.xMax, shape.points[i].x);
            box.yMax = std::max(box.yMax, shape.points[i].y);
        }
        boxes.push_back(box);
        first = static_cast<size_t>(end) + 1;
    }
    return boxes;
}

bool SameOutline(const GlyphShape& a, const GlyphShape& b) {
    if (a.points.size() != b.points.size() || a.tags != b.tags) return false;
    for (size_t i = 0; i < a.points.size(); ++i)
        if (a.points[i].x != b.points[i].x || a.points[i].y != b.points[i].y) return false;
    return true;
}

class GlyphoraTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(font_.IsOpen()) << "Glyphora.ttf missing in " QL_PROGRAM_DIR;
    }
    MusicFace font_{"Glyphora.ttf"};
};

class FretmarkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(font_.IsOpen()) << "Fretmark.ttf missing in " QL_PROGRAM_DIR;
    }
    MusicFace font_{"Fretmark.ttf"};
};

// Both fonts answer every code twice: in Latin-1 and on the symbol page.
void ExpectBothCmapPages(const MusicFace& font) {
    for (uint32_t code = kFirstCode; code <= kLastCode; ++code) {
        FT_UInt latin = FT_Get_Char_Index(font.Face(), code);
        EXPECT_NE(latin, 0u) << "code " << code;
        EXPECT_EQ(FT_Get_Char_Index(font.Face(), kSymbolPage + code), latin) << "code " << code;
    }
}

// --- Glyphora: coverage ----------------------------------------------------

// Codes 32..255 reach the same glyph through U+00xx and U+F0xx.
TEST_F(GlyphoraTest, CmapCoversLatin1AndTheSymbolPage) {
    ExpectBothCmapPages(font_);
}

// Stored scores may name any code, so each one measures with a width.
TEST_F(GlyphoraTest, EveryCodeHasAnAdvance) {
    for (uint32_t code = kFirstCode; code <= kLastCode; ++code)
        EXPECT_GT(font_.Glyph(code).advance, 0) << "code " << code;
}

// The codes the drawing code uses all carry ink (NBSP 160 and soft hyphen
// 173 included, which text shaping would swallow).
TEST_F(GlyphoraTest, DrawnCodesHaveOutlines) {
    const uint32_t drawn[] = {37,  58,  61,  69,  70,  71,  72,  110, 114, 119,
                              123, 128, 136, 137, 139, 140, 160, 173, 185, 218,
                              222, 234, 235, 249, 251, 252, 253, 254, 255};
    for (uint32_t code : drawn) EXPECT_GT(font_.Glyph(code).contours, 0) << "code " << code;
}

// 118 is printed in place of pp (160): the two must be the same outline.
TEST_F(GlyphoraTest, PrintCopyOfPianissimoMatchesIt) {
    GlyphShape print = font_.Glyph(118), screen = font_.Glyph(160);
    ASSERT_GT(screen.contours, 0);
    EXPECT_TRUE(SameOutline(print, screen));
    EXPECT_EQ(print.advance, screen.advance);
}

// --- Glyphora: calibration against the staff -------------------------------

// One em is four staff spaces: the double-whole rest fills exactly one space.
TEST_F(GlyphoraTest, StaffSpaceIsAQuarterEm) {
    GlyphShape rest = font_.Glyph(137);
    EXPECT_NEAR(font_.Score(rest.box.yMax - rest.box.yMin), kScoreSpace, 2.0);
    EXPECT_NEAR(font_.Score(rest.box.yMin), 0.0, 2.0);
}

// Heads 69..72 are drawn with the baseline on the line or space centre.
TEST_F(GlyphoraTest, NoteHeadsAreCentredOnTheBaseline) {
    for (uint32_t code = 69; code <= 72; ++code) {
        GlyphShape head = font_.Glyph(code);
        ASSERT_GT(head.contours, 0) << "code " << code;
        EXPECT_NEAR(font_.Score(head.box.yMin), -font_.Score(head.box.yMax), 2.0)
            << "code " << code;
        EXPECT_GT(font_.Score(head.box.yMax), kScoreSpace * 0.4) << "code " << code;
        EXPECT_NEAR(font_.Score(head.box.xMin), 0.0, 1.0) << "stem side, code " << code;
        EXPECT_NEAR(head.advance, head.box.xMax, 2) << "advance is the head width, code " << code;
    }
}

// Rest glyphs reach as far above and below the rest's y as the rest code's
// hit boxes say (score units of 512 to the em).
TEST_F(GlyphoraTest, RestsSpanTheirDocumentedExtents) {
    struct Extent {
        uint32_t code;
        double above;
        double below;
    };
    const Extent extents[] = {{128, 680, 197}, {129, 552, 197}, {130, 424, 197}, {131, 296, 197},
                              {132, 165, 197}, {133, 40, 196},  {134, 205, 182}};
    for (const Extent& e : extents) {
        GlyphShape rest = font_.Glyph(e.code);
        EXPECT_NEAR(font_.Score(rest.box.yMax), e.above, 12.0) << "code " << e.code;
        EXPECT_NEAR(-font_.Score(rest.box.yMin), e.below, 20.0) << "code " << e.code;
    }
    // Half rest sits on its line; whole rest hangs from the line a space higher.
    EXPECT_NEAR(font_.Score(font_.Glyph(135).box.yMin), 0.0, 2.0);
    EXPECT_NEAR(font_.Score(font_.Glyph(136).box.yMax), kScoreSpace, 2.0);
}

// Clefs are drawn at the staff's bottom line: the C clefs centre on the line
// they name (alto the middle line, tenor the fourth) and span four spaces.
TEST_F(GlyphoraTest, CClefsCentreOnTheirLine) {
    GlyphShape alto = font_.Glyph(60), tenor = font_.Glyph(59);
    EXPECT_NEAR(font_.Score(alto.box.yMin + alto.box.yMax) / 2, 2 * kScoreSpace, 4.0);
    EXPECT_NEAR(font_.Score(tenor.box.yMin + tenor.box.yMax) / 2, 3 * kScoreSpace, 4.0);
    EXPECT_NEAR(font_.Score(alto.box.yMax - alto.box.yMin), 4 * kScoreSpace, 8.0);
}

// The treble clef's lower loop reaches below the staff and its top above it.
TEST_F(GlyphoraTest, TrebleClefOverhangsTheStaff) {
    GlyphShape treble = font_.Glyph(58);
    EXPECT_LT(font_.Score(treble.box.yMin), -kScoreSpace);
    EXPECT_GT(font_.Score(treble.box.yMax), kScoreEm + kScoreSpace);
}

// Time-signature digits are two spaces tall and centred on the baseline.
TEST_F(GlyphoraTest, TimeDigitsAreCentredOnTheBaseline) {
    for (uint32_t code = 48; code <= 57; ++code) {
        GlyphShape digit = font_.Glyph(code);
        EXPECT_NEAR(font_.Score(digit.box.yMin + digit.box.yMax) / 2, 0.0, 3.0) << "code " << code;
        EXPECT_NEAR(font_.Score(digit.box.yMax - digit.box.yMin), 2 * kScoreSpace, 8.0)
            << "code " << code;
    }
}

// Up flags hang from the stem end (the origin), down flags rise from it, and
// both start at the stem's left edge.
TEST_F(GlyphoraTest, FlagsHangFromTheStemEnd) {
    for (uint32_t code = 110; code <= 114; ++code) {
        GlyphShape up = font_.Glyph(code), down = font_.Glyph(code + 9);
        EXPECT_NEAR(font_.Score(up.box.yMax), 0.0, 2.0) << "code " << code;
        EXPECT_NEAR(font_.Score(down.box.yMin), 0.0, 2.0) << "code " << code + 9;
        EXPECT_NEAR(font_.Score(up.box.xMin), 0.0, 1.0) << "code " << code;
    }
}

// Repeat dots sit in the second and third spaces above the bottom line.
TEST_F(GlyphoraTest, RepeatDotsSitInTheMiddleSpaces) {
    GlyphShape dots = font_.Glyph(185);
    EXPECT_NEAR(font_.Score(dots.box.yMin + dots.box.yMax) / 2, 2 * kScoreSpace, 3.0);
    EXPECT_LT(font_.Score(dots.box.yMax), 3 * kScoreSpace);
    EXPECT_GT(font_.Score(dots.box.yMin), kScoreSpace);
}

// --- Glyphora: brace halves --------------------------------------------------

// The brace is drawn from two halves at its centre: 251 above, 252 below,
// mirror images meeting at the baseline.
TEST_F(GlyphoraTest, BraceHalvesMeetAtTheBaseline) {
    GlyphShape upper = font_.Glyph(251), lower = font_.Glyph(252);
    EXPECT_NEAR(font_.Score(upper.box.yMin), 0.0, 1.0);
    EXPECT_NEAR(font_.Score(lower.box.yMax), 0.0, 1.0);
    EXPECT_NEAR(upper.box.yMax, -lower.box.yMin, 2);
    EXPECT_NEAR(upper.box.xMax, lower.box.xMax, 2);
}

// The brace font is asked for by cell height ((h >> 5) + 3h, h = half + 64)
// and average width 405: each half then spans about the half brace, and the
// brace is about one staff space wide.
TEST_F(GlyphoraTest, BraceHalvesFitTheRequestedBraceFont) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(font_.Face(), FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    const double cell = os2->usWinAscent + os2->usWinDescent;
    GlyphShape upper = font_.Glyph(251);
    for (double half : {512.0, 1024.0, 1536.0}) {
        double h = half + 64;
        double height = std::floor(h / 32) + 3 * h;
        double drawn = upper.box.yMax * height / cell;
        EXPECT_NEAR(drawn, half, half * 0.12) << "half " << half;
    }
    const double requestedWidth = 405;
    double drawnWidth = upper.box.xMax * requestedWidth / os2->xAvgCharWidth;
    EXPECT_NEAR(drawnWidth, kScoreSpace, kScoreSpace * 0.25);
}

// Line metrics cover every glyph, so nothing is clipped by the cell.
TEST_F(GlyphoraTest, LineMetricsCoverAllGlyphs) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(font_.Face(), FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    for (uint32_t code = kFirstCode; code <= kLastCode; ++code) {
        GlyphShape g = font_.Glyph(code);
        if (g.contours == 0) continue;
        EXPECT_LE(g.box.yMax, static_cast<FT_Pos>(os2->usWinAscent)) << "code " << code;
        EXPECT_GE(g.box.yMin, -static_cast<FT_Pos>(os2->usWinDescent)) << "code " << code;
    }
}

// --- Fretmark -------------------------------------------------------------------

// Codes 32..255 reach the same glyph through U+00xx and U+F0xx.
TEST_F(FretmarkTest, CmapCoversLatin1AndTheSymbolPage) {
    ExpectBothCmapPages(font_);
}

// All 192 chord codes 60..251 are diagrams (127 excepted) and stand on the
// baseline; C major (60) is measured to raise chord names.
TEST_F(FretmarkTest, ChordCodesAreDiagrams) {
    for (uint32_t code = 60; code <= 251; ++code) {
        if (code == 127) continue;
        GlyphShape diagram = font_.Glyph(code);
        EXPECT_GT(diagram.contours, 0) << "code " << code;
        EXPECT_NEAR(font_.Score(diagram.box.yMin), 0.0, 4.0) << "code " << code;
    }
    EXPECT_GT(font_.Score(font_.Glyph(60).box.yMax), kScoreSpace);
}

// Every code has a width, the empty ones included.
TEST_F(FretmarkTest, EveryCodeHasAnAdvance) {
    for (uint32_t code = kFirstCode; code <= kLastCode; ++code)
        EXPECT_GT(font_.Glyph(code).advance, 0) << "code " << code;
}

// E7 by the formula (127) is empty; 252 carries it, a diagram that no other
// chord code repeats (an off-by-one copy of a neighbour would).
TEST_F(FretmarkTest, E7LivesAt252Only) {
    EXPECT_EQ(font_.Glyph(127).contours, 0);
    GlyphShape e7 = font_.Glyph(252);
    ASSERT_GT(e7.contours, 0);
    for (uint32_t code = 60; code <= 251; ++code)
        EXPECT_FALSE(SameOutline(e7, font_.Glyph(code))) << "code " << code;
}

// A diagram's ink, its position label included, never reaches left of the
// origin, where it would run into the text before it.
TEST_F(FretmarkTest, DiagramsStayRightOfTheOrigin) {
    for (uint32_t code = 60; code <= 252; ++code) {
        GlyphShape diagram = font_.Glyph(code);
        if (diagram.contours == 0) continue;
        EXPECT_GE(diagram.box.xMin, 0) << "code " << code;
    }
}

// The position label (the first shown fret, left of the grid) stands clear of
// everything that reaches the sixth string, the dot of a barre above all.
TEST_F(FretmarkTest, PositionLabelsStandClearOfTheGrid) {
    for (uint32_t code = 60; code <= 252; ++code) {
        GlyphShape diagram = font_.Glyph(code);
        if (diagram.contours == 0) continue;
        std::vector<FT_BBox> boxes = ContourBoxes(diagram);
        // The strings are the tallest contours; the sixth is the leftmost of them.
        FT_Pos tallest = 0;
        for (const FT_BBox& b : boxes) tallest = std::max(tallest, b.yMax - b.yMin);
        const FT_BBox* sixth = nullptr;
        for (const FT_BBox& b : boxes)
            if (b.yMax - b.yMin == tallest && (!sixth || b.xMin < sixth->xMin)) sixth = &b;
        ASSERT_NE(sixth, nullptr);
        const FT_Pos stringX = (sixth->xMin + sixth->xMax) / 2;
        for (const FT_BBox& label : boxes) {
            if (label.xMax >= sixth->xMin) continue;  // not wholly left of the grid
            for (const FT_BBox& other : boxes) {
                bool reachesString = other.xMin <= stringX && other.xMax >= stringX;
                bool sameHeight = other.yMin < label.yMax && label.yMin < other.yMax;
                if (!reachesString || !sameHeight) continue;
                EXPECT_LT(label.xMax, other.xMin) << "code " << code;
            }
        }
    }
}

// Diagrams of different chords differ: no two codes share a voicing picture.
TEST_F(FretmarkTest, EveryChordHasItsOwnDiagram) {
    std::vector<GlyphShape> shapes;
    for (uint32_t code = 60; code <= 251; ++code) shapes.push_back(font_.Glyph(code));
    for (size_t i = 0; i < shapes.size(); ++i) {
        if (shapes[i].contours == 0) continue;
        for (size_t j = i + 1; j < shapes.size(); ++j) {
            EXPECT_FALSE(SameOutline(shapes[i], shapes[j])) << 60 + i << " vs " << 60 + j;
        }
    }
}

}  // namespace
