// The block pools (static pools 2 to 10) and the block paste's working arrays kept
// in them: (position from the range start, measure count) pairs of the multi-measure
// rests a paste opens, in records of 16 pairs. The records are reserved before the
// paste changes anything, so running out of room refuses the paste whole.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

// Empties the block pools; what was captured in them is gone.
void EmptyBlockPools();

struct RestPair {
    int16_t position;
    int16_t count;
};
constexpr int kRestPairsPerRecord = 16;

class BlockWorkingPairs {
  public:
    BlockWorkingPairs() = default;
    ~BlockWorkingPairs();
    BlockWorkingPairs(const BlockWorkingPairs&) = delete;
    BlockWorkingPairs& operator=(const BlockWorkingPairs&) = delete;

    // Room for `pairs` pairs (at least one record); false when a record could not be
    // had (nothing is then held).
    bool Reserve(int pairs);
    // Notes a pair in the reserved room; false when it is full.
    bool Add(int position, int count);
    int size() const { return size_; }
    RestPair at(int index) const;

  private:
    void Release();
    std::vector<RestPair*> records_;  // static block pool records, freed with this
    int size_ = 0;
};

}  // namespace ql
