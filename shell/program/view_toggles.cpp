// The score window's on/off options: one table of command, option byte and what
// follows a flip.
#include "shell/program/view_toggles.h"

#include "core/draw/view_metrics.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "editing/selection.h"
#include "platform/ui/menu.h"
#include "platform/win/paint.h"
#include "sequencer/kept_recording.h"
#include "shell/program/sequencer_window.h"

namespace ql {
namespace {

// What a flip brings up to date besides the option itself.
enum class After : uint8_t {
    Nothing,
    RedrawLinked,        // the option changes the drawing of every view of the score
    EndFocusAndRedraw,   // ... and of the staves the focus may stand on
    ToolCursor,          // the view's cursor
    StepEntry,           // whether MIDI input enters notes
    RedrawView,          // the margin guides of the view's page
    DiscardKept,         // the recorded data kept after a recording
};

struct Toggle {
    int32_t command;
    uint8_t& (*option)();
    After after;
};

const Toggle kToggles[] = {
    {toggle_cmd::kCommonCut, []() -> uint8_t& { return Options().CommonCut; }, After::RedrawLinked},
    {toggle_cmd::kAllowStepEntry, []() -> uint8_t& { return Options().AllowStepEntry; },
     After::StepEntry},
    {toggle_cmd::kKeepMidi, []() -> uint8_t& { return Options().KeepMIDI; }, After::DiscardKept},
    {toggle_cmd::kAllowMidiDelay, []() -> uint8_t& { return Options().AllowMIDIdelay; },
     After::Nothing},
    {toggle_cmd::kOssiaStaves, []() -> uint8_t& { return State().display.OssiaStaves; },
     After::EndFocusAndRedraw},
    {toggle_cmd::kAutoHideTabStems, []() -> uint8_t& { return State().notes.AutoHideTabStems; },
     After::RedrawLinked},
    {toggle_cmd::kBoxCursor, []() -> uint8_t& { return Options().UseBoxCursor; }, After::ToolCursor},
    {toggle_cmd::kDisplayMargins, []() -> uint8_t& { return Options().ShowMargins; },
     After::RedrawView},
    {toggle_cmd::kDisplayHiddenItems, []() -> uint8_t& { return State().notes.DisplayHiddenItems; },
     After::EndFocusAndRedraw},
    {toggle_cmd::kAutoRest, []() -> uint8_t& { return State().notes.AutoRest; },
     After::RedrawLinked},
    {toggle_cmd::kSwingEighths, []() -> uint8_t& { return Options().SwingEighths; }, After::Nothing},
    {toggle_cmd::kSwingSixteenths, []() -> uint8_t& { return Options().SwingSixteenths; }, After::Nothing},
    {toggle_cmd::kPlayLoose, []() -> uint8_t& { return Options().PlayLoose; }, After::Nothing},
    {toggle_cmd::kRecordEcho, []() -> uint8_t& { return Options().RecordEcho; }, After::Nothing},
    {toggle_cmd::kRecordMetronome, []() -> uint8_t& { return Options().RecordMetro; }, After::Nothing},
    {toggle_cmd::kRecordCountdown, []() -> uint8_t& { return Options().RecordCountdown; }, After::Nothing},
    {toggle_cmd::kSuppressMeasureNumbers, []() -> uint8_t& { return State().display.MeasureNumbersSuppressed; },
     After::RedrawLinked},
    {toggle_cmd::kStaffLinesOnly, []() -> uint8_t& { return State().display.SequencerDisplayOnly; },
     After::RedrawLinked},
    {toggle_cmd::kShowPlaybackLocation, []() -> uint8_t& { return Options().ShowPlaybackLoc; }, After::Nothing},
};

// The beat maps of the score's views are made again (an option may change how wide
// a sign is) and the views are painted anew.
void RedrawAndRepaintLinked(ScoreView* view) {
    RedrawLinkedViews(view);
    InvalidateLinkedViews(view);
}

const Toggle* FindToggle(int32_t command) {
    for (const Toggle& toggle : kToggles)
        if (toggle.command == command) return &toggle;
    return nullptr;
}

}  // namespace

bool RunViewToggle(ScoreView* view, int32_t command) {
    const Toggle* toggle = FindToggle(command);
    if (toggle == nullptr) return false;
    uint8_t& option = toggle->option();
    option = option != 0 ? 0 : 1;
    switch (toggle->after) {
        case After::Nothing:
            break;
        case After::RedrawLinked:
            RedrawAndRepaintLinked(view);
            break;
        case After::EndFocusAndRedraw:
            EndFocus(view, 1);
            RedrawAndRepaintLinked(view);
            break;
        case After::ToolCursor: {
            // The armed tool took the view's cursor; it takes the new one.
            const platform::CursorHandle before = view->toolCursor;
            SetViewToolCursor(view);
            SelectionState* selection = State().documents.Selection;
            if (selection != nullptr && selection->toolCursor == before) selection->toolCursor = view->toolCursor;
            break;
        }
        case After::StepEntry:
            RefreshStepEntry();
            break;
        case After::RedrawView:
            win::InvalidateRect(view->ViewWindow, nullptr, true);
            break;
        case After::DiscardKept:
            DiscardKeptRecording();
            break;
    }
    return true;
}

const uint8_t* ViewToggleOption(int32_t command) {
    const Toggle* toggle = FindToggle(command);
    return toggle != nullptr ? &toggle->option() : nullptr;
}

void CheckViewToggleItems(platform::MenuHandle popup) {
    if (!popup) return;
    for (const Toggle& toggle : kToggles)
        if (ui::GetMenuItemFlags(popup, toggle.command) != ui::kMenuItemMissing)
            ui::CheckMenuItem(popup, toggle.command, toggle.option() != 0);
}

}  // namespace ql
