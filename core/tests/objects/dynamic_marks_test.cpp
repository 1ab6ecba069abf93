// The table of dynamics against the music font the build makes (each symbol's
// glyph is named for the letters the table says it shows) and against the NIFF
// codes and velocity offsets the dynamics are known by.
#include "core/objects/dynamic_marks.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <string>

namespace ql {
namespace {

// The glyph name the music font build gives a row: "dynamic_" and the letters, or
// "word_" and a word without its full stop.
std::string FontNameOf(const DynamicSign& mark) {
    std::string letters(mark.letters);
    if (!letters.ends_with('.')) return "dynamic_" + letters;
    letters.pop_back();
    return "word_" + letters;
}

TEST(DynamicMarks, EverySymbolIsTheGlyphTheFontNamesForItsLetters) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    const std::string path = std::string(QL_PROGRAM_DIR) + "/Glyphora.ttf";
    ASSERT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0) << path;
    ASSERT_TRUE(FT_HAS_GLYPH_NAMES(face));
    for (const DynamicSign& mark : DynamicMarks()) {
        char name[64] = {};
        const FT_UInt index = FT_Get_Char_Index(face, mark.glyph);
        ASSERT_NE(index, 0u) << int{mark.glyph};
        ASSERT_EQ(FT_Get_Glyph_Name(face, index, name, sizeof name), 0);
        EXPECT_EQ(name, FontNameOf(mark)) << int{mark.glyph};
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// Each NIFF code reads as the dynamic it names, with its velocity change; codes
// 11, 13 and those past 19 name none, and sfz, rfz have a symbol but no code.
TEST(DynamicMarks, NiffCodesAndLettersFindTheirRow) {
    const struct {
        int code;
        std::string_view letters;
        int velocity;
    } cases[] = {{1, "pppp", -50}, {4, "p", -20}, {5, "mp", -10}, {6, "mf", 10}, {7, "f", 20}, {10, "ffff", 50},
                 {12, "sf", 0},    {14, "fz", 0}, {15, "fp", 0},  {16, "cresc.", 0}, {17, "cresc.", 0},
                 {18, "dim.", 0},  {19, "dim.", 0}};
    for (const auto& c : cases) {
        const DynamicSign* mark = DynamicOfNiffCode(c.code);
        ASSERT_NE(mark, nullptr) << c.code;
        EXPECT_EQ(mark->letters, c.letters) << c.code;
        EXPECT_EQ(mark->velocity, c.velocity) << c.code;
        EXPECT_EQ(mark->actionOff, c.code >= 16) << c.code;
        EXPECT_EQ(DynamicOfLetters(c.letters), mark);
        EXPECT_EQ(DynamicOfGlyph(mark->glyph), mark);
    }
    for (int code : {0, 11, 13, 20, 255}) EXPECT_EQ(DynamicOfNiffCode(code), nullptr) << code;
    for (std::string_view letters : {"sfz", "rfz"}) EXPECT_EQ(DynamicOfLetters(letters)->niffCodes[0], 0);
    for (std::string_view letters : {"sfp", "rf", ""}) EXPECT_EQ(DynamicOfLetters(letters), nullptr);
    EXPECT_EQ(DynamicOfGlyph(157), nullptr);
    EXPECT_EQ(DynamicOfGlyph(175), nullptr);
}

}  // namespace
}  // namespace ql
