// The toolbar model and the updates that bring its buttons in line with the
// command state and with the active view's display settings.
#include "shell/command/toolbar_buttons.h"

#include <array>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "sequencer/playback.h"
#include "shell/command/command_state.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

struct ToolbarRow {
    ToolbarKind kind;
    std::vector<int32_t> commands;
};

// The buttons of each toolbar, in their order.
const std::array<ToolbarRow, kToolbarKindCount>& ToolbarRows() {
    static const std::array<ToolbarRow, kToolbarKindCount> rows{{
        {ToolbarKind::File, {57600, 57601, 40114, 57603, 57607}},
        {ToolbarKind::Edit, {57643, 57644, 57635, 57634, 40216, 57637, 57632}},
        {ToolbarKind::View, {40146, 40147, 40131, 40149, 40151, 40405, 40145, 40350, 42085}},
        {ToolbarKind::Text, {40222, 40223, 40224, 40225, 40226}},
        {ToolbarKind::Notes, {40161, 40352, 40162, 40163, 40454}},
        {ToolbarKind::Window, {57648, 57680, 57652, 57651}},
        {ToolbarKind::Voices, {42039, 42040, 42041, 42042}},
        {ToolbarKind::Page, {42043, 42030, 42031, 42044}},
        {ToolbarKind::Transport, {42035, 42036, 42038, 42037}},
    }};
    return rows;
}

std::array<Toolbar, kToolbarKindCount> MakeToolbars() {
    std::array<Toolbar, kToolbarKindCount> toolbars;
    for (size_t i = 0; i < toolbars.size(); ++i) {
        toolbars[i].kind = ToolbarRows()[i].kind;
        int32_t image = 0;
        for (int32_t command : ToolbarRows()[i].commands) {
            ToolbarButton button;
            button.command = command;
            button.baseImage = button.image = image++;
            toolbars[i].buttons.push_back(button);
        }
    }
    return toolbars;
}

std::array<Toolbar, kToolbarKindCount>& Toolbars() {
    static std::array<Toolbar, kToolbarKindCount> toolbars = MakeToolbars();
    return toolbars;
}

ToolbarButtonListener& Listener() {
    static ToolbarButtonListener listener = nullptr;
    return listener;
}

void Changed(const Toolbar& toolbar, const ToolbarButton& button) {
    if (Listener() != nullptr) Listener()(toolbar, button);
}

void SetBits(Toolbar* toolbar, int32_t command, bool checked, bool pressed) {
    ToolbarButton* button = FindToolbarButton(toolbar, command);
    if (button == nullptr || (button->checked == checked && button->pressed == pressed)) return;
    button->checked = checked;
    button->pressed = pressed;
    Changed(*toolbar, *button);
}

void ShowPressed(int32_t command, bool on) {
    SetToolbarButtonChecked(ToolbarOfCommand(command), command, on);
}

}  // namespace

Toolbar* ProgramToolbar(ToolbarKind kind) {
    return &Toolbars()[static_cast<size_t>(kind)];
}

Toolbar* ToolbarOfCommand(int32_t command) {
    for (Toolbar& toolbar : Toolbars())
        if (FindToolbarButton(&toolbar, command) != nullptr) return &toolbar;
    return nullptr;
}

ToolbarButton* FindToolbarButton(Toolbar* toolbar, int32_t command) {
    if (toolbar == nullptr) return nullptr;
    for (ToolbarButton& button : toolbar->buttons)
        if (button.command == command) return &button;
    return nullptr;
}

void ResetProgramToolbars() {
    Toolbars() = MakeToolbars();
}

bool IsToolbarButtonChecked(int32_t command) {
    const ToolbarButton* button = FindToolbarButton(ToolbarOfCommand(command), command);
    return button != nullptr && button->checked;
}

bool IsToolbarButtonEnabled(int32_t command) {
    const ToolbarButton* button = FindToolbarButton(ToolbarOfCommand(command), command);
    return button != nullptr && button->enabled;
}

void SetToolbarButtonChecked(Toolbar* toolbar, int32_t command, bool checked) {
    SetBits(toolbar, command, checked, checked);
}

void SetToolbarButtonImage(Toolbar* toolbar, int32_t command, int32_t offset) {
    ToolbarButton* button = FindToolbarButton(toolbar, command);
    if (button == nullptr || button->image == button->baseImage + offset) return;
    button->image = button->baseImage + offset;
    const bool pressed = button->pressed;
    SetBits(toolbar, command, button->checked, true);
    SetBits(toolbar, command, button->checked, pressed);
}

void SetToolbarButtonListener(ToolbarButtonListener listener) {
    Listener() = listener;
}

void EnableToolbarButton(Toolbar* toolbar, int command, bool enable) {
    ToolbarButton* button = FindToolbarButton(toolbar, command);
    if (button == nullptr || button->enabled == enable) return;
    button->enabled = enable;
    Changed(*toolbar, *button);
}

void ReflectTransportInButtons() {
    const bool running = IsPlaybackRunning();
    const bool recording = running && PlaybackRecordInput() != nullptr;
    ShowPressed(kStartPlaybackButton, running && !recording);
    ShowPressed(kStartRecordingButton, recording);
    ShowPressed(kPausePlaybackButton, running && IsPlaybackPaused());
}

void ReleaseTransportButtons(ScoreView* view) {
    for (int32_t command : {kPausePlaybackButton, kStartPlaybackButton, kStartRecordingButton})
        ShowPressed(command, false);
    UpdateToolbarButtons(view);
}

void RefreshToolbarButtons(ScoreView* view) {
    ReflectTransportInButtons();
    CommandState& state = CurrentCommandState();
    state = ComputeCommandState(TakeCommandSnapshot(view));
    for (Toolbar& toolbar : Toolbars())
        for (const ToolbarButton& button : toolbar.buttons)
            if (std::optional<bool> enabled = ToolbarButtonEnabled(state, button.command))
                EnableToolbarButton(&toolbar, button.command, *enabled);
    RefreshViewToolbarButtons(view != nullptr ? view : GetActiveScoreView(), nullptr);
}

void RefreshViewToolbarButtons(ScoreView* view, Toolbar* /*toolbar*/) {
    const bool valid = IsValidView(view) && view->document != nullptr;
    ShowPressed(40350, valid && view->pageView != 0);
    ShowPressed(40149, valid && Options().RulerOn != 0);
    ShowPressed(40151, valid && Options().ShowMargins != 0);
    ShowPressed(40405, valid && State().notes.DisplayHiddenItems != 0);
    RefreshVoiceButtons(view);
}

void RefreshVoiceButtons(ScoreView* view) {
    const bool valid = IsValidView(view);
    for (int voice = 0; voice < 4; ++voice) {
        // In display mode 1 the buttons of the middle voices change places.
        int shown = voice;
        if (valid && view->displayMode == 1 && (voice == 1 || voice == 2)) shown = 3 - voice;
        ShowPressed(kFirstVoiceButton + shown, valid && (view->voiceMask & (1u << voice)) != 0);
    }
}

}  // namespace ql
