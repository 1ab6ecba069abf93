// Toolbar Options and Palette Options driven as a user would: bands hidden and
// shown, kept in the settings across a restart and reported to the band container;
// the palettes' options stored on OK and left on Cancel.
#include "shell/options/toolbar_options_dialogs.h"

#include <gtest/gtest.h>

#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/settings/settings_table.h"
#include "core/state.h"
#include "platform/ui/headless.h"
#include "shell/rebar/band_layout_keys.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/resources/program_strings.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

namespace t = toolbar_options_dialog;
namespace p = palette_options_dialog;

ToolbarOptionsChange g_change;
int g_reports = 0;

class ToolbarOptionsTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        ResetProgramState();
        ResetProgramOptions();
        RegisterProgramStrings();
        RegisterOptionDialogResources();
        g_change = {};
        g_reports = 0;
        SetToolbarOptionsListener([](const ToolbarOptionsChange& change) {
            g_change = change;
            ++g_reports;
        });
    }
    void TearDown() override {
        SetToolbarOptionsListener(nullptr);
        SettingsFixture::TearDown();
    }
    static int32_t Stored(const char* key) {
        int32_t value = -1;
        ReadSettingNumber(kToolbarSection, key, &value);
        return value;
    }
};

// Hiding the Edit band and showing Notes is stored, reported, and read back after
// a restart; the dialog then opens on the new choice.
TEST_F(ToolbarOptionsTest, BandsAreHiddenShownAndKept) {
    ASSERT_TRUE(IsBandShown(1002));
    ASSERT_FALSE(IsBandShown(1010));
    ui::headless::SetDialogScript(t::kDialog, [](ui::headless::DialogDriver& d) {
        d.SetChecked(t::kEditBand, false);
        d.SetChecked(t::kNotesBand, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunToolbarOptionsDialog(), 1);
    EXPECT_FALSE(IsBandShown(1002));
    EXPECT_TRUE(IsBandShown(1010));
    EXPECT_EQ(g_reports, 1);
    EXPECT_TRUE(g_change.bandsChanged);
    EXPECT_FALSE(g_change.rebuild);
    EXPECT_EQ(Stored("EditToolbar"), 0);
    EXPECT_EQ(Stored("NoteToolbar"), 1);
    ResetProgramOptions();
    LoadPreferences();
    EXPECT_FALSE(IsBandShown(1002));
    EXPECT_TRUE(IsBandShown(1010));
    bool editShown = true;
    ui::headless::SetDialogScript(t::kDialog, [&](ui::headless::DialogDriver& d) {
        editShown = d.IsChecked(t::kEditBand);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunToolbarOptionsDialog(), 2);
    EXPECT_FALSE(editShown);
    EXPECT_EQ(g_reports, 1);
}

// Select All checks every band; button text and size ask for a rebuild; the main
// palette's place is kept under its own keys.
TEST_F(ToolbarOptionsTest, SelectAllTextSizeAndTheMainPalette) {
    ui::headless::SetDialogScript(t::kDialog, [](ui::headless::DialogDriver& d) {
        d.Click(t::kSelectAll);
        d.SetChecked(t::kSmallToolbars, !d.IsChecked(t::kSmallToolbars));
        d.SetChecked(t::kFloatMainPalette, true);
        d.SetChecked(t::kRetainInBand, false);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunToolbarOptionsDialog(), 1);
    for (int32_t band : {1001, 1002, 1003, 1004, 1005, 1007, 1008, 1009, 1010, 1011}) EXPECT_TRUE(IsBandShown(band)) << band;
    EXPECT_TRUE(g_change.rebuild);
    EXPECT_TRUE(g_change.floatChanged);
    EXPECT_EQ(Stored("FloatMainToolBar"), 1);
    EXPECT_EQ(Stored("KeepMainToolBar"), 0);
    EXPECT_FALSE(IsBandShown(1006));
}

// Palette Options: moving together, the small size and the colour on OK; Cancel
// keeps them.
TEST_F(ToolbarOptionsTest, PaletteOptions) {
    Options().SyncPalettes = 0;
    Options().ToolSize = 36;
    ui::headless::SetDialogScript(p::kDialog, [](ui::headless::DialogDriver& d) {
        d.SetChecked(p::kSyncPalettes, true);
        d.SetChecked(p::kSmallPalettes, true);
        d.Click(p::kSlate);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunPaletteOptionsDialog(), 1);
    EXPECT_EQ(Options().SyncPalettes, 1);
    EXPECT_EQ(Options().ToolSize, 24);
    EXPECT_EQ(PaletteColour(), kPaletteColours[2]);
    bool slateShown = false;
    ui::headless::SetDialogScript(p::kDialog, [&](ui::headless::DialogDriver& d) {
        slateShown = d.IsChecked(p::kSlate);
        d.SetChecked(p::kSmallPalettes, false);
        d.Click(p::kBlack);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunPaletteOptionsDialog(), 2);
    EXPECT_TRUE(slateShown);
    EXPECT_EQ(Options().ToolSize, 24);
    EXPECT_EQ(PaletteColour(), kPaletteColours[2]);
}

}  // namespace
}  // namespace ql
