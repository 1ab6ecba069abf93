// Start-up, loop and shutdown in order.
#include "shell/program/startup.h"
#include "shell/rebar/main_rebar.h"

#include "shell/program/termination_signals.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/core_strings.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "core/ui/string_ids.h"
#include "display/font_locale.h"
#include "editing/block_clipboard.h"
#include "editing/page_band.h"
#include "editing/palette_windows.h"
#include "files/commands/score_window_hooks.h"
#include "objects/text_marks/symbol_grid.h"
#include "platform/gfx/objects.h"
#include "platform/midi/midi.h"
#include "platform/sys/clipboard.h"
#include "platform/text/font_catalog.h"
#include "platform/ui/message_box.h"
#include "platform/win/display_events.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/command_line.h"
#include "shell/program/core_startup.h"
#include "shell/program/exception_guard.h"
#include "shell/program/frame.h"
#include "shell/program/instance_channel.h"
#include "shell/program/interface_fonts.h"
#include "shell/program/logo_window.h"
#include "shell/program/program_ids.h"
#include "shell/program/readout_window.h"
#include "shell/program/score_child.h"
#include "shell/program/score_windows.h"
#include "shell/program/screen_metrics.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/session_end.h"
#include "shell/recent_files.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using platform::WindowHandle;

bool RegisterProgramClasses() {
    const win::CursorHandle arrow = win::LoadSystemCursor(win::SystemCursor::Arrow);
    const win::WindowClass classes[] = {
        {kFrameClass, Guarded(FrameWndProc, GuardKind::Frame),
         win::kClassHorizontalRedraw | win::kClassVerticalRedraw, 0, arrow, {}},
        {kLogoClass, Guarded(SplashWndProc, GuardKind::Frame), 0, 0, arrow, {}},
        {kReadoutClassName, Guarded(ReadoutWndProc, GuardKind::Frame), 0, 0, arrow,
         gfx::GetStockBrush(gfx::StockBrush::LightGrey)},
        {kScoreWindowClass, Guarded(ScoreChildWndProc, GuardKind::View), win::kClassDoubleClicks, 4, {},
         gfx::GetStockBrush(gfx::StockBrush::White)},
    };
    for (const win::WindowClass& windowClass : classes)
        if (!win::IsClassRegistered(windowClass.name) && !win::RegisterWindowClass(windowClass)) return false;
    return EnsureSymbolGridClass();  // the controls of Select Symbol's own drawing
}

bool IsFaceInstalled(const std::string& face) { return !text::ListFontsOfFace(face).empty(); }

// The music face stops start-up when missing; the chord face only warns.
StartupCode CheckFonts(const StartupOptions& options) {
    if (!IsFaceInstalled(options.musicFace)) {
        char text[160];
        std::snprintf(text, sizeof text, ProgramString(kStrFontMissing).c_str(),
                      (options.musicFace + kFontFileSuffix).c_str());
        ModalMessageBox(text, ProgramString(kStrProductName), ui::kBoxIconStop);
        return StartupCode::NoMusicFont;
    }
    if (!IsFaceInstalled(options.chordFace))
        ModalMessageBox(ProgramString(kStrChordFontMissing), ProgramString(kStrProductName),
                        ui::kBoxIconExclamation);
    return StartupCode::Ok;
}

// The status line tells how many MIDI outputs the program can play through.
void ShowMidiDeviceCount() {
    int outputs = 0;
    for (const midi::DeviceInfo& device : midi::CurrentBackend().Devices()) outputs += device.output ? 1 : 0;
    if (outputs == 0) {
        SetStatusText(0, ProgramString(kStrNoMidiDevices).c_str());
        return;
    }
    const std::string text = ProgramString(kStrMidiDevices) + " = " + std::to_string(outputs);
    SetStatusText(0, text.c_str());
}

StartupCode Stop(StartupCode code) {
    ShutdownCleanup();
    return code;
}

}  // namespace

std::vector<std::string> PickListAtStart() { return CleanPickListAtStart(); }

void QueueStartupOpens(const std::vector<std::string>& arguments) {
    bool any = false;
    for (std::string argument : arguments) {
        const CommandLineResult result = ParseCommandLine(argument);
        if (result != CommandLineResult::Nothing) any = true;
        if (result == CommandLineResult::OpenFile) RequestOpen(argument);
    }
    if (any || Options().LoadLastFile == 0) return;
    for (const std::string& path : PickListAtStart()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        RequestOpen(path);
        return;
    }
}

StartupCode StartProgram(const StartupOptions& options) {
    ResetFrame();
    if (!RegisterProgramClasses()) {
        ui::Beep(ui::BeepKind::Exclamation);
        return Stop(StartupCode::NoClasses);
    }
    if (StartupCode code = CheckFonts(options); code != StartupCode::Ok) return Stop(code);
    if (InitCoreServices() != CoreStartup::Ok) return Stop(StartupCode::NoCore);
    InitFontLocale();  // the user's locale and the dialog character set, before any entry
    OpenSettingsFiles();
    RegisterProgramMenus();  // before the language is chosen
    LoadPreferences();
    // Text measured like the printer's measures needs its reference context.
    if (CurrentMeasuringMode() == MeasuringMode::Reference) SetMeasuringMode(MeasuringMode::Reference);
    const WindowHandle frame = CreateProgramFrame();
    if (!frame) return Stop(StartupCode::NoFrame);
    if (!ReadScreenMetrics(frame)) return Stop(StartupCode::NoScreen);
    CreateInterfaceFonts();
    State().dialogs.StatusWindow = Frame().statusBar;
    State().dialogs.FrameWindow = frame;  // the popup menus post their frame commands here
    SetPaletteButtonSize(Frame().toolSize);
    PaletteSettings().groupMoves = Options().SyncPalettes != 0;
    if (!CreateToolPalettes(frame)) return Stop(StartupCode::NoFrame);
    // Without the main bar (its box said why) the frame runs without bands, and the
    // page buttons float.
    const bool sideBar = Frame().dock == DockSide::Left || Frame().dock == DockSide::Right;
    CreateMainRebar(frame, sideBar ? kRebarVertical : 0);
    if (!PageBandWindow() && !CreatePagersToolbar(frame)) return Stop(StartupCode::NoFrame);
    // Scores the file commands build or load (New, templates) get their windows here.
    SetShowScoreWindow(ShowCommandScoreWindow);
    SetCaptionOfPath(CaptionOfPath);
    // Another program taking the desktop clipboard also ends the block clipboard.
    sys::SetClipboardLostHandler(ClearBlockClipboard);
    win::SetDisplayLostHandler(OnDisplayLost);
    CreateReadoutWindow();
    CreateSequencerWindow();
    if (options.splash)
        ShowSplashWindow();
    else
        ShowProgramFrame();
    QueueStartupOpens(options.arguments);
    if (options.serveOpenChannel) StartInstanceServer();
    StartSessionLink();
    UpdateToolbarButtons(nullptr);
    ShowMidiDeviceCount();
    win::SetFocus(frame);
    return StartupCode::Ok;
}

int32_t RunProgram(const StartupOptions& options) {
    if (StartupCode code = StartProgram(options); code != StartupCode::Ok) return static_cast<int32_t>(code);
    WatchTerminationSignals();
    if (options.exitWhenIdle) {
        win::PumpMessages(ProgramMessageFilters());
        win::PostMessage(Frame().window, win::Message::Close);
    }
    return win::RunMessageLoop(ProgramMessageFilters());
}

std::span<const win::MessageFilter> ProgramMessageFilters() {
    static const win::MessageFilter kFilters[] = {TranslateFrameAccelerator};
    return kFilters;
}

void ShutdownCleanup() {
    ProgramFrame& frame = Frame();
    if (frame.shutdownDone) return;
    frame.shutdownDone = true;
    DestroySequencerWindow();  // stops a run before anything it plays goes away
    StopSessionLink();
    StopInstanceServer();
    ClearBlockClipboard();
    SetShowScoreWindow({});
    SetCaptionOfPath({});
    sys::SetClipboardLostHandler({});
    win::SetDisplayLostHandler({});
    State().dialogs.StatusWindow = {};
    State().dialogs.FrameWindow = {};
    ReleaseCharsetText();
    DeleteInterfaceFonts();
    ShutdownCoreServices();
}

}  // namespace ql
