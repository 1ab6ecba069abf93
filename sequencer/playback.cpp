// The playback run: ports, start, pause, continue, stop, and the refills.
#include "sequencer/playback.h"

#include <algorithm>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "platform/win/message_loop.h"
#include "sequencer/engine_internal.h"
#include "sequencer/kept_recording.h"
#include "sequencer/mixer_window.h"
#include "sequencer/performance_setup.h"
#include "sequencer/playback_internal.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/transcription.h"

namespace ql {
namespace {

using playback_detail::OpenPorts;
using playback_detail::OpenSyncInput;
using playback_detail::SendProgramChanges;
using playback_detail::SendSyncStart;
using playback_detail::SendSyncStop;
using playback_detail::SetMetronome;
using playback_detail::SetSyncConstants;

constexpr uint32_t kFirstCallDelayMs = 1;
constexpr int kQuarterUnit = 1;
constexpr char kCantOpenMidi[] = "Can't open midi";
constexpr char kCantStartTimer[] = "Can't start timer";
constexpr uint8_t kChannelMask = 0x0F;
// A run that ends in its last measure lets the last notes ring this long before
// its devices are silenced and closed (the user interface goes on meanwhile).
constexpr uint32_t kLastMeasureRingMs = 500;
// The most recorded events handed to the transcription at a refill or at one
// transcribe message.
constexpr size_t kHandOverStep = 16;

struct PlaybackSession {
    PerformanceRun run;
    std::vector<std::unique_ptr<midi::OutputDevice>> devices;  // owned; the ports borrow them
    std::unique_ptr<midi::OneShotTimer> timer;
    std::vector<std::string> notices;
    bool running = false;
    bool paused = false;
    // Stop is under way: the transcription's progress dialog lets messages through,
    // and neither a second Stop nor the run's own messages may enter it.
    bool stopping = false;
    uint32_t waitLeftMs = 0;  // of the engine's wait when paused
    // The run's own time: the clock at its start, when it was paused, and how long
    // its pauses lasted.
    uint32_t startMs = 0;
    uint32_t pausedAtMs = 0;
    uint32_t pausedForMs = 0;
    uint32_t endedAfterMs = 0;  // the whole time of the last run, once it has ended
    // Recording.
    std::unique_ptr<midi::InputDevice> input;
    RecordedChainReader reader;
    ScoreView* view = nullptr;
    RecordRouting routing;
    int firstMeasure = 1;
    bool recording = false;
    // The input of an external sync master followed while only playing.
    std::unique_ptr<midi::InputDevice> syncInput;
    // The missing port devices the user has been told of.
    std::vector<std::string> toldMissing;
};

PlaybackSession& Session() {
    static PlaybackSession session;
    return session;
}

std::vector<midi::DeviceInfo> OutputDevices() {
    std::vector<midi::DeviceInfo> outputs;
    for (const midi::DeviceInfo& info : midi::CurrentBackend().Devices())
        if (info.output) outputs.push_back(info);
    return outputs;
}

void FillFirstBlocks(PlaybackSession& session, SequencerState& state) {
    const int32_t length = state.run.blockLength;
    BuildBlock(session.run, BlockTarget{&state.table.halfA, nullptr}, 0);
    BuildBlock(session.run, BlockTarget{&state.table.halfB, nullptr}, length);
    PublishFill(state);
}

void SetRunConstants(SequencerState& state, const PlaybackRequest& request) {
    RunConstants& run = state.run;
    const std::vector<PlayedMeasure>& walk = Session().run.walk;
    run.blockLength = RunBlockLength(request.blockLength, walk.empty() ? 0 : walk.front().length);
    run.slotCount = static_cast<uint8_t>(std::clamp<int>(Session().run.staffCount, 1, kMaxStaves));
    run.metronomeOn = request.options.metronome ? 1 : 0;
    run.followMeasure = request.followMeasure ? 1 : 0;
    run.thruPortMask = request.recording ? request.thruPorts : 0;
    SetMetronome(run, request.metronome, Session().devices);
    SetSyncConstants(run, request);
    run.sequencerWindow = request.sequencerWindow;
    run.clock = &midi::CurrentBackend().TheClock();
    // The score's mute and solo flags are the run's.
    const ScoreDocument* document = request.view->document;
    for (int slot = 1; slot < kSlotEntries; ++slot) {
        const bool mixed = slot < kMixerStaves && slot <= run.slotCount;
        state.live.mute[slot].store(mixed ? document->staffMix[slot].mute : 0, std::memory_order_relaxed);
        state.live.solo[slot].store(mixed ? document->staffMix[slot].solo : 0, std::memory_order_relaxed);
    }
    const uint32_t bpm = ScoreTempoBpm(document);
    state.rate.store(request.rate != 0 ? request.rate : RateFromTempo(bpm, kQuarterUnit), std::memory_order_relaxed);
}

// Everything a run holds back to rest, with no engine thread left.
void ReleaseRun(PlaybackSession& session, SequencerState& state) {
    LateGroup group;
    while (state.late.Pop(group)) {
        for (PerformanceEvent* event = group.chain.get(); event != nullptr;) {
            PerformanceEvent* next = event->next.get();
            FreeStaticRecord(kPerformanceStaticPool, event);
            event = next;
        }
    }
    FreeHalf(state.table.halfA);
    FreeHalf(state.table.halfB);
    EndPerformance(session.run);
    state.run.portHandle = {};
    state.run.metronomeHandle = nullptr;
    state.run.timer = nullptr;
    session.timer.reset();
    session.devices.clear();
    session.input.reset();
    session.syncInput.reset();
    session.reader.Reset();
    session.recording = false;
    session.view = nullptr;
    PlaybackFlags().SequencerRecording.store(0, std::memory_order_release);
    session.running = false;
    session.paused = false;
    PlaybackFlags().PlaybackActive.store(0, std::memory_order_release);
    PlaybackFlags().SequencerPaused.store(0, std::memory_order_release);
}

// Hands the recorded events not yet handed over to the transcription: every one
// when draining (at Stop); otherwise a step of them, and when the step was full
// the window is asked (its transcribe message) to go on with the rest, so that a
// burst of playing is written a little at a time between the window's other work.
void HandOverRecorded(PlaybackSession& session, SequencerState& state, bool drain) {
    const size_t limit = drain ? SIZE_MAX : kHandOverStep;
    const size_t handed = session.reader.ReadNew(
        state, [&](const PerformanceEvent& event) { HandRecordedEvent(session.view, session.routing, event); }, limit);
    if (handed == limit && state.run.sequencerWindow)
        win::PostMessage(state.run.sequencerWindow, static_cast<win::Message>(kMsgTranscribeRecorded), 0, 0);
}

// Opens the record input and sets the record constants; false (with a notice)
// when the input will not open.
bool PrepareRecording(PlaybackSession& session, SequencerState& state, const PlaybackRequest& request) {
    session.recording = request.recording;
    session.view = request.view;
    session.firstMeasure = request.options.firstMeasure;
    session.reader.Reset();
    if (!request.recording) return true;
    session.input = midi::CurrentBackend().OpenInput(request.recordInput);
    if (session.input == nullptr) {
        session.notices.push_back(kCantOpenMidi);
        return false;
    }
    RunConstants& run = state.run;
    const int staffCount = request.view->document->header.staffCount;
    session.routing = NormalizeRouting(request.routing, staffCount);
    const int recordStaff = session.routing.recordStaff;
    const StaffRecord* staff = StaffRecordOf(request.view->document, recordStaff);
    int port = staff != nullptr ? static_cast<int8_t>(staff->timbres[0].port) : 0;
    run.recordPort = static_cast<uint8_t>(port >= 0 && port < kLogicalPortCount ? port : 0);
    run.recordChannel = static_cast<uint8_t>(staff != nullptr ? staff->timbres[0].channel & kChannelMask : 0);
    run.recordSlot = static_cast<uint8_t>(std::min(recordStaff, static_cast<int>(kMaxStaves)));
    run.keepMidi = request.keepMidi ? 1 : 0;
    run.echoByte = request.echo ? 1 : 0;
    return true;
}

void StartInput(PlaybackSession& session, SequencerState& state) {
    if (session.syncInput != nullptr) {
        state.run.recordStartTime = state.run.clock->NowMs();
        session.syncInput->Start(SyncInputHandler(state), state.run.recordStartTime);
    }
    if (session.input == nullptr) return;
    state.run.recordStartTime = state.run.clock->NowMs();
    session.input->Start(RecordInputHandler(state), state.run.recordStartTime);
    PlaybackFlags().SequencerRecording.store(1, std::memory_order_release);
}

// Returns once no input callback runs or will run.
void StopInputs(PlaybackSession& session) {
    for (midi::InputDevice* input : {session.input.get(), session.syncInput.get()}) {
        if (input == nullptr) continue;
        input->Stop();
        input->Close();
    }
}

// Whether the run played into its last measure (its end of data among them);
// the engine threads have stopped.
bool ReachedLastMeasure(const PlaybackSession& session, const SequencerState& state) {
    if (session.run.walk.empty()) return false;
    if (state.engine.playHalf == nullptr) return true;  // the end of the data was played
    const int64_t tick = static_cast<int64_t>(state.baseTick.load(std::memory_order_relaxed)) + state.engine.currentIndex;
    return tick >= session.run.walk.back().start;
}

}  // namespace

PlaybackStart StartPlayback(const PlaybackRequest& request) {
    PlaybackSession& session = Session();
    session.notices.clear();
    if (session.running) return PlaybackStart::AlreadyRunning;
    playback_detail::EndRing();  // the last run's notes stop ringing before this one opens its devices
    ScoreDocument* document = request.view != nullptr ? request.view->document : nullptr;
    if (document == nullptr) return PlaybackStart::NothingToPlay;
    const std::vector<midi::DeviceInfo> outputs = OutputDevices();
    if (outputs.empty()) return PlaybackStart::NoOutput;  // the rule of HasPlaybackOutput
    SequencerState& state = TheSequencerState();
    std::vector<std::string> missing;
    const std::array<std::string, kLogicalPortCount> names = ResolvePortDevices(outputs, request.ports, &missing);
    if (!OpenPorts(names, session.devices, session.notices, state.run)) return PlaybackStart::DeviceFailed;
    playback_detail::TellMissingDevices(missing, names[0], session.toldMissing, session.notices);
    if (request.options.metronome && !request.metronome.device.empty() &&
        playback_detail::OpenShared(request.metronome.device, session.devices, session.notices) == nullptr) {
        session.devices.clear();
        state.run.portHandle = {};
        return PlaybackStart::DeviceFailed;
    }
    BeginPerformance(session.run, document, request.options, request.blockLength);
    state.run.longMessages.count.store(0, std::memory_order_relaxed);
    session.run.longMessages = &state.run.longMessages;  // the engine reads what the builder adds
    if (session.run.walk.empty()) {
        session.devices.clear();
        state.run.portHandle = {};
        return PlaybackStart::NothingToPlay;
    }
    SetRunConstants(state, request);
    session.run.blockLength = state.run.blockLength;
    FreeRecordedChain(state);  // what a run before kept
    if (!PrepareRecording(session, state, request)) {
        ReleaseRun(session, state);
        return PlaybackStart::InputFailed;
    }
    session.syncInput = OpenSyncInput(request, state.run, session.notices);
    // A slave runs without a timer: the master's clocks drive the engine.
    if (!state.run.slaveByte) {
        session.timer = midi::CurrentBackend().CreateTimer(SequencerTimerCallback, &state);
        if (session.timer == nullptr) {
            session.notices.push_back(kCantStartTimer);
            ReleaseRun(session, state);
            return PlaybackStart::TimerFailed;
        }
    }
    if (request.recording) {
        BeginRecordedTranscription(request.view, session.routing, session.firstMeasure);
    }
    state.run.timer = session.timer.get();
    SendProgramChanges(state.run, request);
    state.lastDownbeatMeasure.store(0, std::memory_order_relaxed);
    BeginRun(state);
    FillFirstBlocks(session, state);
    StartInput(session, state);
    SendSyncStart(state);
    session.running = true;
    session.startMs = state.run.clock->NowMs();
    session.pausedForMs = 0;
    session.endedAfterMs = 0;
    PlaybackFlags().PlaybackActive.store(1, std::memory_order_release);
    PlaybackFlags().SequencerRunning.store(1, std::memory_order_release);
    if (session.timer != nullptr) session.timer->Arm(kFirstCallDelayMs);
    RefreshAllOf(request.view);
    return PlaybackStart::Started;
}

void PausePlayback() {
    PlaybackSession& session = Session();
    SequencerState& state = TheSequencerState();
    if (!session.running || session.paused || state.run.slaveByte) return;
    if (session.timer != nullptr) session.timer->Cancel();
    // The engine has already moved past the empty slots up to its next call: what
    // was left of that wait is waited again on Continue, so the run resumes at the
    // tick it paused on.
    const uint32_t now = state.run.clock->NowMs();
    session.pausedAtMs = now;
    const int32_t left = static_cast<int32_t>(state.engine.plannedTime - now);
    session.waitLeftMs = static_cast<uint32_t>(std::max(left, static_cast<int32_t>(kFirstCallDelayMs)));
    for (int slot = 1; slot < kSlotEntries; ++slot) engine_detail::SilenceSlot(state, slot);
    playback_detail::SilenceAllNotes(state, session.run.document);
    session.paused = true;
    PlaybackFlags().SequencerPaused.store(1, std::memory_order_release);
}

bool ContinuePlayback() {
    PlaybackSession& session = Session();
    if (!session.running || !session.paused) return true;
    session.paused = false;
    PlaybackFlags().SequencerPaused.store(0, std::memory_order_release);
    SequencerState& state = TheSequencerState();
    const uint32_t now = state.run.clock->NowMs();
    session.pausedForMs += now - session.pausedAtMs;
    session.pausedAtMs = now;  // should the run stay paused
    // A cancelled timer stays cancelled: the run goes on with a new one, planned
    // from now so that the music resumes in time instead of catching up.
    session.timer = midi::CurrentBackend().CreateTimer(SequencerTimerCallback, &state);
    state.run.timer = session.timer.get();
    state.engine.plannedTime = now + session.waitLeftMs;
    if (session.timer != nullptr && session.timer->Arm(session.waitLeftMs)) return true;
    // No timer to go on with: the run stays paused, for the caller to stop.
    session.paused = true;
    PlaybackFlags().SequencerPaused.store(1, std::memory_order_release);
    session.notices = {kCantStartTimer};
    return false;
}

std::vector<std::string> StopPlayback() {
    PlaybackSession& session = Session();
    if (session.stopping) return {};
    if (!session.running) {
        playback_detail::EndRing();  // the last run's ring, cut short
        return {};
    }
    session.stopping = true;
    SequencerState& state = TheSequencerState();
    session.endedAfterMs = PlaybackElapsedMs();
    state.stopByte.store(1, std::memory_order_release);
    PlaybackFlags().SequencerRunning.store(0, std::memory_order_release);
    if (session.timer != nullptr) session.timer->Cancel();
    StopInputs(session);
    const bool ring = ReachedLastMeasure(session, state);
    std::vector<std::string> notices = EndRun(state);
    SendSyncStop(state);
    playback_detail::SilencePlan silence = playback_detail::PlanSilence(state, session.run.document);
    if (!ring || !playback_detail::BeginRing(session.devices, silence, state.run.sequencerWindow, kLastMeasureRingMs))
        playback_detail::SendSilence(silence);
    if (session.recording) {
        HandOverRecorded(session, state, true);
        if (state.run.keepMidi)
            RememberKeptRecording(session.routing, session.firstMeasure);
        else
            FreeRecordedChain(state);
        FinishRecordedTranscription(session.view);
    }
    ScoreView* view = session.view;
    ReleaseRun(session, state);
    session.stopping = false;
    RefreshAllOf(view);
    return notices;
}

bool HasPlaybackOutput() { return !OutputDevices().empty(); }

bool HasRecordInput() {
    return !ResolveRecordInput(midi::CurrentBackend().Devices(), std::string{}, 0).empty();
}

uint32_t PlaybackElapsedMs() {
    const PlaybackSession& session = Session();
    if (!session.running) return session.endedAfterMs;
    const uint32_t now = session.paused ? session.pausedAtMs : TheSequencerState().run.clock->NowMs();
    return now - session.startMs - session.pausedForMs;
}

bool IsPlaybackRunning() { return Session().running; }
bool IsPlaybackStopping() { return Session().stopping; }
bool IsPlaybackPaused() { return Session().paused; }

// The refill: the engine has moved baseTick on to the half it now plays, so the
// fill half starts one block later.
void sequencing::BuildPerformanceBlock(ScoreView* /*view*/) {
    PlaybackSession& session = Session();
    SequencerState& state = TheSequencerState();
    if (!session.running || !TakeRefill(state)) return;
    TickSlotHalf& half = FillHalf(state);
    FreeHalf(half);
    const int32_t base = static_cast<int32_t>(state.baseTick.load(std::memory_order_relaxed)) + state.run.blockLength;
    BuildBlock(session.run, BlockTarget{&half, &state}, base);
    PublishFill(state);
    if (session.recording) HandOverRecorded(session, state, false);
}

bool HandleSequencerMessage(uint32_t message, uint32_t /*word*/, intptr_t /*data*/) {
    if (message == kMsgRingEnded) {
        playback_detail::EndRing();
        return true;
    }
    // While Stop is under way the run's messages ask for nothing it does not do:
    // it ends the run and hands every recorded event over itself.
    if (Session().stopping)
        return message == kMsgSequencerRefill || message == kMsgSequencerStop || message == kMsgTranscribeRecorded;
    if (message == kMsgSequencerRefill) {
        BuildPerformanceBlock(nullptr);
        return true;
    }
    if (message == kMsgSequencerStop) {
        StopPlayback();
        return true;
    }
    // During a run the transcribe message hands the next recorded events over;
    // outside one it is the window's (the kept recording written again).
    if (message == kMsgTranscribeRecorded && Session().running) {
        if (Session().recording) HandOverRecorded(Session(), TheSequencerState(), false);
        return true;
    }
    return false;
}

const std::vector<std::string>& PlaybackNotices() { return Session().notices; }

midi::OutputDevice* PlaybackDeviceOfPort(int port) {
    if (!Session().running || port < 0 || port >= kLogicalPortCount) return nullptr;
    return TheSequencerState().run.portHandle[port];
}

midi::InputDevice* PlaybackRecordInput() { return Session().running ? Session().input.get() : nullptr; }
midi::InputDevice* PlaybackSyncInput() { return Session().running ? Session().syncInput.get() : nullptr; }

const PerformanceRun& CurrentPerformanceRun() { return Session().run; }

}  // namespace ql
