// Moving measures in the measure table and every staff's cell array, for the edits
// that insert or delete measures. Insertion is split in two so that nothing changes
// when memory runs out: every new cell is made first (MakeInsertedCells), and only
// then are the records and handles moved (ShiftMeasuresUp), which cannot fail.
#pragma once

#include <vector>

#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;

// New cells for one measure: one per staff 0..staff count, copies of the staff's cell
// at `source` with empty voices and their own object list (fresh default cells when
// `source` is below 1). False with nothing kept when one could not be had.
bool MakeInsertedCells(ScoreDocument* document, int source, std::vector<RecordHandle>* made);
// Frees a cell with its voices and lists and clears the handle.
void FreeCellHandle(ScoreDocument* document, RecordHandle& handle);
// Frees cells that were made and never placed.
void FreeInsertedCells(ScoreDocument* document, std::vector<RecordHandle>* made);

// Moves the records and cell handles at..count + 4 one place up and puts `cells` (as
// made above) at `at`; record `at` is cleared with the document's default margins
// and no multi-measure count. The measure count is not changed here.
void ShiftMeasuresUp(ScoreDocument* document, int at, const std::vector<RecordHandle>& cells);
// Frees the cells and spacing lists of at..at + count - 1 and moves the records and
// handles after them (up to measure count + 4) `count` places down in one move; the
// records left at the top are cleared and their handles emptied. The measure count
// is not changed here.
void ShiftMeasuresDown(ScoreDocument* document, int at, int count = 1);

// Deletes at..at + count - 1 and appends as many empty measures at the end, in one
// move of the table and without new records: the deleted cells are emptied and
// become the new spare cells (copies of the cell before each), the new records take
// their cells' signature length and run the numbers on. The measure count stays.
void RecycleMeasures(ScoreDocument* document, int at, int count);

// Moves the numbering run that starts at `from` (it and every later measure whose
// number continues the one before) by `delta`; the break that ends the run keeps
// its number.
void ShiftRunNumbers(ScoreDocument* document, int from, int delta);

// The number the numbering rule gives the measure after `measure`.
int NumberAfter(ScoreDocument* document, int measure);

}  // namespace ql
