// Scenarios of making, saving and opening scores through the menus, the keys and
// the desktop's file chooser (GTK's own chooser dialog, answered by typing the path
// into its location field).
#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/ui/dialog_grid.h"
#include "files/tests/stream/stream_layout.h"
#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;


void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

uint16_t U16At(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

// The pixels where two pictures of one page differ: across the whole width (the
// margin guides and the page's edge with the music), from above the first staff to
// the lowest system shown; -1 when the first picture shows no staff.
int DifferingMusicPixels(const ScreenPicture& saved, const ScreenPicture& reopened) {
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(saved, 0, saved.width);
    if (staves.empty() || reopened.width != saved.width || reopened.height != saved.height) return -1;
    const int line = staves.front().front();
    const int top = std::max(0, line - 2 * (staves.front().back() - line));
    const int bottom = saved.height * 9 / 10;
    int differing = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < saved.width; ++x) differing += saved.At(x, y) != reopened.At(x, y) ? 1 : 0;
    return differing;
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
    // The page is drawn as it was, every system where it stood.
    EXPECT_EQ(StavesOfFirstSystem(reopened, 0, reopened.width).size(), 3u);
    EXPECT_EQ(DifferingMusicPixels(saved, reopened), 0) << "the reopened page differs from the saved one";
    // Open with a score open goes through the chooser as well; a second file opens
    // in a window of its own.
    const fs::path second = home_->Documents() / "second.ql";
    ASSERT_TRUE(SaveScoreAs(second));
    PressInFrame("ctrl+o");
    ASSERT_TRUE(AnswerFileChooser("Open Quaverlinescribe File", first));
    EXPECT_TRUE(x_.WaitForWindow("first.ql")) << "Open with a score open did not open the file";
    EXPECT_EQ(Quit(), 0);
}

// A three-staff score saved, the program quit, a fresh program started on the file:
// the page shows as it did when it was saved (clefs, keys, time signatures and the
// place of every system).
TEST_F(DesktopScenario, AFreshProgramOpensASavedScoreAsItWasSaved) {
    ASSERT_TRUE(StartProgram());
    NewScore("3");
    const fs::path score = home_->Documents() / "three.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    x_.Settle();
    const ScreenPicture saved = x_.Grab(Frame());
    EXPECT_EQ(Quit(), 0);
    ASSERT_TRUE(StartProgram({score.string()}));
    ASSERT_TRUE(x_.WaitForWindow("three.ql")) << "the file did not open";
    x_.Settle();
    const ScreenPicture reopened = x_.Grab(Frame());
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(saved, 0, saved.width);
    ASSERT_EQ(staves.size(), 3u);
    EXPECT_EQ(StavesOfFirstSystem(reopened, 0, reopened.width), staves);
    EXPECT_EQ(DifferingMusicPixels(saved, reopened), 0) << "the reopened page differs from the saved one";
    EXPECT_EQ(Quit(), 0);
}

// Ctrl+S on a changed new score asks for a name (on an unchanged one Save is greyed
// and the key runs nothing); after a further change Ctrl+S writes the file again
// without asking; closing a changed new score asks to save, and Yes goes to the
// chooser.
TEST_F(DesktopScenario, SaveKeyAfterAChange) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const fs::path score = home_->Documents() / "changed.ql";
    InsertPage();
    PressInFrame("ctrl+s");
    ASSERT_TRUE(AnswerFileChooser("Save As", score));
    ASSERT_TRUE(WaitForFile(score));
    const std::string saved = ReadFileBytes(score);
    InsertPage();
    PressInFrame("ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(score) != saved; })) << "Ctrl+S did not write the change";
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

// A score whose first staff label is damaged (its length negative) opens with what
// could be read and one notice; Ctrl+S then asks for a new name instead of writing
// over the file, and the file stays byte for byte as it was.
TEST_F(DesktopScenario, ADamagedScoreOpensAndIsNeverSavedOverItself) {
    ASSERT_TRUE(StartProgram());
    const fs::path score = home_->Documents() / "damaged.ql";
    MakeScoreFile(score, "1");
    EXPECT_EQ(Quit(), 0);
    std::string bytes = ReadFileBytes(score);
    const size_t label = testing_files::FirstLabelLengthAt(1, U16At(bytes, testing_files::kPortCountAt));
    ASSERT_LT(label + 1, bytes.size());
    bytes[label] = bytes[label + 1] = '\xFF';
    WriteBytes(score, bytes);

    program_ = Launch({score.string()});
    const std::optional<ShownWindow> notice = WaitForMessageBox();
    ASSERT_TRUE(notice) << "the damaged file opened without a notice";
    x_.PointAt(*notice);
    x_.PressKey("Return");
    ASSERT_TRUE(WaitForFrame());
    ASSERT_TRUE(x_.WaitForWindow("damaged.ql")) << "what could be read was not shown";
    x_.Settle();
    const ScreenPicture picture = x_.Grab(Frame());
    EXPECT_FALSE(StavesOfFirstSystem(picture, 0, picture.width).empty()) << "the recovered page shows no staff";

    PressInFrame("ctrl+s");
    const std::optional<ShownWindow> chooser = x_.WaitForWindow("Save As");
    ASSERT_TRUE(chooser) << "Save did not ask for a new name";
    x_.PointAt(*chooser);
    x_.PressKey("Escape");
    EXPECT_TRUE(WaitFor([&] { return !x_.FindWindow("Save As"); }));
    EXPECT_EQ(ReadFileBytes(score), bytes) << "the damaged file was written over";
    // The recovered score counts as changed: closing it asks, and No keeps the file.
    ChooseMenuItem('f', 'c');
    const std::optional<ShownWindow> question = WaitForMessageBox();
    ASSERT_TRUE(question) << "closing the recovered score asked nothing";
    x_.PointAt(*question);
    x_.PressKey("alt+n");
    EXPECT_TRUE(WaitFor([&] { return Frame().title == kFrameTitle; })) << "the score did not close";
    EXPECT_EQ(ReadFileBytes(score), bytes);
    EXPECT_EQ(Quit(), 0);
}

// The centre of New Manuscript's "Use Template" button: the dialog is a grid of three
// columns and seven rows in dialog units, the button in the third column of row 3,
// and the window's pixels scale those units alike across and down.
std::pair<int, int> UseTemplateButton(const ShownWindow& dialog) {
    using namespace dialog_grid;
    constexpr int kColumnWidth = 110, kButtonWidth = 50, kColumns = 3, kRows = 7;
    constexpr double width = 2 * kMargin + kColumns * kColumnWidth;
    constexpr double height = 2 * kMargin + kRows * kRowHeight;
    constexpr double x = kMargin + 2 * kColumnWidth + kButtonWidth / 2.0;
    constexpr double y = kMargin + 3 * kRowHeight + kControlHeight / 2.0;
    return {dialog.x + static_cast<int>(dialog.width * x / width),
            dialog.y + static_cast<int>(dialog.height * y / height)};
}

// A score (not a template) chosen with New's "Use Template" gives the new manuscript
// its first page only, and its own file stays as it was.
TEST_F(DesktopScenario, AScoreChosenAsTheTemplateOfNewGivesItsFirstPage) {
    ASSERT_TRUE(StartProgram());
    const fs::path base = home_->Documents() / "base.ql";
    NewScore();
    InsertPage();
    ASSERT_TRUE(SaveScoreAs(base));
    CloseScore();
    const std::string bytes = ReadFileBytes(base);
    ASSERT_GT(bytes.size(), testing_files::kPageCountAt + 1);
    ASSERT_EQ(U16At(bytes, testing_files::kPageCountAt), 2);

    PressInFrame("ctrl+n");
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("New Manuscript");
    ASSERT_TRUE(dialog);
    const auto [x, y] = UseTemplateButton(*dialog);
    x_.Click(x, y);
    ChooseFileToOpen("Open Template File", base, "[untitled_NEW]");
    ASSERT_TRUE(x_.WaitForWindow("[untitled_NEW]")) << "no new manuscript from the score";

    const fs::path made = home_->Documents() / "made.ql";
    ASSERT_TRUE(SaveScoreAs(made));
    const std::string madeBytes = ReadFileBytes(made);
    ASSERT_GT(madeBytes.size(), testing_files::kPageCountAt + 1);
    EXPECT_EQ(U16At(madeBytes, testing_files::kPageCountAt), 1);
    const int kept = U16At(madeBytes, testing_files::kMeasureCountAt);
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, U16At(bytes, testing_files::kMeasureCountAt)) << "the second page's measures went";
    EXPECT_EQ(ReadFileBytes(base), bytes);
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
