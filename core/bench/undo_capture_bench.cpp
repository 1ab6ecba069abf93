// Capturing one undo step on a score whose event and cell pools are nearly full
// (about 30,000 notes), next to a plain memcmp of the same live and shadow bytes.
// The capture compares every block and walks the slots of the one block that changed;
// it should cost no more than about twice the plain compare.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/model/event_record.h"
#include "core/model/grid_records.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/undo/undo.h"

namespace ql {
namespace {

constexpr int kNotes = 30000;

// A document with kNotes events and kNotes measure cells, baseline taken.
struct FullScore {
    std::unique_ptr<ScoreDocument> doc = std::make_unique<ScoreDocument>();
    std::vector<std::byte*> events;

    FullScore() {
        ResetProgramState();
        InitDocumentPoolSet(doc->pools);
        SetCurrentPoolSet(PoolSet(doc->pools));
        doc->measureTable.reset(new MeasureRecord[MaxMeasures]());
        doc->baselineMeasureTable.reset(new MeasureRecord[MaxMeasures]());
        for (int i = 0; i < kNotes; ++i) {
            auto* event = static_cast<std::byte*>(AllocRecord(kEventRecordPool));
            auto* cell = static_cast<std::byte*>(AllocRecord(kMeasureCellPool));
            if (event == nullptr || cell == nullptr) break;
            std::memset(event, i & 0x7F, sizeof(EventRecord));
            std::memset(cell, (i >> 7) & 0x7F, sizeof(MeasureCell));
            events.push_back(event);
        }
        TakeUndoBaseline(doc.get());
    }
    ~FullScore() {
        FreeUndoStack(doc->undoStack);
        FreeUndoStack(doc->redoStack);
        FreeDocumentPoolSet(doc->pools);
        ResetProgramState();
    }
};

void BM_UndoCaptureOneNoteChanged(benchmark::State& state) {
    FullScore score;
    size_t at = 0;
    for (auto _ : state) {
        std::byte* note = score.events[at++ % score.events.size()];
        note[0] ^= std::byte{1};
        ++score.doc->changeCounter;
        benchmark::DoNotOptimize(CaptureUndoRecord(score.doc.get()));
    }
    state.counters["notes"] = static_cast<double>(score.events.size());
}
BENCHMARK(BM_UndoCaptureOneNoteChanged)->Unit(benchmark::kMicrosecond);

void BM_PlainMemcmpOfPoolBytes(benchmark::State& state) {
    FullScore score;
    for (auto _ : state) {
        int differing = 0;
        for (int pool = kFirstUndoPool; pool <= kLastUndoPool; ++pool) {
            const RecordPool& descriptor = score.doc->pools.pools[pool];
            for (int block = 0; block < descriptor.blockCount; ++block) {
                std::byte* shadow = BlockShadow(descriptor, block);
                if (shadow == nullptr) continue;
                differing += std::memcmp(descriptor.blocks[block].base.get(), shadow,
                                         BlockLiveBytes(descriptor, block)) != 0;
            }
        }
        benchmark::DoNotOptimize(differing);
    }
}
BENCHMARK(BM_PlainMemcmpOfPoolBytes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
