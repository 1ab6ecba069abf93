// Ending the piece at a barline: everything after it goes (its measures and the pages
// they stood on), the barline stays with its type, repeat and hide bits, and the
// whole cut is one undoable edit. Ctrl+End on a barline in page view asks first.
#pragma once

namespace ql {

struct ScorePage;
struct ScoreView;

inline constexpr char kTruncateQuestion[] = "All data following this barline will be deleted!\nContinue?";

// The piece ends at the barline in front of `measure` (2..measure count): the page
// holding it ends there, the pages after it are deleted with their measures, and
// the numbering runs on from the page. 1 when the score was cut; 0 when there was
// nothing after the barline or the arguments do not name it.
int TruncateScoreAtMeasure(ScoreView* view, ScorePage* page, int measure);

// A score opened as the base of a new manuscript keeps its first page: the location
// goes to the page's last system, the measures after the page are cut off, the beat
// maps are built again and the barlines left are plain ones without repeats. Not an
// undoable edit: the new manuscript starts with an empty history.
void CutToFirstPage(ScoreView* view);

// Ctrl+End on the barline in front of `measure` in page view: when music follows it,
// the question above must be answered Yes; then the score is cut there, the view
// goes to the page of the last measure and the barline becomes a final barline (an
// end repeat when it repeats). 1 when the barline was set, 0 when answered No.
int EndPieceAtBarline(ScoreView* view, int measure);

}  // namespace ql
