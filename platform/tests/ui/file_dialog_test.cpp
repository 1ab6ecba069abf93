// File dialogs: filters parsed into labelled pattern lists, and the folder of the
// last file chosen kept in the program's settings as the next dialog's start.
#include <gtest/gtest.h>

#include "platform/sys/settings_store.h"
#include "platform/ui/file_dialog.h"

namespace ql::testing {
namespace {

namespace fs = std::filesystem;
using ui::FileDialogFilter;

TEST(FileDialogFilterTest, ParsesLabelledPatternLists) {
    const std::vector<FileDialogFilter> open = ui::ParseFileDialogFilter(" Quaverlinescribe ~*.ql~ All files (*.*)~*.*~~");
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0].label, "Quaverlinescribe");
    EXPECT_EQ(open[0].patterns, std::vector<std::string>{"*.ql"});
    EXPECT_EQ(open[1].label, "All files (*.*)");
    // Several patterns in one entry.
    const std::vector<FileDialogFilter> xml = ui::ParseFileDialogFilter("MusicXML~*.xml; *.mxl~~");
    ASSERT_EQ(xml.size(), 1u);
    EXPECT_EQ(xml[0].patterns, (std::vector<std::string>{"*.xml", "*.mxl"}));
    // A last entry without its closing "~" still counts; a label without a pattern
    // ends the list; nothing parses from an empty or label-only text.
    EXPECT_EQ(ui::ParseFileDialogFilter("MIDI~*.mid").size(), 1u);
    EXPECT_EQ(ui::ParseFileDialogFilter("MIDI~*.mid~Broken~~NIFF~*.nif~~").size(), 1u);
    EXPECT_TRUE(ui::ParseFileDialogFilter("").empty());
    EXPECT_TRUE(ui::ParseFileDialogFilter("label only").empty());
}

class FileDialogFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ui::headless::ResetFileDialogs(); }
    void TearDown() override { ui::headless::ResetFileDialogs(); }

    static ui::FileDialogAnswer Chosen(const fs::path& path) {
        return ui::FileDialogAnswer{ui::FileDialogStatus::Chosen, path};
    }
};

TEST_F(FileDialogFolderTest, StartsInTheFolderOfTheLastChosenFile) {
    ui::FileDialogRequest request;
    // The first dialog has no folder to start in.
    ui::headless::QueueFileDialogAnswer(Chosen("/scores/songs/one.ql"));
    EXPECT_EQ(ui::RunFileDialog(request).path, fs::path("/scores/songs/one.ql"));
    EXPECT_TRUE(ui::headless::FileDialogs()[0].initialFolder.empty());
    // The next starts where that file was, and the settings keep the folder.
    EXPECT_EQ(ui::LastFileDialogFolder(), fs::path("/scores/songs"));
    EXPECT_EQ(sys::ProgramSettings().ReadText(ui::kFileDialogSettingsSection, ui::kLastFolderKey), "/scores/songs");
    ui::RunFileDialog(request);  // cancelled: the folder stays
    EXPECT_EQ(ui::headless::FileDialogs()[1].initialFolder, fs::path("/scores/songs"));
    EXPECT_EQ(ui::LastFileDialogFolder(), fs::path("/scores/songs"));
    // A dialog with a folder of its own keeps it.
    request.initialFolder = "/templates";
    ui::headless::QueueFileDialogAnswer(Chosen("/templates/t.tpl"));
    ui::RunFileDialog(request);
    EXPECT_EQ(ui::headless::FileDialogs()[2].initialFolder, fs::path("/templates"));
    EXPECT_EQ(ui::LastFileDialogFolder(), fs::path("/templates"));
    // A refused name is not a choice.
    ui::headless::QueueFileDialogAnswer(ui::FileDialogAnswer{ui::FileDialogStatus::InvalidName, "/elsewhere/x"});
    ui::RunFileDialog(request);
    EXPECT_EQ(ui::LastFileDialogFolder(), fs::path("/templates"));
    // An installed backend (the desktop's chooser) is given the folder as well.
    fs::path seen;
    ui::InstallFileDialogBackend([&](const ui::FileDialogRequest& r) {
        seen = r.initialFolder;
        return Chosen("/next/two.ql");
    });
    ui::RunFileDialog(ui::FileDialogRequest{});
    EXPECT_EQ(seen, fs::path("/templates"));
    EXPECT_EQ(ui::LastFileDialogFolder(), fs::path("/next"));
}

}  // namespace
}  // namespace ql::testing
