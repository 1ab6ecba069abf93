// Extract Part on the desktop: an imported tune, a marquee dragged around its
// staff, then Ctrl+K; the layout dialog is confirmed and a new score window
// "untitled_PART" opens with the staff and its notes on the page, whose picture
// is written to the test-output folder. A tune with a rest and a named staff gives
// its part with the name and no report; Ctrl+K without a marquee says in a box
// what to select.
#include <fstream>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr char kImportTitle[] = "Import Standard MIDI and NIFF files";
constexpr char kLayoutTitle[] = "Extract Part Layout";
constexpr char kPartTitle[] = "untitled_PART";
constexpr int kMarqueeWidth = 300;

// One track of four quarter notes at 96 ticks a quarter, after an empty conductor
// track; `named`: the track is named "Violin" and a quarter's rest follows the
// first note.
std::vector<unsigned char> Tune(bool named) {
    std::vector<unsigned char> notes;
    if (named) notes = {0x00, 0xFF, 0x03, 6, 'V', 'i', 'o', 'l', 'i', 'n'};
    unsigned char wait = 0x00;
    for (unsigned char key : {64, 67, 72, 67}) {
        notes.insert(notes.end(), {wait, 0x90, key, 90, 0x60, 0x80, key, 0});
        wait = named && key == 64 ? 0x60 : 0x00;
    }
    notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<unsigned char> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                                    'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00,
                                    'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(notes.size())};
    file.insert(file.end(), notes.begin(), notes.end());
    return file;
}

class ExtractPartScenario : public DesktopScenario {
  protected:
    // The tune imported and shown; the lines of its first staff.
    std::vector<int> ImportTune(const std::vector<unsigned char>& bytes) {
        const fs::path tune = home_->Documents() / "tune.mid";
        fs::create_directories(tune.parent_path());
        std::ofstream(tune, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        if (!StartProgram()) return {};
        ChooseMenuItem('f', 'i');
        ChooseFileToOpen(kImportTitle, tune, "Prepare Import");
        std::optional<ShownWindow> options = x_.WaitForWindow("Prepare Import");
        if (!options) return {};
        x_.PointAt(*options);
        x_.PressKey("Return");
        if (!x_.WaitForWindow("tune_MIDI")) return {};
        x_.Settle();
        const ScreenPicture picture = x_.Grab(Frame());
        const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
        return staves.empty() ? std::vector<int>{} : staves.front();
    }
    // A marquee from the paper above the staff's left end to below it, then Ctrl+K
    // and the layout dialog confirmed.
    bool ExtractAround(const std::vector<int>& lines) {
        const ShownWindow frame = Frame();
        const int height = lines.back() - lines.front();
        const int x0 = frame.x + x_.Grab(frame).width / 8;
        x_.Drag(x0, frame.y + lines.front() - height, x0 + kMarqueeWidth, frame.y + lines.back() + height);
        x_.Settle();
        PressInFrame("ctrl+k");
        std::optional<ShownWindow> layout = x_.WaitForWindow(kLayoutTitle);
        if (!layout) return false;
        x_.PointAt(*layout);
        x_.PressKey("Return");
        return x_.WaitForWindow(kPartTitle).has_value();
    }
};

// A measure with a rest on a named staff: the part opens without a report, and
// its saved file holds the staff's name.
TEST_F(ExtractPartScenario, PartOfAMeasureWithARestKeepsTheStaffNameWithoutAReport) {
    const std::vector<int> lines = ImportTune(Tune(true));
    ASSERT_FALSE(lines.empty()) << "the imported tune is not shown";
    ASSERT_TRUE(ExtractAround(lines)) << "no part window";
    EXPECT_TRUE(NoMessageBoxComes()) << "a report came with the part";
    const fs::path saved = home_->Documents() / "part.ql";
    ASSERT_TRUE(SaveScoreAs(saved));
    EXPECT_NE(ReadFileBytes(saved).find("Violin"), std::string::npos) << "the part lost the staff's name";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Ctrl+K with nothing selected: a box says what to select, and no part is made.
TEST_F(ExtractPartScenario, WithoutAMarqueeABoxSaysWhatToSelect) {
    const std::vector<int> lines = ImportTune(Tune(false));
    ASSERT_FALSE(lines.empty()) << "the imported tune is not shown";
    PressInFrame("ctrl+k");
    std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "Extract Part said nothing";
    EXPECT_FALSE(x_.FindWindow(kLayoutTitle));
    x_.PointAt(*box);
    x_.PressKey("Return");
    EXPECT_TRUE(WaitFor([&] { return !FindMessageBox(); })) << "the box stayed";
    EXPECT_FALSE(x_.FindWindow(kPartTitle));
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(ExtractPartScenario, CtrlKOpensThePartOfTheMarqueesStaff) {
    const std::vector<int> lines = ImportTune(Tune(false));
    ASSERT_FALSE(lines.empty()) << "the imported tune is not shown";
    ASSERT_TRUE(ExtractAround(lines)) << "no part window";
    x_.Settle();
    const ScreenPicture part = x_.Grab(Frame());
    const std::vector<std::vector<int>> partStaves = StavesOfFirstSystem(part, 0, part.width);
    ASSERT_FALSE(partStaves.empty()) << "the part shows no staff";
    EXPECT_GT(InkedColumnsBetweenLines(part, partStaves.front()), 8) << "the part shows no notes";
    // The part's page as the user sees it, for the eye.
    EXPECT_TRUE(WritePng(part, TestOutputFolder() / "extract_part_page1.png"));
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
