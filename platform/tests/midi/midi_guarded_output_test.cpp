// The guarded output in front of devices that behave and devices that do not: a
// healthy device gets every message in order, written out before the guard
// closes; one that blocks and one that fails are taken as gone, one that spins in
// each write is slow but still there, and one that takes nothing is gone once the
// ring is full. A slow device gets every message even when its writer is let go
// with more queued than it writes in the closing wait. Whatever the device does, every Send and the closing return within
// bounds far below a hang, and a writer let go ends (releasing its device) once
// its write returns.
#include <gtest/gtest.h>

#include <thread>

#include "platform/midi/counted_threads.h"
#include "platform/midi/guarded_output.h"
#include "platform/tests/midi/scripted_output.h"

namespace ql::midi {
namespace {

using testing::Behaviour;
using Clock = std::chrono::steady_clock;
constexpr int kMessages = 60;
// Hang bounds, far above what a guard takes (microseconds to send, at most
// kCloseWaitMs to close); the test asserts nothing shorter.
constexpr auto kSendBound = std::chrono::milliseconds(2000);
constexpr auto kCloseBound = std::chrono::milliseconds(kCloseWaitMs + 4000);
constexpr auto kWaitBound = std::chrono::milliseconds(10000);

uint32_t NoteOn(int key) { return 0x90u | static_cast<uint32_t>(key % 128) << 8 | 64u << 16; }

struct Case {
    const char* what;
    Behaviour behaviour;
    int messages;  // sent before the stuck limit has passed
    bool gone;     // taken as gone by the time it closes
};

TEST(GuardedOutput, NoDeviceHoldsUpItsSenders) {
    const Case cases[] = {
        {"healthy", Behaviour::Healthy, kMessages, false},
        {"blocks in its first write", Behaviour::Blocks, kMessages, true},
        {"spins in every write (slow, not stuck)", Behaviour::Spins, kMessages, false},
        {"fails to write", Behaviour::Fails, kMessages, true},
        // More messages than it writes before the guard is closed and its writer let go.
        {"slow, its writer let go", Behaviour::Slow, static_cast<int>(4 * kCloseWaitMs / testing::kSlowPerWrite.count()), false},
        // Seven bytes a message (its three and their length); the writer holds one.
        {"takes nothing until the ring is full", Behaviour::Blocks, static_cast<int>(kGuardRingBytes / 7) + 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto wire = std::make_shared<testing::Wire>();
        std::unique_ptr<OutputDevice> guard = GuardOutput(std::make_unique<testing::ScriptedOutput>("Scripted", c.behaviour, wire));
        ASSERT_NE(guard, nullptr);
        Clock::duration slowestSend{};
        const auto send = [&](int key) {
            const auto before = Clock::now();
            guard->Send(NoteOn(key));
            slowestSend = std::max(slowestSend, Clock::now() - before);
        };
        for (int key = 0; key < c.messages; ++key) send(key);
        if (c.gone && c.messages > kMessages) {
            EXPECT_TRUE(guard->IsGone()) << "the full ring did not make it gone";
        }
        // Past the stuck limit a device still in one write is gone.
        std::this_thread::sleep_for(std::chrono::milliseconds(kStuckWriteMs + 100));
        send(c.messages);
        EXPECT_LT(slowestSend, kSendBound);
        EXPECT_EQ(guard->IsGone(), c.gone);
        const auto closing = Clock::now();
        guard.reset();
        EXPECT_LT(Clock::now() - closing, kCloseBound);
        EXPECT_TRUE(wire->ReleaseAndWaitForTheEnd(kWaitBound)) << "the writer let go never released its device";
        if (c.behaviour == Behaviour::Healthy || c.behaviour == Behaviour::Slow) {
            // Everything was written, in order, before the device was released.
            std::lock_guard lock(wire->mutex);
            ASSERT_EQ(wire->written.size(), static_cast<size_t>(c.messages + 1));
            for (int key = 0; key <= c.messages; ++key)
                EXPECT_EQ(wire->written[key], (std::vector<uint8_t>{0x90, static_cast<uint8_t>(key % 128), 64}));
        }
    }
}

// A writer let go while its device is stuck is counted until it has ended and
// released the device: the program's exit waits for it and knows when it waited
// in vain.
TEST(GuardedOutput, AWriterLetGoIsWaitedForAtExit) {
    ASSERT_TRUE(WaitForCountedThreads(kWaitBound.count())) << "a thread of another test still runs";
    auto wire = std::make_shared<testing::Wire>();
    std::unique_ptr<OutputDevice> guard =
        GuardOutput(std::make_unique<testing::ScriptedOutput>("Scripted", Behaviour::Blocks, wire));
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(CountedThreadsRunning(), 1);
    guard->Send(NoteOn(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(kStuckWriteMs + 100));
    guard.reset();  // let go: its device is stuck
    EXPECT_FALSE(WaitForCountedThreads(50)) << "the stuck writer was not counted";
    {
        std::lock_guard lock(wire->mutex);
        wire->release = true;
        wire->changed.notify_all();
    }
    ASSERT_TRUE(WaitForCountedThreads(kWaitBound.count()));
    std::lock_guard lock(wire->mutex);
    EXPECT_TRUE(wire->destroyed) << "the writer stopped counting before it released its device";
}

}  // namespace
}  // namespace ql::midi
