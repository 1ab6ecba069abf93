// Block operations on ranges of staves and measures: one staff's measure copied to
// another place (Shift+Insert, the barline's duplicate), the measure duplicated for
// all staves, and the cell copy that the block paste shares with them.
//
// A cell copy may run between two documents: handles of the source are resolved in
// the source's pools and records are made in the destination's, each through a
// scoped switch of the current pool set. Links between the events of a copied chain
// (the beam partners) are translated through a table as long as the chain.
#pragma once

#include "core/ui/block_edit_services.h"

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct MeasureCell;
struct MeasureRecord;

// Where a cell copy reads and writes. `view` is a view on `to` (clones take it).
struct BlockCellCopy {
    ScoreDocument* from = nullptr;
    ScoreDocument* to = nullptr;
    ScoreView* view = nullptr;
    uint8_t voiceMask = 0;  // voices copied, bit v for voice v; 0 = all four
};

// Copies the voices of `source` that the mask selects into `dest`, each only when
// the destination voice has neither events nor rests. 1, or 0 when a record could
// not be had (what was copied stays).
int CopyCellVoices(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest);
// Appends clones of the source cell's measure objects to the destination's list.
int CopyCellObjects(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest);
// The destination cell becomes the source cell: the selected voices are emptied and
// copied; with every voice selected the cell's signature bytes and its measure
// objects are taken too. 1, or 0 when a record could not be had.
int ReplaceCellContents(const BlockCellCopy& copy, MeasureCell* source, MeasureCell* dest);
// The destination measure takes the source measure's record, keeping its own
// number, spacing, layout and multi-measure rest count.
void CopyMeasureRecordKeepingNumber(MeasureRecord* dest, const MeasureRecord& source);

// Copies one staff's measure to another staff and measure of the view's document
// (voices the view's edit mask selects, all four when it shows all voices); a
// destination voice that already has content is left alone. The current measure
// moves to the destination. Non-zero on success.
int EditStaffBlock(ScoreView* view, int fromStaff, int fromMeasure, int toStaff, int toMeasure);
// The same with the measure taken from `from` (an open document, which is only
// read: the view's document or another one).
int EditStaffBlockFrom(ScoreView* view, ScoreDocument* from, int fromStaff, int fromMeasure, int toStaff,
                       int toMeasure);

// EditBlockAllStaves, a measure duplicated into the next on every staff, is in
// core/ui/block_edit_services.h.

}  // namespace ql
