// The byte work of undo: taking and restoring the baseline, capturing the difference
// between the live document and its shadow into an UndoRecord, and swapping a
// record's bytes back. Capture compares whole blocks first and walks slots only in
// blocks that differ; consecutive differing slots become one run.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "core/model/grid_records.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/services/display_services.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "core/undo/undo_internal.h"

namespace ql {

namespace {

// One shadowed block of pools 2..10 that has memory.
struct ShadowedBlock {
    int pool;
    int block;
    std::byte* live;
    std::byte* shadow;
    size_t bytes;
    size_t slotSize;
};

template <typename Fn>
void ForEachShadowedBlock(ScoreDocument* document, Fn&& fn) {
    for (int pool = kFirstUndoPool; pool <= kLastUndoPool; ++pool) {
        const RecordPool& descriptor = document->pools.pools[pool];
        int blocks = std::min<int>(descriptor.blockCount, kMaxPoolBlocks);
        for (int block = 0; block < blocks; ++block) {
            std::byte* shadow = BlockShadow(descriptor, block);
            if (shadow == nullptr) continue;
            fn(ShadowedBlock{pool, block, descriptor.blocks[block].base.get(), shadow,
                             BlockLiveBytes(descriptor, block), size_t{1} << descriptor.shift});
        }
    }
}

int MeasureTableRecords() {
    return MaxMeasures;
}

bool HasMeasureTables(const ScoreDocument* document) {
    return document->measureTable != nullptr && document->baselineMeasureTable != nullptr;
}

size_t MeasureTableBytes() {
    return sizeof(MeasureRecord) * MeasureTableRecords();
}

void CaptureDescriptors(ScoreDocument* document, UndoRecord& record) {
    for (int pool = 0; pool < kDocumentPoolCount; ++pool) {
        RecordPool& live = document->pools.pools[pool];
        RecordPool& baseline = document->baselinePools.pools[pool];
        if (std::memcmp(&live, &baseline, sizeof(RecordPool)) == 0) continue;
        ThrowIfUndoAllocationFails();
        record.descriptorDiffs.push_back(DescriptorDiff{baseline, static_cast<uint16_t>(pool)});
        record.size += sizeof(DescriptorDiff);
        record.changes += 1;
        baseline = live;
    }
}

// Stores the shadow bytes of slots [first, first + count) and brings them up to date.
void PushSlotRun(const ShadowedBlock& block, size_t first, size_t count, UndoRecord& record) {
    ThrowIfUndoAllocationFails();
    SlotRun run;
    run.count = static_cast<uint16_t>(count);
    run.firstSlot = static_cast<uint16_t>(first);
    run.slotSize = static_cast<uint16_t>(block.slotSize);
    run.pool = static_cast<uint8_t>(block.pool);
    run.block = static_cast<uint8_t>(block.block);
    size_t offset = first * block.slotSize;
    size_t bytes = count * block.slotSize;
    run.bytes.assign(block.shadow + offset, block.shadow + offset + bytes);
    record.slotRuns.push_back(std::move(run));
    std::memcpy(block.shadow + offset, block.live + offset, bytes);
    record.size += static_cast<uint32_t>(sizeof(SlotRun) + bytes);
    record.changes += static_cast<uint32_t>(count);
}

// The slots are compared a chunk at a time first: a chunk equal to its shadow is
// passed whole, so an edit costs about one compare per chunk of the blocks it
// touched, not one per slot. Only the runs of differing slots are recorded.
constexpr size_t kChunkSlots = 32;

void CaptureBlockRuns(const ShadowedBlock& block, UndoRecord& record) {
    size_t slots = block.bytes / block.slotSize;
    size_t slot = 0;
    auto differs = [&](size_t s) {
        size_t offset = s * block.slotSize;
        return std::memcmp(block.live + offset, block.shadow + offset, block.slotSize) != 0;
    };
    auto chunkDiffers = [&](size_t s) {
        size_t offset = s * block.slotSize;
        size_t bytes = std::min(kChunkSlots, slots - s) * block.slotSize;
        return std::memcmp(block.live + offset, block.shadow + offset, bytes) != 0;
    };
    while (slot < slots) {
        if (slot % kChunkSlots == 0 && !chunkDiffers(slot)) {
            slot += kChunkSlots;
            continue;
        }
        if (!differs(slot)) {
            ++slot;
            continue;
        }
        size_t first = slot;
        while (slot < slots && differs(slot)) ++slot;
        PushSlotRun(block, first, slot - first, record);
    }
}

void CaptureSlots(ScoreDocument* document, UndoRecord& record) {
    ForEachShadowedBlock(document, [&](const ShadowedBlock& block) {
        if (std::memcmp(block.live, block.shadow, block.bytes) == 0) return;
        CaptureBlockRuns(block, record);
    });
}

void PushMeasureRun(ScoreDocument* document, int first, int count, UndoRecord& record) {
    ThrowIfUndoAllocationFails();
    MeasureRun run;
    run.first = static_cast<uint16_t>(first);
    run.count = static_cast<uint16_t>(count);
    MeasureRecord* baseline = document->baselineMeasureTable.get() + first;
    run.records.assign(baseline, baseline + count);
    record.measureRuns.push_back(std::move(run));
    std::memcpy(static_cast<void*>(baseline), document->measureTable.get() + first,
                sizeof(MeasureRecord) * count);
    record.size += static_cast<uint32_t>(sizeof(MeasureRun) + sizeof(MeasureRecord) * count);
    record.changes += static_cast<uint32_t>(count);
}

void CaptureMeasures(ScoreDocument* document, UndoRecord& record) {
    if (!HasMeasureTables(document)) return;
    const MeasureRecord* live = document->measureTable.get();
    const MeasureRecord* baseline = document->baselineMeasureTable.get();
    if (std::memcmp(live, baseline, MeasureTableBytes()) == 0) return;
    auto differs = [&](int m) {
        return std::memcmp(live + m, baseline + m, sizeof(MeasureRecord)) != 0;
    };
    int records = MeasureTableRecords();
    constexpr int kChunkRecords = 32;  // compared a chunk at a time first, as the slots are
    auto chunkDiffers = [&](int m) {
        const int count = std::min(kChunkRecords, records - m);
        return std::memcmp(live + m, baseline + m, sizeof(MeasureRecord) * count) != 0;
    };
    int m = 0;
    while (m < records) {
        if (m % kChunkRecords == 0 && !chunkDiffers(m)) {
            m += kChunkRecords;
            continue;
        }
        if (!differs(m)) {
            ++m;
            continue;
        }
        int first = m;
        while (m < records && differs(m)) ++m;
        PushMeasureRun(document, first, m - first, record);
    }
}

void CaptureHeader(ScoreDocument* document, UndoRecord& record) {
    record.header = document->baselineHeader;
    if (std::memcmp(&document->header, &document->baselineHeader, sizeof(ScoreHeader)) != 0)
        record.changes += 1;
    document->baselineHeader = document->header;
}

// Only the entries that changed are kept: an entry the record does not name is
// never written back.
void CaptureFaceNames(ScoreDocument* document, UndoRecord& record) {
    for (int i = 0; i < kFaceNameCount; ++i) {
        FaceNameEntry& live = document->faceNames[i];
        FaceNameEntry& baseline = document->baselineFaceNames[i];
        if (std::memcmp(&live, &baseline, sizeof(FaceNameEntry)) == 0) continue;
        ThrowIfUndoAllocationFails();
        record.faceDiffs.push_back(FaceDiff{baseline, static_cast<uint8_t>(i)});
        record.size += sizeof(FaceDiff);
        record.changes += 1;
        baseline = live;
    }
}

void ApplyFaceDiffs(ScoreDocument* document, UndoRecord& record) {
    for (FaceDiff& diff : record.faceDiffs) {
        if (diff.index >= kFaceNameCount) continue;
        std::swap(document->faceNames[diff.index], diff.entry);
        document->baselineFaceNames[diff.index] = document->faceNames[diff.index];
    }
}

void CopyFaceNames(FaceNameEntry (&to)[kFaceNameCount], const FaceNameEntry (&from)[kFaceNameCount]) {
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

// A pool descriptor restored from a record keeps every block the live one has:
// blocks are never dropped while the set lives.
RecordPool MergeDescriptor(const RecordPool& stored, const RecordPool& live) {
    RecordPool merged = stored;
    merged.blockCount = std::max(stored.blockCount, live.blockCount);
    for (int block = 0; block < kMaxPoolBlocks; ++block) {
        if (stored.blocks[block].base) continue;
        merged.blocks[block].base = live.blocks[block].base;
        merged.blocks[block].end = live.blocks[block].end;
        merged.blocks[block].capacity = live.blocks[block].capacity;
    }
    return merged;
}

void ApplyDescriptors(ScoreDocument* document, UndoRecord& record) {
    for (DescriptorDiff& diff : record.descriptorDiffs) {
        if (diff.pool >= kDocumentPoolCount) continue;
        RecordPool& live = document->pools.pools[diff.pool];
        RecordPool wasLive = live;
        live = MergeDescriptor(diff.descriptor, wasLive);
        document->baselinePools.pools[diff.pool] = live;
        diff.descriptor = wasLive;
    }
}

// Stored bytes go into the shadow, live bytes into the node, the live slots take
// the stored bytes.
void ApplySlotRuns(ScoreDocument* document, UndoRecord& record) {
    for (SlotRun& run : record.slotRuns) {
        if (run.pool < kFirstUndoPool || run.pool > kLastUndoPool) continue;
        const RecordPool& descriptor = document->pools.pools[run.pool];
        std::byte* shadow = BlockShadow(descriptor, run.block);
        if (shadow == nullptr) continue;
        std::byte* live = descriptor.blocks[run.block].base.get();
        size_t offset = size_t{run.firstSlot} * run.slotSize;
        size_t bytes = run.bytes.size();
        if (offset + bytes > BlockLiveBytes(descriptor, run.block)) continue;
        std::memcpy(shadow + offset, run.bytes.data(), bytes);
        std::memcpy(run.bytes.data(), live + offset, bytes);
        std::memcpy(live + offset, shadow + offset, bytes);
    }
}

void ApplyMeasureRuns(ScoreDocument* document, UndoRecord& record) {
    if (!HasMeasureTables(document)) return;
    for (MeasureRun& run : record.measureRuns) {
        if (run.first + run.count > MeasureTableRecords()) continue;
        MeasureRecord* baseline = document->baselineMeasureTable.get() + run.first;
        MeasureRecord* live = document->measureTable.get() + run.first;
        size_t bytes = sizeof(MeasureRecord) * run.count;
        std::memcpy(static_cast<void*>(baseline), run.records.data(), bytes);
        std::memcpy(static_cast<void*>(run.records.data()), live, bytes);
        std::memcpy(static_cast<void*>(live), baseline, bytes);
    }
}

}  // namespace

void FailNextUndoAllocations(int count, int skip) {
    State().program.FailUndoAllocations = count;
    State().program.UndoAllocationsBeforeFailure = skip;
}

void ThrowIfUndoAllocationFails() {
    ProgramGlobals& program = State().program;
    if (program.FailUndoAllocations <= 0) return;
    if (program.UndoAllocationsBeforeFailure > 0) {
        --program.UndoAllocationsBeforeFailure;
        return;
    }
    --program.FailUndoAllocations;
    throw std::bad_alloc();
}

ScoreDocument* TakeUndoBaseline(ScoreDocument* document) {
    if (document == nullptr) return nullptr;
    display::RestoreHiddenEmptyStavesOf(document);  // the baseline holds no painter-hidden staff
    document->baselinePools = document->pools;
    ForEachShadowedBlock(document, [](const ShadowedBlock& block) {
        std::memcpy(block.shadow, block.live, block.bytes);
    });
    NoteShadowsFilled(document->pools);
    if (HasMeasureTables(document))
        std::memcpy(static_cast<void*>(document->baselineMeasureTable.get()),
                    document->measureTable.get(), MeasureTableBytes());
    document->baselineValid = 1;
    document->baselineHeader = document->header;
    CopyFaceNames(document->baselineFaceNames, document->faceNames);
    ClearReleaseLog(document->pools);
    SetCurrentPoolSet(PoolSet(document->pools));
    return document;
}

void RestoreUndoBaseline(ScoreDocument* document) {
    // Without a valid baseline the copies hold another score's bytes, or none.
    if (document == nullptr || !document->baselineValid) return;
    for (int pool = 0; pool < kDocumentPoolCount; ++pool)
        document->pools.pools[pool] =
            MergeDescriptor(document->baselinePools.pools[pool], document->pools.pools[pool]);
    document->baselinePools = document->pools;
    ForEachShadowedBlock(document, [](const ShadowedBlock& block) {
        std::memcpy(block.live, block.shadow, block.bytes);
    });
    if (HasMeasureTables(document))
        std::memcpy(static_cast<void*>(document->measureTable.get()),
                    document->baselineMeasureTable.get(), MeasureTableBytes());
    document->header = document->baselineHeader;
    CopyFaceNames(document->faceNames, document->baselineFaceNames);
    ClearReleaseLog(document->pools);
    SetCurrentPoolSet(PoolSet(document->pools));
}

// Copies into the shadows and the baseline every difference made since the last
// capture, without recording it. A block that did not change costs one compare.
void AbsorbChangesSinceCapture(ScoreDocument* document) {
    document->baselinePools = document->pools;
    ForEachShadowedBlock(document, [](const ShadowedBlock& block) {
        if (std::memcmp(block.live, block.shadow, block.bytes) != 0)
            std::memcpy(block.shadow, block.live, block.bytes);
    });
    if (HasMeasureTables(document))
        std::memcpy(static_cast<void*>(document->baselineMeasureTable.get()),
                    document->measureTable.get(), MeasureTableBytes());
    document->baselineHeader = document->header;
    CopyFaceNames(document->baselineFaceNames, document->faceNames);
    ClearReleaseLog(document->pools);
}

bool FillUndoRecord(ScoreDocument* document, UndoRecord& record) {
    try {
        CaptureDescriptors(document, record);
        CaptureSlots(document, record);
        CaptureMeasures(document, record);
        CaptureHeader(document, record);
        CaptureFaceNames(document, record);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ClearReleaseLog(document->pools);
    return true;
}

bool ApplyUndoRecordBytes(ScoreDocument* document, UndoRecord& record) {
    ApplyDescriptors(document, record);
    ApplySlotRuns(document, record);
    ApplyMeasureRuns(document, record);
    ApplyFaceDiffs(document, record);
    bool headerChanged = std::memcmp(&record.header, &document->header, sizeof(ScoreHeader)) != 0;
    document->baselineHeader = record.header;
    record.header = document->header;
    document->header = document->baselineHeader;
    return headerChanged;
}

}  // namespace ql
