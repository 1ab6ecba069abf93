// Painting the scroll view's strip (module DRAW), and the redraw of the staff lines
// under the current measure after an edit. The strip is the one galley system: each
// shown staff inside the band gets its measures and then its grid, the cells' objects
// follow, and only guide lines of the page and master items are drawn.
#include <algorithm>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/units/view_moves.h"
#include "display/linked_views.h"
#include "display/follow_mark.h"
#include "display/painter.h"
#include "display/painter_internal.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "display/view_location.h"
#include "display/visible_systems.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw.h"

namespace ql {

using namespace painter;

namespace {

constexpr int kMaxListNodes = 1 << 16;

bool IsStaffInBand(ScoreView* view, int staff) {
    const PainterState& painter = State().display.painter;
    return StaffLineInBand(view, staff, StaffBand{painter.bandTop, painter.bandBottom});
}

// Guide lines (type 52) of an item list get Update.
void DrawGuideLines(ScoreView* view, ScoreObject* first) {
    int count = 0;
    for (ScoreObject* item = first; item != nullptr; item = item->next.get()) {
        if (!IsSoundObject(view->document, item) || ++count > kMaxListNodes) return;
        if (item->type == TypeCode(ObjectType::Guide)) ClassOf(item).Update(item, view);
    }
}

void DrawStripStaff(ScoreView* view, ScoreSystem* system, int staff) {
    const PainterState& painter = State().display.painter;
    SelectStaffScaledFonts(view, staff);
    SetViewTextAlign(view, gfx::kTextAlignBaseline);
    const int rangeLast = MeasureOfSlot(view, painter.lastSlot);
    const int last = std::min<int>(rangeLast + 1, system->lastMeasure);
    DrawStaffMeasures(view, staff, system->firstMeasure, last, nullptr);
    SetCurrentSystemAndMeasure(view, system, staff, system->firstMeasure, true);
    int slot = painter.firstSlot;
    if (slot > 1 && MeasureOfSlot(view, slot) >= 2) --slot;
    DrawSystem(view, staff, slot, painter.lastSlot);
    DrawFollowMark(view, staff);
}

// The staff labels and the cells' objects of slots first..last, in two passes.
void DrawScrollViewObjects(ScoreView* view, int firstSlot, int lastSlot) {
    ScoreSystem* system = view->currentSystem;
    const int count = view->document->header.staffCount;
    const int first = MeasureOfSlot(view, firstSlot);
    const int last =
        std::min<int>(MeasureOfSlot(view, lastSlot), view->document->header.measureCount);
    std::vector<DeferredCell> deferred;
    for (int staff = 1; staff <= count; ++staff) {
        if (!IsStaffShown(system, staff)) continue;
        SetCurrentSystemAndMeasure(view, system, staff, system->firstMeasure, true);
        StaffRecord* record = StaffRecordOf(view->document, staff);
        ScoreObject* label = GetStaffLabelObject(record);
        if (label != nullptr && IsSoundObject(view->document, label))
            ClassOf(label).Update(label, view);
        if (!IsStaffInBand(view, staff)) continue;
        for (int measure = first; measure <= last; ++measure) {
            ApplyLocation(view, staff, measure);
            MeasureCell* cell = view->currentCell;
            if (cell != nullptr && DrawObjectsFirstPass(view, cell->objects.get()))
                deferred.push_back(DeferredCell{system, staff, measure});
        }
    }
    DrawDeferredCells(view, deferred);
}

// True when a hide-when-empty staff holds an event in the slot.
bool HoldsEventsAt(ScoreView* view, int staff, int slot) {
    for (const StaffEventRun& run : FindNonEmptyMeasureRuns(view, staff))
        if (slot >= run.firstSlot && slot <= run.lastSlot) return true;
    return false;
}

}  // namespace

void DrawScrollView(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr) return;
    ScoreDocument* document = view->document;
    ScoreSystem* system = view->galleySystem;
    if (document->header.staffCount < 1 || system == nullptr) return;
    if (!IsPrinting() && view->currentPage != nullptr &&
        ComputeMeasureBeatPositions(view, view->currentPage->systemCount) > 1)
        BuildBeatMapMeasures(view);
    const KeptLocation kept(view);
    const PaintArea area = PaintedArea(view);
    SetClipBandFromRect(area);
    SetCurrentSystemAndMeasure(view, system, 1, system->firstMeasure, true);
    SetClipSlotRange(view, area);
    HideEmptyStaves(view);
    const PainterState& painter = State().display.painter;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        if (!IsStaffShown(system, staff)) continue;
        SetCurrentSystemAndMeasure(view, system, staff, system->firstMeasure, true);
        if (IsStaffInBand(view, staff)) DrawStripStaff(view, system, staff);
    }
    SetCurrentSystemAndMeasure(view, system, 1, system->firstMeasure, true);
    int firstSlot = painter.firstSlot;
    if (firstSlot > 1 && MeasureOfSlot(view, firstSlot) > 1) --firstSlot;
    DrawScrollViewObjects(view, firstSlot, painter.lastSlot);
    DrawGuideLines(view, PageObjectListOf(view));
    PainterState& state = State().display.painter;
    state.drawingMasterItems = 1;
    const int index = view->currentPage != nullptr ? GetPageIndex(document, view->currentPage) : 0;
    ScorePage* master = IsLeftPage(document, index) ? document->leftMaster : document->rightMaster;
    if (master != nullptr) DrawGuideLines(view, master->margins.get());
    state.drawingMasterItems = 0;
}

void RedrawMeasureRange(ScoreView* view, int staff, int firstSlot, int lastSlot) {
    sysdraw::Grid grid;
    if (!IsValidView(view) || firstSlot < 1 || lastSlot < 1 || !OpenGrid(view, &grid)) return;
    const int32_t left = sysdraw::SlotLeftX(grid, firstSlot);
    if (left < kLogicalOrigin) return;
    const int32_t width = sysdraw::SlotRightX(grid, lastSlot) - left;
    const ScopedPaintingGuard guard;
    const int keptStaff = view->currentStaff;
    const int keptMeasure = view->currentMeasure;
    BeginViewDraw(view);
    const int measure = sysdraw::MeasureOfSlot(grid, firstSlot);
    for (int s = std::max(1, staff - 1); s <= std::min(grid.staffCount, staff + 1); ++s) {
        ApplyLocation(view, s, measure);
        SelectStaffScaledFonts(view, s);
        if (!sysdraw::IsShown(grid, s)) continue;
        if (sysdraw::IsLeftOutWhenEmpty(grid, s) && !HoldsEventsAt(view, s, firstSlot)) continue;
        DrawStaffLines(view, s, left, sysdraw::StaffY(grid, s), width);
    }
    EndViewDraw(view);
    ApplyLocation(view, keptStaff, keptMeasure);
}

void RedrawCurrentMeasure(ScoreView* view) {
    if (!IsValidView(view) || view->currentPage == nullptr || view->currentPage->pageNumber < 0)
        return;
    RedrawMeasureRange(view, view->currentStaff, view->currentSlot, view->currentSlot);
}

bool SlotsReaching(ScoreView* view, int32_t left, int32_t right, int* first, int* last) {
    sysdraw::Grid grid;
    if (first == nullptr || last == nullptr || !IsValidView(view) || view->currentPage == nullptr ||
        view->currentPage->pageNumber < 0 || !OpenGrid(view, &grid))
        return false;
    *first = view->currentSlot;
    *last = view->currentSlot;
    for (int slot = 1; slot <= sysdraw::LastSlot(grid); ++slot) {
        if (sysdraw::SlotRightX(grid, slot) <= left || sysdraw::SlotLeftX(grid, slot) >= right) continue;
        *first = std::min(*first, slot);
        *last = std::max(*last, slot);
    }
    return true;
}

int DrawCurrentCellObjects(ScoreView* view) {
    if (!IsValidView(view) || view->currentCell == nullptr || !view->currentCell->objects) return 0;
    const ScopedPaintingGuard guard;
    return DrawObjectsFirstPass(view, view->currentCell->objects.get()) ? 1 : 0;
}

}  // namespace ql
