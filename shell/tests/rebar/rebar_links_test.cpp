// The main bar tied to the rest of the program: the band buttons take their bits
// from the toolbar buttons' model (also when the bar is made or rebuilt after the
// model changed), their tips from the frame's answer, and Toolbar Options shows
// and hides bands, rebuilds the bar and moves the Main palette.
#include <gtest/gtest.h>

#include "core/state.h"
#include "platform/ui/headless.h"
#include "platform/ui/toolbar.h"
#include "shell/command/toolbar_buttons.h"
#include "shell/command/toolbar_tooltips.h"
#include "shell/options/toolbar_options_dialogs.h"
#include "shell/rebar/band_layout_keys.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/resources/program_strings.h"
#include "shell/shell_services.h"
#include "shell/tests/rebar/main_rebar_fixture.h"

namespace ql {
namespace {

namespace t = toolbar_options_dialog;

constexpr uint8_t kEnabled = ui::kToolButtonEnabled;
constexpr uint8_t kCheckedAndPressed = ui::kToolButtonChecked | ui::kToolButtonPressed;

class RebarLinksTest : public MainRebarTest {
  protected:
    void SetUp() override {
        MainRebarTest::SetUp();
        ResetProgramState();
        ResetProgramToolbars();
        RegisterProgramStrings();
        RegisterOptionDialogResources();
        RegisterToolbarStrings();
    }
    void TearDown() override {
        MainRebarTest::TearDown();
        ResetProgramToolbars();
    }
    static std::optional<uint8_t> Bits(int32_t band, int32_t command) {
        return ui::GetToolbarButtonBits(BandToolbar(band), command);
    }
    // Toolbar Options with the script's changes, then OK.
    static void ChooseToolbarOptions(std::function<void(ui::headless::DialogDriver&)> change) {
        ui::headless::SetDialogScript(t::kDialog, [change](ui::headless::DialogDriver& d) {
            change(d);
            d.Click(ui::kIdOk);
        });
        ASSERT_EQ(RunToolbarOptionsDialog(), 1);
    }
};

// Play checked and Undo grayed in the model reach the MIDI and Edit bands at once,
// and a bar made or rebuilt afterwards starts from the model as it is.
TEST_F(RebarLinksTest, BandButtonsFollowTheButtonModel) {
    SetToolbarButtonChecked(ProgramToolbar(ToolbarKind::Transport), kStartPlaybackButton, true);
    Start();
    EXPECT_EQ(Bits(kMidiBand, kStartPlaybackButton), kEnabled | kCheckedAndPressed) << "a new bar shows the model";
    EnableToolbarButton(ProgramToolbar(ToolbarKind::Transport), kStartPlaybackButton, false);
    EXPECT_EQ(Bits(kMidiBand, kStartPlaybackButton), kCheckedAndPressed);
    EnableToolbarButton(ProgramToolbar(ToolbarKind::Edit), 57643, false);
    EXPECT_EQ(Bits(kEditBand, 57643), 0);
    EXPECT_EQ(Bits(kEditBand, 57644), kEnabled);
    ASSERT_TRUE(RebuildMainRebar());
    EXPECT_EQ(Bits(kEditBand, 57643), 0) << "a rebuilt bar shows the model";
    EXPECT_EQ(Bits(kMidiBand, kStartPlaybackButton), kCheckedAndPressed);
    ReleaseTransportButtons(nullptr);
    EXPECT_FALSE(Bits(kMidiBand, kStartPlaybackButton).value_or(0) & ui::kToolButtonChecked);
    // Without a bar the model changes reach nothing and nothing breaks.
    DestroyMainRebar();
    EnableToolbarButton(ProgramToolbar(ToolbarKind::Edit), 57643, true);
    ASSERT_TRUE(CreateMainRebar(frame_, 0));
    EXPECT_EQ(Bits(kEditBand, 57643), kEnabled);
}

// The tips are the frame's texts, not the buttons' labels; a button the frame has
// no text for keeps its label as its tip.
TEST_F(RebarLinksTest, BandButtonTipsAreTheFramesTexts) {
    Start();
    EXPECT_EQ(ui::ToolbarButtonTooltip(BandToolbar(kMidiBand), kStartPlaybackButton), "Start Playback");
    EXPECT_EQ(ui::ToolbarButtonTooltip(BandToolbar(kEditBand), 57643), ToolbarTooltip(nullptr, 57643));
    EXPECT_EQ(ui::ToolbarButtonTooltip(BandToolbar(kVoicesBand), kFirstVoiceButton), "Edit Voice 1");
    EXPECT_EQ(ui::ToolbarButtonTooltip(BandToolbar(kTextBand), 40220), "Larger");
}

// Toolbar Options hides Edit and shows Notes in the bar, and Edit stays hidden
// after a restart.
TEST_F(RebarLinksTest, ToolbarOptionsShowsAndHidesBands) {
    Start();
    ASSERT_FALSE(Hidden(kEditBand));
    ASSERT_TRUE(Hidden(kNotesBand));
    ChooseToolbarOptions([](ui::headless::DialogDriver& d) {
        d.SetChecked(t::kEditBand, false);
        d.SetChecked(t::kNotesBand, true);
    });
    EXPECT_TRUE(Hidden(kEditBand));
    EXPECT_FALSE(Hidden(kNotesBand));
    Restart();
    EXPECT_TRUE(Hidden(kEditBand));
    EXPECT_FALSE(Hidden(kNotesBand));
    EXPECT_FALSE(IsBandShown(kEditBand));
}

// Small buttons rebuild the bar with smaller toolbars in the same order, the bands
// hidden in the same OK included.
TEST_F(RebarLinksTest, ToolbarOptionsRebuildsTheBarForSmallButtons) {
    WriteSettings("[ToolbarSettings]\nSmallToolBars=0\n");
    Start();
    const Ids order = Order();
    const int32_t large = ui::ToolbarIdealSize(BandToolbar(kFileBand)).cy;
    ChooseToolbarOptions([](ui::headless::DialogDriver& d) {
        d.SetChecked(t::kSmallToolbars, true);
        d.SetChecked(t::kViewBand, false);
    });
    EXPECT_LT(ui::ToolbarIdealSize(BandToolbar(kFileBand)).cy, large);
    EXPECT_EQ(Order(), order);
    EXPECT_TRUE(Hidden(kViewBand));
    EXPECT_EQ(Bits(kEditBand, 57643), kEnabled) << "the rebuilt bar's buttons are the model's";
}

// Float moves the Main palette out of its band once, and the dialog then opens on
// the palette's place; Retain alone brings it back.
TEST_F(RebarLinksTest, ToolbarOptionsMovesTheMainPaletteOnce) {
    Start();
    ASSERT_TRUE(MainPaletteInBand());
    ChooseToolbarOptions([](ui::headless::DialogDriver& d) { d.SetChecked(t::kFloatMainPalette, true); });
    EXPECT_FALSE(MainPaletteInBand());
    EXPECT_TRUE(Hidden(kMainPaletteBand));
    EXPECT_EQ(Stored(kToolbarSection, "KeepMainToolBar"), "0");
    EXPECT_EQ(Stored(kToolbarSection, "FloatMainToolBar"), "1");
    bool floating = false;
    bool retained = true;
    ui::headless::SetDialogScript(t::kDialog, [&](ui::headless::DialogDriver& d) {
        floating = d.IsChecked(t::kFloatMainPalette);
        retained = d.IsChecked(t::kRetainInBand);
        d.SetChecked(t::kRetainInBand, true);
        d.Click(ui::kIdOk);
    });
    ASSERT_EQ(RunToolbarOptionsDialog(), 1);
    EXPECT_TRUE(floating);
    EXPECT_FALSE(retained);
    EXPECT_TRUE(MainPaletteInBand());
    EXPECT_FALSE(Hidden(kMainPaletteBand));
    Restart();
    EXPECT_FALSE(Hidden(kMainPaletteBand));
    EXPECT_EQ(Stored(kToolbarSection, "FloatMainToolBar"), "0");
}

}  // namespace
}  // namespace ql
