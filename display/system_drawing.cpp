// DrawSystem: the grid of one staff of the view's current system, in this order:
//  1. a first slot below 1 is reported (not while the sequencer plays) and taken as 1;
//  2. a system pushed left of -30,720 is parked at x = y = -29,696 and not drawn;
//  3. the staff lines from the first slot's left edge to the last slot's right edge
//     (a hide-when-empty staff instead draws run by run, step 7); while the sequencer
//     only wants the lines, that is all;
//  4. for each slot first..last + 1: the measure number (on the first shown staff
//     that is not left out when empty) and the barline across the staff's barline
//     group, drawn once, by the group's top shown staff;
//  5. at the system's start: clef, key and time signature, unless the system's
//     staff flags leave them out (the time only at measure 1 or a change);
//  6. inside the system: key, time and clef changes and cancelling naturals, each
//     unless the slot or the cell suppresses it;
//  7. runs of a hide-when-empty staff: staff lines, barlines and signs over each run
//     of measures holding events (a run opened by a clef change has its lines start
//     under that clef), with dotted lines joining the run's edges to the staff above
//     or below;
//  8. at slot 1, the bracket and the brace of the staff's groups (by their first staff).
#include <algorithm>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/draw/staff_scaling.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"
#include "core/units/status_text.h"
#include "display/staff_groups.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "staves/clef_key_placement.h"
#include "staves/signature_drawing.h"
#include "staves/staff_group_bits.h"

namespace ql {

using namespace sysdraw;

namespace {

constexpr char kSlotNoticeText[] = "A system was drawn from a measure slot below 1.";
constexpr uint8_t kCellNoNaturals = 0x01;
constexpr uint8_t kCellNoKey = 0x08;
constexpr uint8_t kCellNoTime = 0x10;
constexpr uint8_t kCellNoClef = 0x20;
// Dotted joins of a hide-when-empty staff: how far above or below a staff they start.
constexpr int32_t kJoinReach = 640;
constexpr int32_t kJoinLowerStaffGap = 128;

// The black pen and brush of the grid, selected for one DrawSystem.
class GridInkScope {
  public:
    explicit GridInkScope(ScoreView* view) : dc_(view->ViewDC) {
        pen_ = gfx::SelectObject(dc_, gfx::GetStockPen(gfx::StockPen::Black));
        brush_ = gfx::SelectObject(dc_, gfx::GetStockBrush(gfx::StockBrush::Black));
        align_ = gfx::SetTextAlign(dc_, gfx::kTextAlignLeft | gfx::kTextAlignBaseline);
    }
    ~GridInkScope() {
        gfx::SetTextAlign(dc_, align_);
        gfx::SelectObject(dc_, brush_);
        gfx::SelectObject(dc_, pen_);
    }
    GridInkScope(const GridInkScope&) = delete;
    GridInkScope& operator=(const GridInkScope&) = delete;

  private:
    platform::DcHandle dc_;
    platform::PenHandle pen_;
    platform::BrushHandle brush_;
    gfx::TextAlign align_ = 0;
};

void ReportSlotBelowOne() {
    if (PlaybackFlags().SequencerRunning.load(std::memory_order_acquire) != 0) return;
    std::string text = FormatModuleLine(kModuleTag, kSlotNoticeLine);
    text += "\n ";
    text += kSlotNoticeText;
    ShowLabelledNotice(text.c_str());
}

}  // namespace

CellSigns sysdraw::SignsOf(const Grid& grid, int staff, int measure) {
    const MeasureCell* cell = ExistingMeasureCell(grid.document, staff, measure);
    CellSigns signs;
    if (cell == nullptr) {
        const CellDefaults defaults = CurrentCellDefaults();
        signs.clef = defaults.clef;
        signs.key = defaults.key;
        signs.beats = defaults.beats;
        signs.beatCode = defaults.beatUnit;
        return signs;
    }
    signs.clef = cell->clefKey & kClefNibbleMask;
    signs.key = cell->clefKey >> kKeyNibbleShift;
    signs.beats = cell->beats;
    signs.beatCode = cell->beatUnit;
    signs.suppress = cell->cellFlags;
    return signs;
}

namespace {

bool TimeChanges(const Grid& grid, int measure) {
    if (measure <= 1) return true;
    const CellSigns now = SignsOf(grid, 1, measure);
    const CellSigns before = SignsOf(grid, 1, measure - 1);
    return now.beats != before.beats || now.beatCode != before.beatCode;
}

uint16_t SlotFlags(const Grid& grid, int slot) {
    if (grid.row < 0 || slot < 1 || slot > kLastBeatMapSlot) return 0;
    return grid.view->beatMap.slotFlags[BeatMapCell(grid.row, slot)];
}

// True when the slot or the cell leaves the sign out.
bool Suppressed(const Grid& grid, int slot, const CellSigns& signs, uint16_t slotBit, uint8_t cellBit) {
    return (SlotFlags(grid, slot) & slotBit) != 0 || (signs.suppress & cellBit) != 0;
}

// Whether naturals cancel k0 when k1 follows: not from no accidentals, and not when
// k1 only adds accidentals of k0's kind.
bool NeedsNaturals(int k0, int k1) {
    if (k0 == k1 || k0 == kNoAccidentalsKey) return false;
    const bool sameSide = (k0 < kNoAccidentalsKey) == (k1 < kNoAccidentalsKey) && k1 != kNoAccidentalsKey;
    const bool farther = std::abs(k1 - kNoAccidentalsKey) > std::abs(k0 - kNoAccidentalsKey);
    return !(sameSide && farther);
}

void DrawStartSigns(const Grid& grid, int staff) {
    const int measure = grid.system->firstMeasure;
    const CellSigns signs = SignsOf(grid, staff, measure);
    const uint8_t flags = SystemStaffFlags(grid, staff);
    if ((flags & kSystemStaffNoClef) == 0) DrawClefForStaff(grid.view, staff, 1, signs.clef);
    if ((flags & kSystemStaffNoKey) == 0)
        DrawKeySignatureAtSystemStart(grid.view, staff, 1, signs.key, 0);
    // A time signature its measure hides takes no room at the system's start, and is
    // not drawn there.
    if ((flags & kSystemStaffNoTime) == 0 && TimeChanges(grid, measure) && (SlotFlags(grid, 1) & kSlotNoTime) == 0)
        DrawTimeSignature(grid.view, staff, 1, signs.beats, signs.beatCode);
}

// The signs of the changes at a slot inside the system, and the clef change that
// closes the slot before its next measure (in this system or the next).
void DrawChangeSigns(const Grid& grid, int staff, int slot) {
    ScoreView* view = grid.view;
    const int measure = MeasureOfSlot(grid, slot);
    if (slot >= 2) {
        const CellSigns signs = SignsOf(grid, staff, measure);
        const int k0 = KeyAtMeasureEnd(grid.document, staff, measure - 1);
        if (signs.key != k0 && !Suppressed(grid, slot, signs, kSlotNoNaturals, kCellNoNaturals) &&
            NeedsNaturals(k0, signs.key))
            DrawKeySignatureAtSystemStart(view, staff, slot, signs.key, k0 + 1);
        if (signs.key != k0 && !Suppressed(grid, slot, signs, kSlotNoKey, kCellNoKey))
            DrawKeySignatureAtSystemStart(view, staff, slot, signs.key, 0);
        if (TimeChanges(grid, measure) && !Suppressed(grid, slot, signs, kSlotNoTime, kCellNoTime)) {
            const CellSigns first = SignsOf(grid, 1, measure);
            DrawTimeSignature(view, staff, slot, first.beats, first.beatCode);
        }
    }
    // The system's last measure closes with the clef the next system opens with, as a
    // courtesy.
    if (slot > LastSlot(grid) || measure >= grid.document->header.measureCount) return;
    const CellSigns next = SignsOf(grid, staff, measure + 1);
    if (next.clef != ClefAtMeasureEnd(grid.document, staff, measure) &&
        !Suppressed(grid, slot, next, kSlotNoClefChange, kCellNoClef))
        DrawStaffStartSymbols(view, staff, slot, next.clef);
}

// The barline group of a staff without the staves at its ends that are not shown
// or are left out when empty.
std::pair<int, int> ShownBarlineGroup(const Grid& grid, int staff) {
    int first = FirstStaffOfBarGroup(grid.view, staff);
    int last = LastStaffOfBarGroup(grid.view, staff);
    const auto skipped = [&grid](int s) { return !IsShown(grid, s) || IsLeftOutWhenEmpty(grid, s); };
    while (first < last && skipped(first)) ++first;
    while (last > first && skipped(last)) --last;
    return {first, last};
}

// The barline of a slot across upper..lower; `strokes` false draws only the repeat
// dots on `staff`.
void DrawSlotBarline(const Grid& grid, int upper, int lower, int staff, int slot, bool strokes) {
    int top = 0;
    int bottom = 0;
    StaffLineOffsets(grid.view, upper, lower, &top, &bottom);
    DrawBarlinePart(grid.view, staff, MeasureOfSlot(grid, slot), SlotLeftX(grid, slot),
                    StaffY(grid, upper) - StaffHeight(grid, upper) + top,
                    StaffY(grid, lower) + bottom, strokes);
}

bool IsFirstNumberedStaff(const Grid& grid, int staff) {
    for (int s = 1; s <= grid.staffCount; ++s)
        if (IsShown(grid, s) && !IsLeftOutWhenEmpty(grid, s)) return s == staff;
    return false;
}

void DrawSlots(const Grid& grid, int staff, int firstSlot, int lastSlot) {
    const auto [upper, lower] = ShownBarlineGroup(grid, staff);
    // The group's top staff draws the strokes once; every staff its repeat dots.
    const bool drawsStrokes = upper == staff;
    const bool inGroup = staff >= upper && staff <= lower;
    const bool numbers = IsFirstNumberedStaff(grid, staff);
    for (int slot = firstSlot; slot <= lastSlot + 1; ++slot) {
        if (numbers) MeasureNumberDue(grid.view, staff, slot);
        if (inGroup) DrawSlotBarline(grid, upper, lower, staff, slot, drawsStrokes);
    }
    if (firstSlot == 1) DrawStartSigns(grid, staff);
    for (int slot = firstSlot; slot <= lastSlot; ++slot) DrawChangeSigns(grid, staff, slot);
}

// The dotted lines joining a run's edge at x to the neighbouring staff.
void DrawRunJoins(const Grid& grid, int staff, int32_t x) {
    const StaffRecord* record = StaffOf(grid, staff);
    const int32_t y = StaffY(grid, staff);
    if (record != nullptr && (record->flags & kJoinsUpperStaff) != 0) {
        if (staff == 1) return;
        const int32_t upperY = StaffY(grid, staff - 1);
        InkDottedLine(grid.view, x, y - Scaled(grid.view, kJoinReach), x,
                      upperY + kJoinLowerStaffGap * StaffPercent(grid, staff - 1) / kFullSizePercent, 1);
        return;
    }
    if (staff == grid.staffCount) return;
    const int32_t lowerY = StaffY(grid, staff + 1);
    InkDottedLine(grid.view, x, y + Scaled(grid.view, kLineSpacing), x,
                  lowerY - kJoinReach * StaffPercent(grid, staff + 1) / kFullSizePercent, 1);
}

void DrawRun(const Grid& grid, int staff, const StaffEventRun& run) {
    ScoreView* view = grid.view;
    int32_t left = SlotLeftX(grid, run.firstSlot);
    const int32_t right = SlotRightX(grid, run.lastSlot);
    const uint8_t flags = SystemStaffFlags(grid, staff);
    if (run.firstSlot > 1) {
        const int measure = MeasureOfSlot(grid, run.firstSlot);
        const CellSigns signs = SignsOf(grid, staff, measure);
        if (signs.clef != ClefAtMeasureEnd(grid.document, staff, measure - 1)) {
            DrawStaffStartSymbols(view, staff, run.firstSlot - 1, signs.clef);
            // The run's lines reach back under the clef that opens it.
            const PlacedClef clef = PlaceClefChange(view, staff, run.firstSlot - 1, signs.clef);
            if (clef.found)
                left = std::min(left, clef.at.x - EngravingMetricOf(*grid.document, EngravingMetric::ClefChange) / 2);
        }
    }
    DrawStaffLines(view, staff, left, StaffY(grid, staff), right - left);
    if (run.firstSlot == 1) {
        const CellSigns signs = SignsOf(grid, staff, grid.system->firstMeasure);
        if ((flags & kSystemStaffNoClef) == 0) DrawClefForStaff(view, staff, 1, signs.clef);
        if ((flags & kSystemStaffNoKey) == 0) DrawKeySignatureAtSystemStart(view, staff, 1, signs.key, 0);
    }
    for (int slot = run.firstSlot; slot <= run.lastSlot + 1; ++slot)
        DrawSlotBarline(grid, staff, staff, staff, slot, true);
    DrawRunJoins(grid, staff, left);
    DrawRunJoins(grid, staff, right);
}

void DrawGroupSigns(const Grid& grid, int staff) {
    ScoreView* view = grid.view;
    const StaffRecord* record = StaffOf(grid, staff);
    if (record == nullptr || (record->flags & kHideWhenEmpty) != 0) return;
    const bool bracketed = JoinsStaffAbove(*record, GroupKind::Bracket) ||
                           JoinsStaffBelow(*record, GroupKind::Bracket) ||
                           IsOneStaffGroup(*record, GroupKind::Bracket);
    if (bracketed && FirstStaffOfBracket(view, staff, true) == staff) {
        const int last = LastStaffOfBracket(view, staff, true);
        DrawBracketBody(view, staff, last);
        DrawBracketEnd(view, staff, last, true);
        DrawBracketEnd(view, staff, last, false);
    }
    const bool braced = JoinsStaffAbove(*record, GroupKind::Brace) ||
                        JoinsStaffBelow(*record, GroupKind::Brace) ||
                        IsOneStaffGroup(*record, GroupKind::Brace);
    if (braced && FirstStaffOfBrace(view, staff) == staff)
        DrawBrace(view, staff, LastStaffOfBrace(view, staff));
}

}  // namespace

void DrawSystem(ScoreView* view, int staff, int firstSlot, int lastSlot) {
    const ScopedPaintingGuard painting;
    Grid grid;
    if (!OpenGrid(view, &grid)) return;
    if (firstSlot < 1) {
        ReportSlotBelowOne();
        firstSlot = 1;
    }
    lastSlot = std::clamp(lastSlot, firstSlot, LastSlot(grid));
    if (!view->ViewDC || !IsShown(grid, staff) || firstSlot > LastSlot(grid)) return;
    DisplayGlobals& display = State().display;
    if (display.ParkedSystem == grid.system && display.ParkedPaintSerial == CurrentPaintSerial())
        return;
    const int32_t left = SlotLeftX(grid, firstSlot);
    if (left < kFarLeftLimit) {
        grid.system->x = grid.system->y = kFarLeftParking;
        display.ParkedSystem = grid.system;
        display.ParkedPaintSerial = CurrentPaintSerial();
        return;
    }
    SelectStaffScaledFonts(view, staff);
    const GridInkScope ink(view);
    const std::vector<StaffEventRun> runs = FindNonEmptyMeasureRuns(view, staff);
    if (runs.empty()) {
        DrawStaffLines(view, staff, left, StaffY(grid, staff), SlotRightX(grid, lastSlot) - left);
        if (State().display.SequencerDisplayOnly != 0) return;
        DrawSlots(grid, staff, firstSlot, lastSlot);
    } else {
        for (const StaffEventRun& run : runs)
            if (run.lastSlot >= firstSlot && run.firstSlot <= lastSlot) DrawRun(grid, staff, run);
    }
    if (firstSlot == 1) DrawGroupSigns(grid, staff);
}

void DrawSystemAllStaves(ScoreView* view) {
    const ScopedPaintingGuard painting;  // one paint: a parked system stays undrawn
    Grid grid;
    if (!OpenGrid(view, &grid)) return;
    for (int staff = 1; staff <= grid.staffCount; ++staff)
        if (IsShown(grid, staff)) DrawSystem(view, staff, 1, LastSlot(grid));
}

std::vector<StaffEventRun> FindNonEmptyMeasureRuns(ScoreView* view, int staff) {
    std::vector<StaffEventRun> runs;
    Grid grid;
    if (!OpenGrid(view, &grid) || !IsLeftOutWhenEmpty(grid, staff)) return runs;
    const int last = LastSlot(grid);
    for (int slot = 1; slot <= last; ++slot) {
        const MeasureCell* cell = ExistingMeasureCell(grid.document, staff, MeasureOfSlot(grid, slot));
        if (StaffHasNoVoices(cell)) continue;
        if (!runs.empty() && runs.back().lastSlot == slot - 1)
            runs.back().lastSlot = slot;
        else
            runs.push_back({slot, slot});
    }
    return runs;
}

}  // namespace ql
