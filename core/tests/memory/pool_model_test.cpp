// Randomised allocate, free and convert against a simple model of the live records:
// every live record keeps its own contents (no two records overlap), handles round
// trip, freed records go back and come out zero-filled. Runs under ASan.
#include <map>
#include <random>
#include <vector>

#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

struct LiveRecord {
    int pool;
    uint16_t handle;
    unsigned char fill;
};

class PoolModel : public PoolTest {
protected:
    // One run of random operations on the current set over the given pools.
    void Run(const std::vector<int>& pools, unsigned seed, int steps) {
        std::mt19937 random(seed);
        std::map<void*, LiveRecord> live;
        for (int step = 0; step < steps; ++step) {
            int choice = static_cast<int>(random() % 10);
            if (choice < 6 || live.empty()) {
                Allocate(pools[random() % pools.size()], random, live);
            } else {
                auto it = std::next(live.begin(), static_cast<long>(random() % live.size()));
                Release(it->first, it->second);
                live.erase(it);
            }
            if (step % 997 == 0) VerifyAll(live);
            if (HasFailure()) return;
        }
        VerifyAll(live);
        for (auto& [record, model] : live) FreeRecord(model.pool, record);
    }

    void Allocate(int pool, std::mt19937& random, std::map<void*, LiveRecord>& live) {
        auto* record = static_cast<unsigned char*>(AllocRecord(pool));
        ASSERT_NE(record, nullptr);
        size_t bytes = PoolSlotBytes(pool);
        ASSERT_TRUE(IsZeroFilled(record, bytes));
        ASSERT_EQ(live.count(record), 0u) << "a live record was handed out again";
        uint16_t handle = HandleBits(pool, record);
        ASSERT_NE(handle, 0);
        if (!CurrentPoolSet().IsStatic()) {
            ASSERT_EQ(handle & 0x8000, 0);
        }
        LiveRecord model{pool, handle, static_cast<unsigned char>(1 + random() % 250)};
        std::memset(record, model.fill, bytes);
        live[record] = model;
    }

    void Release(void* record, const LiveRecord& model) {
        ExpectIntact(record, model);
        FreeRecord(model.pool, record);
        EXPECT_TRUE(IsFreeRecord(record));
        EXPECT_EQ(FindRecord<void>(model.pool, RecordHandle{model.handle}), nullptr);
    }

    void ExpectIntact(void* record, const LiveRecord& model) {
        auto* bytes = static_cast<unsigned char*>(record);
        size_t size = PoolSlotBytes(model.pool);
        for (size_t i = 0; i < size; ++i) ASSERT_EQ(bytes[i], model.fill) << "record overwritten at byte " << i;
    }

    void VerifyAll(const std::map<void*, LiveRecord>& live) {
        for (auto& [record, model] : live) {
            ASSERT_EQ(HandleToPtr(model.pool, RecordHandle{model.handle}), record);
            ASSERT_EQ(PtrToHandle(model.pool, record).bits, model.handle);
            ASSERT_TRUE(IsLiveRecord(CurrentPoolSet(), model.pool, record));
            ExpectIntact(record, model);
        }
    }
};

// Document set, all pools, several seeds.
TEST_F(PoolModel, DocumentSetMatchesTheModel) {
    for (unsigned seed : {1u, 7u, 2024u}) {
        Run({2, 3, 4, 5, 6, 7, 8, 9, 10}, seed, 20000);
        ResetDocumentPoolSet(doc_);
    }
}

// The static set with its 16-bit handles, made current.
TEST_F(PoolModel, StaticSetMatchesTheModel) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ScopedPoolSet useStatic(TheStaticPoolSet());
    Run({0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13}, 99, 20000);
}

}  // namespace
}  // namespace ql::testing_pools
