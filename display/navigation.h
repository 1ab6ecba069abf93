// Moving a view to a page or a measure by the number printed in the score: the
// "Go to Page" (821), "Go to Measure" (820) and "Find Measure and/or Page" (886)
// dialogs, their commands, and Repeat Find, which continues the last search from
// what it showed. Measure numbers are display numbers (a multi-measure rest answers
// to every number it stands for); page numbers are the pages' own numbers.
//
// The dialogs end with 1 (OK) or 2 (Cancel, or no view) and leave what was found in
// a variable; the commands act only on 1. What was shown is remembered in the
// document; the repeat mode is cleared when each command starts and set only by a
// page or a measure actually shown.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScorePage;
struct ScoreView;

// Repeat-mode bits of the document's navigation memory.
constexpr uint8_t kRepeatMeasureShown = 0x01;
constexpr uint8_t kRepeatPageShown = 0x02;

// Shows page index i; 0 (nothing changed) when i is not a page of the list.
int ShowPageByIndex(ScoreView* view, int index);
// Shows measure m on staff 1; 1 when m is within 1..measure count (then m and its
// display number are remembered), else 0.
int GoToMeasureIndex(ScoreView* view, int measure);
// Finds page number p (0: none) and measure number n (0: none); 0 with an alert
// beep when one is not found. A page found without a measure number shows its own
// first measure and leaves only the page for Repeat Find, which then goes on to
// the next page carrying the number rather than back to that measure.
int FindMeasureAndPage(ScoreView* view, int pageNumber, int measureNumber);

// The first measure at or after `from` answering to a display number, wrapping to
// measure 1; 0 when none does.
int FindMeasureByNumber(ScoreDocument* document, int number, int from);

// The dialogs: 1 with the found page index, the found measure index, or the
// (page << 16) + measure value in `*found`, else 2.
intptr_t RunGoToPageDialog(ScoreView* view, int* found);
intptr_t RunGoToMeasureDialog(ScoreView* view, int* found);
intptr_t RunFindDialog(ScoreView* view, int* found);

// The commands: Go to Page (40455), Go to Measure (40456), Find Page/Measure
// (42050) and Repeat Find (42045).
void CmdGoToPage(ScoreView* view);
void CmdGoToMeasure(ScoreView* view);
void CmdFindMeasurePage(ScoreView* view);
void CmdFindAgain(ScoreView* view);

}  // namespace ql
