// Extract Part on the desktop: an imported tune, a marquee dragged around its
// staff, then Ctrl+K; the layout dialog is confirmed and a new score window
// "untitled_PART" opens with the staff and its notes on the page, whose picture
// is written to the test-output folder.
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

// One track of four quarter notes at 96 ticks a quarter, after an empty conductor track.
std::vector<unsigned char> FourQuarters() {
    std::vector<unsigned char> notes;
    for (unsigned char key : {64, 67, 72, 67}) notes.insert(notes.end(), {0x00, 0x90, key, 90, 0x60, 0x80, key, 0});
    notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<unsigned char> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                                    'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00,
                                    'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(notes.size())};
    file.insert(file.end(), notes.begin(), notes.end());
    return file;
}

using ExtractPartScenario = DesktopScenario;

TEST_F(ExtractPartScenario, CtrlKOpensThePartOfTheMarqueesStaff) {
    const fs::path tune = home_->Documents() / "tune.mid";
    fs::create_directories(tune.parent_path());
    const std::vector<unsigned char> bytes = FourQuarters();
    std::ofstream(tune, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(StartProgram());
    ChooseMenuItem('f', 'i');
    ChooseFileToOpen(kImportTitle, tune, "Prepare Import");
    std::optional<ShownWindow> options = x_.WaitForWindow("Prepare Import");
    ASSERT_TRUE(options) << "no Prepare Import dialog";
    x_.PointAt(*options);
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitForWindow("tune_MIDI")) << "the imported score did not open";
    x_.Settle();
    const ShownWindow frame = Frame();
    const ScreenPicture picture = x_.Grab(frame);
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
    ASSERT_FALSE(staves.empty()) << "the page shows no staff";
    const std::vector<int>& lines = staves.front();
    const int height = lines.back() - lines.front();
    // From the paper above the staff's left end to below it.
    const int x0 = frame.x + picture.width / 8;
    x_.Drag(x0, frame.y + lines.front() - height, x0 + kMarqueeWidth, frame.y + lines.back() + height);
    x_.Settle();
    PressInFrame("ctrl+k");
    std::optional<ShownWindow> layout = x_.WaitForWindow(kLayoutTitle);
    ASSERT_TRUE(layout) << "no layout dialog";
    x_.PointAt(*layout);
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitForWindow(kPartTitle)) << "no part window";
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
