// Page geometry of a score (module FMTPAGE): logical units per inch of a staff size,
// page measurements (BcdInches words in the page's unit) in logical units, and the
// run of a page-geometry dialog on a working copy that ApplyPageGeometry commits as
// one undoable edit before re-laying out the pages.
//
// Logical units are 128 to the staff space; a staff size fixes how many make an inch
// (the table of core/units/paper_table.h, or trunc(user staff size x 128)). A page
// measurement is read as the number its four digits write ("8.50"), times the units
// per inch, times 0.3937 when the page measures in centimetres.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/ui/dialog.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScorePage;

using BcdInches = uint16_t;

// The Staff Size dialog: its result is the chosen staff size + 1.
constexpr int32_t kStaffSizeDialog = 880;
// Edits of the Page Setup dialog holding the User paper's width and height.
constexpr int32_t kUserPageWidthControl = 1211;
constexpr int32_t kUserPageHeightControl = 1215;
// A User paper side below this many logical units becomes 2.00 in the page unit.
constexpr int32_t kMinUserPageUnits = 512;
constexpr BcdInches kMinUserPageWord = 0x0200;
// Stored logical user sizes are u16.
constexpr int32_t kMaxUserPageUnits = 65535;

// Units per inch of a staff size: sizes 0..9 from the table, any other the user staff
// size (a BcdInches word in staff spaces per inch) x 128, truncated.
double StaffUnitsPerInch(int staffSize, BcdInches userStaffSize);
// A BcdInches value as a number, x 128, truncated (the stored user staff size).
uint16_t BcdTimes128(BcdInches value);
// A BcdInches word read as the number it writes (four digits, two decimals).
double BcdNumber(BcdInches value);
// Logical units of a measurement in the document's page unit and staff size: to the
// nearest unit (halves away from zero) with `nearest`, else truncated.
int32_t BcdToPageUnits(const ScoreDocument& document, BcdInches value, bool nearest);
// The other way: logical units as a measurement in the page's unit (0 to 99.99).
BcdInches PageUnitsToBcd(const ScoreDocument& document, int32_t units);

// The page's logical margins again from its distance words (after a new staff size).
void ReconvertMargins(ScoreDocument* document, ScorePage* page);

// Starts a run: clears what a run changed or asked for, and makes the working copy
// of the document's page record and of its master pages' margins.
void StartPageGeometryRun(ScoreDocument* document);

// Runs one page-geometry dialog on the working copy of the view's page record and
// margins, and applies it on OK (ApplyPageGeometry). Returns the dialog's result; 0,
// 2 or a missing dialog change nothing.
intptr_t RunPageGeometryDialog(ScoreView* view, int32_t dialogId, ui::DialogProc procedure);

// Commits the working copy (with `dialog`, the Page Setup dialog's User paper edits
// too), saves what the run asked to save, applies a chosen staff size and the working
// margins, and re-lays out every page, inside one undoable edit. Returns 1.
int ApplyPageGeometry(ScoreView* view, platform::WindowHandle dialog);

// Every page takes the margins of its master (left pages the left master's), the
// document keeps the masters' margins, the systems that no longer fit a page move
// on to the following pages (pages are added at the end as needed), and all pages
// are formatted again.
void RelayoutAfterPageChange(ScoreDocument* document, ScoreView* view);

}  // namespace ql
