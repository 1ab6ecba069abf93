// The Sequencer window: the transport's commands and the engine's messages.
#include "shell/program/sequencer_window.h"

#include <array>
#include <string>

#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "sequencer/performance_setup.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "shell/program/view_transport.h"
#include "shell/program_options.h"

namespace ql {
namespace {

// The player buffer's block length in ticks.
constexpr int32_t kPlayerBufferTicks = 2444;
constexpr char kPortNameSeparator = '|';
// Status part 0 while a run is on.
constexpr char kPlayingText[] = "Playing...";

struct SequencerWindowState {
    platform::WindowHandle window;
    ScoreView* requestingView = nullptr;
    bool showsPlaying = false;  // status part 0 says so
};

SequencerWindowState& WindowState() {
    static SequencerWindowState state;
    return state;
}

// "MidiPortNames": up to eight names separated by '|'; missing ones are empty.
std::array<std::string, kLogicalPortCount> SplitPortNames(const std::string& text) {
    std::array<std::string, kLogicalPortCount> names{};
    size_t from = 0;
    for (int port = 0; port < kLogicalPortCount && from <= text.size(); ++port) {
        const size_t bar = text.find(kPortNameSeparator, from);
        names[port] = text.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
        if (bar == std::string::npos) break;
        from = bar + 1;
    }
    return names;
}

// The metronome plays on the first logical port mapped to its device entry, else
// on port A.
int LogicalPortOfDevice(int entry) {
    for (int port = 0; port < kLogicalPortCount; ++port)
        if (entry > 0 && Options().MidiPortMap[port] == entry) return port;
    return 0;
}

ScoreView* PlayingView() {
    ScoreView* view = WindowState().requestingView;
    if (view == nullptr || view->self != view) view = State().documents.ActiveView;
    return view != nullptr && view->self == view && view->document != nullptr ? view : nullptr;
}

PlaybackRequest RequestFor(ScoreView* view) {
    const ProgramOptions& options = Options();
    PlaybackRequest request;
    request.view = view;
    request.sequencerWindow = WindowState().window;
    request.blockLength = kPlayerBufferTicks;
    RangeRequest range;
    range.mode = view->currentMeasure > 1 ? PlayRangeMode::FromCurrentMeasure : PlayRangeMode::WholeScore;
    range.currentMeasure = view->currentMeasure;
    range.countIn = options.PlayCountdown != 0;
    const PlayRange played = PlaybackRange(view->document, range);
    request.options.firstMeasure = played.first;
    request.options.lastMeasure = played.last;
    request.options.metronome = options.PlayMetro != 0;
    request.options.playbackPercent = view->document->header.notePlaybackPercent;
    for (int port = 0; port < kLogicalPortCount; ++port) request.ports.entries[port] = options.MidiPortMap[port];
    request.ports.names = SplitPortNames(options.MidiPortNames);
    request.sendPatches = options.SendPatches != 0;
    request.options.allowMidiDelay = options.AllowMIDIdelay != 0;
    if (options.RTCFrequency != 0) request.options.transitionStep = options.RTCFrequency;
    request.metronome.port = LogicalPortOfDevice(options.MetronomePort);
    request.metronome.channel = options.MetronomeCH - 1;
    request.metronome.barKey = options.MetronomeBarKey;
    request.metronome.beatKey = options.MetronomeBeatKey;
    request.metronome.velocity = options.MetronomeKv;
    request.metronome.patch = options.MetronomePatch;
    return request;
}

// Step entry is on with its setting while no run is on; the status bar says
// "Playing..." while one is, and is cleared when it ends.
void UpdateStepEntry() {
    const bool running = IsPlaybackRunning();
    State().sequencer.StepEntryEnabled = Options().AllowStepEntry != 0 && !running ? 1 : 0;
    SequencerWindowState& state = WindowState();
    if (running == state.showsPlaying) return;
    SetStatusText(0, running ? kPlayingText : nullptr);
    state.showsPlaying = running;
}

void StartFromWindow() {
    ScoreView* view = PlayingView();
    if (view == nullptr) return;
    if (StartPlayback(RequestFor(view)) != PlaybackStart::Started) {
        WindowState().requestingView = nullptr;
        OnTransportRunEnded();
    }
    UpdateStepEntry();
}

void StopFromWindow() {
    WindowState().requestingView = nullptr;
    StopPlayback();
    OnTransportRunEnded();
    UpdateStepEntry();
}

intptr_t OnCommand(uint32_t id) {
    if (IsPlaybackPaused() && id != cmd::kSequencerPause) id = cmd::kSequencerStop;
    switch (id) {
        case cmd::kSequencerStart: StartFromWindow(); return 0;
        case cmd::kSequencerStop: StopFromWindow(); return 0;
        case cmd::kSequencerPause:
            if (IsPlaybackPaused()) ContinuePlayback();
            else PausePlayback();
            return 0;
        default: return 0;
    }
}

}  // namespace

intptr_t SequencerWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    // The transport and the engine's messages work on the playing score's document.
    const ScopedDocumentContext context(PlayingView());
    switch (message) {
        case win::Message::Command: return OnCommand(win::CommandId(word));
        case win::Message::Close:
        case win::Message::Destroy:
            StopFromWindow();
            break;
        default:
            if (HandleSequencerMessage(win::ToRaw(message), word, data)) {
                if (!IsPlaybackRunning()) OnTransportRunEnded();
                UpdateStepEntry();
                return 0;
            }
            break;
    }
    return win::DefaultWindowProc(window, message, word, data);
}

platform::WindowHandle CreateSequencerWindow() {
    if (!win::IsClassRegistered(kSequencerClass)) {
        win::WindowClass cls;
        cls.name = kSequencerClass;
        cls.procedure = SequencerWndProc;
        if (!win::RegisterWindowClass(cls)) return {};
    }
    win::WindowParams params;
    params.className = kSequencerClass;
    params.style = win::kStyleCaption;
    WindowState().window = win::CreateWindow(params);
    UpdateStepEntry();
    return WindowState().window;
}

void RefreshStepEntry() { UpdateStepEntry(); }

platform::WindowHandle SequencerWindow() { return WindowState().window; }

void StopSequencerNow() { StopFromWindow(); }

// provisional: recording into the score is not built yet; the run plays as Play
// starts it.
void StartRecordingCommand(ScoreView* view) { PlayCommand(view); }

void DestroySequencerWindow() {
    StopFromWindow();
    CloseMidiOutputPorts();
    if (WindowState().window) win::DestroyWindow(WindowState().window);
    WindowState() = SequencerWindowState{};
}

void PlayCommand(ScoreView* view) {
    WindowState().requestingView = view;
    win::PostMessage(WindowState().window, win::Message::Command, win::MakeCommandWord(cmd::kSequencerStart, 0), 0);
}

void StopSequencerCommand() {
    WindowState().requestingView = nullptr;
    win::PostMessage(WindowState().window, win::Message::Command, win::MakeCommandWord(cmd::kSequencerStop, 0), 0);
}

void PauseSequencerCommand() {
    win::PostMessage(WindowState().window, win::Message::Command, win::MakeCommandWord(cmd::kSequencerPause, 0), 0);
}

}  // namespace ql
