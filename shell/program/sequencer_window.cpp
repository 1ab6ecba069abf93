// The Sequencer window: the transport's commands and the engine's messages.
#include "shell/program/sequencer_window.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "display/view_location.h"
#include "editing/selection.h"
#include "editing/tools.h"
#include "interchange/smf/smf_export.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "sequencer/engine.h"
#include "sequencer/kept_recording.h"
#include "sequencer/performance_setup.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/sequencer_state.h"
#include "shell/command/settings_commands.h"
#include "shell/program/follow_music.h"
#include "shell/program/midi_notices.h"
#include "shell/program/program_ids.h"
#include "shell/program/step_entry_port.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_transport.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

// The player buffer's block length in ticks.
constexpr int32_t kPlayerBufferTicks = 2444;
// Status part 0 while a run is on.
constexpr char kPlayingText[] = "Playing...";
constexpr char kRecordingText[] = "Recording...";
constexpr char kWaitingForMasterText[] = "Waiting for Master...";
constexpr char kTimerDidNotStartText[] = "Timer didn't start";
constexpr uint32_t kClockPeriodMs = 1000;
constexpr uint32_t kMsPerSecond = 1000;
constexpr uint32_t kSecondsPerMinute = 60;
constexpr uint32_t kMostMinutes = 255;  // what the clock can show
constexpr uint32_t kRatePerBpm = 1024;         // the engine's rate: ticks a minute
constexpr win::Message kMsgTempoChanged = win::PrivateMessage(0x0E);  // to the window and the mixer
constexpr win::Message kMsgStepInput = win::PrivateMessage(0x41);     // step entry's input has messages

struct SequencerWindowState {
    platform::WindowHandle window;
    ScoreView* requestingView = nullptr;
    bool recordRequested = false;  // the next start records
    bool recording = false;        // the run records
    bool waitingForMaster = false; // a recording that follows a sync master it has not heard start
    int measuresAtStart = 0;       // the score's measure count when the run started
    bool inputsTaken = false;      // the run has the MIDI inputs (recording, or following a sync master)
    const char* shownText = nullptr;  // what status part 0 says of the run
    ScoreView* clockView = nullptr;   // runs the transport clock
    uint32_t tempoBpm = 0;            // the tempo the run plays at, quarters a minute
    ScoreView* startedView = nullptr; // the view a run started from: its voice mask comes back at the end
    uint8_t savedVoiceMask = 0;
};

SequencerWindowState& WindowState() {
    static SequencerWindowState state;
    return state;
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

// A recording runs from the view's current measure (a measure earlier with the
// count-in), whatever the notes: with "RecordContinue" on past the end of the
// score, which grows as the run reaches its end; without it to the end of the
// score, or over the punch-in and punch-out range when one is set. The record
// staff's first voice takes echo and thru.
void SetRecording(PlaybackRequest& request, const ScoreView* view) {
    const ProgramOptions& options = Options();
    const int count = std::max<int>(view->document->header.measureCount, 1);
    int first = std::clamp<int>(view->currentMeasure, 1, count);
    int last = count;
    if (options.RecordContinue != 0) {
        last = std::max<int>(MeasureLimit, first);
        request.options.extendScore = true;
    } else if (options.PunchIn != 0) {
        first = std::clamp<int>(options.PunchIn, 1, count);
        last = std::clamp<int>(options.PunchOut, first, count);
    }
    if (options.RecordCountdown != 0 && first > 1) --first;
    request.options.firstMeasure = first;
    request.options.lastMeasure = last;
    request.options.metronome = options.RecordMetro != 0;
    request.recording = true;
    request.recordInput = ResolveRecordInput(midi::CurrentBackend().Devices(), options.RecordPortName, options.RecordPort);
    request.routing.mode = static_cast<RecordMode>(options.RecordMode);
    request.routing.recordStaff = options.RecordStaff;
    request.routing.splitStaff = options.SplitStaff;
    request.routing.splitPoint = options.SplitPoint;
    std::copy(std::begin(options.ChannelStaff), std::end(options.ChannelStaff), request.routing.channelStaves.begin());
    request.routing.filterKeyPressure = options.FilterKEYP != 0;
    request.routing.filterControllers = options.FilterRTC != 0;
    request.routing.filterPrograms = options.FilterPATCH != 0;
    request.routing.filterChannelPressure = options.FilterCHAP != 0;
    request.routing.filterPitchWheel = options.FilterPITCH != 0;
    request.keepMidi = options.KeepMIDI != 0;
    request.echo = options.RecordEcho != 0;
    request.thruPorts = options.ThruPorts;
}

// The measures a run plays: those the transport asked for this one start (Space
// plays from the current measure to the end, Play after a Stop from the view goes
// on from the current measure), else those of the Playback Settings: the whole
// score ("Start at beginning"), from the current measure ("Start with this page")
// or the measure range.
RangeRequest PlayRangeFor(const ScoreView* view) {
    const ProgramOptions& options = Options();
    TransportFlags& transport = Transport();
    const bool asked = transport.rangeKind != 0;
    RangeRequest range;
    range.mode = static_cast<PlayRangeMode>(asked ? transport.rangeKind : options.PlayRangeMode);
    range.first = asked ? transport.rangeFirst : options.PlayRangeFirst;
    range.last = asked ? transport.rangeLast : options.PlayRangeLast;
    if (range.mode != PlayRangeMode::FromCurrentMeasure && range.mode != PlayRangeMode::GivenRange)
        range.mode = PlayRangeMode::WholeScore;
    range.currentMeasure = view->currentMeasure;
    range.countIn = options.PlayCountdown != 0;
    transport.rangeKind = 0;
    return range;
}

PlaybackRequest RequestFor(ScoreView* view, bool recording) {
    const ProgramOptions& options = Options();
    PlaybackRequest request;
    request.view = view;
    request.sequencerWindow = WindowState().window;
    request.blockLength = kPlayerBufferTicks;
    request.followMeasure = options.FollowMusic != 0 || options.ShowPlaybackLoc != 0;
    const PlayRange played = PlaybackRange(view->document, PlayRangeFor(view));
    request.options.firstMeasure = played.first;
    request.options.lastMeasure = played.last;
    request.options.metronome = options.PlayMetro != 0;
    if (recording) SetRecording(request, view);
    request.options.playbackPercent = view->document->header.notePlaybackPercent;
    request.options.globalTransposition = options.GlobalTranspose;
    request.ports = SavedPortChoices();
    request.sendPatches = options.SendPatches != 0;
    request.options.allowMidiDelay = options.AllowMIDIdelay != 0;
    request.options.swingEighths = options.SwingEighths != 0;
    request.options.swingSixteenths = options.SwingSixteenths != 0;
    PerformanceOptions::Loosen& loosen = request.options.loosen;
    loosen.on = options.PlayLoose != 0;
    loosen.timingCode = options.TimingLooseness;
    loosen.velocityWidth = options.VelocityLooseness;
    loosen.wider = options.LoosenessDotted != 0;
    loosen.seed = midi::CurrentBackend().TheClock().NowMs();  // a new generator each start
    if (options.RTCFrequency != 0) request.options.transitionStep = options.RTCFrequency;
    request.metronome.port = LogicalPortOfDevice(options.MetronomePort);
    request.metronome.device = SavedMetronomeDevice(midi::CurrentBackend().Devices());
    request.metronome.channel = options.MetronomeCH;
    request.metronome.barKey = options.MetronomeBarKey;
    request.metronome.beatKey = options.MetronomeBeatKey;
    request.metronome.velocity = options.MetronomeKv;
    request.metronome.patch = options.MetronomePatch;
    request.sync.mode = static_cast<SyncMode>(recording ? options.RecordSyncMode : options.PlaySyncMode);
    if (request.sync.mode > SyncMode::Slave) request.sync.mode = SyncMode::None;
    request.sync.ports = options.SyncPorts;
    request.sync.input = ResolveRecordInput(midi::CurrentBackend().Devices(), options.SyncInPortName, options.SyncInPort);
    return request;
}

// Step entry is on with its setting while no run is on; the status bar says
// "Playing..." or "Recording..." while one is, and is cleared when it ends.
void UpdateStepEntry() {
    const bool running = IsPlaybackRunning();
    State().sequencer.StepEntryEnabled = Options().AllowStepEntry != 0 && !running ? 1 : 0;
    SequencerWindowState& state = WindowState();
    // The step-entry input stays open through playback (its keys go through to the
    // thru ports) and is closed while the run has the inputs.
    UpdateStepEntryPort(Options().AllowStepEntry != 0 && !(running && state.inputsTaken), state.window, kMsgStepInput);
    const char* text = !running                 ? nullptr
                       : state.waitingForMaster ? kWaitingForMasterText
                       : state.recording        ? kRecordingText
                                                : kPlayingText;
    if (text == state.shownText) return;
    SetStatusText(0, text);
    state.shownText = text;
}

// The view's transport clock: "Elapsed time:" in the status bar, a second at a
// time while the run plays.
void RunClock(ScoreView* view, bool on) {
    if (view == nullptr || view->self != view || !view->ViewWindow) return;
    if (on)
        win::SetTimer(view->ViewWindow, kTransportClockTimer, kClockPeriodMs);
    else
        win::KillTimer(view->ViewWindow, kTransportClockTimer);
}

// The run has ended (or never started, or Stop came with none on): the clock
// stops at the run's whole time, the follow mark goes, and the view rewinds after
// a played run that was not paused. The view the run started from gets its voices
// back; after a run, and after a Stop the user asked for without one, that view
// (or the one in front) has the record staff current, and the open outputs get
// Stop on their sync ports and the silencing sweep. A score window that closes
// with no run on changes nothing here.
void RunEnded(bool rewind, bool stopAsked) {
    SequencerWindowState& state = WindowState();
    if (state.clockView != nullptr) ShowElapsedTime();
    ScoreView* view = state.startedView;
    if (view != nullptr && view->self == view && view->document != nullptr)
        view->voiceMask = state.savedVoiceMask;
    else
        view = stopAsked ? PlayingView() : nullptr;
    if (view != nullptr)
        SetCurrentMeasure(view, std::clamp<int>(Options().RecordStaff, 1, std::max<int>(view->document->header.staffCount, 1)),
                          view->currentMeasure);
    if (view != nullptr || stopAsked) SilenceOpenOutputs(view != nullptr ? view->document : nullptr);
    state.startedView = nullptr;
    RunClock(state.clockView, false);
    state.clockView = nullptr;
    EndFollowing(rewind && !state.recording);
    state.requestingView = nullptr;
    state.recording = false;
    state.inputsTaken = false;
    state.waitingForMaster = false;
    OnTransportRunEnded();
}

// Why a start was refused, as the user is told: a device that would not open in a
// message box, a record input in a notice; a run refused for want of any output
// or of anything to play says nothing.
void ReportRefusal(PlaybackStart started) {
    for (const std::string& notice : PlaybackNotices()) {
        if (started == PlaybackStart::DeviceFailed)
            ModalMessageBox(notice, ProgramString(kStrProductName), ui::kBoxIconExclamation);
        else
            ShowNotice(notice.c_str());
    }
    if (started == PlaybackStart::TimerFailed)
        ModalMessageBox(kTimerDidNotStartText, ProgramString(kStrProductName), ui::kBoxIconExclamation);
}

// The run's tempo as the engine plays it (a tempo mark or the mixer may have
// changed it): kept for the readout, and the view's mixer is told when it changed.
void UpdateTempoReadout(ScoreView* view) {
    const uint32_t bpm = TheSequencerState().rate.load(std::memory_order_relaxed) / kRatePerBpm;
    if (bpm == WindowState().tempoBpm) return;
    WindowState().tempoBpm = bpm;
    if (view != nullptr && win::IsWindow(view->MixerWindow)) win::PostMessage(view->MixerWindow, kMsgTempoChanged, 0, 0);
}

// A recording past the score's end adds measures at the refills: a page view gets
// pages for them at once (a score that did not grow is left alone). The pages are appended after the last one, so the
// pages and systems the user has keep their layout, and the view stays on its
// page; the pager shows the new pages. The status line goes on saying what the run
// does (a new page writes the page count there).
void ExtendPagesForRecording(ScoreView* view) {
    if (!WindowState().recording || view == nullptr || view->pageView == 0) return;
    ScoreDocument* document = view->document;
    if (document->header.measureCount <= WindowState().measuresAtStart) return;
    const ScorePage* last = pages::LastPage(document);
    if (last == nullptr || last->lastMeasure >= document->header.measureCount) return;
    ExtendPagesToMeasureCount(view);
    UpdatePagersToolbar(view);
    WindowState().shownText = nullptr;
    UpdateStepEntry();
}

void StartFromWindow() {
    ScoreView* view = PlayingView();
    SequencerWindowState& state = WindowState();
    const bool recording = state.recordRequested;
    state.recordRequested = false;
    if (view == nullptr || IsPlaybackRunning()) return;
    BeginFollowing(view);
    state.startedView = view;
    state.savedVoiceMask = view->voiceMask;
    state.recording = recording;
    state.measuresAtStart = view->document->header.measureCount;
    const PlaybackRequest request = RequestFor(view, recording);
    state.inputsTaken = recording || request.sync.mode == SyncMode::Slave;
    if (state.inputsTaken) CloseStepEntryPort();  // the run's inputs have the devices
    const PlaybackStart started = StartPlayback(request);
    if (started != PlaybackStart::Started) {
        RunEnded(false, true);
        ReportRefusal(started);
    } else {
        // What the run goes without (a sync input that would not open).
        for (const std::string& notice : PlaybackNotices()) ShowNotice(notice.c_str());
        state.waitingForMaster = recording && request.sync.mode == SyncMode::Slave;
        ShowElapsedTime();  // 0:00: the time of a run before is gone
        state.clockView = view;
        RunClock(view, true);
        UpdateTempoReadout(view);
        // The transport buttons show the run.
        UpdateToolbarButtons(view);
    }
    UpdateStepEntry();
}

// Stop: asked for by the user (the transport, the window's command), or only the
// end of whatever run is on (a score window closing).
void StopFromWindow(bool asked = true) {
    if (IsPlaybackStopping()) return;  // the Stop under way ends the run and the window's part of it
    const bool rewind = IsPlaybackRunning() && !IsPlaybackPaused();
    WindowState().recordRequested = false;
    const std::vector<std::string> notices = StopPlayback();  // devices that went away
    RunEnded(rewind, asked);
    UpdateStepEntry();
    for (const std::string& notice : notices) ShowNotice(notice.c_str());
}

intptr_t OnCommand(uint32_t id) {
    if (IsPlaybackPaused() && id != cmd::kSequencerPause) id = cmd::kSequencerStop;
    switch (id) {
        case cmd::kSequencerStart: StartFromWindow(); return 0;
        case cmd::kSequencerStop: StopFromWindow(); return 0;
        case cmd::kSequencerPause:
            if (!IsPlaybackPaused()) {
                PausePlayback();
            } else if (!ContinuePlayback()) {
                const std::vector<std::string> notices = PlaybackNotices();
                StopFromWindow();
                for (const std::string& notice : notices) ShowNotice(notice.c_str());
                return 0;
            }
            RunClock(WindowState().clockView, IsPlaybackRunning() && !IsPlaybackPaused());
            UpdateToolbarButtons(WindowState().clockView);  // Pause shows the hold
            return 0;
        default: return 0;
    }
}

}  // namespace

namespace {

// Export: the active score as a Standard MIDI File.
void ExportActiveScore() {
    ScoreView* view = GetActiveScoreView();
    if (view == nullptr) return;
    EndFocus(view, 0);
    ExportStandardMidiFile(view);
    FocusActiveView();
}

}  // namespace

intptr_t SequencerWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    // The transport and the engine's messages work on the playing score's document.
    const ScopedDocumentContext context(PlayingView());
    switch (message) {
        case win::Message::Command: return OnCommand(win::CommandId(word));
        case win::Message::Close:
        case win::Message::Destroy:
            if (IsPlaybackRunning()) StopFromWindow();
            break;
        default:
            if (message == win::PrivateMessage(kExportMidiMessageOffset)) {
                ExportActiveScore();
                return 0;
            }
            if (message == kMsgMidiNotices) {
                ShowMidiNotices();
                return 0;
            }
            if (message == kMsgStepInput) {
                DeliverStepEntryPort(State().documents.ActiveView);
                return 0;
            }
            if (message == kMsgTempoChanged) {
                UpdateTempoReadout(PlayingView());
                return 0;
            }
            // Outside a run the transcribe message writes the kept recording again;
            // during one it hands the next recorded events over, as a refill does.
            if (win::ToRaw(message) == kMsgTranscribeRecorded && !IsPlaybackRunning()) {
                TranscribeKeptRecording(PlayingView(), Options().KeepMIDI != 0);
                return 0;
            }
            if (win::ToRaw(message) == kMsgSyncMasterStarted) {
                WindowState().waitingForMaster = false;
                UpdateStepEntry();
                return 0;
            }
            if (win::ToRaw(message) == kMsgDownbeat) {
                if (IsPlaybackRunning()) FollowDownbeat(PlayingView(), static_cast<int>(word));
                return 0;
            }
            if (win::ToRaw(message) == kMsgSequencerRefill && Options().FollowMusic == 0 &&
                Options().ShowPlaybackLoc == 0)
                ShowLastPlayedMeasure(PlayingView());
            if (HandleSequencerMessage(win::ToRaw(message), word, data)) {
                if (IsPlaybackStopping()) return 0;  // the Stop under way ends the run
                if (win::ToRaw(message) == kMsgRingEnded) return 0;  // the last run's ring, long ended
                if (!IsPlaybackRunning()) RunEnded(true, true);
                else if (!WindowState().recording) UpdateTempoReadout(PlayingView());
                else ExtendPagesForRecording(PlayingView());
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
    WatchMidiNotices(WindowState().window);  // the layer's notices are shown from here
    // The mixers' velocity offsets start at 0: the master's, every staff's in the
    // engine and those of the score in front.
    SequencerState& engine = TheSequencerState();
    SetMasterVelocityOffset(engine, 0);
    for (int slot = 0; slot < kSlotEntries; ++slot) SetSlotVelocityOffset(engine, slot, 0);
    if (ScoreView* view = State().documents.ActiveView; view != nullptr && view->document != nullptr)
        for (StaffMix& mix : view->document->staffMix) mix.velocityOffset = 0;
    UpdateStepEntry();
    return WindowState().window;
}

void RefreshStepEntry() { UpdateStepEntry(); }

platform::WindowHandle program::SequencerWindow() { return WindowState().window; }

uint32_t PlayingTempoBpm() { return WindowState().tempoBpm; }

void ShowElapsedTime() {
    const uint32_t seconds = (PlaybackElapsedMs() + kMsPerSecond / 2) / kMsPerSecond;
    ViewInput& in = ViewInputState();
    in.elapsedSeconds = static_cast<uint8_t>(seconds % kSecondsPerMinute);
    in.elapsedMinutes = static_cast<uint8_t>(std::min<uint32_t>(seconds / kSecondsPerMinute, kMostMinutes));
    char text[64];
    std::snprintf(text, sizeof text, ProgramString(kStrElapsedTime).c_str(), in.elapsedMinutes, in.elapsedSeconds);
    SetStatusText(2, text);
}

void StopSequencerNow() { StopFromWindow(false); }

void StartRecordingCommand(ScoreView* view) {
    StopSequencerClock();
    SetStatusText(0, nullptr);
    if (Transport().punchInArmed == 0 || view == nullptr || view->document == nullptr) return;
    Transport().recording = 1;
    SetDocumentModified(view->document);
    WindowState().requestingView = view;
    WindowState().recordRequested = true;
    win::PostMessage(WindowState().window, win::Message::Command, win::MakeCommandWord(cmd::kSequencerStart, 0), 0);
}

void DestroySequencerWindow() {
    if (IsPlaybackRunning()) StopFromWindow();
    StopPlayback();  // the last run's ring, cut short
    WatchMidiNotices({});
    CloseMidiOutputPorts();
    if (WindowState().window) win::DestroyWindow(WindowState().window);
    WindowState() = SequencerWindowState{};
    CloseStepEntryPort();  // last: the window's own stop would open it again
}

void PlayCommand(ScoreView* view) {
    if (view != nullptr && view->self == view && view->document != nullptr && view->currentStaff < 1)
        SetCurrentMeasure(view, 1, std::max(view->currentMeasure, 1));  // staff 1 plays when none is current
    WindowState().requestingView = view;
    WindowState().recordRequested = false;
    win::PostMessage(WindowState().window, win::Message::Command, win::MakeCommandWord(cmd::kSequencerStart, 0), 0);
}

void NewTranscriptionCommand(ScoreView* view) {
    if (IsPlaybackRunning()) return;  // the run's view stays the one it plays
    WindowState().requestingView = view;
    win::PostMessage(WindowState().window, static_cast<win::Message>(kMsgTranscribeRecorded), 0, 0);
}

void StopSequencerCommand() {
    WindowState().requestingView = nullptr;
    win::PostMessage(WindowState().window, win::Message::Command, win::MakeCommandWord(cmd::kSequencerStop, 0), 0);
}

void PauseSequencerCommand() {
    win::PostMessage(WindowState().window, win::Message::Command, win::MakeCommandWord(cmd::kSequencerPause, 0), 0);
}

}  // namespace ql
