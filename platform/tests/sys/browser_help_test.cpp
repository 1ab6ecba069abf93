// Help in the browser: which page each request opens, the help folder's index as the
// test of a usable help file, and handing the page to the desktop's opener (here a
// stand-in "xdg-open" script on the PATH that writes down what it was given).
#include "platform/sys/browser_help.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/tests/sys/scratch_folder.h"

namespace ql::sys {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

class BrowserHelpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        help = folder / "help";
        std::filesystem::create_directories(help / "qlhelp");
        WriteFileBytes(help / "qlhelp" / kHelpIndexPage, "<html></html>");
        WriteFileBytes(help / "qlhelp" / kHelpPageTable,
                       "[Pages]\n1387=quick-fonts.html\n99=../../etc/passwd\n");
    }
    BrowserHelpViewer Viewer() {
        return BrowserHelpViewer(help, "qlhelp.HLP", [this](const std::string& uri) {
            opened.push_back(uri);
            return true;
        });
    }
    std::string Page(const std::string& name, const std::string& fragment = {}) {
        return FileUri(help / "qlhelp" / name, fragment);
    }
    static HelpRequest Request(HelpCommand command, uint32_t id = 0, std::string text = {},
                               std::string file = "qlhelp.HLP") {
        return HelpRequest{platform::WindowHandle{}, std::move(file), command, id, std::move(text)};
    }

    ScratchFolder folder;
    std::filesystem::path help;
    std::vector<std::string> opened;
};

// Each command opens its page: topics through the folder's table (the index when the
// table has none, or names a page outside the folder), with the id as the fragment.
TEST_F(BrowserHelpTest, EachRequestOpensItsPage) {
    BrowserHelpViewer viewer = Viewer();
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::Context, 1387)), Page("quick-fonts.html", "1387"));
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::ContextPopup, 5)), Page(kHelpIndexPage, "5"));
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::Context, 99)), Page(kHelpIndexPage, "99"));
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::Contents)), Page(kHelpIndexPage));
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::Macro, 0, "Contents()")), Page(kHelpIndexPage));
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::PartialKey, 0, "key signature")),
              Page(kHelpSearchPage, "key signature"));
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::HelpOnHelp)), Page(kHelpOnHelpPage));
    EXPECT_EQ(viewer.UriFor(Request(HelpCommand::Quit)), "");
}

// Show hands the page to the opener; a request naming no file uses the default help,
// an absolute name is taken as it is; quitting opens nothing and succeeds.
TEST_F(BrowserHelpTest, ShowHandsThePageToTheOpener) {
    BrowserHelpViewer viewer = Viewer();
    EXPECT_TRUE(viewer.Show(Request(HelpCommand::Contents, 0, {}, "")));
    EXPECT_TRUE(viewer.Show(Request(HelpCommand::Contents, 0, {}, (help / "qlhelp").string())));
    EXPECT_TRUE(viewer.Show(Request(HelpCommand::Quit)));
    EXPECT_EQ(opened, (std::vector<std::string>{Page(kHelpIndexPage), Page(kHelpIndexPage)}));
}

// A help folder without its index page is no help file: nothing is opened and the
// program is told so (it then tries its fallback and tells the user).
TEST_F(BrowserHelpTest, MissingIndexMeansNoHelp) {
    BrowserHelpViewer viewer = Viewer();
    std::filesystem::create_directories(help / "deutsch");
    EXPECT_FALSE(viewer.Show(Request(HelpCommand::Contents, 0, {}, "deutsch.HLP")));
    EXPECT_FALSE(viewer.Show(Request(HelpCommand::Context, 1, {}, "nowhere.HLP")));
    EXPECT_TRUE(opened.empty());
    BrowserHelpViewer refusing(help, "qlhelp.HLP", [](const std::string&) { return false; });
    EXPECT_FALSE(refusing.Show(Request(HelpCommand::Contents)));
    // The program's "is there a help file" test agrees (a plain file of the name counts
    // too, for viewers that read one).
    EXPECT_TRUE(IsHelpFilePresent(help / "qlhelp.HLP"));
    EXPECT_FALSE(IsHelpFilePresent(help / "deutsch.HLP"));
    WriteFileBytes(help / "plain.hlp", "help");
    EXPECT_TRUE(IsHelpFilePresent(help / "plain.hlp"));
}

// Paths and fragments are percent-encoded; slashes of the path stay.
TEST_F(BrowserHelpTest, UrisAreEncoded) {
    EXPECT_EQ(FileUri("/a b/c#d/\xC3\xA9.html", "x y&z"),
              "file:///a%20b/c%23d/%C3%A9.html#x%20y%26z");
}

// The real opener starts "xdg-open <uri>" from the PATH without waiting for it, and
// says so when no opener can be started.
TEST_F(BrowserHelpTest, OpenerRunsXdgOpenFromThePath) {
    const std::filesystem::path bin = folder / "bin";
    const std::filesystem::path record = folder / "opened.txt";
    std::filesystem::create_directories(bin);
    WriteFileBytes(bin / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"" + record.string() +
                                         ".part\"\nmv \"" + record.string() + ".part\" \"" +
                                         record.string() + "\"\n");
    ::chmod((bin / "xdg-open").c_str(), 0755);
    {
        testing::ScopedEnvironment path("PATH", bin.string() + ":/usr/bin:/bin");
        ASSERT_TRUE(OpenInBrowser(Page(kHelpIndexPage)));
    }
    // The opener runs on its own; wait (boundedly) for what it wrote.
    for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFileBytes(record), Page(kHelpIndexPage));
    testing::ScopedEnvironment empty("PATH", (folder / "empty").string());
    EXPECT_FALSE(OpenInBrowser(Page(kHelpIndexPage)));
}

// The opener's answer decides: one that ends well or still runs after the wait has
// shown the page; one that ends with an error (no browser) has not.
TEST_F(BrowserHelpTest, OpenerAnswerIsAwaited) {
    const std::filesystem::path bin = folder / "answering";
    std::filesystem::create_directories(bin);
    testing::ScopedEnvironment path("PATH", bin.string() + ":/usr/bin:/bin");
    // Openers that end are waited for long enough to end on a loaded machine; the one
    // that stays is left after a short wait.
    constexpr std::chrono::milliseconds kEnds{10000}, kStays{200};
    const struct {
        const char* script;
        std::chrono::milliseconds wait;
        bool shown;
    } kCases[] = {{"exit 0", kEnds, true},
                  {"exit 3", kEnds, false},
                  {"kill -9 $$", kEnds, false},
                  {"exec sleep 1", kStays, true}};
    for (const auto& c : kCases) {
        WriteFileBytes(bin / "xdg-open", std::string("#!/bin/sh\n") + c.script + "\n");
        ::chmod((bin / "xdg-open").c_str(), 0755);
        EXPECT_EQ(OpenInBrowser(Page(kHelpIndexPage), c.wait), c.shown) << c.script;
    }
    // The opener that stayed ends and is reaped (bounded), leaving no child behind.
    for (int i = 0; i < 500 && ::waitpid(-1, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

}  // namespace
}  // namespace ql::sys
