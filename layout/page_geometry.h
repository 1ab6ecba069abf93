// Page geometry of a score (module FMTPAGE): logical units per inch of a staff size,
// page measurements (BcdInches words in the page's unit) in logical units, and the
// run of a page-geometry dialog on a working copy that ApplyPageGeometry commits as
// one undoable edit before re-laying out the pages.
//
// The units themselves (units per inch of a staff size, measurements in the page's
// unit) are in core/units/page_units.h.
#pragma once

#include <cstdint>

#include "core/units/page_units.h"
#include "platform/handles.h"
#include "platform/ui/dialog.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScorePage;

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
