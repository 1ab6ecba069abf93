// Font creation with fallback, the music fonts, the text-style fonts at the staff's
// scale, and the document's face-name table.
#include <cstring>

#include "core/draw/gdi_cache.h"
#include "core/tests/draw/draw_fixture.h"

namespace ql::testing_draw {
namespace {

text::LogicalFont Request(const char* face, int32_t height = -200, uint8_t charset = 0) {
    text::LogicalFont request;
    request.SetFace(face);
    request.height = height;
    request.charset = charset;
    return request;
}

std::string RequestedFace(platform::FontHandle font) {
    text::LogicalFont request;
    if (!text::GetFontRequest(font, &request)) return "<none>";
    return std::string(request.Face());
}

using FontCreation = DrawTest;

// "arial" in lower case is taken as it is, without face checking.
TEST_F(FontCreation, LowerCaseArialIsReturnedWithoutFaceChecking) {
    text::LogicalFont request = Request("arial");
    platform::FontHandle font = CreateFontChecked(&request);
    ASSERT_TRUE(font);
    EXPECT_EQ(RequestedFace(font), "arial");
    text::DeleteFont(font);
}

// A face with no font at all is made again with an empty face name, and the first
// font is deleted.
TEST_F(FontCreation, AMissingFaceIsRemadeWithAnEmptyFaceName) {
    text::LogicalFont request = Request("Nonexistent Face Qzx", -300);
    size_t before = text::LiveFontCount();
    platform::FontHandle font = CreateFontChecked(&request);
    ASSERT_TRUE(font);
    EXPECT_EQ(RequestedFace(font), "");
    text::LogicalFont made;
    ASSERT_TRUE(text::GetFontRequest(font, &made));
    EXPECT_EQ(made.height, -300) << "the height is kept";
    EXPECT_EQ(text::LiveFontCount(), before + 1);
    text::DeleteFont(font);
}

// An existing face keeps its name; another character set keeps a made font as is.
TEST_F(FontCreation, AFaceThatExistsOrAnotherCharsetIsKept) {
    text::LogicalFont serif = Request("liberation serif");
    platform::FontHandle font = CreateFontChecked(&serif);
    EXPECT_EQ(RequestedFace(font), "liberation serif");
    text::DeleteFont(font);
    text::LogicalFont cyrillic =
        Request("Nonexistent Face Qzx", -200, static_cast<uint8_t>(text::Charset::Russian));
    font = CreateFontChecked(&cyrillic);
    ASSERT_TRUE(font);
    EXPECT_EQ(RequestedFace(font), "Nonexistent Face Qzx");
    text::DeleteFont(font);
    EXPECT_FALSE(CreateFontChecked(nullptr));
}

// A face with a metric-compatible stand-in on this system keeps its name, so its
// text keeps a monospaced face instead of falling to the default sans.
TEST_F(FontCreation, AFaceWithAMetricStandInKeepsItsName) {
    text::LogicalFont request = Request("Courier New");
    platform::FontHandle font = CreateFontChecked(&request);
    ASSERT_TRUE(font);
    EXPECT_TRUE(text::SameFaceName(RequestedFace(font), "Courier New"));
    EXPECT_EQ(text::GetFontFaceName(font), "Liberation Mono");
    text::DeleteFont(font);
}

// Matching takes a font of the face with the wanted boldness; none leaves no face.
TEST_F(FontCreation, FaceMatchingWantsTheSameBoldItalicAndUnderline) {
    text::LogicalFont bold = Request("Liberation Sans");
    bold.weight = 700;
    FontFaceExists(&bold);
    EXPECT_TRUE(text::SameFaceName(bold.Face(), "Liberation Sans"));
    EXPECT_GT(bold.weight, kBoldMatchWeight);
    text::LogicalFont underlined = Request("Liberation Sans");
    underlined.underline = 1;
    FontFaceExists(&underlined);
    EXPECT_EQ(underlined.Face(), "");
}

// The music font comes in full, 75 % and 65 % heights.
TEST_F(FontCreation, MusicFontsHaveTheirThreeHeights) {
    RequireMusicFonts();
    const DrawingGlobals& d = State().drawing;
    text::LogicalFont request;
    ASSERT_TRUE(text::GetFontRequest(d.MusicFont, &request));
    EXPECT_EQ(request.height, -512);
    EXPECT_EQ(request.Face(), kMusicFontFace);
    ASSERT_TRUE(text::GetFontRequest(d.MusicFont75, &request));
    EXPECT_EQ(request.height, -384);
    ASSERT_TRUE(text::GetFontRequest(d.MusicFont65, &request));
    EXPECT_EQ(request.height, -332);
}

class StyleFonts : public DrawTest {
  protected:
    QuickFontRecord& Style(int index, const char* face, int16_t height) {
        QuickFontRecord& style = document_->fonts[index];
        std::strcpy(style.face, face);
        std::strcpy(style.name, "Style");
        style.height = height;
        return style;
    }
    int32_t HeightOf(platform::FontHandle font) {
        text::LogicalFont request;
        text::GetFontRequest(font, &request);
        return request.height;
    }
};

// Styles 1..3 and indexes out of range get no font here, and are left untouched.
TEST_F(StyleFonts, ProgramStylesAndBadIndexesYieldNothing) {
    QuickFontRecord before = Style(2, "Liberation Sans", 300);
    EXPECT_FALSE(CreateTextStyleFont(&view_, 2));
    EXPECT_EQ(std::memcmp(&before, &document_->fonts[2], sizeof(before)), 0);
    EXPECT_FALSE(CreateTextStyleFont(&view_, kScoreFontCount));
    EXPECT_FALSE(CreateTextStyleFont(&view_, -1));
}

// On a staff drawn at 50 % the styles are halved, except 9 and 11.
TEST_F(StyleFonts, Styles9And11KeepTheirHeightOnAHalfSizeStaff) {
    for (int index : {5, 9, 11}) Style(index, "Liberation Serif", 400);
    ViewScale(&view_) = 0.5;
    EXPECT_EQ(HeightOf(CreateTextStyleFont(&view_, 5)), 200);
    EXPECT_EQ(HeightOf(CreateTextStyleFont(&view_, 9)), 400);
    EXPECT_EQ(HeightOf(CreateTextStyleFont(&view_, 11)), 400);
    ViewScale(&view_) = 0.0;
    size_t live = text::LiveFontCount();
    EXPECT_EQ(HeightOf(CreateTextStyleFont(&view_, 5)), 400);
    EXPECT_EQ(text::LiveFontCount(), live) << "the old font of the style is deleted";
    for (int index : {5, 9, 11})
        text::DeleteFont(platform::FontHandle{document_->fonts[index].handle});
}

// Style 0 (the fret symbols) is a document style: it gets its font here.
TEST_F(StyleFonts, StyleZeroGetsItsFontHere) {
    Style(0, "Liberation Sans", 300);
    platform::FontHandle font = CreateTextStyleFont(&view_, 0);
    ASSERT_TRUE(font);
    EXPECT_EQ(document_->fonts[0].handle, font.bits);
    EXPECT_EQ(HeightOf(font), 300);
    text::DeleteFont(font);
}

// A style without a face is named "unused" and gets no font.
TEST_F(StyleFonts, AStyleWithoutAFaceIsMarkedUnused) {
    Style(6, "", 300);
    EXPECT_FALSE(CreateTextStyleFont(&view_, 6));
    EXPECT_STREQ(document_->fonts[6].name, "unused");
    EXPECT_EQ(document_->fonts[6].handle, 0u);
}

// A text object's own style font goes into the document's cache; "unused" gets none.
TEST_F(StyleFonts, AnObjectStyleFontIsCachedAndReplaced) {
    QuickFontRecord own{};
    std::strcpy(own.face, "Liberation Sans");
    own.height = 256;
    platform::FontHandle first = CreateTextStyleFont2(&view_, &own);
    ASSERT_TRUE(first);
    EXPECT_EQ(CachedGdiObjectCount(document_.get()), 1);
    platform::FontHandle second = CreateTextStyleFont2(&view_, &own);
    ASSERT_TRUE(second);
    EXPECT_FALSE(text::FindFont(first)) << "the previous font is deleted";
    EXPECT_EQ(CachedGdiObjectCount(document_.get()), 1);
    QuickFontRecord unused{};
    EXPECT_FALSE(CreateTextStyleFont2(&view_, &unused));
    EXPECT_STREQ(unused.face, "unused");
    std::strcpy(unused.face, "UNUSED");
    EXPECT_FALSE(CreateTextStyleFont2(&view_, &unused));
    DeleteAllCachedGdiObjects(document_.get());
}

using FaceNames = DrawTest;

// A face is found whatever its letter case; a new one takes the first empty entry.
TEST_F(FaceNames, FacesAreFoundIgnoringCaseOrStoredInTheFirstEmptyEntry) {
    std::strcpy(document_->faceNames[0].name, "Glyphora");
    std::strcpy(document_->faceNames[1].name, "Times New Roman");
    std::strcpy(document_->faceNames[3].name, "Arial");
    EXPECT_EQ(FindFaceNameIndex(document_.get(), "times new roman"), 1);
    EXPECT_EQ(FindFaceNameIndex(document_.get(), "ARIAL"), 3);
    EXPECT_EQ(FindFaceNameIndex(document_.get(), "Liberation Mono"), 2);
    EXPECT_STREQ(document_->faceNames[2].name, "Liberation Mono");
    EXPECT_EQ(FindPortNameIndex(document_.get(), "liberation mono"), 2);
}

// A name longer than an entry holds is found again by its stored part, so that
// repeated lookups do not fill the table with copies of it.
TEST_F(FaceNames, ALongNameIsFoundAgainByItsStoredPart) {
    const char* longName = "A Face Name Longer Than Thirty-One Characters";
    int first = FindFaceNameIndex(document_.get(), longName);
    ASSERT_EQ(first, 0);
    EXPECT_EQ(std::strlen(document_->faceNames[0].name), size_t{kFaceNameChars - 1});
    EXPECT_EQ(FindFaceNameIndex(document_.get(), longName), first);
    EXPECT_EQ(document_->faceNames[1].name[0], '\0') << "stored only once";
}

// A full table answers -1 (never entry 0, the music font) and stays unchanged.
TEST_F(FaceNames, AFullTableAnswersMinusOne) {
    for (int i = 0; i < kFaceNameCount; ++i)
        std::snprintf(document_->faceNames[i].name, kFaceNameChars, "Face %d", i);
    EXPECT_EQ(FindFaceNameIndex(document_.get(), "Face 31"), 31);
    EXPECT_EQ(FindFaceNameIndex(document_.get(), "Another Face"), -1);
    EXPECT_STREQ(document_->faceNames[0].name, "Face 0");
}

}  // namespace
}  // namespace ql::testing_draw
