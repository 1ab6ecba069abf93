// The command state as a table: snapshots of the program in its telling situations
// and the flags, toolbar buttons and tooltips they give.
#include "shell/command/command_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>

#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/state/block_clipboard_state.h"
#include "core/units/view_moves.h"
#include "platform/sys/resources.h"
#include "shell/command/toolbar_buttons.h"
#include "shell/command/toolbar_tooltips.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

// A score open in page view with three pages, nothing selected, a MIDI output and
// input, the transport idle.
CommandSnapshot IdleScore() {
    CommandSnapshot s;
    s.viewActive = true;
    s.pageView = true;
    s.pageCount = 3;
    s.hasCurrentPage = true;
    s.openViews = 1;
    s.openDocuments = 1;
    s.midiInput = true;
    s.midiOutput = true;
    return s;
}

bool Enabled(const CommandState& state, int32_t command) {
    return ToolbarButtonEnabled(state, command).value_or(false);
}

// Without a score only the commands that open one are usable.
TEST(CommandState, WithoutAScoreOnlyOpeningCommandsAreUsable) {
    CommandSnapshot s;
    s.midiInput = s.midiOutput = true;
    const CommandState state = ComputeCommandState(s);
    for (int32_t command : {57600, 57601, 40114}) EXPECT_TRUE(Enabled(state, command)) << command;
    for (int32_t command : {57603, 57607, 57643, 57644, 57635, 57634, 40216, 57637, 57632, 40146, 40147, 42085,
                            40222, 40161, 40162, 40454, 57648, 57680, 42039, 42030, 42035, 42036, 42037, 42038})
        EXPECT_FALSE(Enabled(state, command)) << command;
    s.openDocuments = kMostOpenDocuments;
    EXPECT_FALSE(ComputeCommandState(s).mayOpenDocument);
}

// While a run plays, only Stop and Pause are usable; every flag but the transport's
// stays false, whatever the score offers.
TEST(CommandState, WhilePlayingOnlyTheTransportFlagsAreSet) {
    CommandSnapshot s = IdleScore();
    s.modified = s.undoAvailable = s.selectionPresent = true;
    s.currentObjectType = kMarqueeObjectType;
    s.playChecked = s.sequencerPlaying = true;
    const CommandState state = ComputeCommandState(s);
    EXPECT_TRUE(state.canStop);
    EXPECT_TRUE(state.canPause);
    EXPECT_TRUE(state.transportRunning);
    EXPECT_FALSE(state.canPlay);
    EXPECT_FALSE(state.canRecord);
    for (bool flag : {state.viewActive, state.canSave, state.canUndo, state.blockSelected, state.pageView,
                      state.mayOpenDocument, state.mayOpenView})
        EXPECT_FALSE(flag);
    // Paused: Play continues through Pause only.
    s.sequencerPlaying = false;
    s.pauseChecked = true;
    const CommandState paused = ComputeCommandState(s);
    EXPECT_FALSE(paused.canPlay);
    EXPECT_TRUE(paused.canStop);
    EXPECT_FALSE(paused.canSave);
}

// A picture selected alone: Cut and Copy, but no block command; the marquee: the
// block commands, the note commands only off a tablature staff.
TEST(CommandState, PictureAndBlockSelections) {
    CommandSnapshot s = IdleScore();
    s.selectionPresent = true;
    s.currentObjectType = kPictureObjectType;
    CommandState state = ComputeCommandState(s);
    EXPECT_TRUE(Enabled(state, 57635));
    EXPECT_TRUE(Enabled(state, 57634));
    EXPECT_TRUE(Enabled(state, 57632));
    for (int32_t command : {40216, 40222, 40226, 40161, 40352, 40162, 40163}) EXPECT_FALSE(Enabled(state, command)) << command;
    s.currentObjectType = kMarqueeObjectType;
    state = ComputeCommandState(s);
    for (int32_t command : {57635, 57634, 40216, 40222, 40161, 40352, 40162, 40163}) EXPECT_TRUE(Enabled(state, command)) << command;
    s.blockOnTablature = true;
    state = ComputeCommandState(s);
    EXPECT_TRUE(Enabled(state, 40161));
    EXPECT_FALSE(Enabled(state, 40162));
    // A focused object type with no selection present counts for nothing.
    s.selectionPresent = false;
    EXPECT_FALSE(ComputeCommandState(s).blockSelected);
}

// Record needs an input and an output; Play an output only (the synthesizer counts);
// with neither, the transport is idle but unusable.
TEST(CommandState, DevicesDecidePlayAndRecord) {
    CommandSnapshot s = IdleScore();
    s.midiInput = false;
    CommandState state = ComputeCommandState(s);
    EXPECT_TRUE(state.canPlay);
    EXPECT_FALSE(state.canRecord);
    EXPECT_FALSE(state.hasMidiInput);
    s.midiOutput = false;
    state = ComputeCommandState(s);
    EXPECT_FALSE(state.canPlay);
    EXPECT_FALSE(state.hasMidiOutput);
    s = IdleScore();
    s.recordChecked = true;  // punch-in armed
    state = ComputeCommandState(s);
    EXPECT_FALSE(state.canRecord);
    EXPECT_TRUE(state.canStop);
    EXPECT_FALSE(state.canPause);
    EXPECT_FALSE(state.mayOpenView);
    EXPECT_FALSE(Enabled(state, 42030));
}

// Page turning needs page view, more than one page and a current page; the window
// commands need several views; Paste takes a block or a picture on the clipboard.
TEST(CommandState, PagesViewsAndPaste) {
    CommandSnapshot s = IdleScore();
    EXPECT_TRUE(ComputeCommandState(s).pageTurnPossible);
    s.pageCount = 1;
    EXPECT_FALSE(ComputeCommandState(s).pageTurnPossible);
    s.pageCount = 3;
    s.pageView = false;
    EXPECT_FALSE(ComputeCommandState(s).pageTurnPossible);
    EXPECT_FALSE(Enabled(ComputeCommandState(s), 42085));
    EXPECT_FALSE(Enabled(ComputeCommandState(s), 57680));
    s.openViews = 2;
    EXPECT_TRUE(Enabled(ComputeCommandState(s), 57680));
    EXPECT_FALSE(Enabled(ComputeCommandState(s), 57637));
    s.clipboardPicture = true;
    EXPECT_TRUE(Enabled(ComputeCommandState(s), 57637));
    s.clipboardPicture = false;
    s.blockHeld = true;
    EXPECT_TRUE(Enabled(ComputeCommandState(s), 57637));
    EXPECT_FALSE(ToolbarButtonEnabled(ComputeCommandState(s), 12345).has_value());
}

// Whatever the block clipboard holds, Paste can take it: a block, notes captured by
// Copy Notes, or a staff's measure marked for Shift+Insert.
TEST(CommandState, TheSnapshotSeesEveryKindOfBlockClipboard) {
    BlockClipboardState& clipboard = State().blockClipboard;
    clipboard = BlockClipboardState{};
    EXPECT_FALSE(TakeCommandSnapshot(nullptr).blockHeld);
    // Only tested against null: no record is read.
    int standIn = 0;
    auto* document = reinterpret_cast<ScoreDocument*>(&standIn);
    const std::function<void()> holds[] = {
        [&] { clipboard.source.document = document; },
        [&] { clipboard.captured = reinterpret_cast<CaptureRecord*>(&standIn); },
        [&] {
            clipboard.markedDocument = document;
            clipboard.markedStaff = clipboard.markedMeasure = 1;
        },
    };
    for (size_t i = 0; i < std::size(holds); ++i) {
        holds[i]();
        EXPECT_TRUE(TakeCommandSnapshot(nullptr).blockHeld) << "kind " << i;
        clipboard = BlockClipboardState{};
    }
}

class ToolbarTooltips : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ResetProgramOptions();
        RegisterToolbarStrings();
        ResetProgramToolbars();
        view_.self = &view_;
    }
    void TearDown() override { ResetProgramToolbars(); }
    ScoreView view_;
};

// Fixed texts come from the table; the voice buttons follow the display mode, and
// the display buttons their settings.
TEST_F(ToolbarTooltips, TextsFollowTheState) {
    EXPECT_EQ(ToolbarTooltip(&view_, 100), "Previous Page");
    EXPECT_EQ(ToolbarTooltip(&view_, 42035), "Start Playback");
    EXPECT_EQ(ToolbarTooltip(&view_, 42037), "Stop Play/Record");
    EXPECT_EQ(ToolbarTooltip(&view_, 40454), "Multi-measure Rest");
    EXPECT_EQ(ToolbarTooltip(&view_, 4242), "");
    EXPECT_EQ(ToolbarTooltip(&view_, 42040), "Edit Voice 2");
    view_.displayMode = 1;
    EXPECT_EQ(ToolbarTooltip(&view_, 42040), "Display Voice 2");
    EXPECT_EQ(ToolbarTooltip(&view_, 42041), "Display Voice 3");
    EXPECT_EQ(ToolbarTooltip(&view_, 40149), "Display Ruler");
    Options().RulerOn = 1;
    EXPECT_EQ(ToolbarTooltip(&view_, 40149), "Hide Ruler");
    EXPECT_EQ(ToolbarTooltip(&view_, 40350), "Page View");
    view_.pageView = 1;
    EXPECT_EQ(ToolbarTooltip(&view_, 40350), "Scroll View");
    EXPECT_EQ(ToolbarTooltip(nullptr, 57643), "Undo");
}

// Every text is cut to 79 characters, a language's long text as well; the
// customisation queries are allowed.
TEST_F(ToolbarTooltips, TextsAreCutAndQueriesAllowed) {
    sys::ResourceBundle long_texts;
    long_texts.strings.emplace(1645, std::string(200, 'x'));
    sys::SetLanguageBundle(std::make_shared<const sys::ResourceBundle>(long_texts));
    ToolbarNotifyInfo info{ToolbarNotification::NeedText, 42035, {}};
    EXPECT_EQ(ToolbarNotify(&view_, 0, info), 0);
    EXPECT_EQ(info.text, std::string(kMostTooltipChars, 'x'));
    sys::SetLanguageBundle(nullptr);
    info = {ToolbarNotification::QueryInsert, 42035, {}};
    EXPECT_EQ(ToolbarNotify(&view_, 0, info), 1);
    info.code = ToolbarNotification::QueryDelete;
    EXPECT_EQ(ToolbarNotify(&view_, 0, info), 1);
    info.code = ToolbarNotification::Other;
    EXPECT_EQ(ToolbarNotify(&view_, 0, info), 0);
}

// The voice buttons show the view's voice mask, the middle two exchanged in display
// mode 1; Release clears the transport's checked buttons.
TEST_F(ToolbarTooltips, VoiceAndTransportButtons) {
    view_.voiceMask = 0b0010;  // voice 2
    UpdateVoiceButtons(&view_);
    EXPECT_TRUE(IsToolbarButtonChecked(42040));
    EXPECT_FALSE(IsToolbarButtonChecked(42041));
    view_.displayMode = 1;
    UpdateVoiceButtons(&view_);
    EXPECT_FALSE(IsToolbarButtonChecked(42040));
    EXPECT_TRUE(IsToolbarButtonChecked(42041));
    Toolbar* transport = ProgramToolbar(ToolbarKind::Transport);
    SetToolbarButtonChecked(transport, kPausePlaybackButton, true);
    EXPECT_TRUE(IsToolbarButtonChecked(kPausePlaybackButton));
    EnableToolbarButton(transport, kPausePlaybackButton, false);
    EXPECT_TRUE(IsToolbarButtonChecked(kPausePlaybackButton));  // enabling keeps the other bits
    SetToolbarButtonImage(transport, kStopButton, 2);
    EXPECT_EQ(FindToolbarButton(transport, kStopButton)->image, FindToolbarButton(transport, kStopButton)->baseImage + 2);
    EXPECT_FALSE(FindToolbarButton(transport, kStopButton)->pressed);
}

}  // namespace
}  // namespace ql
