// The record arena: reserves one inaccessible address range at first use and
// commits it block by block. Freed blocks become inaccessible at once; a later block
// of the same size reuses them, zero again. Up to kArenaKeepLimitBytes of freed blocks
// keep their pages (a reused one is cleared by the program, which costs far less than
// faulting fresh zero pages in again, as reopening or reloading a score would);
// beyond that, freed pages go back to the system.
// A lock guards the bookkeeping: static pool 11 may grow from the MIDI-input thread.
#include "core/memory/arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace ql {

namespace arena_detail {
std::byte* g_arenaBase = nullptr;
}  // namespace arena_detail

namespace {

struct FreeBlock {
    size_t offset;
    bool kept;  // its pages still hold what the last owner wrote
};

struct ArenaBook {
    std::mutex lock;
    std::once_flag reserved;
    bool reserveFailed = false;
    std::atomic<size_t> handedOutEnd{kArenaNullZoneBytes};  // first never-used offset
    size_t bytesInUse = 0;
    int failuresRequested = 0;
    size_t keptBytes = 0;  // freed blocks whose pages were kept (they need clearing)
    std::unordered_map<size_t, std::vector<FreeBlock>> freeBlocks;  // size → blocks
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

// A committed block of `size` bytes (offset 0 when none could be had). A reused block
// whose pages were kept still holds its last owner's bytes: `dirty` tells the caller
// to clear it, which it does outside the lock. Called with the lock held.
struct CommittedBlock {
    size_t offset = 0;
    bool dirty = false;
};

CommittedBlock CommitBlock(ArenaBook& book, size_t size) {
    std::byte* base = arena_detail::g_arenaBase;
    auto reusable = book.freeBlocks.find(size);
    if (reusable != book.freeBlocks.end() && !reusable->second.empty()) {
        FreeBlock block = reusable->second.back();
        if (mprotect(base + block.offset, size, PROT_READ | PROT_WRITE) != 0) return {};
        reusable->second.pop_back();
        if (block.kept) book.keptBytes -= size;
        return {block.offset, block.kept};
    }
    size_t offset = book.handedOutEnd.load(std::memory_order_relaxed);
    if (size > kArenaReserveBytes - offset) return {};
    if (mprotect(base + offset, size, PROT_READ | PROT_WRITE) != 0) return {};
    book.handedOutEnd.store(offset + size, std::memory_order_release);
    return {offset, false};
}

}  // namespace

bool ReserveArena() {
    ArenaBook& book = Book();
    ReserveOnce(book);
    return !book.reserveFailed;
}

void* AllocArenaBlock(size_t bytes) {
    if (bytes == 0 || !ReserveArena()) return nullptr;
    ArenaBook& book = Book();
    size_t size = RoundToPages(bytes);
    CommittedBlock block;
    {
        std::lock_guard<std::mutex> guard(book.lock);
        if (book.failuresRequested > 0) {
            --book.failuresRequested;
            return nullptr;
        }
        block = CommitBlock(book, size);
        if (block.offset == 0) return nullptr;
        book.bytesInUse += size;
    }
    std::byte* start = arena_detail::g_arenaBase + block.offset;
    if (block.dirty) std::memset(start, 0, size);
    return start;
}

namespace {

// Takes a block back into the book (called with the lock held); its pages are made
// inaccessible by the caller. Past the kept allowance, dropping the pages makes the
// next commit of them read as zero; a kept block is cleared when it is reused.
void TakeBack(ArenaBook& book, std::byte* start, size_t size) {
    const bool keep = book.keptBytes + size <= kArenaKeepLimitBytes;
    if (keep)
        book.keptBytes += size;
    else
        madvise(start, size, MADV_DONTNEED);
    book.freeBlocks[size].push_back(FreeBlock{static_cast<size_t>(start - arena_detail::g_arenaBase), keep});
    book.bytesInUse -= size;
}

}  // namespace

void FreeArenaBlock(void* block, size_t bytes) {
    if (block == nullptr || !IsInArena(block)) return;
    ArenaBook& book = Book();
    const size_t size = RoundToPages(bytes);
    auto* start = static_cast<std::byte*>(block);
    std::lock_guard<std::mutex> guard(book.lock);
    TakeBack(book, start, size);
    mprotect(start, size, PROT_NONE);
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
    for (const Range& range : ranges) TakeBack(book, range.start, range.size);
    std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.start < b.start; });
    for (size_t i = 0; i < ranges.size();) {
        std::byte* start = ranges[i].start;
        std::byte* end = start + ranges[i].size;
        for (++i; i < ranges.size() && ranges[i].start == end; ++i) end += ranges[i].size;
        mprotect(start, static_cast<size_t>(end - start), PROT_NONE);
    }
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

void FailNextArenaBlocks(int count) {
    ArenaBook& book = Book();
    std::lock_guard<std::mutex> guard(book.lock);
    book.failuresRequested = count < 0 ? 0 : count;
}

}  // namespace ql
