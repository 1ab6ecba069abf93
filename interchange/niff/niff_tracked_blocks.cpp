// Tracked allocations of a NIFF import.
#include "interchange/niff/niff_tracked_blocks.h"

#include <cstring>
#include <new>

namespace ql::niff {
namespace {

int& FailureCountdown() {
    static int countdown = 0;
    return countdown;
}

}  // namespace

void FailNiffAllocationAfter(int n) {
    FailureCountdown() = n;
}

void CountNiffAllocation() {
    int& countdown = FailureCountdown();
    if (countdown <= 0) return;
    if (--countdown == 0) throw NiffImportAbort();
}

void* NiffTrackedBlocks::Alloc(size_t size) {
    CountNiffAllocation();
    auto* block = new (std::nothrow) unsigned char[size == 0 ? 1 : size];
    if (block == nullptr) throw NiffImportAbort();
    std::memset(block, 0, size == 0 ? 1 : size);
    try {
        Track(block, size);
    } catch (const std::bad_alloc&) {
        delete[] block;
        throw NiffImportAbort();
    }
    return block;
}

void NiffTrackedBlocks::Track(void* block, size_t size) {
    if (block == nullptr) return;
    if (!spare_.empty()) {
        nodes_[spare_.back()] = {block, size};
        spare_.pop_back();
    } else {
        nodes_.push_back({block, size});
    }
    total_ += size;
}

void NiffTrackedBlocks::Free(void** block) {
    if (block == nullptr || *block == nullptr) return;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].block != *block) continue;
        delete[] static_cast<unsigned char*>(nodes_[i].block);
        total_ -= nodes_[i].size;
        nodes_[i] = {};
        spare_.push_back(i);
        *block = nullptr;
        return;
    }
}

void NiffTrackedBlocks::ReleaseAll() {
    for (Node& node : nodes_) delete[] static_cast<unsigned char*>(node.block);
    nodes_.clear();
    spare_.clear();
    total_ = 0;
}

}  // namespace ql::niff
