// Scenario of bringing a Standard MIDI File in: File > Import of a ".mid" file through
// the desktop's chooser shows "Prepare Import", and Continue opens a score window
// named after the file with its notes on the page; a damaged file gives a message
// box and no window.
#include <fstream>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr char kImportTitle[] = "Import Standard MIDI and NIFF files";

void WriteFile(const fs::path& path, const std::vector<unsigned char>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// A conductor track and one staff track of eight quarter notes at 96 ticks a quarter.
std::vector<unsigned char> EightQuarters() {
    std::vector<unsigned char> notes;
    const unsigned char keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (unsigned char key : keys) notes.insert(notes.end(), {0x00, 0x90, key, 90, 0x60, 0x80, key, 0});
    notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<unsigned char> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                                    'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00,
                                    'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(notes.size())};
    file.insert(file.end(), notes.begin(), notes.end());
    return file;
}

class ImportScenario : public DesktopScenario {
  protected:
    void ChooseFile(const fs::path& path) { ChooseFileToOpen(kImportTitle, path, "Prepare Import"); }
};

TEST_F(ImportScenario, ImportedMidiFileOpensAsANewScore) {
    const fs::path tune = home_->Documents() / "tune.mid";
    WriteFile(tune, EightQuarters());
    const fs::path damaged = home_->Documents() / "damaged.mid";
    WriteFile(damaged, {'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96, 'j', 'u', 'n', 'k'});
    ASSERT_TRUE(StartProgram());

    ChooseMenuItem('f', 'i');
    ChooseFile(tune);
    std::optional<ShownWindow> options = x_.WaitForWindow("Prepare Import");
    ASSERT_TRUE(options) << "no Prepare Import dialog";
    x_.PointAt(*options);
    x_.PressKey("Return");  // Continue
    ASSERT_TRUE(x_.WaitForWindow("tune_MIDI")) << "the imported score did not open";
    x_.Settle();
    const ScreenPicture picture = x_.Grab(Frame());
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
    // Systems of one staff each: the first staff on the page is the first system's.
    ASSERT_FALSE(staves.empty()) << "the page shows no staff";
    EXPECT_GT(InkedColumnsBetweenLines(picture, staves.front()), 20) << "the page shows no notes";

    PressInFrame("ctrl+i");
    ChooseFile(damaged);
    std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "the damaged file gave no message";
    x_.PointAt(*box);
    x_.PressKey("Return");
    x_.Settle();
    EXPECT_FALSE(x_.FindWindow("damaged_MIDI")) << "a window was opened for the damaged file";

    // The imported score has no file of its own: closing it asks, and No discards it.
    ChooseMenuItem('f', 'c');
    std::optional<ShownWindow> question = WaitForMessageBox();
    ASSERT_TRUE(question) << "closing the imported score asked nothing";
    x_.PointAt(*question);
    x_.PressKey("alt+n");
    EXPECT_TRUE(WaitFor([&] { return Frame().title == kFrameTitle; })) << "the imported score did not close";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
