// The dialogs that edit what a barline and its measure store: "Barlines" (883),
// "Hide Measure Objects" (882) and "Set Measure Number" (884). Each runs for a
// barline (the measure after it and where it stands in its system); OK applies its
// fields as one undoable edit, Cancel changes nothing. Fields that hold no number
// beep and keep the dialog open.
//
// Program-wide state of the three (user-interface thread): the free-numbering
// setting (off: only measure 1 can be renumbered, to 0, 1 or 2) and the range last
// chosen in "Hide Measure Objects", which "Barlines" reads for its reformat.
#pragma once

#include "staves/barline.h"

namespace ql {

struct ScoreView;

inline constexpr char kTooManyBeats[] = "Too many beats.";
inline constexpr char kEnterOneOrGreater[] = "Enter 1 or greater for Beats.";
inline constexpr char kUnableToFindNumber[] = "Unable to find measure number %d.";
inline constexpr char kStartingNumberLimit[] = "Starting measure number must be 0, 1, or 2";

// The largest measure length the barline dialog accepts, in 1/32nds (n x 128 ticks
// stays within 16 bits).
constexpr int kMostThirtySeconds = 511;

// Runs the dialogs; 1 on OK, 2 on Cancel or without a view.
int BarlinesDialog(ScoreView* view, const BarlineRef& barline);
// "Barlines" as the focused barline's attribute editor: run with the selection held
// and the view's location kept, then the focused element committed.
int EditBarlineAttributes(ScoreView* view, const BarlineRef& barline);
int HideMeasureObjectsDialog(ScoreView* view, const BarlineRef& barline);
int SetMeasureNumberDialog(ScoreView* view, const BarlineRef& barline);

// The length rule of "Barlines": n 1/32nds are accepted for a measure of L 1/32nds
// in a system of S 1/32nds when 1 <= n <= 511 and (n <= L or n <= L - S + 511).
bool IsMeasureLengthAccepted(int n, int measureThirtySeconds, int systemThirtySeconds);
// The width of a measure whose length changes: rescaled by new / old, or from the
// new length and the stretch factor when the old length is 0.
int RescaledMeasureWidth(int width, int oldTicks, int newTicks, int stretch);

bool IsFreeMeasureNumbering();
void SetFreeMeasureNumbering(bool on);

// The range chosen last in "Hide Measure Objects".
enum class HideRange { None, ThisSystem, SystemToPageEnd, PageToEnd };
HideRange LastHideRange();
void ResetMeasureDialogState();

}  // namespace ql
