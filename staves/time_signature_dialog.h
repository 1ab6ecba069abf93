// The "Time Signature" dialog (852), run by the time-signature tool at the view's
// location measure, and the lookup of a measure by its printed number.
#pragma once

namespace ql {

struct ScoreView;
struct ScoreDocument;

// Runs the dialog; 1 (OK) when a signature was set, 2 when cancelled or when the
// dialog finds no view.
int TimeSignatureDialog(ScoreView* view);

// The first measure from `from` whose numbering run (number .. number +
// restMeasureCount) holds `number`; measure count + 1 when none does.
int MeasureHoldingNumber(ScoreDocument* document, int from, int number);

}  // namespace ql
