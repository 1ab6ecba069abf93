// The record arena: one reserved address range for all pooled memory.
//
// Every block of every pool set and the SelectionState are carved from this range,
// so a pooled record can refer to any other by a 32-bit offset (Ref32). The range is
// reserved once (inaccessible) and committed block by block. Blocks never move.
// Freed blocks up to kArenaKeepLimitBytes keep their pages for reuse ("kept"); the
// pages of the others go back to the system and become inaccessible.
// Builds with assertions (Debug, the sanitizer builds) make kept blocks inaccessible
// too, so that a stale pointer into any freed block faults. Builds without (NDEBUG,
// Release) leave kept blocks accessible, so that freeing and reusing them needs no
// system call; a stale pointer into one then reads or writes the block unnoticed.
// Thread-safe: static pool 11 may grow from the MIDI-input thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/memory/ref32.h"

namespace ql {

constexpr size_t kArenaReserveBytes = size_t{1} << 30;  // 1 GiB, about 50 documents
constexpr size_t kArenaNullZoneBytes = 64 * 1024;        // never handed out: offset 0 is null
constexpr size_t kArenaPageBytes = 4096;                 // blocks are rounded up to pages
constexpr size_t kArenaKeepLimitBytes = 64 * 1024 * 1024;     // freed pages kept for reuse

// Reserves the range if not yet done; false when the system refuses. Every other
// operation reserves on first use, so calling this is optional.
bool ReserveArena();

// `clearedBytes` for a block zero-filled throughout.
constexpr size_t kArenaClearAll = ~size_t{0};

// A block of at least `bytes` bytes inside the arena, or nullptr when the arena is
// full, the system refuses, or a test asked for a failure. Its first `clearedBytes`
// bytes read as zero; past them a kept block reused holds what its last owner left,
// for a caller that clears those bytes itself when it needs to (a block never used
// before, or whose pages went back to the system, reads as zero throughout). The
// caller owns the block and returns it with FreeArenaBlock and the same size.
void* AllocArenaBlock(size_t bytes, size_t clearedBytes = kArenaClearAll);

// `count` blocks of `bytes` bytes each, cleared as AllocArenaBlock clears them, taken
// together and stored in `blocks` in address order: the blocks that lie side by side
// are made accessible with one system call rather than one a block, and freed blocks
// of the size are reused lowest address first, so that a document's blocks freed
// together come back as neighbours. All or nothing: when one block cannot be had (or
// a test asked for a failure of one of them) no block is taken and false comes back.
// Each block is returned like one from AllocArenaBlock.
bool AllocArenaBlocks(size_t bytes, size_t count, void** blocks, size_t clearedBytes = kArenaClearAll);

// Returns a block to the arena. Its pages are kept resident for reuse while the freed
// blocks kept stay within kArenaKeepLimitBytes, and given back to the system beyond;
// the block becomes inaccessible until reused, except a kept one in a build without
// assertions (ArenaGuardsKeptBlocks). nullptr does nothing.
void FreeArenaBlock(void* block, size_t bytes);

// A block handed out by AllocArenaBlock, with the size it was asked for.
struct ArenaBlock {
    void* block = nullptr;
    size_t bytes = 0;
};

// FreeArenaBlock on each of `count` blocks, in that order, with the blocks that lie
// side by side made inaccessible together: one system call for each run of
// neighbours rather than one a block. Null entries are skipped.
void FreeArenaBlocks(const ArenaBlock* blocks, size_t count);

// True when kept freed blocks are inaccessible until reused (builds with assertions);
// false when they stay accessible (NDEBUG builds). Blocks given back to the system
// are inaccessible in both.
bool ArenaGuardsKeptBlocks();

// True when the address lies in the handed-out part of the arena.
bool IsInArena(const void* ptr);

// Bytes of blocks currently handed out (for tests and diagnostics).
size_t ArenaBytesInUse();

// Bytes of freed blocks whose pages are kept for reuse (for tests and diagnostics).
size_t ArenaKeptBytes();

// Test hook: the next `count` blocks asked for fail as if memory were exhausted,
// after `successes` blocks have been had first; a call of AllocArenaBlocks asks for
// each of its blocks in turn and fails whole. 0 switches the failures off.
void FailNextArenaBlocks(int count, int successes = 0);

}  // namespace ql
