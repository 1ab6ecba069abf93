// ALSA sequencer clients, ports, output encoding and the input reader (see
// alsa_sequencer.h). Short messages are encoded by hand into fixed events, so a
// write allocates nothing; a received event is decoded back into bytes and goes
// through the input parser like the bytes of any other device.
#include "platform/midi/alsa_sequencer.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <thread>

namespace ql::midi {
namespace {

constexpr uint8_t kChannelMask = 0x0F;
constexpr int kPitchBendCentre = 8192;
constexpr int kDataBits = 7;
constexpr int kMaxPollDescriptors = 8;
constexpr size_t kDecodeBufferBytes = 4096;
constexpr unsigned kWritableCaps = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
constexpr unsigned kReadableCaps = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
constexpr unsigned kAppPortType = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION;

struct PortAddress {
    int client = -1;
    int port = -1;
};

struct NamedPort {
    std::string name;
    PortAddress address;
    unsigned caps = 0;
};

std::vector<NamedPort> ListPorts(snd_seq_t* seq) {
    std::vector<NamedPort> ports;
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        int id = snd_seq_client_info_get_client(client);
        if (id == SND_SEQ_CLIENT_SYSTEM) continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            unsigned caps = snd_seq_port_info_get_capability(port);
            if (caps & SND_SEQ_PORT_CAP_NO_EXPORT) continue;
            std::string name = std::string(snd_seq_client_info_get_name(client)) + ":" +
                               snd_seq_port_info_get_name(port);
            ports.push_back(NamedPort{std::move(name), {id, snd_seq_port_info_get_port(port)}, caps});
        }
    }
    return ports;
}

bool FindPort(snd_seq_t* seq, std::string_view name, unsigned caps, PortAddress& out) {
    for (const NamedPort& port : ListPorts(seq)) {
        if (port.name == name && (port.caps & caps) == caps) {
            out = port.address;
            return true;
        }
    }
    return false;
}

// A short message into a fixed event; false for a status the sequencer has no
// event for.
bool EncodeShort(std::span<const uint8_t> bytes, snd_seq_event_t& ev) {
    uint8_t status = bytes[0];
    int channel = status & kChannelMask;
    int d1 = bytes.size() > 1 ? bytes[1] : 0;
    int d2 = bytes.size() > 2 ? bytes[2] : 0;
    switch (status & 0xF0) {
        case 0x80: snd_seq_ev_set_noteoff(&ev, channel, d1, d2); return true;
        case 0x90: snd_seq_ev_set_noteon(&ev, channel, d1, d2); return true;
        case 0xA0: snd_seq_ev_set_keypress(&ev, channel, d1, d2); return true;
        case 0xB0: snd_seq_ev_set_controller(&ev, channel, d1, d2); return true;
        case 0xC0: snd_seq_ev_set_pgmchange(&ev, channel, d1); return true;
        case 0xD0: snd_seq_ev_set_chanpress(&ev, channel, d1); return true;
        case 0xE0: snd_seq_ev_set_pitchbend(&ev, channel, (d1 | (d2 << kDataBits)) - kPitchBendCentre); return true;
        default: break;
    }
    snd_seq_ev_set_fixed(&ev);
    switch (status) {
        case 0xF1: ev.type = SND_SEQ_EVENT_QFRAME; ev.data.control.value = d1; return true;
        case 0xF2: ev.type = SND_SEQ_EVENT_SONGPOS; ev.data.control.value = d1 | (d2 << kDataBits); return true;
        case 0xF3: ev.type = SND_SEQ_EVENT_SONGSEL; ev.data.control.value = d1; return true;
        case 0xF6: ev.type = SND_SEQ_EVENT_TUNE_REQUEST; return true;
        case 0xF8: ev.type = SND_SEQ_EVENT_CLOCK; return true;
        case 0xFA: ev.type = SND_SEQ_EVENT_START; return true;
        case 0xFB: ev.type = SND_SEQ_EVENT_CONTINUE; return true;
        case 0xFC: ev.type = SND_SEQ_EVENT_STOP; return true;
        case 0xFE: ev.type = SND_SEQ_EVENT_SENSING; return true;
        case 0xFF: ev.type = SND_SEQ_EVENT_RESET; return true;
        default: return false;
    }
}

}  // namespace

struct AlsaSequencer::Parts {
    snd_seq_t* seq = nullptr;
    int ownClient = -1;
    int outPort = -1;       // the source of every direct output
    std::mutex writeMutex;  // the output client is shared by every output device
    ~Parts() {
        if (seq) snd_seq_close(seq);
    }
};

namespace {

// An output to one port of another client, or to the subscribers of a port of
// the program's own.
class AlsaOutput final : public OutputDevice {
public:
    AlsaOutput(std::shared_ptr<AlsaSequencer::Parts> parts, std::string name, int sourcePort, PortAddress dest,
               bool toSubscribers)
        : OutputDevice(std::move(name)), parts_(std::move(parts)), sourcePort_(sourcePort), dest_(dest),
          toSubscribers_(toSubscribers) {}
    ~AlsaOutput() override {
        if (toSubscribers_) snd_seq_delete_simple_port(parts_->seq, sourcePort_);
    }

protected:
    bool WriteShort(std::span<const uint8_t> bytes) override {
        snd_seq_event_t ev;
        snd_seq_ev_clear(&ev);
        if (!EncodeShort(bytes, ev)) return true;  // nothing the sequencer carries
        return Output(ev);
    }
    bool WriteLong(std::span<const uint8_t> bytes) override {
        snd_seq_event_t ev;
        snd_seq_ev_clear(&ev);
        snd_seq_ev_set_sysex(&ev, static_cast<unsigned>(bytes.size()), const_cast<uint8_t*>(bytes.data()));
        return Output(ev);
    }

private:
    bool Output(snd_seq_event_t& ev) {
        snd_seq_ev_set_source(&ev, sourcePort_);
        if (toSubscribers_) {
            snd_seq_ev_set_subs(&ev);
        } else {
            snd_seq_ev_set_dest(&ev, dest_.client, dest_.port);
        }
        snd_seq_ev_set_direct(&ev);
        std::lock_guard lock(parts_->writeMutex);
        return snd_seq_event_output_direct(parts_->seq, &ev) >= 0;
    }

    std::shared_ptr<AlsaSequencer::Parts> parts_;
    int sourcePort_;
    PortAddress dest_;
    bool toSubscribers_;
};

// An input: a client of its own subscribed to the source port, and a reader
// thread that polls it (and an eventfd that ends the thread).
class AlsaInput final : public InputDevice {
public:
    AlsaInput(std::string name, PortAddress source, const Clock& clock)
        : InputDevice(std::move(name)), source_(source), clock_(clock) {}
    ~AlsaInput() override { Close(); }

protected:
    bool OpenStream() override;
    void CloseStream() override;

private:
    void ReadLoop();
    void Drain(std::array<uint8_t, kDecodeBufferBytes>& buffer);

    PortAddress source_;
    const Clock& clock_;
    snd_seq_t* seq_ = nullptr;
    snd_midi_event_t* decoder_ = nullptr;
    int wake_ = -1;
    std::thread reader_;
};

bool AlsaInput::OpenStream() {
    if (seq_ != nullptr) return true;
    if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
        seq_ = nullptr;
        return false;
    }
    snd_seq_set_client_name(seq_, std::string(kSequencerClientName).c_str());
    int port = snd_seq_create_simple_port(seq_, "in", kWritableCaps, kAppPortType);
    bool ready = port >= 0 && snd_seq_connect_from(seq_, port, source_.client, source_.port) >= 0 &&
                 snd_midi_event_new(kDecodeBufferBytes, &decoder_) >= 0;
    wake_ = ready ? eventfd(0, EFD_NONBLOCK) : -1;
    if (!ready || wake_ < 0) {
        CloseStream();
        return false;
    }
    snd_midi_event_no_status(decoder_, 1);
    reader_ = std::thread([this] { ReadLoop(); });
    return true;
}

void AlsaInput::CloseStream() {
    if (reader_.joinable()) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(wake_, &one, sizeof one);
        reader_.join();
    }
    if (wake_ >= 0) close(wake_);
    if (decoder_) snd_midi_event_free(decoder_);
    if (seq_) snd_seq_close(seq_);
    wake_ = -1;
    decoder_ = nullptr;
    seq_ = nullptr;
}

void AlsaInput::ReadLoop() {
    std::array<pollfd, kMaxPollDescriptors> fds{};
    int count = snd_seq_poll_descriptors(seq_, fds.data() + 1, kMaxPollDescriptors - 1, POLLIN);
    fds[0] = pollfd{wake_, POLLIN, 0};
    std::array<uint8_t, kDecodeBufferBytes> buffer;
    for (;;) {
        if (poll(fds.data(), static_cast<nfds_t>(count + 1), -1) < 0 && errno != EINTR) return;
        if (fds[0].revents & POLLIN) return;
        Drain(buffer);
    }
}

// Reads every waiting event. An overrun of the client's input pool lost events:
// counted as a dropped burst.
void AlsaInput::Drain(std::array<uint8_t, kDecodeBufferBytes>& buffer) {
    for (;;) {
        snd_seq_event_t* ev = nullptr;
        int result = snd_seq_event_input(seq_, &ev);
        if (result == -ENOSPC) {
            NoteLostBurst();
            continue;
        }
        if (result < 0 || ev == nullptr) return;
        long length = snd_midi_event_decode(decoder_, buffer.data(), static_cast<long>(buffer.size()), ev);
        if (length > 0) {
            Receive(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(length)), clock_.NowMs());
        } else if (length == -ENOMEM) {
            NoteLostBurst();
        }
    }
}

}  // namespace

AlsaSequencer::AlsaSequencer() : parts_(std::make_shared<Parts>()) {}
AlsaSequencer::~AlsaSequencer() = default;

std::shared_ptr<AlsaSequencer> AlsaSequencer::Open(std::string& reason) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        reason = "/dev/snd/seq is missing";
        return nullptr;
    }
    std::shared_ptr<AlsaSequencer> sequencer(new AlsaSequencer());
    Parts& parts = *sequencer->parts_;
    if (snd_seq_open(&parts.seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
        parts.seq = nullptr;
        reason = "the sequencer refused a client";
        return nullptr;
    }
    snd_seq_set_client_name(parts.seq, std::string(kSequencerClientName).c_str());
    parts.ownClient = snd_seq_client_id(parts.seq);
    parts.outPort = snd_seq_create_simple_port(parts.seq, "out", SND_SEQ_PORT_CAP_READ, kAppPortType);
    if (parts.outPort < 0) {
        reason = "the sequencer refused a port";
        return nullptr;
    }
    return sequencer;
}

std::vector<DeviceInfo> AlsaSequencer::Ports() {
    std::vector<DeviceInfo> devices;
    for (const NamedPort& port : ListPorts(parts_->seq)) {
        if (port.address.client == parts_->ownClient) continue;
        bool output = (port.caps & kWritableCaps) == kWritableCaps;
        bool input = (port.caps & kReadableCaps) == kReadableCaps;
        if (output || input) devices.push_back(DeviceInfo{port.name, DeviceKind::Port, output, input});
    }
    return devices;
}

std::unique_ptr<OutputDevice> AlsaSequencer::OpenOutput(std::string_view name) {
    PortAddress dest;
    if (!FindPort(parts_->seq, name, kWritableCaps, dest)) return nullptr;
    return std::make_unique<AlsaOutput>(parts_, std::string(name), parts_->outPort, dest, false);
}

std::unique_ptr<OutputDevice> AlsaSequencer::OpenVirtualOutput(std::string_view portName) {
    std::string name(portName);
    int port = snd_seq_create_simple_port(parts_->seq, name.c_str(), kReadableCaps, kAppPortType);
    if (port < 0) return nullptr;
    return std::make_unique<AlsaOutput>(parts_, std::string(kSequencerClientName) + ":" + name, port,
                                        PortAddress{}, true);
}

std::unique_ptr<InputDevice> AlsaSequencer::OpenInput(std::string_view name, const Clock& clock) {
    PortAddress source;
    if (!FindPort(parts_->seq, name, kReadableCaps, source)) return nullptr;
    return std::make_unique<AlsaInput>(std::string(name), source, clock);
}

}  // namespace ql::midi
