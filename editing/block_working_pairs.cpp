// The block pools and the working pair arrays of the block paste.
#include "editing/block_working_pairs.h"

#include "core/constants.h"
#include "core/memory/pool.h"

namespace ql {
namespace {

// 16 pairs of 4 bytes fill one 64-byte record.
constexpr int kPairRecordPool = 8;

}  // namespace

void EmptyBlockPools() {
    for (int pool = kFirstClipboardPool; pool <= kLastClipboardPool; ++pool) ResetStaticPool(pool);
}

BlockWorkingPairs::~BlockWorkingPairs() {
    Release();
}

void BlockWorkingPairs::Release() {
    for (RestPair* record : records_) FreeStaticRecord(kPairRecordPool, record);
    records_.clear();
    size_ = 0;
}

bool BlockWorkingPairs::Reserve(int pairs) {
    const int needed = pairs / kRestPairsPerRecord + 1;
    while (static_cast<int>(records_.size()) < needed) {
        auto* record = static_cast<RestPair*>(AllocStaticRecord(kPairRecordPool));
        if (record == nullptr) {
            Release();
            return false;
        }
        records_.push_back(record);
    }
    return true;
}

bool BlockWorkingPairs::Add(int position, int count) {
    if (size_ >= static_cast<int>(records_.size()) * kRestPairsPerRecord) return false;
    RestPair* record = records_[static_cast<size_t>(size_ / kRestPairsPerRecord)];
    record[size_ % kRestPairsPerRecord] = RestPair{static_cast<int16_t>(position), static_cast<int16_t>(count)};
    ++size_;
    return true;
}

RestPair BlockWorkingPairs::at(int index) const {
    if (index < 0 || index >= size_) return RestPair{0, 0};
    return records_[static_cast<size_t>(index / kRestPairsPerRecord)][index % kRestPairsPerRecord];
}

}  // namespace ql
