// Copying one staff's measure cell from one document into another (or into
// another cell of the same one): the notes and rests of the voices a mask allows,
// with their beams and attachments, and the cell's objects.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct MeasureCell;

// What one cell copy did: records that could not be had stop it (result 0).
struct CellCopyOutcome {
    int ok = 1;
    int uncloned = 0;  // objects whose class has no copy of its own (left out)
};

// Copies the source cell's voices allowed by `voiceMask` (bit v = voice v; 0 =
// all) and by the program's voice filter into the destination cell's voices that
// are empty, then the cell's objects after the destination's. `view` is the
// destination's view (objects clone for it). 1, or 0 when a record could not be
// had (what was copied before stays).
int CopyCellBetweenDocuments(ScoreDocument* source, ScoreDocument* destination, PoolSet sourceSet,
                             PoolSet destinationSet, MeasureCell* sourceCell, MeasureCell* destinationCell,
                             uint8_t voiceMask, ScoreView* view = nullptr, CellCopyOutcome* outcome = nullptr);

}  // namespace ql
