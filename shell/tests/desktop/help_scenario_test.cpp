// Help on the desktop: a dialog shows its Help button (the badge with the question
// mark) when the help shipped beside the program is there; F1 in the dialog (also
// with an edit field focused) or in the score, a click
// on the button and Help > Contents hand a page of that help to the desktop's
// opener, at the dialog's own topic. The opener is a stand-in of the scenario's own
// that writes down what it was given; without one, a box says where the pages are.
#include <filesystem>
#include <optional>
#include <string>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/stand_in_opener.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

class HelpScenario : public DesktopScenario {
protected:
    void SetUp() override {
        DesktopScenario::SetUp();
        opener_.emplace(home_->Root(), environment_);
        opener_->Answer(OpenerAnswer::kOpens);
    }

    // The next page handed to the opener, once one was: its file and its place.
    std::optional<std::pair<fs::path, std::string>> OpenedPage() {
        const std::optional<std::string> text = opener_->NextOpened();
        const std::string scheme = "file://";
        if (!text || text->rfind(scheme, 0) != 0) return std::nullopt;
        const size_t hash = text->find('#');
        return std::pair{fs::path(text->substr(scheme.size(), hash - scheme.size())),
                         hash == std::string::npos ? std::string() : text->substr(hash + 1)};
    }

    std::optional<StandInOpener> opener_;
};

// The badge colour of the Help button's face.
constexpr uint32_t kBadge = 0x004080;

// The middle of the badge in the picture; empty when no badge shows.
std::optional<std::pair<int, int>> BadgeIn(const ScreenPicture& picture) {
    long sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.At(x, y) == kBadge) sumX += x, sumY += y, ++count;
    if (count < 20) return std::nullopt;
    return std::pair{static_cast<int>(sumX / count), static_cast<int>(sumY / count)};
}

TEST_F(HelpScenario, DialogTopicAndContentsOpenTheirPages) {
    ASSERT_TRUE(StartProgram());
    // F1 in File > New, whose staff count has the keyboard, opens the dialog's topic.
    PressInFrame("ctrl+n");
    const std::optional<ShownWindow> newScore = x_.WaitForWindow("New Manuscript");
    ASSERT_TRUE(newScore) << "Ctrl+N showed no New dialog";
    x_.PointAt(*newScore);
    x_.PressKey("F1");
    const auto newTopic = OpenedPage();
    ASSERT_TRUE(newTopic) << "F1 in the New dialog opened no page";
    EXPECT_EQ(newTopic->second, "1410");
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("New Manuscript"));
    NewScore();
    // F1 in the score opens the help's contents.
    PressInFrame("F1");
    const auto fromScore = OpenedPage();
    ASSERT_TRUE(fromScore) << "F1 in the score opened no page";
    EXPECT_EQ(fromScore->first.filename(), "index.html");
    PressInFrame("ctrl+g");
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Page Setup");
    ASSERT_TRUE(dialog) << "Ctrl+G showed no Page Setup";
    x_.PointAt(*dialog);
    const ScreenPicture picture = SettledPicture(x_, [&] { return x_.Grab(*dialog); }, Millis{3000});
    WritePng(picture, TestOutputFolder() / "page_setup_help_desktop.png");
    const auto badge = BadgeIn(picture);
    ASSERT_TRUE(badge) << "the dialog shows no Help button";
    x_.PressKey("F1");
    const auto topic = OpenedPage();
    ASSERT_TRUE(topic) << "F1 in the dialog opened no page";
    EXPECT_EQ(topic->first.filename(), "pages-layout.html");
    EXPECT_EQ(topic->second, "1149");
    EXPECT_NE(ReadFileBytes(topic->first).find("id=\"1149\""), std::string::npos);
    x_.Click(dialog->x + badge->first, dialog->y + badge->second);
    const auto clicked = OpenedPage();
    ASSERT_TRUE(clicked) << "the Help button opened no page";
    EXPECT_EQ(clicked->second, "1149");
    EXPECT_FALSE(FindMessageBox()) << "a box came with the help";
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Page Setup"));

    ChooseMenuItem('h', 'c');
    const auto contents = OpenedPage();
    ASSERT_TRUE(contents) << "Help > Contents opened no page";
    EXPECT_EQ(contents->first.filename(), "index.html");
    EXPECT_TRUE(fs::is_regular_file(contents->first));
    EXPECT_TRUE(NoMessageBoxComes()) << "a box came with the contents";

    // With no opener on the desktop, a box says where the pages are.
    opener_->Answer(OpenerAnswer::kMissing);
    ChooseMenuItem('h', 'c');
    const std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "Help > Contents without an opener said nothing";
    x_.PointAt(*box);
    x_.PressKey("Return");
    EXPECT_TRUE(WaitFor([&] { return !FindMessageBox(); })) << "the box stayed";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
