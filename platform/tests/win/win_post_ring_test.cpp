// Posting from other threads through a producer ring: messages arrive in order
// when the loop runs, a full ring refuses without blocking, and unregistering
// hands over what is still waiting.
#include <thread>
#include <vector>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/message_loop.h"
#include "platform/win/post_ring.h"
#include "platform/win/window.h"

namespace ql::win {
namespace {

class WinPostRingTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        WindowClass cls;
        cls.name = "Listener";
        cls.procedure = [this](WindowHandle, Message message, uint32_t word, intptr_t) -> intptr_t {
            if (ToRaw(message) >= kPrivateMessageBase) words_.push_back(word);
            return 0;
        };
        RegisterWindowClass(cls);
        WindowParams params;
        params.className = "Listener";
        window_ = CreateWindow(params);
    }
    WindowHandle window_;
    std::vector<uint32_t> words_;
};

// Another thread posts 3,000 messages in bursts the ring can take; the loop
// delivers every one, in order.
TEST_F(WinPostRingTest, DeliversInOrderFromAnotherThread) {
    PostRing ring;
    RegisterPostRing(ring);
    std::thread producer([&] {
        for (uint32_t i = 0; i < 3000; ++i)
            while (!ring.Post(window_, PrivateMessage(8), i)) std::this_thread::yield();
    });
    while (words_.size() < 3000) {
        PumpMessages();
        std::this_thread::yield();
    }
    producer.join();
    UnregisterPostRing(ring);
    for (uint32_t i = 0; i < 3000; ++i) ASSERT_EQ(words_[i], i);
}

// A full ring refuses the next post; draining makes room again. Unregistering
// moves what waits into the queue.
TEST_F(WinPostRingTest, AFullRingRefuses) {
    PostRing ring;
    RegisterPostRing(ring);
    for (uint32_t i = 0; i < kPostRingEntries; ++i) ASSERT_TRUE(ring.Post(window_, PrivateMessage(8), i));
    EXPECT_FALSE(ring.Post(window_, PrivateMessage(8), 9999));
    EXPECT_EQ(ring.Pending(), kPostRingEntries);
    UnregisterPostRing(ring);
    EXPECT_EQ(ring.Pending(), 0u);
    EXPECT_TRUE(ring.Post(window_, PrivateMessage(8), 5000));
    PumpMessages();  // the ring is no longer drained by the loop
    EXPECT_EQ(words_.size(), kPostRingEntries);
    EXPECT_EQ(words_.back(), kPostRingEntries - 1);
}

}  // namespace
}  // namespace ql::win
