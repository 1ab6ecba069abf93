// ALSA sequencer clients and ports. One client for output, shared by every output
// device (its writes are serialised by the client's mutex; events are sent
// directly, not queued, so mute, solo and tempo act at once); each input device
// has a client of its own, read by that device's reader thread only. Ports are
// named "client:port", the names the settings store, since ALSA's numbers change
// between runs.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/midi/midi.h"

namespace ql::midi {

// The program's name as a sequencer client.
inline constexpr std::string_view kSequencerClientName = "quaverline";

class AlsaSequencer {
public:
    // Null when the sequencer cannot be had (no /dev/snd/seq, client refused);
    // `reason` then says why, in a few words.
    static std::shared_ptr<AlsaSequencer> Open(std::string& reason);
    ~AlsaSequencer();
    AlsaSequencer(const AlsaSequencer&) = delete;
    AlsaSequencer& operator=(const AlsaSequencer&) = delete;

    // The ports of other clients that can be written to or read from.
    std::vector<DeviceInfo> Ports();
    std::unique_ptr<OutputDevice> OpenOutput(std::string_view name);
    std::unique_ptr<InputDevice> OpenInput(std::string_view name, const Clock& clock);
    // A port of the program's own that other clients subscribe to; what is sent
    // to it goes to every subscriber.
    std::unique_ptr<OutputDevice> OpenVirtualOutput(std::string_view portName);

    struct Parts;

private:
    AlsaSequencer();
    std::shared_ptr<Parts> parts_;
};

}  // namespace ql::midi
