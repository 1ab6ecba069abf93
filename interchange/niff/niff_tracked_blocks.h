// The blocks a NIFF import allocates for its handlers: each one tracked, so one
// release at the end of the import (or when it is abandoned) frees them all, with
// a running total of bytes. Running out of memory ends the import, not the
// program: the allocation throws NiffImportAbort, which the driver catches.
#pragma once

#include <cstddef>
#include <exception>
#include <vector>

namespace ql::niff {

// Ends the import that is running (out of memory, or a failed record).
struct NiffImportAbort : std::exception {
    const char* what() const noexcept override { return "NIFF import out of memory"; }
};

class NiffTrackedBlocks {
  public:
    NiffTrackedBlocks() = default;
    NiffTrackedBlocks(const NiffTrackedBlocks&) = delete;
    NiffTrackedBlocks& operator=(const NiffTrackedBlocks&) = delete;
    NiffTrackedBlocks(NiffTrackedBlocks&& other) noexcept { Take(other); }
    NiffTrackedBlocks& operator=(NiffTrackedBlocks&& other) noexcept {
        if (this != &other) {
            ReleaseAll();
            Take(other);
        }
        return *this;
    }
    ~NiffTrackedBlocks() { ReleaseAll(); }

    // A zero-filled tracked block; throws NiffImportAbort when memory runs out.
    void* Alloc(size_t size);
    // Tracks a block allocated with operator new[] of `size` bytes.
    void Track(void* block, size_t size);
    // Frees a tracked block and clears the pointer; an untracked block is left alone.
    void Free(void** block);
    // Frees every tracked block.
    void ReleaseAll();

    size_t TotalBytes() const { return total_; }
    size_t Count() const { return nodes_.size() - spare_.size(); }

  private:
    void Take(NiffTrackedBlocks& other) noexcept {
        nodes_.swap(other.nodes_);
        spare_.swap(other.spare_);
        total_ = other.total_;
        other.total_ = 0;
    }
    struct Node {
        void* block = nullptr;
        size_t size = 0;
    };
    std::vector<Node> nodes_;
    std::vector<size_t> spare_;  // spent nodes, reused first
    size_t total_ = 0;
};

// Makes the allocation `n` from now (1 = the next one) of any import fail, as if
// memory had run out; 0 turns it off. For tests of the out-of-memory path.
void FailNiffAllocationAfter(int n);
// Counts one allocation against the failure set above; throws NiffImportAbort
// when it is the one to fail.
void CountNiffAllocation();

}  // namespace ql::niff
