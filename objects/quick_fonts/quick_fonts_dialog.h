// "Setup QuickFonts" (dialog 819): the document's 24 quick fonts edited in place,
// one slot at a time (the slot shown is remembered between openings): its name,
// bold, italic, underline and height in 160ths of a staff-line space, or all of them
// with the face at once through the font chooser ("Select"). Each change rebuilds the
// slot's font; with "Save Preferences" checked, OK also writes the 24 fonts to the
// settings ("QuickFont0".."QuickFont23").
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// The slot the dialog shows when it opens (4 at start).
int& CurrentQuickFontSlot();

// Runs the dialog on the view's document: 1 on OK, 2 on Cancel. A changed slot marks
// the document modified on OK; Cancel keeps the changes made (they were made in place)
// but leaves the document's change state alone.
int SetupQuickFonts(ScoreView* view);

}  // namespace ql
