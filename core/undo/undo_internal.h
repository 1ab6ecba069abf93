// Internals shared by the undo modules: the byte work of capture and apply, the
// allocation test hook and the repairs after an apply. Not for callers outside undo.
#pragma once

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

// The pools (as PoolBit bits) in which a record handed out outside any edit since the
// last capture is still live: galley pages, step-entry notes. A stored descriptor of
// such a pool no longer knows that record and would hand it out a second time.
uint32_t PoolsWithRecordsMadeOutsideEdits(const ScoreDocument* document);

// Fills a record with the differences and brings the shadows up to date; false when
// a node could not be allocated (the shadows are then partly updated).
bool FillUndoRecord(ScoreDocument* document, UndoRecord& record);

// Swaps the record's bytes with the document's; true when the header changed.
bool ApplyUndoRecordBytes(ScoreDocument* document, UndoRecord& record);

// After an apply or a baseline restore: first page, internal distances, caches,
// selection and the position of every view of the document.
void RepairAfterUndoApply(ScoreDocument* document, bool headerChanged);

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
