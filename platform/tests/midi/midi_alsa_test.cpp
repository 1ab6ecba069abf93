// The ALSA sequencer, where the kernel allows: a port of the program's own, a
// second client subscribed to it, notes sent through it arrive whole and in
// order. Without /dev/snd/seq (no sound card on CI) the test reports itself
// skipped, and the system backend lists only the synthesizer, saying so once.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/midi/alsa_sequencer.h"
#include "platform/midi/system_backend.h"
#include "platform/midi/timer_thread.h"

namespace ql::midi {
namespace {

constexpr int kMaxWaitSteps = 2000;  // bounds the wait for the notes

class MonotonicMs final : public Clock {
public:
    uint32_t NowMs() const override { return static_cast<uint32_t>(MonotonicNanoseconds() / 1'000'000); }
};

struct Received {
    std::mutex mutex;
    std::vector<uint32_t> messages;
};

TEST(MidiAlsa, NotesReachASubscribedClientInOrder) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0)
        GTEST_SKIP() << "/dev/snd/seq is missing (no sound card, or the snd-seq and snd-seq-dummy modules are not loaded)";
    std::string reason;
    std::shared_ptr<AlsaSequencer> sequencer = AlsaSequencer::Open(reason);
    if (!sequencer) GTEST_SKIP() << "the sequencer cannot be had: " << reason;
    std::unique_ptr<OutputDevice> port = sequencer->OpenVirtualOutput("test out");
    ASSERT_NE(port, nullptr);
    MonotonicMs clock;
    std::unique_ptr<InputDevice> listener = sequencer->OpenInput(port->Name(), clock);
    ASSERT_NE(listener, nullptr);
    Received received;
    InputHandler handler;
    handler.onShort = [](void* user, uint32_t message, uint32_t) {
        auto* r = static_cast<Received*>(user);
        std::lock_guard lock(r->mutex);
        r->messages.push_back(message);
    };
    handler.user = &received;
    ASSERT_TRUE(listener->Start(handler, clock.NowMs()));
    std::vector<uint32_t> sent;
    for (uint32_t key = 60; key < 72; ++key) {
        sent.push_back(0x500090 | (key << 8));
        sent.push_back(0x400080 | (key << 8));
    }
    for (uint32_t message : sent) ASSERT_TRUE(port->Send(message));
    for (int step = 0; step < kMaxWaitSteps; ++step) {
        {
            std::lock_guard lock(received.mutex);
            if (received.messages.size() >= sent.size()) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    listener->Close();
    std::lock_guard lock(received.mutex);
    EXPECT_EQ(received.messages, sent);
}

// Without the sequencer the list holds only the synthesizer and one notice
// says why; a second listing adds no notice.
TEST(MidiAlsa, WithoutTheSequencerOnlyTheSynthesizerIsListed) {
    if (access("/dev/snd/seq", R_OK | W_OK) == 0) GTEST_SKIP() << "this machine has a sequencer";
    TakeNotices();
    SynthesizerOptions options;
    options.audioOutput = false;
    SystemBackend backend(options);
    for (const DeviceInfo& device : backend.Devices()) EXPECT_EQ(device.kind, DeviceKind::Synthesizer);
    backend.Devices();
    EXPECT_EQ(backend.OpenOutput("Some Client:Port 0"), nullptr);
    EXPECT_EQ(backend.OpenInput("Some Client:Port 0"), nullptr);
    int sequencerNotices = 0;
    for (const Notice& notice : TakeNotices()) sequencerNotices += notice.text.find("MIDI ports") != std::string::npos;
    EXPECT_EQ(sequencerNotices, 1);
}

}  // namespace
}  // namespace ql::midi
