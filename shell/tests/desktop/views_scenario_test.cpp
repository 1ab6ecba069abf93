// Two scores on the desktop at once: opened together, the windows tiled side by side
// (Window > Tile Vertically, Shift+F3), each window draws its own music; the menus
// that list them open whole.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

// The program started again with two saved scores open, three.ql (three staves)
// and two.ql (two), two.ql active.
class TwoScoresScenario : public DesktopScenario {
protected:
    void StartWithTwoScores() {
        ASSERT_TRUE(StartProgram());
        const fs::path three = home_->Documents() / "three.ql";
        const fs::path two = home_->Documents() / "two.ql";
        MakeScoreFile(three, "3");
        MakeScoreFile(two, "2");
        EXPECT_EQ(Quit(), 0);
        ASSERT_TRUE(StartProgram({three.string(), two.string()}));
        ASSERT_TRUE(x_.WaitForWindow("two.ql"));
    }
};

TEST_F(TwoScoresScenario, TwoScoresSideBySideDrawTheirOwnMusic) {
    StartWithTwoScores();
    if (HasFatalFailure()) return;
    PressInFrame("shift+F3");
    x_.Settle();
    const ShownWindow frame = Frame();
    const ScreenPicture picture = x_.Grab(frame);
    const auto left = StavesOfFirstSystem(picture, 0, picture.width / 2);
    const auto right = StavesOfFirstSystem(picture, picture.width / 2, picture.width);
    std::vector<size_t> counts{left.size(), right.size()};
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<size_t>{2, 3}));
    EXPECT_EQ(Quit(), 0);
}

// The middle rows of the lines of text in a picture of a popup, top to bottom.
std::vector<int> TextRows(const ScreenPicture& picture) {
    std::vector<int> rows;
    int start = -1;
    for (int y = 0; y <= picture.height; ++y) {
        const bool inked = y < picture.height && picture.DarkPixels(0, y, picture.width, y + 1) > 0;
        if (inked && start < 0) start = y;
        if (!inked && start >= 0) {
            rows.push_back((start + y) / 2);
            start = -1;
        }
    }
    return rows;
}

// Menus whose items change while the program runs (the File menu's recent scores,
// the Window menu's list of open scores) open at the size of the items they show
// now, first row at the top: the popup is the same the first time it opens as
// the next. A click on a row runs that row's command.
TEST_F(TwoScoresScenario, MenusOpenAtTheSizeOfTheirItems) {
    StartWithTwoScores();
    if (HasFatalFailure()) return;
    NewScore("1");
    x_.Settle();
    // The Window menu lists the three scores, the new one last: the row above it
    // names two.ql, and a click on it brings that score up.
    const std::optional<ShownWindow> window = OpenMenuPath("w");
    ASSERT_TRUE(window);
    const std::vector<int> rows = TextRows(x_.Grab(*window));
    ASSERT_GE(rows.size(), 2u);
    x_.Click(window->x + window->width / 2, window->y + rows[rows.size() - 2]);
    EXPECT_TRUE(WaitFor([&] { return Frame().title.find("two.ql") != std::string::npos; }, Millis{5000}))
        << "the click ran another item: the frame reads " << Frame().title;
    CloseMenus();
    for (const char menu : std::string("fw")) {
        const ScreenPicture first = MenuPathPicture(std::string(1, menu));
        const ScreenPicture again = MenuPathPicture(std::string(1, menu));
        WritePicture(first, TestOutputFolder() / (std::string("menu_first_") + menu + ".ppm"));
        WritePicture(again, TestOutputFolder() / (std::string("menu_again_") + menu + ".ppm"));
        ASSERT_GT(again.height, 0) << "menu " << menu << " did not open";
        EXPECT_EQ(first.height, again.height) << "menu " << menu;
        if (first.height == again.height) {
            EXPECT_EQ(DifferentPixels(first, again), 0) << "menu " << menu;
        }
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
