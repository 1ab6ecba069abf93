// Inserting and deleting one measure at a barline, the numbering rule that keeps
// measure numbers running on, and removing the ties that would cross a moved
// barline. The barline stored with measure m stands between m - 1 and m, so an edit
// "at a barline" works on the measure that follows it.
#pragma once

namespace ql {

struct ScoreView;

// BAREDIT's failure text for a cell that could not be made.
inline constexpr char kBarlineEditModule[] = "BAREDIT";
inline constexpr char kResourcesLowText[] = "Resource memory is low.\nReleasing some resources...";

// Inserts an empty measure in front of `measure` (1..count + 1): every staff gets a
// copy of its cell before (of the cell at measure 1 when inserting there) with empty
// voices, the new record the length of staff 1's new signature and the default
// spacing, and the numbers run on. Refused with the measure-limit notice when the
// count would pass MeasureLimit; when a cell cannot be made the low-memory error box
// is shown. A refusal changes nothing. 1 when inserted.
int InsertMeasure(ScoreView* view, int measure);

// Deletes `measure` (1..count, while more than one measure is left) with its cells;
// the numbering run it belonged to closes up. 1 when deleted.
int DeleteMeasureAtBarline(ScoreView* view, int measure);

// Removes every tie (type 5 attachment) from the notes of a measure, in every staff
// and voice.
void RemoveTiesInMeasure(ScoreView* view, int measure);

}  // namespace ql
