// The producer rings of posted messages (see post_ring.h).
#include "platform/win/post_ring.h"

#include <algorithm>
#include <vector>

#include "platform/win/backend.h"
#include "platform/win/message_queue.h"

namespace ql::win {
namespace {

std::vector<PostRing*>& Rings() {
    static std::vector<PostRing*> rings;
    return rings;
}

}  // namespace

bool PostRing::Post(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    uint64_t written = written_.load(std::memory_order_relaxed);
    if (written - taken_.load(std::memory_order_acquire) >= kPostRingEntries) return false;
    entries_[written % kPostRingEntries] = QueuedMessage{window, message, word, data};
    written_.store(written + 1, std::memory_order_release);
    WakeCurrentBackend();
    return true;
}

size_t PostRing::Drain() {
    uint64_t taken = taken_.load(std::memory_order_relaxed);
    uint64_t written = written_.load(std::memory_order_acquire);
    for (uint64_t at = taken; at < written; ++at) detail::Queue().Post(entries_[at % kPostRingEntries]);
    taken_.store(written, std::memory_order_release);
    return static_cast<size_t>(written - taken);
}

size_t PostRing::Pending() const {
    return static_cast<size_t>(written_.load(std::memory_order_acquire) - taken_.load(std::memory_order_acquire));
}

void RegisterPostRing(PostRing& ring) {
    if (std::find(Rings().begin(), Rings().end(), &ring) == Rings().end()) Rings().push_back(&ring);
}

void UnregisterPostRing(PostRing& ring) {
    ring.Drain();
    std::erase(Rings(), &ring);
}

namespace detail {
void DrainPostRings() {
    for (PostRing* ring : Rings()) ring->Drain();
}
}  // namespace detail

}  // namespace ql::win
