// Internals shared by the undo modules: the byte work of capture and apply, what the
// changes made between edits gained and freed, the allocation test hook and the
// repairs after an apply. Not for callers outside undo.
#pragma once

#include <vector>

#include "core/undo/undo.h"

namespace ql {

// Throws std::bad_alloc when the test hook asks an undo allocation to fail.
void ThrowIfUndoAllocationFails();

// Brings shadows and baseline up to date with every change since the last capture,
// recording nothing.
void AbsorbChangesSinceCapture(ScoreDocument* document);

// The bit of a pool in a set of pools.
constexpr uint32_t PoolBit(int pool) {
    return uint32_t{1} << pool;
}

// What the changes made since the last capture, outside any recorded edit, did to the
// pools (PoolBit sets): pools in which a record is live that was not then (gained:
// galley pages, step-entry notes) and pools that released a record live then (freed:
// a note deleted by step entry), even when the slot was handed out again since.
struct ChangesOutsideEdits {
    uint32_t gainedPools = 0;
    uint32_t freedPools = 0;

    bool Any() const { return (gainedPools | freedPools) != 0; }
};
ChangesOutsideEdits FindChangesOutsideEdits(const ScoreDocument* document);

// True when applying the record would undo part of such changes: it restores the
// descriptor of a pool that gained or freed records (a gained record would be handed
// out a second time, a freed one's slot lost), or the bytes of a slot, a measure
// record or the header rewritten since the last capture, where the changes linked a
// gained record or unlinked a freed one. Asked before the changes are absorbed.
bool WouldUndoChangesOutsideEdits(const ScoreDocument* document, const UndoRecord& record,
                                  const ChangesOutsideEdits& changes);

// Fills a record with the differences and brings the shadows up to date; false when
// a node could not be allocated (the shadows are then partly updated).
bool FillUndoRecord(ScoreDocument* document, UndoRecord& record);

// Swaps the record's bytes with the document's; true when the header changed.
bool ApplyUndoRecordBytes(ScoreDocument* document, UndoRecord& record);

// Where the document's systems stand across the page, page by page: taken before an
// apply, so that the repair after it tells whether one moved.
std::vector<int32_t> SystemPlacesOf(const ScoreDocument* document);

// After an apply or a baseline restore: first page, internal distances, caches,
// selection and the position of every view of the document. `placesBefore`: the
// systems' places before it (SystemPlacesOf); where one moved (a staff label's
// indent came or went), the page views' beat maps are built again.
void RepairAfterUndoApply(ScoreDocument* document, bool headerChanged,
                          const std::vector<int32_t>& placesBefore);

// Gives the view stored in a record its position back when it still shows the
// document; the fallback view is not moved.
void RestoreUndoViewState(ScoreDocument* document, ScoreView* fallback, const UndoViewState& state);

// The selection reset before and after an apply (needs a SelectionState).
void ResetSelectionForUndo(ScoreView* view);
// An applied record changes the score: it counts as a change to be saved.
void SetDocumentModifiedByUndo(ScoreDocument* document);
// Scroll views rebuild their galley page after a Checkpoint Restore.
void RebuildGalleyAfterRestore(ScoreDocument* document);

}  // namespace ql
