// Changes made between edits (step entry, transcription, the layout engine) are taken
// into the baseline unrecorded at the next outermost Begin, Undo or Redo. Before that,
// this module finds the records they gained or freed and tells which undo records
// would undo part of them; those records leave the history (undo.cpp).
//
// A record gained outside edits is live now but was fresh or free at the last
// capture: the live bitmap in the shadow and the baseline descriptors show it. A record freed outside
// edits was live at the last capture; its slot may have been handed out again since,
// so the bytes cannot show it: the pool set's release log does (PoolReleaseLog).
//
// Which records go: restoring a pool descriptor of such a pool would hand a gained
// record out again or lose a freed record's slot. Restoring a place the changes
// rewrote (a slot, a measure record, the header) would write back the links they
// replaced: a freed record linked again, a gained one unlinked. Links between records
// are not known here, so a whole rewritten place counts, and only when records were
// gained or freed; other changes between edits (layout results) keep the history.
// Limitation: every record restores the whole header, so a note deleted between edits
// together with a rewritten header word (a count, a font handle) ends the history.
#include <algorithm>
#include <cstring>

#include "core/memory/pool.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/undo/undo.h"
#include "core/undo/undo_internal.h"

namespace ql {

namespace {

// True when a slot of the block is live now but was not at the last capture: handed
// out since while the baseline had it fresh or free. The shadow holds the block's
// live bitmap as of the last capture.
bool BlockGainedRecords(const RecordPool& live, const RecordPool& then, int block) {
    const PoolBlock& now = live.blocks[block];
    const PoolBlock& before = then.blocks[block];
    if (BlockShadow(live, block) == nullptr) return false;
    bool sameBlock = before.base == now.base;
    for (size_t slot = 1; slot < now.nextFresh && slot < now.capacity; ++slot) {
        if (!IsSlotLive(live, block, slot)) continue;
        bool liveThen = sameBlock && slot < before.nextFresh && WasSlotLiveAtCapture(live, block, slot);
        if (!liveThen) return true;
    }
    return false;
}

// True when the block released, since the last capture, a slot that held a record
// then: the log keeps the lowest released slot whose shadow was not free, and every
// slot below the fresh mark of the last capture was handed out by then.
bool BlockFreedRecords(const DocumentPoolSet& set, const RecordPool& then, int pool, int block) {
    uint16_t lowest = set.releases.lowestSlot[pool][block];
    const PoolBlock& before = then.blocks[block];
    return lowest != 0 && before.base == set.pools[pool].blocks[block].base &&
           lowest < before.nextFresh;
}

bool RestoresAnyPool(const UndoRecord& record, uint32_t pools) {
    for (const DescriptorDiff& diff : record.descriptorDiffs)
        if (diff.pool < kDocumentPoolCount && (pools & PoolBit(diff.pool)) != 0) return true;
    return false;
}

// True when a slot run of the record covers a slot whose live bytes differ from its
// shadow. Runs that do not fit the block are skipped, as the apply skips them.
bool RestoresRewrittenSlot(const ScoreDocument* document, const UndoRecord& record) {
    for (const SlotRun& run : record.slotRuns) {
        if (run.pool < kFirstUndoPool || run.pool > kLastUndoPool) continue;
        const RecordPool& descriptor = document->pools.pools[run.pool];
        const std::byte* shadow = BlockShadow(descriptor, run.block);
        if (shadow == nullptr) continue;
        size_t offset = size_t{run.firstSlot} * run.slotSize;
        size_t bytes = run.bytes.size();
        if (offset + bytes > BlockLiveBytes(descriptor, run.block)) continue;
        const std::byte* live = descriptor.blocks[run.block].base.get();
        if (std::memcmp(live + offset, shadow + offset, bytes) != 0) return true;
    }
    return false;
}

bool RestoresRewrittenMeasure(const ScoreDocument* document, const UndoRecord& record) {
    if (document->measureTable == nullptr || document->baselineMeasureTable == nullptr)
        return false;
    for (const MeasureRun& run : record.measureRuns) {
        if (run.first + run.count > MaxMeasures) continue;
        const MeasureRecord* live = document->measureTable.get() + run.first;
        const MeasureRecord* then = document->baselineMeasureTable.get() + run.first;
        if (std::memcmp(live, then, sizeof(MeasureRecord) * run.count) != 0) return true;
    }
    return false;
}

// Every record restores the whole header, so a rewritten header is restored by all.
bool HeaderRewritten(const ScoreDocument* document) {
    return std::memcmp(&document->header, &document->baselineHeader, sizeof(ScoreHeader)) != 0;
}

}  // namespace

ChangesOutsideEdits FindChangesOutsideEdits(const ScoreDocument* document) {
    ChangesOutsideEdits changes;
    for (int pool = kFirstUndoPool; pool <= kLastUndoPool; ++pool) {
        const RecordPool& live = document->pools.pools[pool];
        const RecordPool& then = document->baselinePools.pools[pool];
        // Handing out a record that was fresh or free always moves the descriptor.
        bool mayHaveGained = std::memcmp(&live, &then, sizeof(RecordPool)) != 0;
        int blocks = std::min<int>(live.blockCount, kMaxPoolBlocks);
        for (int block = 0; block < blocks; ++block) {
            if (BlockFreedRecords(document->pools, then, pool, block))
                changes.freedPools |= PoolBit(pool);
            if (mayHaveGained && BlockGainedRecords(live, then, block)) {
                changes.gainedPools |= PoolBit(pool);
                mayHaveGained = false;  // one is enough
            }
        }
    }
    return changes;
}

bool WouldUndoChangesOutsideEdits(const ScoreDocument* document, const UndoRecord& record,
                                  const ChangesOutsideEdits& changes) {
    if (!changes.Any()) return false;
    return RestoresAnyPool(record, changes.gainedPools | changes.freedPools) ||
           HeaderRewritten(document) || RestoresRewrittenSlot(document, record) ||
           RestoresRewrittenMeasure(document, record);
}

}  // namespace ql
