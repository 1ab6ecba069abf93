// The note cursor: where it is (the entry context keeps its point, step, staff and the
// staff's bottom-line y), when it is wanted, and its XOR drawing. One ledger line per
// two steps between the staff's outer line and the cursor's step.
#include "notes/entry/note_cursor.h"

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/entry/note_entry.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"

namespace ql {

namespace {

constexpr int kFullSizePercent = 100;
constexpr int32_t kSpacingAtFullSize = 128;  // view units between ledger lines at 100%
constexpr int kLinesBeyond = 2;              // a cursor step at least this far out
constexpr int kStepsPerLine = 2;
// The pointer must lie this far inside the view's score area.
constexpr int32_t kLeftMargin = 512;
constexpr int32_t kVerticalMargin = 16;
constexpr int32_t kRightMargin = 24;

bool IsCursorPositionValid(const NoteEntryContext& context) {
    return context.cursorX >= kNoteCursorLowestX;
}

void DrawLedger(platform::DcHandle dc, int32_t x, int32_t y) {
    gfx::MoveTo(dc, gfx::Point{x - kCursorLedgerWidth / 2, y});
    gfx::LineTo(dc, gfx::Point{x + kCursorLedgerWidth / 2, y});
}

// The ledger lines from the outer line towards the cursor's step.
void DrawLedgers(ScoreView* view, const NoteEntryContext& context) {
    const StaffOuterLines lines = OuterLinesOf(view);
    const StaffRecord* staff = view->currentStaffRecord;
    const int32_t spacing = CursorLineSpacing(staff != nullptr ? StaffSizePercent(*staff) : 0);
    const int32_t step = context.cursorStep;
    const bool above = step < lines.top;
    const int count = (above ? lines.top - step : step - lines.bottom) / kStepsPerLine;
    const int32_t outerY =
        context.cursorTop + Zoomed(view, (above ? lines.top : lines.bottom) * kUnitsPerStep);
    for (int i = 1; i <= count; ++i)
        DrawLedger(view->ViewDC, context.cursorX, outerY + (above ? -i : i) * spacing);
}

bool IsPointerInScoreArea(ScoreView* view) {
    const LogicalPoint p = view->pointerPoint;
    const ScoreSystem* system = view->currentSystem;
    if (system == nullptr) return false;
    const int32_t slotX = CurrentSlotX(view);
    const gfx::Rect& area = view->visibleRect;
    return p.x >= area.left + kLeftMargin && p.y >= area.top + kVerticalMargin &&
           p.y <= area.bottom - kVerticalMargin && p.x >= slotX && p.x < area.right - kRightMargin;
}

}  // namespace

int32_t CursorLineSpacing(uint8_t staffSizeByte) {
    const int percent = staffSizeByte == 0 ? kFullSizePercent : staffSizeByte;
    return percent * kSpacingAtFullSize / kFullSizePercent;
}

bool IsCursorStepWanted(int step, int topLine, int bottomLine) {
    if (step <= topLine - kLinesBeyond) return step >= topLine - kCursorMaxStepsBeyond;
    if (step >= bottomLine + kLinesBeyond) return step <= bottomLine + kCursorMaxStepsBeyond;
    return false;
}

void DrawNoteCursor(ScoreView* view, bool selectionColours) {
    const NoteEntryContext& context = State().notes.NoteEntry;
    if (view == nullptr || !IsCursorPositionValid(context)) return;
    BeginViewDraw(view);
    if (view->ViewDC) {
        BeginHighlightDrawAlt3(view);  // the XOR feedback set, saved
        if (selectionColours) {
            SelectSelectionColours(view);
            gfx::SetRop2(view->ViewDC, gfx::Rop2::XorPen);
        }
        DrawLedgers(view, context);
        EndHighlightDraw(view);
    }
    EndViewDraw(view);
}

void ShowNoteCursor(ScoreView* view) {
    DrawNoteCursor(view, true);
    State().notes.NoteEntry.cursorShown = 0;
}

void HideNoteCursor(ScoreView* view) {
    NoteEntryContext& context = State().notes.NoteEntry;
    if (context.cursorShown != 0 && IsCursorPositionValid(context)) DrawNoteCursor(view, false);
    context.cursorShown = 0;
}

void UpdateNoteCursorPos(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->document->header.staffCount < 1) return;
    if (State().input.ToolCursorState != 1) return;
    HideNoteCursor(view);
    NoteEntryContext& context = State().notes.NoteEntry;
    context.cursorX = view->pointerPoint.x;
    context.cursorY = view->pointerPoint.y;
    context.cursorTop = StaffBaseY(view);
    context.cursorStep = StepAtY(view, view->pointerPoint.y);
    context.cursorStaff = view->currentStaff;
    const StaffOuterLines lines = OuterLinesOf(view);
    if (!IsPointerInScoreArea(view) || !IsCursorStepWanted(context.cursorStep, lines.top, lines.bottom))
        return;
    DrawNoteCursor(view, false);
    context.cursorShown = 1;
}

}  // namespace ql
