// FrameOnInitMenuPopup: the popup that opens is identified by its first item, then
// grayed whole while the transport or a modal dialog holds the program, or else
// enabled item by item from the command state and checked from the settings.
#include "shell/program/menu_state.h"

#include <functional>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/undo/autosave.h"
#include "core/undo/undo_labels.h"
#include "display/view_modes.h"
#include "platform/ui/menu.h"
#include "sequencer/playback.h"
#include "shell/command/command_state.h"
#include "shell/command/toolbar_buttons.h"
#include "shell/language.h"
#include "shell/program/frame.h"
#include "shell/program/frame_option_commands.h"
#include "shell/program/frame_toggles.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/program/view_toggles.h"
#include "shell/program/view_transport.h"
#include "shell/recent_files.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using platform::MenuHandle;
using Flag = bool (*)(const CommandState&);

constexpr size_t kMostMenuLabelChars = 79;
constexpr int32_t kMostOpenViews = 255;

struct FirstItem {
    int32_t command;
    MenuPopupKind kind;
};

constexpr FirstItem kFirstItems[] = {
    {57600, MenuPopupKind::File},    {57643, MenuPopupKind::Edit},   {59393, MenuPopupKind::View},
    {40176, MenuPopupKind::Options}, {40220, MenuPopupKind::Text},   {40161, MenuPopupKind::Notes},
    {42035, MenuPopupKind::Midi},    {57648, MenuPopupKind::Window}, {57664, MenuPopupKind::Help},
    {57666, MenuPopupKind::Help},    {41000, MenuPopupKind::Language},
};

struct EnableRule {
    int32_t command;
    Flag flag;
};

// Menu rules that differ from the toolbar's, or that no toolbar button carries.
const EnableRule kEnableRules[] = {
    {40343, [](const CommandState& s) { return s.mayOpenDocument; }},
    {57602, [](const CommandState& s) { return s.viewActive; }},
    {57604, [](const CommandState& s) { return s.viewActive; }},
    {40115, [](const CommandState& s) { return s.viewActive; }},
    {cmd::kSavePreferences, [](const CommandState& s) { return s.viewActive; }},
    {40133, [](const CommandState& s) { return s.selectionPresent; }},
    {40134, [](const CommandState& s) { return s.selectionPresent; }},
    {40140, [](const CommandState& s) { return s.selectionPresent; }},
    {57642, [](const CommandState& s) { return s.blockSelected; }},
    {40417, [](const CommandState& s) { return s.blockSelected; }},
    {40418, [](const CommandState& s) { return s.blockSelected; }},
    {40406, [](const CommandState& s) { return s.pageView; }},
    {40407, [](const CommandState& s) { return s.pageTurnPossible; }},
    {40455, [](const CommandState& s) { return s.pageView; }},
    {40220, [](const CommandState& s) { return s.blockSelected; }},
    {40221, [](const CommandState& s) { return s.blockSelected; }},
    {40226, [](const CommandState& s) { return s.selectionPresent; }},
    // Choose Font without a block chooses the font of the text to come.
    {40225, [](const CommandState& s) { return s.viewActive; }},
    {40200, [](const CommandState& s) { return s.hasMidiOutput; }},
    {40372, [](const CommandState& s) { return s.hasMidiOutput; }},
    {40412, [](const CommandState& s) { return s.hasMidiOutput; }},
    {40170, [](const CommandState& s) { return s.viewActive && s.hasMidiOutput && !s.transportRunning; }},
    {40182, [](const CommandState& s) { return s.viewActive && s.hasMidiOutput && !s.transportRunning; }},
    {40368, [](const CommandState& s) { return s.hasMidiInput && Options().KeepMIDI != 0; }},
    {57648, [](const CommandState& s) { return s.mayOpenView && CountOpenViews() < kMostOpenViews; }},
};

// The Notes popup: commands on the block, and commands on the block's notes.
constexpr int32_t kBlockNoteCommands[] = {40161, 40158, 40159, 40160, 40352, 42054, 42055,
                                          42056, 40355, 40356, 40357, 40437, 40438, 40439};
constexpr int32_t kNoteCommands[] = {40162, 40163, 40348, 40349, 40353, 40354,
                                     40370, 40371, 40415, 40426, 40452};

struct CheckRule {
    int32_t command;
    std::function<bool()> on;
};

bool On(uint8_t value) { return value != 0; }

// Items checked by their settings (the toggles of the frame and of the view commands
// check their own).
const std::vector<CheckRule>& CheckRules() {
    static const std::vector<CheckRule> rules = {
        {40422, [] { return On(AutoSaveSettings().enabled); }},
        {40149, [] { return On(Options().RulerOn); }},
        {42008, [] { return On(Options().UseToolTips); }},
        {59393, [] { return Frame().statusBarOn; }},
        {frame_cmd::kSmallToolbars, [] { return On(Options().SmallToolBars); }},
        {42095, [] { return Options().ToolSize == kSmallPaletteButton; }},
        {42084, [] { return On(Options().SmoothScreen); }},
        {42059, [] { return On(Options().AutoMMR); }},
        {42061, [] { return On(Options().AutoLastBar); }},
        {40194, [] { return State().notes.KeyCancelLeftOfBar == 1; }},  // left of the barline
        {42230, [] { return On(State().display.TextSpacingRef); }},
        {40180, [] { return State().layout.FormattingMode == 1; }},  // relative
        {40181, [] { return State().layout.FormattingMode == 2; }},  // absolute
        {40434, [] { return State().layout.SpacingMode == 0; }},
        {40435, [] { return State().layout.SpacingMode == 1; }},
        {40436, [] { return State().layout.SpacingMode == 2; }},
        {40437, [] { return State().notes.StemMode == 0; }},
        {40438, [] { return State().notes.StemMode == 1; }},
        {40439, [] { return State().notes.StemMode == 2; }},
        // The view's ownership mode: one of the pair is checked.
        {40138, [] { return IsMeasureOwned(GetActiveScoreView()); }},
        {40139, [] { return GetActiveScoreView() != nullptr && !IsMeasureOwned(GetActiveScoreView()); }},
    };
    return rules;
}

// Items checked only while a MIDI output, or a MIDI input, exists. Step entry and
// keeping MIDI stay usable without an input: they take effect when one comes.
const std::vector<CheckRule>& OutputCheckRules() {
    static const std::vector<CheckRule> rules = {
        {40172, [] { return On(Options().AllowMIDIdelay); }},
        {40203, [] { return On(Options().SwingEighths); }},
        {40204, [] { return On(Options().SwingSixteenths); }},
        {40206, [] { return On(Options().PlayLoose); }},
    };
    return rules;
}

const std::vector<CheckRule>& InputCheckRules() {
    static const std::vector<CheckRule> rules = {
        {40414, [] { return On(Options().RecordCountdown); }},
        {40408, [] { return On(Options().RecordEcho); }},
        {40410, [] { return On(Options().RecordMetro); }},
    };
    return rules;
}

bool Has(MenuHandle popup, int32_t command) {
    return ui::GetMenuItemFlags(popup, command) != ui::kMenuItemMissing;
}

void SetEnabled(MenuHandle popup, int32_t command, bool enabled) {
    if (enabled)
        EnableMenuCommand(popup, command);
    else
        GrayMenuCommand(popup, command);
}

void SetChecked(MenuHandle popup, int32_t command, bool checked) {
    if (checked)
        CheckMenuCommand(popup, command);
    else
        UncheckMenuCommand(popup, command);
}

std::vector<int32_t> ItemCommands(MenuHandle popup) {
    std::vector<int32_t> commands;
    const int32_t count = ui::GetMenuItemCount(popup);
    for (int32_t i = 0; i < count; ++i)
        if (int32_t command = ui::GetMenuItemCommand(popup, i); command > 0) commands.push_back(command);
    return commands;
}

// The popup grayed whole while a run holds the program, but for Stop and Pause as
// the transport allows them, the two view modes, and Exit, which ends the run too.
void GrayWhilePlaying(MenuHandle popup, MenuPopupKind kind, const CommandState& state) {
    for (int32_t command : ItemCommands(popup)) {
        bool keep = kind == MenuPopupKind::View && (command == 40146 || command == 40147);
        if (kind == MenuPopupKind::File && command == cmd::kExit) keep = true;
        if (kind == MenuPopupKind::Midi && command == kStopButton) keep = state.canStop;
        if (kind == MenuPopupKind::Midi && command == kPausePlaybackButton) keep = state.canPause;
        SetEnabled(popup, command, keep);
    }
}

std::string MenuLabel(std::string label, const char* accelerator) {
    label += accelerator;
    if (label.size() > kMostMenuLabelChars) label.resize(kMostMenuLabelChars);
    return label;
}

void ApplyEditTexts(MenuHandle popup) {
    const ScoreView* view = GetActiveScoreView();
    const ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (Has(popup, 57643)) ui::SetMenuItemText(popup, 57643, MenuLabel(UndoCommandLabel(document), "\tCtrl-Z"));
    if (Has(popup, 57644)) ui::SetMenuItemText(popup, 57644, MenuLabel(RedoCommandLabel(document), "\tCtrl-Y"));
}

// One item per further language, appended once; the current one checked.
void ApplyLanguages(MenuHandle popup) {
    const std::vector<std::string> languages = AvailableLanguages();
    if (ui::GetMenuItemCount(popup) < 2 && languages.size() > 1)
        for (size_t i = 1; i < languages.size() && i <= cmd::kLastLanguage - cmd::kFirstLanguage; ++i)
            ui::AppendMenuItem(popup, cmd::kFirstLanguage + static_cast<int32_t>(i), languages[i]);
    const uint16_t current = ChosenLanguageId();
    for (int32_t command : ItemCommands(popup)) {
        const size_t index = static_cast<size_t>(command - cmd::kFirstLanguage);
        const bool chosen = index < languages.size() && LanguageIdOfName(languages[index]) == current;
        SetChecked(popup, command, chosen);
    }
}

void ApplyRules(MenuHandle popup, const CommandState& state) {
    for (int32_t command : ItemCommands(popup)) {
        EnableMenuCommand(popup, command);
        if (std::optional<bool> enabled = ToolbarButtonEnabled(state, command)) SetEnabled(popup, command, *enabled);
    }
    for (const EnableRule& rule : kEnableRules)
        if (Has(popup, rule.command)) SetEnabled(popup, rule.command, rule.flag(state));
    for (int32_t command : kBlockNoteCommands)
        if (Has(popup, command)) SetEnabled(popup, command, state.blockSelected);
    for (int32_t command : kNoteCommands)
        if (Has(popup, command)) SetEnabled(popup, command, state.blockHasNotes);
    // Checkpoints: Restore only inside one, Start checked while it lasts.
    const ScoreView* view = GetActiveScoreView();
    const bool checkpoint = state.viewActive && view->document->undoState.checkpointActive != 0;
    if (Has(popup, 40209)) SetEnabled(popup, 40209, checkpoint);
    if (Has(popup, 40208)) SetChecked(popup, 40208, checkpoint);
    // Start Recording shows punch-in armed, or the recording run.
    if (Has(popup, kStartRecordingButton))
        SetChecked(popup, kStartRecordingButton,
                   Transport().punchInArmed != 0 || IsToolbarButtonChecked(kStartRecordingButton));
    if (Has(popup, 40147)) SetChecked(popup, 40147, state.pageView);
    if (Has(popup, 40146)) SetChecked(popup, 40146, state.viewActive && !state.pageView);
    CheckViewToggleItems(popup);
    for (const FrameToggle& toggle : FrameToggles())
        if (Has(popup, toggle.command))
            SetChecked(popup, toggle.command, (!toggle.needsOutput || state.hasMidiOutput) && toggle.flag() != 0);
    for (const CheckRule& rule : CheckRules())
        if (Has(popup, rule.command)) SetChecked(popup, rule.command, rule.on());
    for (const CheckRule& rule : OutputCheckRules())
        if (Has(popup, rule.command)) SetChecked(popup, rule.command, state.hasMidiOutput && rule.on());
    for (const CheckRule& rule : InputCheckRules())
        if (Has(popup, rule.command)) SetChecked(popup, rule.command, state.hasMidiInput && rule.on());
}

}  // namespace

MenuPopupKind IdentifyMenuPopup(MenuHandle popup) {
    if (ui::GetMenuItemCount(popup) <= 0) return MenuPopupKind::Other;
    const int32_t first = ui::GetMenuItemCommand(popup, 0);
    for (const FirstItem& item : kFirstItems)
        if (item.command == first) return item.kind;
    return MenuPopupKind::Other;
}

void GrayMenuCommand(MenuHandle popup, int32_t command) {
    ui::EnableMenuItem(popup, command, ui::MenuItemState::Grayed);
}

void EnableMenuCommand(MenuHandle popup, int32_t command) {
    ui::EnableMenuItem(popup, command, ui::MenuItemState::Enabled);
}

void CheckMenuCommand(MenuHandle popup, int32_t command) {
    ui::CheckMenuItem(popup, command, true);
}

void UncheckMenuCommand(MenuHandle popup, int32_t command) {
    ui::CheckMenuItem(popup, command, false);
}

intptr_t FrameOnInitMenuPopup(platform::WindowHandle /*frame*/, MenuHandle popup, int32_t /*position*/,
                              bool systemMenu) {
    UpdateToolbarButtons(nullptr);
    if (systemMenu || !popup) return 0;
    const MenuPopupKind kind = IdentifyMenuPopup(popup);
    const bool held = IsPlaybackRunning() || IsToolbarButtonChecked(kPausePlaybackButton) ||
                      State().dialogs.ModalFlag != 0;
    if (held) {
        if (kind == MenuPopupKind::File) OnFramePopupOpening(popup);
        GrayWhilePlaying(popup, kind, CurrentCommandState());
        return 0;
    }
    ApplyRules(popup, CurrentCommandState());
    // The pick list's items are made anew with their own states.
    if (kind == MenuPopupKind::File) OnFramePopupOpening(popup);
    if (kind == MenuPopupKind::Edit) ApplyEditTexts(popup);
    if (kind == MenuPopupKind::Language) ApplyLanguages(popup);
    return 0;
}

}  // namespace ql
