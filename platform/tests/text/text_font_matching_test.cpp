// Font matching: which face a request gets, whether a substitution is reported,
// styles, private font folders searched before the system, and font lifetimes.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text/font.h"
#include "platform/text/font_catalog.h"

namespace ql::text {
namespace {

LogicalFont Request(std::string_view face, int32_t weight = kWeightNormal, bool italic = false) {
    LogicalFont request;
    request.height = -16;
    request.SetFace(face);
    request.weight = weight;
    request.italic = italic ? 1 : 0;
    return request;
}

// The usual desktop faces resolve to their metric-compatible stand-ins and say so.
TEST(FontMatching, CommonFacesResolveToMetricCompatibleFacesAsSubstitutions) {
    FaceMatch arial = MatchFace(Request("Arial"));
    EXPECT_EQ(arial.family, "Liberation Sans");
    EXPECT_TRUE(arial.substituted);
    FaceMatch times = MatchFace(Request("Times New Roman"));
    EXPECT_EQ(times.family, "Liberation Serif");
    EXPECT_TRUE(times.substituted);
    // Face names are matched whatever their letter case.
    EXPECT_EQ(MatchFace(Request("arial")).family, "Liberation Sans");
}

// A face that is installed under the name asked for is no substitution, whatever the case.
TEST(FontMatching, InstalledFaceIsNotASubstitution) {
    FaceMatch match = MatchFace(Request("liberation serif"));
    EXPECT_EQ(match.family, "Liberation Serif");
    EXPECT_FALSE(match.substituted);
    EXPECT_FALSE(match.path.empty());
}

// An unknown face still yields a usable font, and the substitution is reported.
TEST(FontMatching, UnknownFaceFallsBackAndSaysSo) {
    FaceMatch match = MatchFace(Request("No Such Face Anywhere"));
    EXPECT_FALSE(match.path.empty());
    EXPECT_FALSE(match.family.empty());
    EXPECT_TRUE(match.substituted);
    FontHandle font = CreateFontIndirect(Request("No Such Face Anywhere"));
    ASSERT_TRUE(font);
    EXPECT_TRUE(IsFontSubstituted(font));
    EXPECT_TRUE(DeleteFont(font));
}

// A request without a face takes the default face and is not called a substitution.
TEST(FontMatching, EmptyFaceIsNotASubstitution) {
    FaceMatch match = MatchFace(Request(""));
    EXPECT_FALSE(match.path.empty());
    EXPECT_FALSE(match.substituted);
}

// Weight and italic choose the matching style file of the family.
TEST(FontMatching, WeightAndItalicChooseTheStyle) {
    FaceMatch bold = MatchFace(Request("Liberation Sans", kWeightBold));
    EXPECT_GE(bold.weight, kBoldThreshold);
    EXPECT_FALSE(bold.italic);
    FaceMatch italic = MatchFace(Request("Liberation Sans", kWeightNormal, true));
    EXPECT_TRUE(italic.italic);
    EXPECT_LT(italic.weight, kBoldThreshold);
    EXPECT_NE(bold.path, italic.path);
}

// Listing the styles of a face finds its four styles, and nothing for an unknown face.
TEST(FontMatching, ListingStylesOfAFace) {
    std::vector<LogicalFont> styles = ListFontsOfFace("Liberation Sans");
    bool boldItalic = false;
    for (const LogicalFont& style : styles)
        if (style.weight >= kBoldThreshold && style.italic) boldItalic = true;
    EXPECT_GE(styles.size(), 4u);
    EXPECT_TRUE(boldItalic);
    EXPECT_TRUE(ListFontsOfFace("No Such Face Anywhere").empty());
}

// A face that is not installed but has a metric-compatible stand-in is listed with
// the stand-in's styles under its own name; a face with only generic fallbacks is not.
TEST(FontMatching, MetricCompatibleStandInCountsAsTheFace) {
    std::vector<LogicalFont> styles = ListFontsOfFace("Courier New");
    ASSERT_GE(styles.size(), 4u);
    for (const LogicalFont& style : styles) EXPECT_TRUE(SameFaceName(style.Face(), "Courier New"));
    EXPECT_TRUE(ListFontsOfFace("Garamondish Unknown").empty());
}

// A font in a private folder wins over the system's font of the same family, a
// broken file there is passed over, and the system's font is back once the folder
// is removed.
TEST(FontMatching, PrivateFolderIsSearchedBeforeTheSystem) {
    FaceMatch system = MatchFace(Request("Liberation Mono"));
    ASSERT_FALSE(system.path.empty());
    std::filesystem::path folder = std::filesystem::path(QL_TEST_OUTPUT_DIR) / "text-private-fonts";
    std::filesystem::create_directories(folder);
    std::filesystem::path copy = folder / "ProgramMono.ttf";
    std::filesystem::copy_file(system.path, copy,
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder / "Broken.ttf") << "not a font";  // passed over, not fatal

    EXPECT_EQ(AddPrivateFontFolder(folder.string()), 1);
    EXPECT_EQ(AddPrivateFontFolder(folder.string()), 0);  // read once
    FaceMatch found = MatchFace(Request("liberation mono"));
    EXPECT_EQ(found.path, copy.string());
    EXPECT_TRUE(found.fromPrivateFolder);
    EXPECT_FALSE(found.substituted);

    EXPECT_TRUE(RemovePrivateFontFolder(folder.string()));
    EXPECT_FALSE(RemovePrivateFontFolder(folder.string()));
    EXPECT_EQ(MatchFace(Request("Liberation Mono")).path, system.path);
}

// A request is matched once and its match kept, but never past a change of the
// private folders: the very same request finds the private face once its folder
// is registered, and the system's again once it is forgotten.
TEST(FontMatching, KeptMatchFollowsThePrivateFolders) {
    const LogicalFont request = Request("Liberation Mono");
    FaceMatch system = MatchFace(request);
    ASSERT_FALSE(system.path.empty());
    EXPECT_EQ(MatchFace(request).path, system.path);
    std::filesystem::path folder = std::filesystem::path(QL_TEST_OUTPUT_DIR) / "text-kept-matches";
    std::filesystem::create_directories(folder);
    std::filesystem::path copy = folder / "KeptMono.ttf";
    std::filesystem::copy_file(system.path, copy, std::filesystem::copy_options::overwrite_existing);

    ASSERT_EQ(AddPrivateFontFolder(folder.string()), 1);
    EXPECT_EQ(MatchFace(request).path, copy.string());
    FontHandle font = CreateFontIndirect(request);
    ASSERT_NE(FindFont(font), nullptr);
    EXPECT_EQ(FindFont(font)->match.path, copy.string());
    DeleteFont(font);

    ASSERT_TRUE(RemovePrivateFontFolder(folder.string()));
    EXPECT_EQ(MatchFace(request).path, system.path);
    EXPECT_FALSE(MatchFace(request).fromPrivateFolder);
}

// The music fonts are found by their family names, in any letter case, in the
// folder of the running program, each with its one regular style and no
// substitution reported.
TEST(FontMatching, MusicFontsComeFromTheProgramFolder) {
    for (const char* family : {"Glyphora", "Fretmark"}) {
        std::string lower = family;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        FaceMatch match = MatchFace(Request(lower));
        EXPECT_EQ(match.family, family);
        EXPECT_FALSE(match.substituted) << family;
        EXPECT_TRUE(match.fromPrivateFolder) << family;
        EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(match.path).parent_path(), QL_PROGRAM_DIR))
            << match.path;
        std::vector<LogicalFont> styles = ListFontsOfFace(family);
        ASSERT_EQ(styles.size(), 1u) << family;
        EXPECT_EQ(styles[0].weight, kWeightNormal) << family;
        EXPECT_FALSE(styles[0].italic) << family;
    }
}

// A deleted font stops resolving, and deleting it again fails instead of harming another font.
TEST(FontLifetime, DeletedFontStopsResolving) {
    size_t before = LiveFontCount();
    FontHandle font = CreateFontIndirect(Request("Arial"));
    ASSERT_TRUE(font);
    EXPECT_EQ(GetFontFaceName(font), "Liberation Sans");
    LogicalFont kept;
    ASSERT_TRUE(GetFontRequest(font, &kept));
    EXPECT_EQ(kept.Face(), "Arial");
    EXPECT_TRUE(DeleteFont(font));
    EXPECT_FALSE(DeleteFont(font));
    EXPECT_EQ(FindFont(font), nullptr);
    EXPECT_EQ(GetFontFaceName(font), "");
    EXPECT_EQ(LiveFontCount(), before);
}

// Face names longer than the record's field are cut, keeping the terminator.
TEST(FontRequest, LongFaceNameIsCutToTheField) {
    LogicalFont request;
    request.SetFace(std::string(40, 'x'));
    EXPECT_EQ(request.Face().size(), kFaceNameSize - 1);
    EXPECT_EQ(request.faceName.back(), '\0');
}

}  // namespace
}  // namespace ql::text
