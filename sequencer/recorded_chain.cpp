// Following the recorded chain on the user-interface thread while the input
// thread appends to it (and, without "KeepMIDI", frees transcribed events from
// its head). The reader keeps the last event it visited unmarked, so the input
// thread cannot free it; only when the reader has moved past an event is it
// marked transcribed. After a run the chain is freed as a whole.
#include "core/memory/pool.h"
#include "sequencer/engine_internal.h"

namespace ql {

using engine_detail::FlagsWord;
using engine_detail::NextWord;

namespace {

constexpr uint16_t kKindBits = 0xF000;

PerformanceEvent* NextRecorded(PerformanceEvent* event) {
    return Ref32<PerformanceEvent>{std::atomic_ref<uint32_t>(NextWord(event)).load(std::memory_order_acquire)}.get();
}

void MarkTranscribed(PerformanceEvent* event) {
    std::atomic_ref<uint16_t> flags(FlagsWord(event));
    flags.store(static_cast<uint16_t>(flags.load(std::memory_order_relaxed) & ~kKindBits), std::memory_order_release);
}

// What the visitor sees: the event without its link, which the input thread may
// be writing.
PerformanceEvent Unlinked(const PerformanceEvent* event) {
    PerformanceEvent copy{};
    copy.time = event->time;
    copy.message = event->message;
    copy.flags = event->flags;
    copy.measure = event->measure;
    return copy;
}

}  // namespace

size_t RecordedChainReader::ReadNew(SequencerState& state,
                                    const std::function<void(const PerformanceEvent&)>& visit, size_t limit) {
    size_t visited = 0;
    if (limit == 0) return 0;
    if (cursor_ == nullptr) {
        cursor_ = Ref32<PerformanceEvent>{state.recordHead.load(std::memory_order_acquire)}.get();
        if (cursor_ == nullptr) return 0;
        visit(Unlinked(cursor_));
        ++visited;
    }
    while (visited < limit) {
        PerformanceEvent* next = NextRecorded(cursor_);
        if (next == nullptr) break;
        MarkTranscribed(cursor_);
        cursor_ = next;
        visit(Unlinked(cursor_));
        ++visited;
    }
    return visited;
}

void FreeRecordedChain(SequencerState& state) {
    PerformanceEvent* event = Ref32<PerformanceEvent>{state.recordHead.load(std::memory_order_acquire)}.get();
    while (event != nullptr) {
        PerformanceEvent* next = event->next.get();
        FreeStaticRecord(kSequencerStaticPool, event);
        event = next;
    }
    state.recordHead.store(0, std::memory_order_release);
    state.recordTail.store(0, std::memory_order_release);
}

}  // namespace ql
