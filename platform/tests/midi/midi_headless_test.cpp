// The headless MIDI backend: the virtual clock firing one-shots and injected
// input in time order, waiting on it, timers refused, recording outputs, what
// Send refuses, devices that vanish, inputs that are stopped, and the input ring.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/midi/headless.h"

namespace ql::midi {
namespace {

using headless::SentMessage;

class MidiHeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        TakeNotices();
        headless::AddDevice("Synth", true, false);
        headless::AddDevice("Pads", true, true);
        out_ = CurrentBackend().OpenOutput("Synth");
        in_ = CurrentBackend().OpenInput("Pads");
        ASSERT_NE(out_, nullptr);
        ASSERT_NE(in_, nullptr);
    }
    void TearDown() override {
        out_.reset();
        in_.reset();
        headless::Reset();
    }
    headless::VirtualMidiIn& Pads() { return static_cast<headless::VirtualMidiIn&>(*in_); }

    std::unique_ptr<OutputDevice> out_;
    std::unique_ptr<InputDevice> in_;
};

// Opening by name: unknown names and the wrong direction give nothing.
TEST_F(MidiHeadlessTest, OpensDevicesByName) {
    EXPECT_EQ(CurrentBackend().OpenOutput("Nothing"), nullptr);
    EXPECT_EQ(CurrentBackend().OpenInput("Synth"), nullptr);
    std::vector<DeviceInfo> devices = CurrentBackend().Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[1].name, "Pads");
    EXPECT_TRUE(devices[1].input && devices[1].output);
}

// One-shots fire in deadline order, with the clock at their deadline, and may
// re-arm themselves; a cancelled timer never fires.
TEST_F(MidiHeadlessTest, VirtualClockFiresOneShotsInOrder) {
    struct Shot {
        std::vector<uint32_t>* fired;
        OneShotTimer* timer = nullptr;
        int rearms = 0;
    };
    std::vector<uint32_t> fired;
    Shot a{&fired};
    Shot b{&fired};
    auto callback = [](void* user) {
        auto* shot = static_cast<Shot*>(user);
        shot->fired->push_back(headless::Now());
        if (shot->rearms-- > 0) shot->timer->Arm(7);
    };
    std::unique_ptr<OneShotTimer> ta = CurrentBackend().CreateTimer(callback, &a);
    std::unique_ptr<OneShotTimer> tb = CurrentBackend().CreateTimer(callback, &b);
    a.timer = ta.get();
    b.timer = tb.get();
    a.rearms = 2;
    ta->Arm(10);
    tb->Arm(12);
    headless::Advance(30);
    EXPECT_EQ(fired, (std::vector<uint32_t>{10, 12, 17, 24}));
    EXPECT_EQ(headless::Now(), 30u);
    tb->Arm(5);
    tb->Cancel();
    EXPECT_FALSE(tb->Arm(5));
    headless::Advance(10);
    EXPECT_EQ(fired.size(), 4u);
}

// Wait moves the virtual clock on and fires nothing; a timer due inside the wait
// fires at the next Advance, with the clock where Wait left it. A backend that
// makes no timers gives none.
TEST_F(MidiHeadlessTest, WaitMovesTheClockWithoutFiring) {
    std::vector<uint32_t> fired;
    auto callback = [](void* user) { static_cast<std::vector<uint32_t>*>(user)->push_back(headless::Now()); };
    std::unique_ptr<OneShotTimer> timer = CurrentBackend().CreateTimer(callback, &fired);
    timer->Arm(100);
    CurrentBackend().Wait(500);
    EXPECT_EQ(headless::Now(), 500u);
    EXPECT_TRUE(fired.empty());
    headless::Advance(1);
    EXPECT_EQ(fired, (std::vector<uint32_t>{500}));
    headless::FailTimers(true);
    EXPECT_EQ(CurrentBackend().CreateTimer(callback, &fired), nullptr);
    headless::FailTimers(false);
    EXPECT_NE(CurrentBackend().CreateTimer(callback, &fired), nullptr);
}

// Injected input arrives when the clock passes its time, stamped from Start;
// nothing arrives while stopped; injections may not go back in time.
TEST_F(MidiHeadlessTest, InjectedInputArrivesOnTheClock) {
    std::vector<std::pair<uint32_t, uint32_t>> got;
    InputHandler handler;
    handler.onShort = [](void* user, uint32_t message, uint32_t ms) {
        static_cast<std::vector<std::pair<uint32_t, uint32_t>>*>(user)->push_back({message, ms});
    };
    handler.user = &got;
    headless::Advance(100);
    ASSERT_TRUE(in_->Start(handler, headless::Now()));
    const uint8_t first[] = {0x90, 60, 1};
    const uint8_t second[] = {0x80, 60, 0};
    EXPECT_TRUE(Pads().InjectAt(150, first));
    EXPECT_TRUE(Pads().InjectAt(170, second));
    EXPECT_FALSE(Pads().InjectAt(160, first));
    headless::Advance(60);
    EXPECT_EQ(got, (std::vector<std::pair<uint32_t, uint32_t>>{{0x013C90, 50}}));
    in_->Stop();
    headless::Advance(20);
    EXPECT_EQ(got.size(), 1u);
    EXPECT_EQ(in_->Counters().shortMessages, 1u);
}

// The input ring holds 4,096 bytes: a burst that does not fit is dropped whole
// and counted, and the bursts before it still arrive.
TEST_F(MidiHeadlessTest, TheInputRingDropsBurstsItCannotTake) {
    InputHandler handler;
    int count = 0;
    handler.onShort = [](void* user, uint32_t, uint32_t) { ++*static_cast<int*>(user); };
    handler.user = &count;
    ASSERT_TRUE(in_->Start(handler, 0));
    std::vector<uint8_t> notes;
    for (int i = 0; i < 1000; ++i) notes.insert(notes.end(), {0x90, 60, 1});  // 3,000 bytes
    EXPECT_TRUE(Pads().InjectAt(5, notes));
    EXPECT_FALSE(Pads().InjectAt(5, notes));
    headless::Advance(10);
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(in_->Counters().droppedBursts, 1u);
    EXPECT_TRUE(Pads().InjectAt(20, notes));  // the ring has room again
    headless::Advance(20);
    EXPECT_EQ(count, 2000);
}

// Outputs record what they write with the clock time; malformed messages are
// refused without reaching the device.
TEST_F(MidiHeadlessTest, SendChecksWhatItWrites) {
    headless::Advance(3);
    EXPECT_TRUE(out_->Send(0x7F3C90));
    EXPECT_TRUE(out_->Send(0xFFC5));       // program change: one data byte, 7 bits
    EXPECT_FALSE(out_->Send(0x3C));        // no status
    EXPECT_FALSE(out_->Send(0xF0));        // SysEx goes through SendLong
    EXPECT_FALSE(out_->Send(0xF4));        // undefined
    EXPECT_TRUE(out_->SendRealtime(0xF8));
    EXPECT_FALSE(out_->SendRealtime(0x90));
    const uint8_t sysEx[] = {0xF0, 0x7E, 0x09, 0xF7};
    const uint8_t broken[] = {0xF0, 0x7E, 0x89, 0xF7};
    EXPECT_TRUE(out_->SendLong(sysEx));
    EXPECT_FALSE(out_->SendLong(broken));
    std::vector<SentMessage> expected{{3, 0, {0x90, 0x3C, 0x7F}},
                                      {3, 0, {0xC5, 0x7F}},
                                      {3, 0, {0xF8}},
                                      {3, 0, {0xF0, 0x7E, 0x09, 0xF7}}};
    EXPECT_EQ(headless::Sent(), expected);
}

// A device whose write fails is gone for good.
TEST_F(MidiHeadlessTest, AFailedWriteLeavesTheDeviceGone) {
    EXPECT_TRUE(out_->Send(0x3C90));
    headless::FailWrites("Synth");
    EXPECT_FALSE(out_->Send(0x3C90));
    EXPECT_TRUE(out_->IsGone());
    EXPECT_FALSE(out_->SendRealtime(0xF8));
    EXPECT_EQ(headless::Sent().size(), 1u);
}

}  // namespace
}  // namespace ql::midi
