// The layout dialogs of a score that work on its pages rather than on the page
// geometry's working copy (module FMTPAGE): "Set Page Number" (885) and "Page
// Layout and Formatting" (873), and the "Staff Size" dialog (880) that does. Each applies as one undoable edit and checks every
// typed value before anything changes.
#pragma once

#include <optional>

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// Dialog 885 for the view's current page: numbers the pages from it, up to the next
// page-number setting, to the end, or up to a page number typed. 1 when pages were
// renumbered, 2 when cancelled (or without a page to start from).
intptr_t RunSetPageNumberDialog(ScoreView* view);

// Dialog 873 on a working copy of the document's layout (systems per page, measures
// per system, staff and system separation, the spacing template): ticked values are
// clamped (systems 1..24, measures 1..the slot limit, staff separation at least 640,
// system separation at least 128, both on multiples of 128 at the staff's scale),
// then the pages are re-formatted from the current page (or this page only); unless
// "Set default for new pages" is ticked the document keeps its layout. 1 when
// applied, 2 when cancelled; refused on a master page.
intptr_t RunPageLayoutDialog(ScoreView* view);

// Dialog 880 "Staff Size" (command "Set Staff Size") on the page-geometry working
// copy, applied as one undoable edit: a fixed size, or a user size in staff degrees
// per inch (or per centimetre) within 0.25 .. 64 per inch, else the range box and
// nothing changes. Returns the choice + 1, or 0 when cancelled or unchanged.
intptr_t RunStaffSizeDialog(ScoreView* view);
// The dialog procedure itself, for the Page Setup dialog to run on its working copy.
intptr_t StaffSizeDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data);

// Dialog 865 "Page Setup": paper, units, orientation, sides, first page, the
// margins and staff size dialogs on the same working copy; OK applies it all as
// one undoable edit (1), Cancel changes nothing (2).
intptr_t RunPageSetupDialog(ScoreView* view);
// Command "Set Margins": dialog 828 (double-sided) or 845 on the working copy,
// applied on OK (1); Cancel gives 0.
intptr_t RunSetMarginsDialog(ScoreView* view);

// Dialog 850 "Music Metrics": the score's engraving metrics, applied as one
// undoable edit (1); Cancel changes nothing (2). Afterwards the beat maps are
// rebuilt and the views repainted.
intptr_t RunMusicMetricsDialog(ScoreView* view);

// Dialog 806 "Non-printing Area" (command 1171): whether the amounts typed
// override the printer's non-printing area, and the two amounts (not below 0),
// stored program-wide on OK (1); Cancel changes nothing (2).
intptr_t RunNonPrintingAreaDialog(ScoreView* view);

// A separation snapped to a multiple of 128 units at the staff's scale (as it is
// when the scale is not positive).
int32_t SnapSeparation(int32_t amount, double scale);

// The separation fields of the Page Layout and New Manuscript dialogs: units of 128
// (a degree), the staff's own four degrees, the least and the default separations.
namespace separation {
inline constexpr int32_t kUnit = 128;
inline constexpr int32_t kDefault = 1536;
inline constexpr int32_t kLeastStaff = 640;
inline constexpr int32_t kLeastSystem = 128;
inline constexpr int32_t kStaffDegrees = 4;
inline constexpr int32_t kMostField = 100;
inline constexpr int32_t kMost = 0xFFFF;
}  // namespace separation
// The separation a field starts from: 0 is the default, and never below `least`,
// snapped at `scale`.
int32_t StartingSeparation(int32_t value, int32_t least, double scale);
// A dialog field's number; nullopt, after a beep and with the focus on the field,
// when it holds none.
std::optional<int32_t> ReadSeparationDialogField(platform::WindowHandle dialog, int32_t id);

}  // namespace ql
