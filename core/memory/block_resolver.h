// BlockResolver: the checked lookup of PoolResolver for walks over linked records.
// It keeps the blocks its records were found in; a handle into one of them is read
// with the checks the block still needs (slot 0, past the block's last record, not
// live) and no lookup of the block; the block kept last is read first, without
// indexing, so that a walk within it waits on nothing but its links. A handle those
// checks refuse takes the full lookup, whose answer stands.
//
// While one is in use no block of its pool may be released and the current set
// must not change. Records may come and go: blocks never move, a block added is
// looked up when first reached, and the live bits are read each time. One kept
// over calls that may do either is revalidated before it is used again.
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

template <typename T>
class BlockResolver {
  public:
    explicit BlockResolver(int pool) : resolver_(pool), set_(*pool_detail::g_currentSet), pool_(pool) {
        if (const RecordPool* descriptor = KeptDescriptor(set_, pool)) {
            descriptor_ = descriptor;
            shift_ = descriptor->shift;
            blockShift_ = static_cast<uint8_t>(kDocumentHandleBits - shift_);
        }
    }

    // As PoolResolver<T>::Find (and FindRecord<T>).
    T* Find(RecordHandle handle) {
        assert(*pool_detail::g_currentSet == set_);
        const unsigned block = static_cast<unsigned>(handle.bits) >> blockShift_;
        const Block* kept = &last_;
        if (block != lastBlock_) {
            if (block >= kMaxPoolBlocks || ((kept_ >> block) & 1u) == 0) return FindAndKeepBlock(handle, block);
            kept = &blocks_[block];
        }
        // Handles the checks below refuse (handle 0 is offset 0 of block 0) take the
        // full lookup.
        const uint32_t offset = (static_cast<uint32_t>(handle.bits) << shift_) & kOffsetMask;
        if (offset == 0 || offset >= kept->bytes || !pool_detail::LiveBit(kept->liveBits, offset >> shift_))
            return FindAndKeepBlock(handle, block);
        return reinterpret_cast<T*>(kept->base + offset);
    }

    // For a resolver kept past a point where blocks may have been released or the
    // set changed: false when the current set or the pool's descriptor is not the one
    // it was made for (it must be made again). Otherwise every kept block whose entry
    // in the descriptor no longer reads as it was kept (released, past the count,
    // made again elsewhere) is dropped, and the resolver answers as a new one would.
    bool Revalidate() {
        if (!(*pool_detail::g_currentSet == set_)) return false;
        const RecordPool* descriptor = KeptDescriptor(set_, pool_);
        if (descriptor != descriptor_ || (descriptor != nullptr && descriptor->shift != shift_)) return false;
        // A kept block reads from its entry's base, end and capacity alone (the
        // arena's base never moves).
        for (uint64_t bits = kept_; bits != 0; bits &= bits - 1) {
            const unsigned block = static_cast<unsigned>(std::countr_zero(bits));
            const PoolBlock& now = descriptor_->blocks[block];
            const PoolBlock& was = entries_[block];
            if (block >= descriptor_->blockCount || now.base != was.base || now.end != was.end ||
                now.capacity != was.capacity)
                kept_ &= ~(uint64_t{1} << block);
        }
        if (lastBlock_ < kMaxPoolBlocks && ((kept_ >> lastBlock_) & 1u) == 0) {
            lastBlock_ = ~0u;
            last_ = Block{};
        }
        return true;
    }

  private:
    static constexpr uint32_t kOffsetMask = (1u << kDocumentHandleBits) - 1;
    static_assert(kMaxPoolBlocks <= 64, "the blocks kept are marked in one 64-bit word");

    struct Block {
        std::byte* base;
        const std::byte* liveBits;
        uint32_t bytes;  // from the base to the block's end
    };

    // The pool's descriptor when its handles resolve inline; null for a pool that
    // takes the plain lookup every time (or whose handles never resolve).
    static const RecordPool* KeptDescriptor(const PoolSet& set, int pool) {
        const RecordPool* descriptor = pool_detail::InlinePool(set, pool);
        if (descriptor == nullptr || descriptor->shift == 0 || descriptor->shift >= kDocumentHandleBits)
            return nullptr;
        return descriptor;
    }

    [[gnu::noinline]] T* FindAndKeepBlock(RecordHandle handle, unsigned block) {
        T* record = resolver_.Find(handle);
        // A record found lies in a block that is made and within the count. Without
        // an inline descriptor no block is kept, and every lookup comes here.
        // Keeping a block again writes what it held.
        if (record != nullptr && descriptor_ != nullptr) {
            const PoolBlock& entry = descriptor_->blocks[block];
            std::byte* base = entry.base.get();
            std::byte* end = entry.end.get();
            const uint32_t bytes = end > base ? static_cast<uint32_t>(end - base) : 0;
            blocks_[block] = {base, pool_detail::LiveBits(entry, shift_), bytes};
            entries_[block] = entry;
            kept_ |= uint64_t{1} << block;
            last_ = blocks_[block];
            lastBlock_ = block;
        }
        return record;
    }

    PoolResolver<T> resolver_;
    PoolSet set_;
    int pool_;
    const RecordPool* descriptor_ = nullptr;
    uint8_t shift_ = 1;
    uint8_t blockShift_ = kDocumentHandleBits;
    unsigned lastBlock_ = ~0u;  // none
    Block last_{};              // a copy of blocks_[lastBlock_]
    uint64_t kept_ = 0;         // bit b: blocks_[b] holds block b
    Block blocks_[kMaxPoolBlocks];  // only the entries kept are set
    PoolBlock entries_[kMaxPoolBlocks];  // the descriptor's entries they were kept from
};

}  // namespace ql
