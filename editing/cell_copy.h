// Copying one staff's measure cell into another cell, of the same document or of
// another one: the notes and rests of the voices a mask allows, with their beams
// and attachments, and the cell's objects. The block paste, the staff copy and
// Extract Part all copy cells through this one module.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct MeasureCell;
struct ScoreObject;

// What one cell copy did: a record that could not be had stops it (ok 0).
struct CellCopyOutcome {
    int ok = 1;
    int uncloned = 0;  // objects whose class has no copy of its own (left out)
};

// Where one cell copy reads and writes. Handles of the source resolve in
// `fromSet`, new records come from `toSet`; `view` is a view on `to` (clones take
// it). Borrowed for the call only.
struct CellCopySides {
    ScoreDocument* from = nullptr;
    ScoreDocument* to = nullptr;
    PoolSet fromSet;
    PoolSet toSet;
    ScoreView* view = nullptr;
    uint8_t voiceMask = 0;  // voices copied, bit v for voice v; 0 = all four
};

// Copies the source cell's voices the mask selects into the destination's voices
// that hold neither events nor rests. A voice whose head cannot be made (only the
// document's shared sentinel is left) is refused. 1, or 0 when a record could not
// be had (what was copied before stays).
int CopyCellVoicesBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest,
                          CellCopyOutcome* outcome = nullptr);
// Appends clones of the source cell's measure objects to the destination's list
// and recounts its clef and key changes. 1, or 0 when a record could not be had.
int CopyCellObjectsBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest,
                           CellCopyOutcome* outcome = nullptr);

// Appends clones of the objects after the list head `sourceList` (source side)
// to the end of the list at `destList` (destination side): a cell's measure
// objects, a staff's labels. 1, or 0 when a record could not be had.
int CopyObjectListBetween(const CellCopySides& sides, ScoreObject* sourceList, ScoreObject* destList,
                          CellCopyOutcome* outcome = nullptr);

// One object of the source side cloned for the destination by its class's copy;
// a text-styled object's own font names its face in the destination's table. Not
// linked anywhere. Null when the class has no copy of its own or a record could
// not be had.
ScoreObject* CloneObjectBetween(const CellCopySides& sides, ScoreObject* object);

// Extract Part's copy: the voices allowed by `voiceMask` (0 = all) and by the
// program's voice filter, then the cell's objects. 1, or 0 when a record could
// not be had (what was copied before stays).
int CopyCellBetweenDocuments(ScoreDocument* source, ScoreDocument* destination, PoolSet sourceSet,
                             PoolSet destinationSet, MeasureCell* sourceCell, MeasureCell* destinationCell,
                             uint8_t voiceMask, ScoreView* view = nullptr, CellCopyOutcome* outcome = nullptr);

// A copy of some voices only (`mask` not 0) beams the copied notes of those voices
// again, as note entry would: the view (on the destination) moves to the cell and
// every chord head without beam links is auto-beamed.
void RebeamCopiedVoices(ScoreView* view, uint8_t mask, int staff, int measure);

}  // namespace ql
