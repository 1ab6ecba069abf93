// The command line, one argument at a time, and the display form of long paths.
#include "shell/program/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/tests/sys/scratch_folder.h"

namespace ql {
namespace {

class CommandLineTest : public ::testing::Test {
  protected:
    std::string Touch(const std::string& name) {
        const std::filesystem::path path = scratch / name;
        std::ofstream(path) << "x";
        return path.string();
    }
    CommandLineResult Parse(std::string& argument) { return ParseCommandLine(argument); }
    testing::ScratchFolder scratch;
};

TEST_F(CommandLineTest, AcceptsExistingFilesOfTheOpenTypes) {
    for (const char* name : {"a.ql", "b.MID", "c.nif", "d.xml", "e.mxl"}) {
        std::string argument = Touch(name);
        // Each of the five extensions, in any case, names a file to open.
        EXPECT_EQ(Parse(argument), CommandLineResult::OpenFile) << name;
    }
    std::string quoted = "\"" + Touch("f.ql") + "\"";
    // Quotes around the path are dropped.
    EXPECT_EQ(Parse(quoted), CommandLineResult::OpenFile);
    EXPECT_EQ(quoted, (scratch / "f.ql").string());
    std::string opened = "[open(\"" + Touch("g.ql") + "\")]";
    // The open form drops its prefix and the text after the closing quote.
    EXPECT_EQ(Parse(opened), CommandLineResult::OpenFile);
    EXPECT_EQ(opened, (scratch / "g.ql").string());
    std::string withLineFeed = Touch("h.ql") + "\nrest";
    // A line feed ends the argument.
    EXPECT_EQ(Parse(withLineFeed), CommandLineResult::OpenFile);
}

TEST_F(CommandLineTest, RejectsWhatCannotBeOpened) {
    std::string rmi = Touch("song.rmi");
    // ".rmi" opens through Open and Import only.
    EXPECT_EQ(Parse(rmi), CommandLineResult::Rejected);
    std::string missing = (scratch / "missing.ql").string();
    // A name that does not exist.
    EXPECT_EQ(Parse(missing), CommandLineResult::NotAFile);
    std::filesystem::create_directories(scratch / "folder.ql");
    std::string folder = (scratch / "folder.ql").string();
    // A folder is not a file.
    EXPECT_EQ(Parse(folder), CommandLineResult::NotAFile);
    std::string tooLong = "/" + std::string(kMaxPathLength, 'x') + ".ql";
    // Longer than the stored paths allow.
    EXPECT_EQ(Parse(tooLong), CommandLineResult::Rejected);
}

TEST_F(CommandLineTest, ExtensionIsTakenFromTheLastComponent) {
    std::filesystem::create_directories(scratch / "v1.2");
    std::ofstream(scratch / "v1.2" / "score.ql") << "x";
    std::string bare = (scratch / "v1.2" / "score").string();
    // A dotted folder name does not count: ".ql" is appended to the bare name.
    EXPECT_EQ(Parse(bare), CommandLineResult::OpenFile);
    EXPECT_EQ(bare, (scratch / "v1.2" / "score.ql").string());
    // Dots in folders are no extension for the accepted-type test either.
    EXPECT_FALSE(HasAcceptedOpenExtension("/a.ql/readme"));
    EXPECT_TRUE(HasAcceptedOpenExtension("/a.b/c.QL"));
}

TEST_F(CommandLineTest, SwitchesAndEmptyArguments) {
    std::string dde = "/DDE";
    // The switch in any case, with the argument emptied.
    EXPECT_EQ(Parse(dde), CommandLineResult::DdeSwitch);
    EXPECT_TRUE(dde.empty());
    std::string empty;
    EXPECT_EQ(Parse(empty), CommandLineResult::Nothing);
    std::string quotesOnly = "\"\"";
    // Nothing between the quotes is no argument.
    EXPECT_EQ(Parse(quotesOnly), CommandLineResult::Nothing);
}

TEST_F(CommandLineTest, RelativePathsBecomeAbsolute) {
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Path());
    Touch("here.ql");
    std::string relative = "here.ql";
    EXPECT_EQ(Parse(relative), CommandLineResult::OpenFile);
    std::filesystem::current_path(saved);
    EXPECT_EQ(std::filesystem::path(relative), std::filesystem::path(scratch / "here.ql").lexically_normal());
}

TEST(ShortenPathTest, KeepsTheRootAndTheLongestTailThatFits) {
    testing::ScopedEnvironment home("HOME", "/home/user");
    struct Row {
        const char* path;
        size_t maximum;
        const char* shown;
    };
    const Row rows[] = {
        // Fits: unchanged, also exactly at the limit.
        {"/srv/a/score.ql", 40, "/srv/a/score.ql"},
        {"/abcdefghi", 10, "/abcdefghi"},
        // The home folder becomes "~", also when the rest fits; a longer name is no home.
        {"/home/user/score.ql", 40, "~/score.ql"},
        {"/home/user", 40, "~"},
        {"/home/username/score.ql", 40, "/home/username/score.ql"},
        // "/" or "~/" stays in front of "...", the tail starts at a "/".
        {"/srv/music/scores/bach/inventions/invention01.ql", 32, "/.../inventions/invention01.ql"},
        {"/srv/music/scores/bach/inventions/invention01.ql", 31, "/.../invention01.ql"},
        {"/home/user/music/scores/bach/invention01.ql", 30, "~/.../bach/invention01.ql"},
        // No "/" gives a tail that fits: the last maximum - 6 characters.
        {"/srv/averyveryveryverylongfilename.ql", 20, "/...ongfilename.ql"},
        // No "/" after the root at all.
        {"/averyveryveryverylongfilename.ql", 20, "/...ongfilename.ql"},
        // A relative path keeps no root.
        {"music/scores/bach/inventions/invention01.ql", 21, ".../invention01.ql"},
    };
    for (const Row& row : rows) EXPECT_EQ(ShortenPath(row.path, row.maximum), row.shown) << row.path;
}

TEST(ShortenPathTest, CountsCharactersAndNeverCutsOne) {
    testing::ScopedEnvironment home("HOME", "/home/user");
    // Twelve two-byte characters fit in 20 characters though they take 24 bytes.
    const std::string umlauts = "/srv/\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4.ql";
    EXPECT_EQ(ShortenPath(umlauts, 20), umlauts);
    // The tail is 14 characters of three bytes each: every one is whole.
    auto repeated = [](std::string_view text, int count) {
        std::string out;
        for (int i = 0; i < count; ++i) out += text;
        return out;
    };
    const std::string_view piece = "\xE6\x9B\xB2";
    EXPECT_EQ(ShortenPath("/srv/" + repeated(piece, 20), 20), "/..." + repeated(piece, 14));
    // Bytes that are no UTF-8 show as U+FFFD, one per byte; the input is not changed.
    EXPECT_EQ(ShortenPath("/srv/a\xFF\xC3.ql", 40), "/srv/a\xEF\xBF\xBD\xEF\xBF\xBD.ql");
    // An overlong form and a surrogate are no characters either.
    EXPECT_EQ(ShortenPath("/\xC0\xAF", 40), "/\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(ShortenPath("/\xED\xA0\x80", 40), "/\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace ql
