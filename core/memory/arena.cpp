// The record arena: reserves one inaccessible address range at first use and
// commits it block by block, or several blocks at a time with one system call for
// each run of neighbours. A later block of the same size reuses freed ones (lowest
// address first), zero again, or as far as its caller needs it zero. Up to
// kArenaKeepLimitBytes of freed blocks keep their pages (a reused one is cleared by
// the program, which costs far less than faulting fresh zero pages in again, as
// reopening or reloading a score would); beyond that, freed pages go back to the
// system and become inaccessible. Whether kept blocks become inaccessible too is
// kGuardKeptBlocks.
// A lock guards the bookkeeping: static pool 11 may grow from the MIDI-input thread.
#include "core/memory/arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace ql {

namespace arena_detail {
std::byte* g_arenaBase = nullptr;
}  // namespace arena_detail

namespace {

// Kept freed blocks are made inaccessible, so that a stale pointer into one faults,
// in builds with assertions (the builds the tests run in). Builds without leave them
// accessible: reusing one then needs no system call, on freeing nor on taking.
#ifdef NDEBUG
constexpr bool kGuardKeptBlocks = false;
#else
constexpr bool kGuardKeptBlocks = true;
#endif

// Freed blocks of one size: offset → whether its pages were kept (they still hold
// what the last owner wrote). Ordered, so that the lowest are reused first.
using FreeBlocks = std::map<size_t, bool>;

struct ArenaBook {
    std::mutex lock;
    std::once_flag reserved;
    bool reserveFailed = false;
    std::atomic<size_t> handedOutEnd{kArenaNullZoneBytes};  // first never-used offset
    size_t bytesInUse = 0;
    int failuresRequested = 0;
    int successesBeforeFailure = 0;
    size_t keptBytes = 0;  // freed blocks whose pages were kept (they need clearing)
    std::unordered_map<size_t, FreeBlocks> freeBlocks;  // size → blocks
};

ArenaBook& Book() {
    static ArenaBook book;
    return book;
}

size_t RoundToPages(size_t bytes) {
    return (bytes + kArenaPageBytes - 1) / kArenaPageBytes * kArenaPageBytes;
}

void ReserveOnce(ArenaBook& book) {
    std::call_once(book.reserved, [&book] {
        void* range = mmap(nullptr, kArenaReserveBytes, PROT_NONE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (range == MAP_FAILED) {
            book.reserveFailed = true;
            return;
        }
        arena_detail::g_arenaBase = static_cast<std::byte*>(range);
    });
}

// One block chosen for a request: its offset, and whether its pages were kept (they
// still hold the last owner's bytes and are cleared outside the lock).
struct ChosenBlock {
    size_t offset;
    bool dirty;
};

// The test hook's verdict on `count` blocks asked for together: false when one of
// them is to fail. Called with the lock held.
bool PassesRequestedFailures(ArenaBook& book, size_t count) {
    for (size_t i = 0; i < count && book.failuresRequested > 0; ++i) {
        if (book.successesBeforeFailure > 0) {
            --book.successesBeforeFailure;
            continue;
        }
        --book.failuresRequested;
        return false;
    }
    return true;
}

// Chooses `count` blocks of `size` bytes, freed ones lowest first, then fresh ones
// from the end of the used part; none are accessible yet. False when the reserved
// range has no room for the fresh ones (nothing is chosen then). Lock held.
bool ChooseBlocks(ArenaBook& book, size_t size, size_t count, std::vector<ChosenBlock>& chosen) {
    FreeBlocks& freed = book.freeBlocks[size];
    const size_t reused = std::min(count, freed.size());
    const size_t fresh = count - reused;
    const size_t end = book.handedOutEnd.load(std::memory_order_relaxed);
    if (fresh > (kArenaReserveBytes - end) / size) return false;
    auto it = freed.begin();
    for (size_t i = 0; i < reused; ++i, ++it) chosen.push_back(ChosenBlock{it->first, it->second});
    for (size_t i = 0; i < fresh; ++i) chosen.push_back(ChosenBlock{end + i * size, false});
    return true;
}

// True when a chosen block is inaccessible until committed: every block but a kept
// one where kept blocks stay accessible.
bool NeedsCommit(const ChosenBlock& block) {
    return kGuardKeptBlocks || !block.dirty;
}

// Makes the chosen blocks (in address order) that need it accessible, one call for
// each run of neighbours. On a refusal, the runs already made accessible become
// inaccessible again and false comes back. Lock held.
bool CommitChosen(const std::vector<ChosenBlock>& chosen, size_t size) {
    std::byte* base = arena_detail::g_arenaBase;
    struct Run {
        size_t start;
        size_t end;
    };
    std::vector<Run> committed;
    for (size_t i = 0; i < chosen.size();) {
        if (!NeedsCommit(chosen[i])) {
            ++i;
            continue;
        }
        Run run{chosen[i].offset, chosen[i].offset + size};
        for (++i; i < chosen.size() && NeedsCommit(chosen[i]) && chosen[i].offset == run.end; ++i)
            run.end += size;
        if (mprotect(base + run.start, run.end - run.start, PROT_READ | PROT_WRITE) != 0) {
            for (const Run& done : committed) mprotect(base + done.start, done.end - done.start, PROT_NONE);
            return false;
        }
        committed.push_back(run);
    }
    return true;
}

// Takes the committed blocks out of the free list and past the end of the used
// part into the book. Lock held.
void BookChosen(ArenaBook& book, size_t size, const std::vector<ChosenBlock>& chosen) {
    FreeBlocks& freed = book.freeBlocks[size];
    size_t end = book.handedOutEnd.load(std::memory_order_relaxed);
    for (const ChosenBlock& block : chosen) {
        if (block.offset >= end) {
            end = block.offset + size;
            continue;
        }
        if (freed.erase(block.offset) != 0 && block.dirty) book.keptBytes -= size;
    }
    book.handedOutEnd.store(end, std::memory_order_release);
    book.bytesInUse += chosen.size() * size;
}

}  // namespace

bool ReserveArena() {
    ArenaBook& book = Book();
    ReserveOnce(book);
    return !book.reserveFailed;
}

void* AllocArenaBlock(size_t bytes, size_t clearedBytes) {
    void* block = nullptr;
    return AllocArenaBlocks(bytes, 1, &block, clearedBytes) ? block : nullptr;
}

bool AllocArenaBlocks(size_t bytes, size_t count, void** blocks, size_t clearedBytes) {
    if (bytes == 0 || count == 0 || !ReserveArena()) return false;
    ArenaBook& book = Book();
    const size_t size = RoundToPages(bytes);
    std::vector<ChosenBlock> chosen;
    chosen.reserve(count);
    {
        std::lock_guard<std::mutex> guard(book.lock);
        if (!PassesRequestedFailures(book, count) || !ChooseBlocks(book, size, count, chosen)) return false;
        // Freed blocks come lowest first and fresh ones lie above every block handed
        // out, so the chosen blocks are in address order.
        if (!CommitChosen(chosen, size)) return false;
        BookChosen(book, size, chosen);
    }
    std::byte* base = arena_detail::g_arenaBase;
    for (size_t i = 0; i < count; ++i) {
        blocks[i] = base + chosen[i].offset;
        if (chosen[i].dirty) std::memset(blocks[i], 0, std::min(clearedBytes, size));
    }
    return true;
}

namespace {

// Takes a block back into the book (called with the lock held); true when its pages
// are to be made inaccessible by the caller. Past the kept allowance, dropping the
// pages makes the next commit of them read as zero; a kept block is cleared when it
// is reused.
bool TakeBack(ArenaBook& book, std::byte* start, size_t size) {
    const bool keep = book.keptBytes + size <= kArenaKeepLimitBytes;
    if (keep)
        book.keptBytes += size;
    else
        madvise(start, size, MADV_DONTNEED);
    book.freeBlocks[size].emplace(static_cast<size_t>(start - arena_detail::g_arenaBase), keep);
    book.bytesInUse -= size;
    return kGuardKeptBlocks || !keep;
}

}  // namespace

void FreeArenaBlock(void* block, size_t bytes) {
    if (block == nullptr || !IsInArena(block)) return;
    ArenaBook& book = Book();
    const size_t size = RoundToPages(bytes);
    auto* start = static_cast<std::byte*>(block);
    std::lock_guard<std::mutex> guard(book.lock);
    if (TakeBack(book, start, size)) mprotect(start, size, PROT_NONE);
}

void FreeArenaBlocks(const ArenaBlock* blocks, size_t count) {
    struct Range {
        std::byte* start;
        size_t size;
    };
    std::vector<Range> ranges;
    ranges.reserve(count);
    for (size_t i = 0; i < count; ++i)
        if (blocks[i].block != nullptr && IsInArena(blocks[i].block))
            ranges.push_back(Range{static_cast<std::byte*>(blocks[i].block), RoundToPages(blocks[i].bytes)});
    if (ranges.empty()) return;
    ArenaBook& book = Book();
    std::lock_guard<std::mutex> guard(book.lock);
    // Only the blocks to be made inaccessible stay in the list.
    std::erase_if(ranges, [&book](const Range& range) { return !TakeBack(book, range.start, range.size); });
    std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.start < b.start; });
    for (size_t i = 0; i < ranges.size();) {
        std::byte* start = ranges[i].start;
        std::byte* end = start + ranges[i].size;
        for (++i; i < ranges.size() && ranges[i].start == end; ++i) end += ranges[i].size;
        mprotect(start, static_cast<size_t>(end - start), PROT_NONE);
    }
}

bool ArenaGuardsKeptBlocks() {
    return kGuardKeptBlocks;
}

bool IsInArena(const void* ptr) {
    std::byte* base = arena_detail::g_arenaBase;
    if (base == nullptr || ptr == nullptr) return false;
    auto address = reinterpret_cast<uintptr_t>(ptr);
    auto start = reinterpret_cast<uintptr_t>(base);
    size_t end = Book().handedOutEnd.load(std::memory_order_acquire);
    return address >= start + kArenaNullZoneBytes && address < start + end;
}

size_t ArenaBytesInUse() {
    ArenaBook& book = Book();
    std::lock_guard<std::mutex> guard(book.lock);
    return book.bytesInUse;
}

size_t ArenaKeptBytes() {
    ArenaBook& book = Book();
    std::lock_guard<std::mutex> guard(book.lock);
    return book.keptBytes;
}

void FailNextArenaBlocks(int count, int successes) {
    ArenaBook& book = Book();
    std::lock_guard<std::mutex> guard(book.lock);
    book.failuresRequested = count < 0 ? 0 : count;
    book.successesBeforeFailure = successes < 0 ? 0 : successes;
}

}  // namespace ql
