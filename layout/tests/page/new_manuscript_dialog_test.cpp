// The New Manuscript dialog driven as a user would: the program's defaults shown
// (separations made sound), typed values clamped on OK, a field without a number
// refused, Cancel giving no choice, and "Use Template" choosing a file instead.
#include <filesystem>
#include <fstream>

#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "layout/page/new_manuscript_dialog.h"
#include "layout/page/page_layout_resources.h"
#include "layout/tests/layout_fixture.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

using namespace new_manuscript_dialog;
using ui::headless::DialogDriver;

class NewManuscriptDialog : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        RegisterPageLayoutResources();
        ui::headless::ResetFileDialogs();
        NewScoreBlock& defaults = ProgramPreferences().header.newScoreBlock;
        defaults.staffSeparation = 0;    // shown as the default 1536: 8 degrees
        defaults.systemSeparation = 100;  // below 128: 1
    }
    NewManuscriptChoice Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(kNewManuscriptDialog, std::move(script));
        return RunNewManuscriptDialog();
    }
};

// Defaults made sound on show; on OK 0 systems per page is 1, 99 measures per line
// the slot limit, a staff separation of 1 degree 640 and 0 system degrees 128.
TEST_F(NewManuscriptDialog, ShowsSoundDefaultsAndClampsOnOk) {
    const NewManuscriptChoice choice = Run([](DialogDriver& d) {
        EXPECT_EQ(d.Int(kStaffSeparation), 8);
        EXPECT_EQ(d.Int(kSystemSeparation), 1);
        d.Type(kStaves, "3");
        d.Type(kSystems, "0");
        d.Type(kMeasures, "99");
        d.Type(kStaffSeparation, "1");
        d.Type(kSystemSeparation, "0");
        d.Click(ui::kIdOk);
    });
    ASSERT_TRUE(choice.accepted);
    EXPECT_FALSE(choice.useTemplate);
    EXPECT_EQ(choice.block.initStavesPerSystem, 3);
    EXPECT_EQ(choice.block.initSystemsPerPage, 1);
    EXPECT_EQ(choice.block.initMeasuresPerSystem, State().locate.SlotLimit);
    EXPECT_EQ(choice.block.staffSeparation, 640);
    EXPECT_EQ(choice.block.systemSeparation, 128);
}

// No number in a field: beep and the dialog stays; 0 staves likewise; Cancel then
// gives no choice.
TEST_F(NewManuscriptDialog, RefusesFieldsWithoutANumber) {
    const NewManuscriptChoice choice = Run([](DialogDriver& d) {
        d.Type(kMeasures, "");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Type(kMeasures, "4");
        d.Type(kStaves, "0");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(ui::headless::Beeps().size(), 2u);
        d.Click(ui::kIdCancel);
    });
    EXPECT_FALSE(choice.accepted);
}

// "Use Template": a chosen file that exists ends the dialog with it; a cancelled
// file dialog keeps the dialog open.
TEST_F(NewManuscriptDialog, UseTemplateChoosesAFile) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "ql_new_manuscript_test.tpl";
    std::ofstream(file) << "template";
    ui::headless::QueueFileDialogAnswer({ui::FileDialogStatus::Cancelled, {}});
    ui::headless::QueueFileDialogAnswer({ui::FileDialogStatus::Chosen, file});
    const NewManuscriptChoice choice = Run([](DialogDriver& d) {
        d.Click(kUseTemplate);
        EXPECT_TRUE(d.IsOpen());
        d.Click(kUseTemplate);
    });
    EXPECT_TRUE(choice.accepted);
    EXPECT_TRUE(choice.useTemplate);
    EXPECT_EQ(choice.templatePath, file);
    EXPECT_EQ(State().files.TemplateFolder, file.parent_path().string());
    EXPECT_EQ(ui::headless::FileDialogs().back().title, "Open Template File");
    // The next template dialog starts in the folder of this one.
    EXPECT_EQ(OpenTemplateFile(nullptr), 0);
    EXPECT_EQ(ui::headless::FileDialogs().back().initialFolder, file.parent_path());
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace ql::testing_layout
