// Test fixture of the pool tests: a fresh program state, one document pool set made
// current, and a check that every block a test took went back to the arena.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "core/memory/arena.h"
#include "core/memory/pool.h"
#include "core/state.h"

namespace ql::testing_pools {

class PoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        arenaBytesAtStart_ = ArenaBytesInUse();
        InitDocumentPoolSet(doc_);
        SetCurrentPoolSet(doc_);
    }

    void TearDown() override {
        FreeDocumentPoolSet(doc_);
        ResetProgramState();
        FailNextArenaBlocks(0);
        EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_) << "a block was not returned to the arena";
    }

    // Slot index and block index of a record of the current set.
    static uint16_t HandleBits(int pool, const void* record) { return PtrToHandle(pool, record).bits; }

    static bool IsZeroFilled(const void* record, size_t bytes) {
        auto* b = static_cast<const unsigned char*>(record);
        for (size_t i = 0; i < bytes; ++i)
            if (b[i] != 0) return false;
        return true;
    }

    DocumentPoolSet doc_{};
    size_t arenaBytesAtStart_ = 0;
};

// Two document sets driven side by side, one by the operation under test and one by
// single allocations; a release is made in both.
struct TwinPoolSets {
    DocumentPoolSet runs{};
    DocumentPoolSet singles{};

    TwinPoolSets() {
        InitDocumentPoolSet(runs);
        InitDocumentPoolSet(singles);
    }
    ~TwinPoolSets() {
        FreeDocumentPoolSet(runs);
        FreeDocumentPoolSet(singles);
    }
    TwinPoolSets(const TwinPoolSets&) = delete;
    TwinPoolSets& operator=(const TwinPoolSets&) = delete;

    void FreeInBoth(int pool, uint16_t handle) {
        for (DocumentPoolSet* set : {&runs, &singles}) {
            ScopedPoolSet use(*set);
            FreeRecordByHandle(pool, RecordHandle{handle});
        }
    }
};

}  // namespace ql::testing_pools
