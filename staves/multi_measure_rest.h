// Multi-measure rests (module MMREST): a run of empty full measures shown as one
// measure whose record's restMeasureCount (the `extra` byte) holds the number of
// further measures it stands for; the numbering rule (number(m + 1) = number(m) +
// restMeasureCount(m) + 1) keeps the printed numbers right. Combining deletes the
// measures after the first and appends as many empty ones at the end, so the measure
// count stays; expanding inserts them again after the rest.
//
// The count is one byte: a run never stands for more than 256 measures, and a scan
// ends the run at the measure that would pass that. Expanding checks the measure
// limit and makes every new cell before anything moves.
#pragma once

#include <string>

namespace ql {

struct ScoreView;
struct ScoreDocument;
struct MeasureCell;

// The largest restMeasureCount (the rest then stands for 256 measures).
constexpr int kMostRestCount = 255;
inline constexpr char kRestModule[] = "MMREST";
inline constexpr char kTwoOrMoreMeasures[] = "Two or more measures are  required for Multi-measure rest.";
inline constexpr char kExpandQuestion[] = "Expand multi-measure rest?";
inline constexpr char kDoubleClickNotice[] = "Dbl-click an insertion point.";

// Whether a cell may be part of a run that starts at `first`: no events in any
// voice; rests in element lists do not count. In the run's first measure only tempo
// marks, text lines, text boxes, symbols, image texts and repeat endings may stand in
// the cell's list; in a later one only text lines and text boxes without text. On a
// refusal `reason` (optional) gets the text.
bool CheckMeasureEmptyForRest(ScoreView* view, int measure, MeasureCell* cell, int first,
                              std::string* reason);

// The last measure of the run that can start at `start` (start - 1 when `start`
// itself cannot), and in `reason` the text of what stopped it (empty when the score
// or the 256-measure cap ended it).
int ScanRestRun(ScoreView* view, int start, std::string* reason);

// Combines start..end (end > start) into one rest at start: the voices of its cells
// are cleared, its count becomes the sum the run stands for, and the measures after
// it are deleted. False when the count would pass kMostRestCount (nothing changed).
bool CombineMeasures(ScoreView* view, int start, int end);

// Automatic combination of every run of two or more measures inside first..last
// (part extraction, block paste). Returns the number of rests made.
int CombineEmptyMeasures(ScoreView* view, int first, int last);

// The multi-measure rest at `measure` becomes ordinary empty measures again (no
// question, no undo step of its own). Refused with the measure-limit notice when
// the count would pass MeasureLimit; nothing changes on a refusal or when a cell
// cannot be made. 1 when expanded.
int ExpandMultiMeasureRest(ScoreView* view, int measure);

// The menu command at the view's location measure: expands a rest after asking, or
// scans a run and, through dialog 833, combines it.
void MultiMeasureRestCommand(ScoreView* view);
// Dialog 833 for a run: returns the end number chosen, or 0 for Cancel.
int MultiMeasureRestDialog(ScoreView* view, int startNumber, int highestEndNumber);

// The measure primitives. InsertEmptyMeasureAt: one empty measure in front of m
// (cells copied from m - 1 with empty voices, default cells at 1); numbering is the
// caller's. DeleteMeasureAt: deletes m and appends an empty measure at the end, so
// the count stays. Both 1 on success; a refusal changes nothing.
int InsertEmptyMeasureAt(ScoreView* view, int measure);
int InsertEmptyMeasures(ScoreDocument* document, ScoreView* view, int measure, int count);
int DeleteMeasureAt(ScoreView* view, int measure);
int DeleteMeasures(ScoreView* view, int measure, int count);

// Draws the multi-measure rest of the view's current measure on the current staff.
void DrawMultiMeasureRest(ScoreView* view);

}  // namespace ql
