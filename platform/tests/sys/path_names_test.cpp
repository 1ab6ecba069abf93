// Reading file names: the extension is that of the file-name part only, compared
// without ASCII case; "named" score paths; canonical comparison of two spellings.
#include "platform/sys/path_names.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ql::sys {
namespace {

TEST(PathNames, ExtensionIsTheTextAfterTheLastDotOfTheName) {
    EXPECT_EQ(LowerExtensionOf("/a/b/Song.MID"), ".mid");
    EXPECT_EQ(LowerExtensionOf("song.tar.Gz"), ".gz");          // the last dot
    EXPECT_EQ(LowerExtensionOf("/a.b/song"), "");              // a dot in a folder does not count
    EXPECT_EQ(LowerExtensionOf("/a/b\\c.ql\\d"), ".ql\\d");    // '\' is a name character
    EXPECT_EQ(LowerExtensionOf("C:song"), "");                 // so is ':'
    EXPECT_EQ(LowerExtensionOf("trailing."), ".");
    EXPECT_EQ(LowerExtensionOf(""), "");
    EXPECT_EQ(LowerExtensionOf("/x/\xC3\x89T\xC3\x89.QL"), ".ql");  // only ASCII is folded
    EXPECT_TRUE(HasExtension("x.TpL", ".tpl"));
    EXPECT_FALSE(HasExtension("x.tpl2", ".tpl"));
}

TEST(PathNames, NamedScorePathsHaveAnExtensionAndNoUntitledStart) {
    EXPECT_TRUE(IsNamedScorePath("/home/me/score.ql"));
    EXPECT_TRUE(IsNamedScorePath("/home/untitled/score.ql"));  // only the path's start counts
    EXPECT_FALSE(IsNamedScorePath("untitled_NEW"));
    EXPECT_FALSE(IsNamedScorePath("UnTitled.ql"));
    EXPECT_FALSE(IsNamedScorePath("/home/me.d/score"));
    EXPECT_FALSE(IsNamedScorePath(""));
}

TEST(PathNames, SameFileComparesCanonicalForms) {
    const std::filesystem::path here = std::filesystem::temp_directory_path();
    EXPECT_TRUE(IsSameFile(here / "x.ql", here / "." / "x.ql"));
    EXPECT_TRUE(IsSameFile(here / "x.ql", here / "sub" / ".." / "x.ql"));
    EXPECT_FALSE(IsSameFile(here / "x.ql", here / "X.ql"));  // names keep their case
    EXPECT_FALSE(IsSameFile("", ""));
}

}  // namespace
}  // namespace ql::sys
