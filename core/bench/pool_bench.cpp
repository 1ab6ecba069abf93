// Speed of the record pools: allocation from the free list and from fresh slots,
// release, and handle conversion both ways, on a document set and on the static
// set (whose pool 11 takes its lock on every operation).
#include <benchmark/benchmark.h>

#include <vector>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/state.h"

namespace ql {
namespace {

// A document set made current for one benchmark, released afterwards.
class BenchDocument {
public:
    BenchDocument() {
        ResetProgramState();
        InitDocumentPoolSet(set_);
        SetCurrentPoolSet(set_);
    }
    ~BenchDocument() {
        FreeDocumentPoolSet(set_);
        ResetProgramState();
    }
    DocumentPoolSet& set() { return set_; }

private:
    DocumentPoolSet set_{};
};

// Allocate and free one record: a free-list pop and push with zero-filling.
void BM_AllocFreeRecycled(benchmark::State& state) {
    BenchDocument doc;
    for (auto _ : state) {
        void* record = AllocRecord(kEventRecordPool);
        benchmark::DoNotOptimize(record);
        FreeRecord(kEventRecordPool, record);
    }
}
BENCHMARK(BM_AllocFreeRecycled);

// Allocate fresh records (bump of nextFresh, new blocks as needed), then free all.
void BM_AllocFreshThenFree(benchmark::State& state) {
    BenchDocument doc;
    const int count = static_cast<int>(state.range(0));
    std::vector<void*> records(static_cast<size_t>(count));
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) records[static_cast<size_t>(i)] = AllocRecord(kEventRecordPool);
        for (void* record : records) FreeRecord(kEventRecordPool, record);
        state.PauseTiming();
        ResetDocumentPoolSet(doc.set());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AllocFreshThenFree)->Arg(1000)->Arg(30000);

// Handle to pointer over records spread across many blocks.
void BM_HandleToPtr(benchmark::State& state) {
    BenchDocument doc;
    std::vector<RecordHandle> handles;
    for (int i = 0; i < 20000; ++i) handles.push_back(PtrToHandle(kEventRecordPool, AllocRecord(kEventRecordPool)));
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(HandleToPtr(kEventRecordPool, handles[i]));
        i = (i + 1) % handles.size();
    }
}
BENCHMARK(BM_HandleToPtr);

// Pointer to handle: a search of the pool's blocks (the last of 20 blocks here).
void BM_PtrToHandle(benchmark::State& state) {
    BenchDocument doc;
    std::vector<void*> records;
    for (int i = 0; i < 20000; ++i) records.push_back(AllocRecord(kEventRecordPool));
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PtrToHandle(kEventRecordPool, records[i]));
        i = (i + 1) % records.size();
    }
}
BENCHMARK(BM_PtrToHandle);

// The checked typed lookup every record walk uses: handle to a live record, inline,
// over records spread across many blocks, a tenth of them freed.
void BM_FindRecord(benchmark::State& state) {
    BenchDocument doc;
    std::vector<RecordHandle> handles;
    for (int i = 0; i < 20000; ++i) {
        void* record = AllocRecord(kEventRecordPool);
        handles.push_back(PtrToHandle(kEventRecordPool, record));
        if (i % 10 == 0) FreeRecord(kEventRecordPool, record);
    }
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindRecord<void>(kEventRecordPool, handles[i]));
        i = (i + 1) % handles.size();
    }
}
BENCHMARK(BM_FindRecord);

// A walk of every live record of a pool of 20,000 slots, a tenth of them freed.
void BM_AnyLiveRecordWalk(benchmark::State& state) {
    BenchDocument doc;
    for (int i = 0; i < 20000; ++i) {
        void* record = AllocRecord(kEventRecordPool);
        if (i % 10 == 0) FreeRecord(kEventRecordPool, record);
    }
    for (auto _ : state) {
        int live = 0;
        AnyLiveRecordOf(kEventRecordPool, [&live](void*) { return ++live < 0; });
        benchmark::DoNotOptimize(live);
    }
    state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK(BM_AnyLiveRecordWalk);

// Static pool 11: allocate and free under its lock, as the MIDI-input thread does.
void BM_StaticPoolElevenAllocFree(benchmark::State& state) {
    BenchDocument doc;
    InitStaticPoolSet();
    for (auto _ : state) {
        void* record = AllocStaticRecord(kSequencerStaticPool);
        benchmark::DoNotOptimize(record);
        FreeStaticRecord(kSequencerStaticPool, record);
    }
}
BENCHMARK(BM_StaticPoolElevenAllocFree);

}  // namespace
}  // namespace ql
