// A playback run from start to stop on the user-interface thread: the logical
// ports A-H opened onto their devices, the two first blocks built, the engine
// started, paused, continued and stopped, and the refills in between.
//
// Ports: a port's device is found by its saved name in the current device list
// (ALSA numbers change between sessions), by its entry only when no name is
// saved; a port whose device is missing plays on port A's device for this run
// only, the saved choice is left alone, and the user is told once. A port set to none sends nothing. A device that fails to
// open refuses the run with one notice, and nothing stays open. A device list
// without any output refuses the run silently.
//
// Stop, in order: stopByte and running cleared; the timer cancelled (it returns
// only after its last callback); the record input stopped and closed (it returns
// only after its last callback); then, with one thread left, the notes still
// sounding ended (a run stopped in its last measure lets them ring for 500 ms,
// its devices kept open meanwhile, while the user interface goes on), every recorded event not yet handed over given to the
// transcription, the recorded events freed (unless kept), the late queue, both
// halves and the pending chains freed, the ports closed and the flags cleared.
// Recording hands the recorded events over at each refill and at Stop, each
// exactly once and in order. Playback never changes the score.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/midi/midi.h"
#include "platform/win/messages.h"
#include "sequencer/performance_builder.h"
#include "sequencer/record_routing.h"

namespace ql {

struct ScoreView;

// The devices of the logical ports: for each port the saved name (may be empty)
// and the saved entry of the port map (logical_ports.h).
struct PortChoices {
    std::array<std::string, kLogicalPortCount> names{};
    std::array<int, kLogicalPortCount> entries{};
};

// The choices of the settings: "MidiPortNames" (up to eight names separated by
// '|'; missing ones are empty) and "MidiPortMap".
PortChoices SavedPortChoices();
// The names as "MidiPortNames" stores them.
std::string JoinPortNames(const std::array<std::string, kLogicalPortCount>& names);

// The device every machine has: the built-in synthesizer, else the first output;
// empty when there is no output.
std::string DefaultOutputName(const std::vector<midi::DeviceInfo>& devices);

// The device name each port plays on, as the port dialog shows it and the run
// plays it; empty for a port set to none, or when there is no output. A saved name
// is the choice; without one, the entry: the default device, the n-th output, or
// none. A port whose saved device is missing (a name the list does not have, or
// without a name an entry past the list) plays on port A's device, for the time
// being; the choice is kept. `missing`, when given, gets each missing device once
// (its name, or "device n" for an entry).
std::array<std::string, kLogicalPortCount> ResolvePortDevices(const std::vector<midi::DeviceInfo>& devices,
                                                              const PortChoices& choices,
                                                              std::vector<std::string>* missing = nullptr);

// The metronome's own device, one choice for the port dialog, Audition and the
// run: "MetronomePortName" when the list holds it; without a saved name, the
// output at the entry "MetronomePort"; empty for none, and for a saved device that
// is missing (the clicks then play on the metronome's port).
std::string SavedMetronomeDevice(const std::vector<midi::DeviceInfo>& devices);

// An input (the record input, the sync input): the device of the saved name when
// the list holds it, else the input at the saved index (0-based among the inputs),
// else the first input; empty when there is no input.
std::string ResolveRecordInput(const std::vector<midi::DeviceInfo>& devices, const std::string& name, int index);

// MIDI sync of a run: none, master (the run sends Start, 24 clocks a quarter note
// and Stop to its sync ports) or slave (the run waits for an external Start and
// plays one clock step of ticks for each clock received; no timer runs).
enum class SyncMode : uint8_t { None = 0, Master = 1, Slave = 2 };

enum class PlaybackStart {
    Started = 0,
    AlreadyRunning,
    NoOutput,      // no output device at all: refused silently
    DeviceFailed,  // a device would not open: refused with a notice
    NothingToPlay, // no document or an empty range
    InputFailed,   // the record input would not open: "Can't open midi"
    TimerFailed,   // no timer could be had: "Can't start timer"
};

struct PlaybackRequest {
    ScoreView* view = nullptr;
    PerformanceOptions options;
    PortChoices ports;
    int32_t blockLength = kMinBlockLength;
    uint32_t rate = 0;                  // ticks per minute; 0: the score's tempo
    win::WindowHandle sequencerWindow;  // gets the engine's messages
    // The engine posts each downbeat's measure to the window ("FollowMusic" or
    // "ShowPlaybackLoc"); never while recording.
    bool followMeasure = false;
    // Program changes before the run: each staff's voice patches ("SendPatches"),
    // and the metronome's patch on its port.
    bool sendPatches = false;
    struct Metronome {
        // The metronome's own device (opened for the run when the metronome is on
        // and no port plays on it); empty: the device of `port`.
        std::string device;
        int port = 0;      // logical port
        int channel = 9;   // 0..15
        int barKey = 75;
        int beatKey = 72;
        int velocity = 110;
        int patch = 115;
    } metronome;
    // Recording: the input device by name, the staves recorded for (the record
    // staff's first voice's port and channel take echo and thru), and whether the
    // recorded events are kept after they are handed to the transcription
    // ("KeepMIDI").
    bool recording = false;
    std::string recordInput;
    RecordRouting routing;
    bool keepMidi = false;
    bool echo = false;
    // Logical ports (bit n = port n) that the input is sent thru to while
    // recording ("ThruPorts"; the record port is left out).
    uint8_t thruPorts = 0;
    // MIDI sync: the mode, the logical ports (bit n = port n) that get clock, Start
    // and Stop as master ("SyncPorts"), and the input followed as slave while only
    // playing ("SyncInPort"; a recording follows its record input). A sync input
    // that will not open leaves a notice, and the run plays on its own clock.
    struct Sync {
        SyncMode mode = SyncMode::None;
        uint8_t ports = 0;
        std::string input;
    } sync;
};

PlaybackStart StartPlayback(const PlaybackRequest& request);
// Pause: the timer cancelled, every sounding note ended; Continue arms it again.
// A run that follows a sync master cannot pause: the master's clock drives it.
void PausePlayback();
// False when no timer could be had: the run stays paused (with the notice "Can't
// start timer") for the caller to stop.
bool ContinuePlayback();
// Stops a run (nothing while a Stop is under way: the transcription at the end of
// a recording lets messages through). With no run, it cuts short the last run's
// ring (its notes silenced, its devices closed). Returns the notices of devices
// that went away.
std::vector<std::string> StopPlayback();
bool IsPlaybackRunning();
// A Stop is under way (the run still counts as running until it has ended).
bool IsPlaybackStopping();
// Whether a run could find an output device: the menus allow Play by this rule.
bool HasPlaybackOutput();
// Whether a recording could find an input device.
bool HasRecordInput();
bool IsPlaybackPaused();
// How long the current run has played, in milliseconds of the run's clock, its
// pauses left out; once it has ended, how long it played (0 before any run).
uint32_t PlaybackElapsedMs();

// The Sequencer window's handling of the engine's messages: a refill builds the
// next block; an end of data or a stop from the engine stops the run; the end of
// the last measure's ring silences and closes the last run's devices. True when
// the message was the engine's.
bool HandleSequencerMessage(uint32_t message, uint32_t word, intptr_t data);

// The notices of the last start: why it was refused (a device that would not
// open), or what it ran without (a sync input that would not open).
const std::vector<std::string>& PlaybackNotices();

// The device a logical port plays on in the current run, or null.
midi::OutputDevice* PlaybackDeviceOfPort(int port);

// The record input of the current run, or null.
midi::InputDevice* PlaybackRecordInput();
// The input of the sync master the current run follows while only playing, or null.
midi::InputDevice* PlaybackSyncInput();

// The run being played (for the tests and the sequencer window's readout).
const PerformanceRun& CurrentPerformanceRun();

}  // namespace ql
