// Scenario of writing a score out as a Standard MIDI File: a tune brought in through
// File > Import, then File > Export through the desktop's chooser and "MIDI Header
// Information"; the file written is read here, byte by byte, as a format-1 file
// whose staff track holds the tune's notes, a quarter (1,024 ticks) apart.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/midi_file_reading.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;


constexpr unsigned char kKeys[] = {67, 65, 64, 62, 60, 62, 64, 67};

// A conductor track and one staff track of eight quarter notes at 96 ticks a quarter.
FileBytes Tune() {
    FileBytes notes;
    for (unsigned char key : kKeys) notes.insert(notes.end(), {0x00, 0x90, key, 90, 0x60, 0x80, key, 0});
    notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
    FileBytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                   'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00,
                   'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(notes.size())};
    file.insert(file.end(), notes.begin(), notes.end());
    return file;
}

class ExportScenario : public DesktopScenario {
  protected:
    // What stands when no file came: the windows shown, the files under the scores
    // folder, whether the program still runs, and the end of its output.
    std::string WhatStands() {
        std::string text = "windows:";
        for (const ShownWindow& w : x_.Windows())
            if (!w.title.empty()) text += " [" + w.title + "]";
        text += "; files:";
        std::error_code error;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(home_->Documents(), error))
            text += " " + fs::relative(entry.path(), home_->Documents(), error).string();
        text += program_->IsRunning() ? "; running" : "; the program has ended";
        std::ifstream log(home_->ProgramLog());
        const std::string output{std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
        constexpr size_t kLogTail = 2000;
        return text + "; output: " + output.substr(output.size() > kLogTail ? output.size() - kLogTail : 0);
    }
};

TEST_F(ExportScenario, ExportedScoreIsAMidiFileWithItsNotes) {
    const fs::path tune = home_->Documents() / "descent.mid";
    fs::create_directories(tune.parent_path());
    const FileBytes bytes = Tune();
    std::ofstream(tune, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(StartProgram());

    ChooseMenuItem('f', 'i');
    ChooseFileToOpen("Import Standard MIDI and NIFF files", tune, "Prepare Import");
    std::optional<ShownWindow> options = x_.WaitForWindow("Prepare Import");
    ASSERT_TRUE(options) << "no Prepare Import dialog";
    x_.PointAt(*options);
    x_.PressKey("Return");  // Continue
    ASSERT_TRUE(x_.WaitForWindow("descent_MIDI")) << "the imported score did not open";
    x_.Settle();

    const fs::path exported = home_->Documents() / "out" / "descent.mid";
    fs::create_directories(exported.parent_path());
    ChooseMenuItem('f', 't');
    ASSERT_TRUE(AnswerFileChooser("Export to Standard Midi File", exported)) << "File > Export showed no chooser";
    std::optional<ShownWindow> header = x_.WaitForWindow("MIDI Header Information");
    ASSERT_TRUE(header) << "no MIDI Header Information dialog";
    x_.PointAt(*header);
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Header Information")) << "Return left the header dialog open";
    ASSERT_TRUE(WaitForFile(exported)) << "nothing was written; " << WhatStands();

    const ReadFile file = ReadMidiFile(exported);
    ASSERT_TRUE(file.valid) << "the written file is no valid Standard MIDI File";
    EXPECT_EQ(file.format, 1);
    EXPECT_EQ(file.tracks, 2);  // the conductor and the one staff
    EXPECT_EQ(file.division, 1024);
    std::vector<NoteOn> expected;
    for (uint32_t i = 0; i < std::size(kKeys); ++i) expected.push_back({i * 1024, kKeys[i]});
    ASSERT_EQ(file.noteOns.size(), 2u);
    EXPECT_TRUE(file.noteOns[0].empty());
    EXPECT_EQ(file.noteOns[1], expected);
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
