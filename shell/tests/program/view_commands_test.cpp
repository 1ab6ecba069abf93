// The score window's option toggles and the commands that open dialogs or change the
// score, sent as the menus send them: a toggle flips its option and the menu shows
// it checked, the drawing toggles repaint the page, step entry follows its option,
// the options loaded at start reach the drawing; Choose Font works on the Text tool's
// style, the default fonts run their dialog, Reformat Page is one undoable edit, and
// the measures go back to their time signatures.
#include <gtest/gtest.h>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/view_modes.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/midi/headless.h"
#include "platform/ui/headless.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_template.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_toggles.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/window_pictures.h"

namespace ql {
namespace {

class ViewCommandsTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        // The playback and input options show their checks only while an output and
        // an input exist.
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
        midi::headless::AddDevice("Synth", true, false);
        midi::headless::AddDevice("Keys", false, true);
        ASSERT_EQ(Start(), StartupCode::Ok);
        view_ = testing::isolation::NewScoreFromMenu(2);
        ASSERT_NE(view_, nullptr);
        Pump();
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
    }
    void Command(int32_t id) {
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(id, 0));
        Pump();
    }
    uint64_t Painted() {
        win::InvalidateRect(view_->ViewWindow, nullptr, true);
        win::UpdateWindow(view_->ViewWindow);
        return testing::WindowImageHash(view_->ViewWindow);
    }
    // The child menu's popup holding `command`, as it shows once opened.
    platform::MenuHandle OpenedPopupOf(int32_t command) {
        const platform::MenuHandle bar = Frame().childMenu;
        for (int32_t i = 0; i < ui::GetMenuItemCount(bar); ++i) {
            const platform::MenuHandle popup = ui::GetSubmenu(bar, i);
            if (!popup || ui::GetMenuItemFlags(popup, command) == ui::kMenuItemMissing) continue;
            win::SendMessage(Frame().window, win::Message::InitMenuPopup, 0,
                             static_cast<intptr_t>(popup.bits));
            return popup;
        }
        return {};
    }
    bool Checked(int32_t command) {
        const platform::MenuHandle popup = OpenedPopupOf(command);
        return popup && (ui::GetMenuItemFlags(popup, command) & ui::kMenuChecked) != 0;
    }
    ScoreView* view_ = nullptr;
};

// Every toggle the menus carry flips its option, twice gives it back, and the menu
// shows the option's state.
TEST_F(ViewCommandsTest, EachToggleFlipsItsOptionAndTheMenuCheck) {
    using namespace toggle_cmd;
    for (int32_t command : {kCommonCut, kAllowStepEntry, kKeepMidi, kOssiaStaves, kAutoHideTabStems,
                            kBoxCursor, kDisplayMargins, kDisplayHiddenItems, kAutoRest, kSwingEighths,
                            kSwingSixteenths, kPlayLoose, kSuppressMeasureNumbers, kStaffLinesOnly}) {
        const uint8_t* option = ViewToggleOption(command);
        ASSERT_NE(option, nullptr) << command;
        const uint8_t before = *option;
        EXPECT_EQ(Checked(command), before != 0) << command;
        Command(command);
        EXPECT_EQ(*option, before != 0 ? 0 : 1) << command;
        EXPECT_EQ(Checked(command), before == 0) << command;
        Command(command);
        EXPECT_EQ(*option, before) << command;
    }
    EXPECT_EQ(ViewToggleOption(40131), nullptr) << "Refresh is no toggle";
    const uint8_t shown = Options().ShowPlaybackLoc;
    Command(kShowPlaybackLocation);
    EXPECT_NE(Options().ShowPlaybackLoc, shown);
}

// The common/cut signature and the margin guides change what the page shows: the
// window is painted anew, and as before once the option is back.
TEST_F(ViewCommandsTest, DrawingTogglesRepaintThePage) {
    for (int32_t command : {toggle_cmd::kCommonCut, toggle_cmd::kDisplayMargins, toggle_cmd::kStaffLinesOnly}) {
        const uint64_t before = Painted();
        Command(command);
        win::UpdateWindow(view_->ViewWindow);
        EXPECT_NE(testing::WindowImageHash(view_->ViewWindow), before) << command;
        Command(command);
        EXPECT_EQ(Painted(), before) << command;
    }
}

// Step entry takes MIDI input at once when its option is turned on, and stops at
// once when it is turned off.
TEST_F(ViewCommandsTest, StepEntryFollowsItsToggle) {
    Options().AllowStepEntry = 0;
    Command(toggle_cmd::kAllowStepEntry);
    EXPECT_EQ(State().sequencer.StepEntryEnabled, 1);
    Command(toggle_cmd::kAllowStepEntry);
    EXPECT_EQ(State().sequencer.StepEntryEnabled, 0);
}

// Choose Font edits the Text tool's style: OK keeps an own face with its height and
// attributes, Cancel changes nothing; both run the Select Font dialog.
TEST_F(ViewCommandsTest, ChooseFontRunsTheDialogOnTheTextToolsStyle) {
    ProgramGlobals& tool = State().program;
    tool.TextToolStyle = -2;
    tool.TextToolSize = 300;
    tool.TextToolFlags = kTextBold;
    ui::headless::SetDialogScript(select_font_dialog::kSelectFontDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    Command(view_cmd::kChooseFont);
    ASSERT_FALSE(ui::headless::Dialogs().empty());
    EXPECT_EQ(ui::headless::Dialogs().back().templateId, sys::ResourceId(select_font_dialog::kSelectFontDialog));
    EXPECT_EQ(ui::headless::Dialogs().back().result, ui::kIdOk);
    EXPECT_EQ(tool.TextToolStyle, -2);
    EXPECT_EQ(tool.TextToolSize, 300);
    EXPECT_EQ(tool.TextToolFlags, kTextBold);
    tool.TextToolStyle = 5;
    ui::headless::SetDialogScript(select_font_dialog::kSelectFontDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdCancel); });
    Command(view_cmd::kChooseFont);
    EXPECT_EQ(tool.TextToolStyle, 5);
}

// The default fonts of text lines and lyrics are chosen in the Select Font dialog.
TEST_F(ViewCommandsTest, DefaultTextFontsRunTheirDialog) {
    for (int32_t command : {view_cmd::kTextLineFont, view_cmd::kLyricFont}) {
        const size_t before = ui::headless::Dialogs().size();
        Command(command);
        ASSERT_EQ(ui::headless::Dialogs().size(), before + 1) << command;
        EXPECT_EQ(ui::headless::Dialogs().back().templateId, sys::ResourceId(select_font_dialog::kSelectFontDialog));
    }
}

// Reformat Page formats the page shown as one edit that Undo takes back.
TEST_F(ViewCommandsTest, ReformatPageIsOneUndoableEdit) {
    ASSERT_NE(view_->pageView, 0);
    ASSERT_EQ(view_->document->undoState.undoAvailable, 0);
    MeasureRecord* first = MeasureRecordOf(view_->document, 2);
    ASSERT_NE(first, nullptr);
    const uint16_t width = first->width;
    first->width = static_cast<uint16_t>(width + 700);
    Command(view_cmd::kReformatPage);
    EXPECT_EQ(view_->document->undoState.undoAvailable, 1);
}

// Command 1177 sets every measure's length back to its time signature.
TEST_F(ViewCommandsTest, MeasuresGoBackToTheirTimeSignatures) {
    MeasureRecord* record = MeasureRecordOf(view_->document, 2);
    ASSERT_NE(record, nullptr);
    const uint16_t length = record->lengthTicks;
    record->lengthTicks = static_cast<uint16_t>(length / 2);
    Command(1177);
    EXPECT_EQ(MeasureRecordOf(view_->document, 2)->lengthTicks, length);
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

// Text and graphics placed in page view belong to the page until the view is set
// measure-owned (the Edit menu's pair), and to the page again after; the menu checks
// one of the pair.
TEST_F(ViewCommandsTest, OwnershipPairDecidesWhereNewTextGoes) {
    ASSERT_EQ(view_->pageView, 1);
    EXPECT_TRUE(PlacesOnPage(view_));
    EXPECT_TRUE(Checked(view_cmd::kPageOwned));
    Command(view_cmd::kMeasureOwned);
    EXPECT_FALSE(PlacesOnPage(view_));
    EXPECT_TRUE(Checked(view_cmd::kMeasureOwned));
    EXPECT_FALSE(Checked(view_cmd::kPageOwned));
    Command(view_cmd::kPageOwned);
    EXPECT_TRUE(PlacesOnPage(view_));
}

// The View menu's quick zooms work in page view too: the level stored in the slot.
TEST_F(ViewCommandsTest, QuickZoomFromTheMenuWorksInPageView) {
    ASSERT_EQ(view_->pageView, 1);
    for (int slot = 0; slot < 4; ++slot) {
        Command(view_cmd::kFirstQuickZoom + slot);
        EXPECT_EQ(view_->zoom, State().display.painter.quickZoom[slot].zoom) << slot;
    }
}

}  // namespace
}  // namespace ql
