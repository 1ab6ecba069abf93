// Posting from a thread other than the user-interface thread (the MIDI timer and
// input threads) without waiting or allocating: each producer thread owns one
// fixed ring. Post writes the next entry, publishes it (release) and wakes the
// loop; the user-interface thread moves everything waiting into the posted-message
// queue whenever the loop looks for messages (every loop, PumpMessages and the
// modal loops alike), in the order it was posted. A full ring refuses the post,
// and the producer decides what that means.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/win/messages.h"

namespace ql::win {

constexpr size_t kPostRingEntries = 1024;

class PostRing {
public:
    // Producer thread (one thread per ring). False when the ring is full: the
    // message is not posted.
    bool Post(WindowHandle window, Message message, uint32_t word = 0, intptr_t data = 0);
    // User-interface thread: moves every waiting message into the posted-message
    // queue. Returns how many were moved.
    size_t Drain();
    // Entries waiting; any thread (a snapshot).
    size_t Pending() const;

private:
    std::array<QueuedMessage, kPostRingEntries> entries_{};
    std::atomic<uint64_t> written_{0};  // entries the producer has published
    std::atomic<uint64_t> taken_{0};    // entries the consumer has moved out
};

// User-interface thread. A registered ring is drained whenever the loop looks for
// messages; unregistering drains it first. The ring must stay alive while
// registered.
void RegisterPostRing(PostRing& ring);
void UnregisterPostRing(PostRing& ring);

namespace detail {
// Drains every registered ring (the message loop calls it).
void DrainPostRings();
}  // namespace detail

}  // namespace ql::win
