// The frame window procedure, its command dispatch and the two exit stages.
#include "shell/program/frame.h"

#include "core/core_strings.h"
#include "core/draw/draw_surface.h"
#include "core/model/document_context.h"
#include "core/model/view.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/ui/long_operation.h"
#include "core/ui/status_bar.h"
#include "core/undo/autosave.h"
#include "display/input_locale.h"
#include "display/painter.h"
#include "editing/page_band.h"
#include "editing/palette_windows.h"
#include "files/commands/file_commands.h"
#include "platform/ui/mdi_frame.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_accelerators.h"
#include "platform/ui/rebar.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/command/settings_commands.h"
#include "shell/options/option_dialogs.h"
#include "shell/program/command_line.h"
#include "shell/program/exception_guard.h"
#include "shell/program/frame_option_commands.h"
#include "shell/program/frame_toggles.h"
#include "shell/program/instance_channel.h"
#include "shell/program/interface_fonts.h"
#include "shell/program/language_switch.h"
#include "shell/program/logo_window.h"
#include "shell/program/menu_state.h"
#include "shell/program/page_commands.h"
#include "shell/program/program_ids.h"
#include "shell/program/readout_window.h"
#include "shell/program/rulers.h"
#include "shell/program/score_windows.h"
#include "shell/program/screen_metrics.h"
#include "shell/program/session_end.h"
#include "shell/program/startup.h"
#include "shell/program/termination_signals.h"
#include "shell/program/transport_commands.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_toggles.h"
#include "shell/rebar/main_rebar.h"
#include "shell/recent_files.h"

namespace ql {
namespace {

using platform::WindowHandle;
using win::Message;

// The private re-layout message of the frame.
constexpr Message kRelayoutMessage = win::PrivateMessage(0x33);

ProgramFrame& FrameStorage() {
    static ProgramFrame frame;
    return frame;
}

// Close: every score window is asked; one refusal keeps the program running.
intptr_t ExitFirstStage(WindowHandle window) {
    if (!CloseScoreWindows(false)) return 0;
    Frame().terminating = true;
    win::DestroyWindow(window);
    return 0;
}

// Destroy: what is left closes without a question, the settings are saved, the
// program shuts down and the loop ends with the frame's exit code.
intptr_t ExitLastStage(WindowHandle window) {
    ProgramFrame& frame = Frame();
    frame.terminating = true;
    CloseScoreWindows(true);
    SaveRebarLayout();
    DestroyMainRebar();
    DestroyToolPalettes();  // writes their places and shapes
    DestroyPagersToolbar();
    SavePreferences(Options().SavePreferences != 0);
    win::SetWindowText(window, ProgramString(kStrTerminating));
    ShutdownCleanup();
    frame.shutdownDone = true;
    win::PostQuitMessage(frame.exitCode);
    return 0;
}

intptr_t OnDropFiles(intptr_t data) {
    const auto* dropped = reinterpret_cast<const win::DroppedFiles*>(data);
    if (dropped == nullptr || dropped->paths.empty()) return 0;
    // Only the first file of a drop opens.
    std::string path = dropped->paths.front();
    if (ParseCommandLine(path) == CommandLineResult::OpenFile) RequestOpen(path);
    return 0;
}

// Every score window's drawing surface is closed (a context or memory context of
// the old screen is not kept), and its rulers are painted again with the fonts made
// for the new one.
void EndViewSurfaces() {
    for (WindowHandle child : win::MdiChildrenInZOrder(Frame().mdiClient)) {
        ScoreView* view = IsScoreWindow(child) ? GetViewFromWindow(child) : nullptr;
        if (view == nullptr) continue;
        EndViewDrawAll(view);
        InvalidateRulers(view);
    }
}

// The active score window goes through two states and ends in the one it had, so
// that it and its view are laid out anew for the new screen: maximised, restored
// and maximised again; minimised, restored and minimised again; otherwise
// maximised and restored.
void PassThroughShowStates(WindowHandle child) {
    const WindowHandle client = Frame().mdiClient;
    switch (win::GetMdiChildState(child)) {
        case win::MdiChildState::Maximized:
            win::RestoreMdiChild(client, child);
            win::MaximizeMdiChild(client, child);
            break;
        case win::MdiChildState::Minimized:
            win::RestoreMdiChild(client, child);
            win::MinimizeMdiChild(client, child);
            break;
        case win::MdiChildState::Normal:
            win::MaximizeMdiChild(client, child);
            win::RestoreMdiChild(client, child);
            break;
    }
}

// A change of the monitors: the views' surfaces end, the screen's metrics and
// class are read again and the interface fonts made for them; the frame shown over
// the whole screen takes the new screen's size and its parts are laid out again;
// the active score window passes through two states and, in its normal state, the
// score windows are arranged as they were last.
intptr_t OnDisplayChange(WindowHandle window) {
    ReleaseSmoothPaint(true);
    EndViewSurfaces();
    ReadScreenMetrics(window);
    CreateInterfaceFonts();
    if (Options().StartMaximized != 0) FitFrameToScreen(window);
    LayoutFrameClient();
    PlaceReadout();
    if (win::IsWindow(Frame().readout)) win::InvalidateRect(Frame().readout, nullptr, true);
    const WindowHandle active = win::GetActiveMdiChild(Frame().mdiClient);
    if (!active) return 0;
    PassThroughShowStates(active);
    if (win::GetMdiChildState(active) == win::MdiChildState::Normal) RepeatArrangement();
    return 0;
}

// The main bar's notices: a new height lays the frame out again; a new size of the
// Pagers band brings the page band up to date for the active view.
intptr_t OnRebarNotice(const ui::RebarNotice* notice) {
    if (notice == nullptr) return 0;
    if (notice->code == ui::RebarNoticeCode::HeightChange) LayoutFrameClient();
    if (notice->code == ui::RebarNoticeCode::ChildSize && notice->bandId == kPagersBand)
        if (ScoreView* view = GetActiveScoreView()) LayoutPageButtons(view);
    return 0;
}

void ToggleStatusBar() {
    ProgramFrame& frame = Frame();
    frame.statusBarOn = !frame.statusBarOn;
    State().dialogs.ShowStatusBarSetting = frame.statusBarOn ? 1 : 0;
    LayoutFrameClient();
}

void TogglePaletteSize() {
    ProgramFrame& frame = Frame();
    frame.toolSize = ToggledPaletteButtonSize(frame.toolSize);
    Options().ToolSize = static_cast<int16_t>(frame.toolSize);
    SetPaletteButtonSize(frame.toolSize);
    LayoutFrameClient();
}

void ToggleAutoSave() {
    AutoSaveSettings().enabled = AutoSaveSettings().enabled != 0 ? 0 : 1;
    SetFrameCaption();
}

// The open command: the queue's oldest path when posted for the queue, else the
// user is asked for a file.
void OnOpenCommand(intptr_t data) {
    // An open dispatched by the pump of an import runs when the import has ended.
    if (DeferUntilLongOperationEnds({Frame().window, Message::Command, win::MakeCommandWord(cmd::kFileOpen, 0), data}))
        return;
    if (data != kOpenQueued) {
        CmdOpenFile();
        return;
    }
    if (std::optional<std::string> path = Frame().openQueue.Pop()) OpenScorePath(*path);
}

// The window arrangement and the frame's own switches; true when taken.
// Cascade and the two tilings are remembered (see RepeatArrangement).
bool ArrangeCommand(int32_t command) {
    const WindowHandle client = Frame().mdiClient;
    switch (command) {
        case cmd::kArrangeIcons: win::ArrangeMdiIcons(client); return true;
        case cmd::kCascade:
        case cmd::kTileHorizontally:
        case cmd::kTileVertically:
            Frame().lastArrangement = command;
            RepeatArrangement();
            return true;
        case cmd::kNextView: win::ActivateNextMdiChild(client, false); return true;
        case cmd::kPreviousView: win::ActivateNextMdiChild(client, true); return true;
        default: return false;
    }
}

bool FrameCommand(WindowHandle window, int32_t command, intptr_t data) {
    switch (command) {
        case cmd::kFileOpen: OnOpenCommand(data); return true;
        case cmd::kFileImport: CmdImportFile(); return true;
        case cmd::kFileNew: CmdNewManuscript(); return true;
        case cmd::kExit: win::PostMessage(window, Message::Close); return true;
        case cmd::kAbout:
        case cmd::kAboutAlias: ShowAboutWindow(); return true;
        case cmd::kCloseAll: CloseScoreWindows(false); return true;
        case cmd::kStatusBar: ToggleStatusBar(); return true;
        case cmd::kUseSmallPalettes: TogglePaletteSize(); return true;
        case cmd::kShowHiddenPalettes: ShowHiddenPalettes(); return true;
        case kMainPaletteBandCommand: SwapMainPaletteBand(); return true;
        case cmd::kSavePreferences: SavePreferences(true); return true;
        case cmd::kAutoSaveActive: ToggleAutoSave(); return true;
        case cmd::kPickListOptions: RunPickListOptionsDialog(); return true;
        default: break;
    }
    if (RunFrameOptionCommand(window, command)) return true;
    // The settings that need no score; the others go to the active view.
    if (const SettingsCommand* entry = FindSettingsCommand(command); entry != nullptr && !entry->needsView) {
        RunSettingsCommand(GetActiveScoreView(), command);
        return true;
    }
    if (OnPickListCommand(command)) return true;
    if (GetActiveScoreView() == nullptr && PageCommand(command)) return true;
    if (command >= cmd::kFirstLanguage && command <= cmd::kLastLanguage) {
        SwitchProgramLanguage(static_cast<size_t>(command - cmd::kFirstLanguage));
        return true;
    }
    return ArrangeCommand(command);
}

}  // namespace

ProgramFrame& Frame() { return FrameStorage(); }

void SetFrameCaption() {
    const bool autoSave = AutoSaveSettings().enabled != 0;
    win::SetWindowText(Frame().window, ProgramString(autoSave ? kStrAutoSaveCaption : kStrProductName));
}


void ResetFrame() {
    FrameStorage() = ProgramFrame{};
    ResetProgramScreen();
}

void FitFrameToScreen(WindowHandle window) {
    // The window layer keeps no maximised state for top-level windows: the frame
    // takes the screen's size.
    win::MoveWindow(window,
                    {0, 0, win::GetSystemMetric(win::SystemMetric::ScreenWidth),
                     win::GetSystemMetric(win::SystemMetric::ScreenHeight)},
                    true);
}

void RepeatArrangement() {
    const WindowHandle client = Frame().mdiClient;
    switch (Frame().lastArrangement) {
        case cmd::kCascade: win::CascadeMdiChildren(client); break;
        case cmd::kTileHorizontally: win::TileMdiChildren(client, win::MdiTile::Horizontal); break;
        case cmd::kTileVertically: win::TileMdiChildren(client, win::MdiTile::Vertical); break;
        default: break;
    }
}

void ShowProgramFrame() {
    const WindowHandle window = Frame().window;
    if (Options().StartMaximized == 0) {
        win::ShowWindow(window, win::ShowCommand::Show);
        PlaceReadout();
        return;
    }
    FitFrameToScreen(window);
    win::ShowWindow(window, win::ShowCommand::Maximize);
    PlaceReadout();
}

void RequestOpen(const std::string& path) {
    ProgramFrame& frame = Frame();
    frame.openQueue.Push(path);
    win::PostMessage(frame.window, Message::Command, win::MakeCommandWord(cmd::kFileOpen, 0), kOpenQueued);
}

bool TranslateFrameAccelerator(const win::QueuedMessage& message) {
    if (message.message != Message::KeyDown && message.message != Message::SystemKeyDown) return false;
    const WindowHandle frame = Frame().window;
    if (!frame || !message.window || win::GetTopLevel(message.window) != frame) return false;
    const ui::AcceleratorTable table = ui::AcceleratorsOfMenu(win::GetWindowMenu(frame));
    return ui::TranslateAccelerator(frame, table, message);
}

bool CloseScoreWindows(bool force) {
    for (WindowHandle child : win::MdiChildrenInZOrder(Frame().mdiClient)) {
        if (!IsScoreWindow(child)) continue;
        if (force)
            ForceCloseScoreWindow(child);
        else if (!CloseScoreWindow(child))
            return false;
    }
    return CountOpenViews() == 0;
}

intptr_t FrameOnCommand(WindowHandle window, uint32_t word, intptr_t data) {
    const auto command = static_cast<int32_t>(win::CommandId(word));
    // A command may change what the active view shows (its layout, zoom, page or
    // settings): the next change of current system and measure is applied even when
    // it names the place the view already holds, so that what the view keeps of its
    // location is worked out again.
    State().locate.ForceLocationUpdate = 1;
    if (command == kMainRebarId) {
        DockMainRebar(word >> 16);
        return 0;
    }
    if (RunFrameToggle(command)) return 0;
    if (FrameCommand(window, command, data)) return 0;
    // The MIDI menu's transport items act on the run itself (pause holds and
    // continues it).
    ScoreView* view = GetActiveScoreView();
    if (TransportCommand(view, command)) return 0;
    // Every other command goes to the active view, whose answer decides whether the
    // default processing runs as well.
    if (view != nullptr && win::IsWindow(view->ViewWindow))
        if (ViewMessageProc(view, view->ViewWindow, Message::Command, word, data) == 0) return 0;
    return ui::DefFrameProc(window, Frame().mdiClient, Message::Command, word, data);
}

intptr_t FrameWndProc(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    // The frame's commands, the open channel and the termination signal work on the
    // active view's document, and leave current what they activate.
    const ScopedDocumentContext context(GetActiveScoreView());
    switch (message) {
        case Message::Create: return 0;
        case Message::Size:
            LayoutFrameClient();
            PlaceReadout();
            return 0;
        case Message::Move:
            PlaceReadout();
            return 0;
        case Message::Close: return ExitFirstStage(window);
        case Message::Destroy: return ExitLastStage(window);
        case Message::Command: return FrameOnCommand(window, word, data);
        case Message::DropFiles: return OnDropFiles(data);
        case Message::DisplayChange: return OnDisplayChange(window);
        case Message::Activate:
            TellFlyoutOfFrameActivation(word != static_cast<uint32_t>(win::ActivateState::Inactive));
            break;
        case Message::Notify:
            if (word == static_cast<uint32_t>(kMainRebarId))
                return OnRebarNotice(reinterpret_cast<const ui::RebarNotice*>(data));
            break;
        case Message::InputLanguageChange:
            SetInputLocale(word, data);
            break;
        case Message::InitMenuPopup:
            // The items follow the command state; the document client then lists its
            // windows.
            FrameOnInitMenuPopup(window, platform::MenuHandle(static_cast<uint32_t>(data)),
                                 static_cast<int32_t>(word & 0xFFFF), (word >> 16) != 0);
            break;
        default: break;
    }
    if (message == kRelayoutMessage) {
        LayoutFrameClient();
        return 0;
    }
    if (message == kInstanceChannelMessage) {
        OnInstanceChannelMessage();
        return 0;
    }
    if (message == kTerminationMessage) {
        OnTerminationSignal();
        return 0;
    }
    if (message == kSessionQueryMessage) {
        OnSessionQuery();
        return 0;
    }
    if (message == kSessionEndMessage) {
        OnSessionEnd();
        return 0;
    }
    if (message == Message::Timer && word == kLogoutInhibitTimer) {
        UpdateLogoutInhibit();
        return 0;
    }
    return ui::DefFrameProc(window, Frame().mdiClient, message, word, data);
}

WindowHandle CreateProgramFrame() {
    ProgramFrame& frame = Frame();
    if (!BuildProgramMenus()) return {};
    win::WindowParams params;
    params.className = kFrameClass;
    params.caption = kFrameTitle;
    params.style = win::kStyleOverlappedWindow | win::kStyleClipChildren;
    params.extendedStyle = win::kExStyleAcceptFiles;
    params.menu = frame.frameMenu;
    frame.window = win::CreateWindow(params);
    if (!frame.window) return {};
    SetFrameCaption();
    const gfx::Rect client = win::GetClientRect(frame.window);
    frame.mdiClient = win::CreateMdiClient({frame.window, client, win::kStyleVisible | win::kStyleClipChildren,
                                            frame.frameWindowMenu, win::kDefaultFirstMdiChildId});
    frame.statusBar = CreateStatusBar(frame.window);
    frame.statusBarOn = State().dialogs.ShowStatusBarSetting != 0;
    if (Options().ToolSize == kSmallPaletteButton) frame.toolSize = kSmallPaletteButton;
    win::PostMessage(frame.window, kRelayoutMessage);
    return frame.window;
}

}  // namespace ql
