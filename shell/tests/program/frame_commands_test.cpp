// The frame's command dispatch for settings: every entry of the toggle table flips
// its flag once and back on a second command, with or without a score; the
// formatting modes with their status text, key cancels, the spacing and stem modes
// reaching what the layout reads and stored again, the text size reference, the
// switches of part extraction and display, and the bar's tips turned off.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "display/view_location.h"
#include "editing/palette_windows.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/ui/rebar.h"
#include "platform/ui/status_bar.h"
#include "platform/ui/toolbar.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/frame_option_commands.h"
#include "shell/program/frame_toggles.h"
#include "shell/program/program_ids.h"
#include "shell/rebar/main_rebar.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

class FrameCommandsTest : public testing::ProgramFixture {
  protected:
    static void Send(int32_t command) {
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(command, 0), 0);
    }
    static std::string FormattingText() { return ui::GetStatusBarText(Frame().statusBar, 2); }
};

// Each toggle flips its own flag and no other; the same command again restores it.
// The table names 27 distinct commands.
TEST_F(FrameCommandsTest, EveryToggleFlipsItsFlagAndBackWithoutAScore) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(FrameToggles().size(), 27u);
    for (const FrameToggle& toggle : FrameToggles()) {
        const uint8_t before = toggle.flag();
        Send(toggle.command);
        EXPECT_EQ(toggle.flag(), before != 0 ? 0 : 1) << toggle.command;
        for (const FrameToggle& other : FrameToggles())
            if (other.command != toggle.command && &other.flag() == &toggle.flag())
                ADD_FAILURE() << other.command << " shares the flag of " << toggle.command;
        Send(toggle.command);
        EXPECT_EQ(toggle.flag(), before) << toggle.command;
    }
    // Named ones: Auto Scroll is off by default, Auto beam on.
    EXPECT_EQ(Options().AutoScroll, 0);
    Send(40345);
    EXPECT_EQ(Options().AutoScroll, 1);
    EXPECT_EQ(State().notes.AutoBeam, 1);
    Send(40419);
    EXPECT_EQ(State().notes.AutoBeam, 0);
}

// Synchronised palette movement reaches the palettes at once.
TEST_F(FrameCommandsTest, SynchronizedPaletteMovementReachesThePalettes) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(PaletteSettings().groupMoves);
    Send(42094);
    EXPECT_EQ(Options().SyncPalettes, 0);
    EXPECT_FALSE(PaletteSettings().groupMoves);
    Send(42094);
    EXPECT_TRUE(PaletteSettings().groupMoves);
}

// A formatting mode chosen shows in the status bar; chosen again it is off and the
// text goes; the other mode replaces it.
TEST_F(FrameCommandsTest, FormattingModesShowInTheStatusBar) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(State().layout.FormattingMode, 0);
    Send(frame_cmd::kRelativeFormatting);
    EXPECT_EQ(State().layout.FormattingMode, 1);
    EXPECT_EQ(FormattingText(), " Relative formatting");  // the status bar's leading blank
    Send(frame_cmd::kAbsoluteFormatting);
    EXPECT_EQ(State().layout.FormattingMode, 2);
    EXPECT_EQ(FormattingText(), " Absolute formatting");
    Send(frame_cmd::kAbsoluteFormatting);
    EXPECT_EQ(State().layout.FormattingMode, 0);
    EXPECT_EQ(FormattingText(), " ");
}

// A frame command makes the view work its location out again at the next pointer
// move, though the pointer stays in the same measure: what the view kept of the
// place (its staff's y here) is taken afresh.
TEST_F(FrameCommandsTest, ACommandRenewsTheLocationAtTheNextPointerMove) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    RequestOpen(WriteScore("located.ql"));
    Pump();
    ScoreView* view = GetActiveScoreView();
    ASSERT_NE(view, nullptr);
    UpdateLocationFromPointer(view);
    State().locate.ForceLocationUpdate = 0;
    const int32_t staffY = view->staffY;
    view->staffY = staffY + 999;
    UpdateLocationFromPointer(view);
    ASSERT_EQ(view->staffY, staffY + 999);  // the same place is not worked out again
    Send(frame_cmd::kRelativeFormatting);
    Send(frame_cmd::kRelativeFormatting);
    UpdateLocationFromPointer(view);
    EXPECT_EQ(view->staffY, staffY);
}

// Key Cancel Left of Bar alternates the byte the beat map reads between left (1)
// and right (2) of the barline; the spacing and stem commands choose their mode by
// their place in the group, the stems in the rule note entry reads; the other
// switches flip.
TEST_F(FrameCommandsTest, ModeCommandsChooseTheirModes) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(State().notes.KeyCancelLeftOfBar, 1);
    Send(frame_cmd::kKeyCancel);
    EXPECT_EQ(State().notes.KeyCancelLeftOfBar, 2);
    Send(frame_cmd::kKeyCancel);
    EXPECT_EQ(State().notes.KeyCancelLeftOfBar, 1);
    Send(40434);
    EXPECT_EQ(State().layout.SpacingMode, 0);
    Send(40435);
    EXPECT_EQ(State().layout.SpacingMode, 1);
    Send(40439);
    EXPECT_EQ(State().notes.StemMode, 2);
    Send(40438);
    EXPECT_EQ(State().notes.StemMode, 1);
    const uint8_t multiRests = Options().AutoMMR;
    const uint8_t lastBar = Options().AutoLastBar;
    const uint8_t smooth = Options().SmoothScreen;
    const uint8_t tips = Options().UseToolTips;
    for (int32_t command : {42059, 42061, 42084, 42008}) Send(command);
    EXPECT_NE(Options().AutoMMR, multiRests);
    EXPECT_NE(Options().AutoLastBar, lastBar);
    EXPECT_NE(Options().SmoothScreen, smooth);
    EXPECT_NE(Options().UseToolTips, tips);
}

// Display Tooltips off leaves the bar's buttons without tips; on gives them back.
TEST_F(FrameCommandsTest, TooltipsOffLeaveTheBarWithoutTips) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const platform::WindowHandle file = BandToolbar(kFileBand);
    ASSERT_EQ(Options().UseToolTips, 1);
    ASSERT_EQ(ui::ToolbarButtonTooltip(file, cmd::kFileNew), "New Score");
    Send(frame_cmd::kDisplayTooltips);
    EXPECT_EQ(ui::ToolbarButtonTooltip(file, cmd::kFileNew), "");
    Send(frame_cmd::kDisplayTooltips);
    EXPECT_EQ(ui::ToolbarButtonTooltip(file, cmd::kFileNew), "New Score");
}

// The stored key cancels, stem rule and text measuring reach what the program reads
// at start, the reference context made for the printer-like measuring; what the
// commands choose is stored at exit.
TEST_F(FrameCommandsTest, StoredModesReachTheLayoutAndAreStoredAgain) {
    WriteSettings("[Options]\nKeyCancel=2\nIsForceStemUD=1\nTextSpacingRef=1\n");
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_EQ(State().notes.KeyCancelLeftOfBar, 2);
    EXPECT_EQ(State().notes.StemMode, 1);
    EXPECT_EQ(CurrentMeasuringMode(), MeasuringMode::Reference);
    EXPECT_TRUE(gfx::IsContextValid(State().drawing.ReferenceDC));
    Send(frame_cmd::kKeyCancel);
    Send(frame_cmd::kLastStemMode);
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_EQ(Stored("Options", "KeyCancel"), "1");
    EXPECT_EQ(Stored("Options", "IsForceStemUD"), "2");
    EXPECT_EQ(Stored("Options", "TextSpacingRef"), "1");
}

// The View menu's small toolbars: the bars are made again with the other button
// size, in the same order and widths, and the choice is stored.
TEST_F(FrameCommandsTest, SmallToolbarsRemakeTheBarsAndAreStored) {
    WriteSettings("[ToolbarSettings]\nSmallToolBars=0\n");
    ASSERT_EQ(Start(), StartupCode::Ok);
    const auto layout = [] {
        std::vector<std::pair<int32_t, int32_t>> bands;
        for (int32_t i = 0; i < ui::RebarBandCount(MainRebarWindow()); ++i)
            if (const auto band = ui::GetRebarBand(MainRebarWindow(), i)) bands.emplace_back(band->id, band->width);
        return bands;
    };
    const auto before = layout();
    ASSERT_EQ(before.size(), 11u);
    const int32_t large = ui::ToolbarIdealSize(BandToolbar(kFileBand)).cy;
    Send(frame_cmd::kSmallToolbars);
    EXPECT_EQ(Options().SmallToolBars, 1);
    EXPECT_LT(ui::ToolbarIdealSize(BandToolbar(kFileBand)).cy, large);
    EXPECT_EQ(layout(), before);
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_EQ(Stored("ToolbarSettings", "SmallToolBars"), "1");
}

// The text size reference: on, text is measured on a context of its own; off again,
// that context is gone and text is measured where it is drawn. Stored as chosen.
TEST_F(FrameCommandsTest, TextSizeReferenceMakesAndDropsItsContext) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(CurrentMeasuringMode(), MeasuringMode::Context);
    Send(frame_cmd::kTextSizeReference);
    EXPECT_EQ(CurrentMeasuringMode(), MeasuringMode::Reference);
    const platform::DcHandle reference = State().drawing.ReferenceDC;
    EXPECT_TRUE(gfx::IsContextValid(reference));
    // Made like the default printer's: its resolution.
    EXPECT_EQ(gfx::GetDeviceCaps(reference, gfx::DeviceCap::LogPixelsY), 600);
    Send(frame_cmd::kTextSizeReference);
    EXPECT_EQ(CurrentMeasuringMode(), MeasuringMode::Context);
    EXPECT_FALSE(gfx::IsContextValid(reference));
    // A stored design-size mode counts as on: the command turns it off.
    State().display.TextSpacingRef = static_cast<uint8_t>(MeasuringMode::DesignSize);
    Send(frame_cmd::kTextSizeReference);
    EXPECT_EQ(State().display.TextSpacingRef, 0);
    Send(frame_cmd::kTextSizeReference);
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_EQ(Stored("Options", "TextSpacingRef"), "1");
}

}  // namespace
}  // namespace ql
