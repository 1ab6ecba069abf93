// Fonts cut down to the glyphs a printed document uses: FreeType reads the cut
// font, the glyphs used (and the parts of composite ones) keep their outlines and
// advances, the others have none; a file that does not read as TrueType is refused.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gfx/detail/truetype_subset.h"

namespace ql::gfx::detail {
namespace {

constexpr char kSerif[] = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";

class Faces {
  public:
    Faces() { FT_Init_FreeType(&library_); }
    ~Faces() {
        for (FT_Face face : faces_) FT_Done_Face(face);
        FT_Done_FreeType(library_);
    }
    FT_Face Open(const std::string& bytes) {
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(library_, reinterpret_cast<const FT_Byte*>(bytes.data()),
                               static_cast<FT_Long>(bytes.size()), 0, &face) != 0)
            return nullptr;
        faces_.push_back(face);
        return face;
    }

  private:
    FT_Library library_ = nullptr;
    std::vector<FT_Face> faces_;
};

struct Shape {
    long points = -1;
    FT_Pos advance = -1;
    FT_BBox box{};
};

Shape ShapeOf(FT_Face face, FT_UInt gid) {
    Shape s;
    if (FT_Load_Glyph(face, gid, FT_LOAD_NO_SCALE) != 0) return s;
    s.points = face->glyph->outline.n_points;
    s.advance = face->glyph->advance.x;
    FT_Outline_Get_CBox(&face->glyph->outline, &s.box);
    return s;
}

TEST(TrueTypeSubset, UsedGlyphsKeepTheirOutlinesAndOthersHaveNone) {
    std::ifstream in(kSerif, std::ios::binary);
    if (!in) GTEST_SKIP() << kSerif << " is not installed";
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Faces faces;
    FT_Face original = faces.Open(whole);
    ASSERT_NE(original, nullptr);
    // Plain letters, an accented letter (a composite of its base and its accent)
    // and a letter left out.
    const FT_UInt a = FT_Get_Char_Index(original, 'a'), e = FT_Get_Char_Index(original, 'e');
    const FT_UInt accented = FT_Get_Char_Index(original, 0xE9), z = FT_Get_Char_Index(original, 'z');
    std::vector<bool> used(static_cast<size_t>(original->num_glyphs), false);
    used[a] = used[accented] = true;
    const std::optional<std::string> subset = SubsetTrueType(whole, used);
    ASSERT_TRUE(subset);
    EXPECT_LT(subset->size(), whole.size() / 4);
    FT_Face cut = faces.Open(*subset);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->num_glyphs, original->num_glyphs);
    for (FT_UInt gid : {FT_UInt{0}, a, accented, e}) {
        const Shape before = ShapeOf(original, gid), after = ShapeOf(cut, gid);
        EXPECT_EQ(after.points, before.points) << gid;
        EXPECT_EQ(after.advance, before.advance) << gid;
        EXPECT_EQ(after.box.xMin, before.box.xMin) << gid;
        EXPECT_EQ(after.box.yMax, before.box.yMax) << gid;
    }
    EXPECT_GT(ShapeOf(original, z).points, 0);
    EXPECT_EQ(ShapeOf(cut, z).points, 0);
    EXPECT_EQ(ShapeOf(cut, z).advance, ShapeOf(original, z).advance);
}

TEST(TrueTypeSubset, FilesThatDoNotReadAsTrueTypeAreRefused) {
    std::string directoryPastTheEnd("\0\1\0\0\0\x40\0\0\0\0\0\0", 12);
    std::string tablePastTheEnd("\0\1\0\0\0\1\0\0\0\0\0\0head\0\0\0\0\0\0\0\x1C\0\0\x10\0", 28);
    std::string noOutlines("\0\1\0\0\0\0\0\0\0\0\0\0", 12);
    for (const std::string& bytes : {std::string(), std::string("OTTO"), directoryPastTheEnd, tablePastTheEnd,
                                     noOutlines})
        EXPECT_FALSE(SubsetTrueType(bytes, std::vector<bool>(4, true)));
}

}  // namespace
}  // namespace ql::gfx::detail
