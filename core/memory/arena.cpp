// The record arena: reserves one inaccessible address range at first use and
// commits it block by block. Freed blocks give their pages back to the system and
// become inaccessible; a later block of the same size reuses them (zero again).
// A lock guards the bookkeeping: static pool 11 may grow from the MIDI-input thread.
#include "core/memory/arena.h"

#include <sys/mman.h>

#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace ql {

namespace arena_detail {
std::byte* g_arenaBase = nullptr;
}  // namespace arena_detail

namespace {

struct ArenaBook {
    std::mutex lock;
    std::once_flag reserved;
    bool reserveFailed = false;
    std::atomic<size_t> handedOutEnd{kArenaNullZoneBytes};  // first never-used offset
    size_t bytesInUse = 0;
    int failuresRequested = 0;
    std::unordered_map<size_t, std::vector<size_t>> freeBlocks;  // size → offsets
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

// Offset of a committed block of `size` bytes, or 0. Called with the lock held.
size_t CommitBlock(ArenaBook& book, size_t size) {
    std::byte* base = arena_detail::g_arenaBase;
    auto reusable = book.freeBlocks.find(size);
    if (reusable != book.freeBlocks.end() && !reusable->second.empty()) {
        size_t offset = reusable->second.back();
        if (mprotect(base + offset, size, PROT_READ | PROT_WRITE) != 0) return 0;
        reusable->second.pop_back();
        return offset;
    }
    size_t offset = book.handedOutEnd.load(std::memory_order_relaxed);
    if (size > kArenaReserveBytes - offset) return 0;
    if (mprotect(base + offset, size, PROT_READ | PROT_WRITE) != 0) return 0;
    book.handedOutEnd.store(offset + size, std::memory_order_release);
    return offset;
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
    std::lock_guard<std::mutex> guard(book.lock);
    if (book.failuresRequested > 0) {
        --book.failuresRequested;
        return nullptr;
    }
    size_t offset = CommitBlock(book, size);
    if (offset == 0) return nullptr;
    book.bytesInUse += size;
    return arena_detail::g_arenaBase + offset;
}

void FreeArenaBlock(void* block, size_t bytes) {
    if (block == nullptr || !IsInArena(block)) return;
    ArenaBook& book = Book();
    size_t size = RoundToPages(bytes);
    auto* start = static_cast<std::byte*>(block);
    std::lock_guard<std::mutex> guard(book.lock);
    // Dropping the pages makes the next commit of them read as zero.
    madvise(start, size, MADV_DONTNEED);
    mprotect(start, size, PROT_NONE);
    book.freeBlocks[size].push_back(static_cast<size_t>(start - arena_detail::g_arenaBase));
    book.bytesInUse -= size;
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

void FailNextArenaBlocks(int count) {
    ArenaBook& book = Book();
    std::lock_guard<std::mutex> guard(book.lock);
    book.failuresRequested = count < 0 ? 0 : count;
}

}  // namespace ql
