// Scenarios of making, saving and opening scores through the menus, the keys and
// the desktop's file chooser (GTK's own chooser dialog, answered by typing the path
// into its location field).
#include <fstream>
#include <iterator>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;


std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// File > New with three staves per system: the page shows systems of three staves.
TEST_F(DesktopScenario, NewScoreWithThreeStaves) {
    ASSERT_TRUE(StartProgram());
    NewScore("3");
    x_.Settle();
    const ShownWindow frame = Frame();
    const ScreenPicture picture = x_.Grab(frame);
    EXPECT_EQ(StavesOfFirstSystem(picture, 0, picture.width).size(), 3u);
    EXPECT_EQ(Quit(), 0);
}

// Save As through the chooser to a new name, close, File > Open through the chooser:
// the reopened score shows as the saved one did.
TEST_F(DesktopScenario, SaveAsCloseAndOpenThroughTheChooser) {
    ASSERT_TRUE(StartProgram());
    NewScore("3");
    const fs::path first = home_->Documents() / "first.ql";
    ASSERT_TRUE(SaveScoreAs(first));
    EXPECT_TRUE(x_.WaitForWindow("first.ql"));
    const ScreenPicture saved = x_.Grab(Frame());
    CloseScore();
    PressInFrame("ctrl+o");
    ASSERT_TRUE(AnswerFileChooser("Open Quaverlinescribe File", first));
    ASSERT_TRUE(x_.WaitForWindow("first.ql")) << "the chosen file did not open";
    x_.Settle();
    const ScreenPicture reopened = x_.Grab(Frame());
    // The first system is drawn where it was, line for line. (The later systems are
    // spread further apart once the loaded score is formatted again.)
    EXPECT_EQ(StavesOfFirstSystem(reopened, 0, reopened.width).size(), 3u);
    EXPECT_EQ(StavesOfFirstSystem(reopened, 0, reopened.width), StavesOfFirstSystem(saved, 0, saved.width));
    // Open with a score open goes through the chooser as well; a second file opens
    // in a window of its own.
    const fs::path second = home_->Documents() / "second.ql";
    ASSERT_TRUE(SaveScoreAs(second));
    PressInFrame("ctrl+o");
    ASSERT_TRUE(AnswerFileChooser("Open Quaverlinescribe File", first));
    EXPECT_TRUE(x_.WaitForWindow("first.ql")) << "Open with a score open did not open the file";
    EXPECT_EQ(Quit(), 0);
}

// Ctrl+S on a new score asks for a name; after a change Ctrl+S writes the file
// again without asking; closing a changed new score asks to save, and Yes goes to
// the chooser.
TEST_F(DesktopScenario, SaveKeyAfterAChange) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const fs::path score = home_->Documents() / "changed.ql";
    PressInFrame("ctrl+s");
    ASSERT_TRUE(AnswerFileChooser("Save As", score));
    ASSERT_TRUE(WaitForFile(score));
    const std::string saved = Bytes(score);
    InsertPage();
    PressInFrame("ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return Bytes(score) != saved; })) << "Ctrl+S did not write the change";
    EXPECT_FALSE(x_.FindWindow("Save As"));
    CloseScore();

    NewScore();
    InsertPage();
    ChooseMenuItem('f', 'c');
    const std::optional<ShownWindow> question = WaitForMessageBox();
    ASSERT_TRUE(question) << "no question about the unsaved score";
    x_.PointAt(*question);
    x_.PressKey("Return");  // Yes
    const fs::path named = home_->Documents() / "named.ql";
    ASSERT_TRUE(AnswerFileChooser("Save As", named));
    EXPECT_TRUE(WaitForFile(named));
    EXPECT_TRUE(WaitFor([&] { return Frame().title == kFrameTitle; })) << "the score did not close";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
