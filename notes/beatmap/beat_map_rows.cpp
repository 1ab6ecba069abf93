// Row buffers and slot arrays of the beat map: which system each row holds, the
// size each row's buffer needs (the sum of its measures' arrays, no cap), growing a
// buffer that is too small (buffers never shrink), and pointing every slot into its
// row's buffer, or into the following row's for slots past the system's end.
#include "notes/beatmap/beat_map_rows.h"

#include <algorithm>
#include <new>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/beatmap/beat_map_test_seam.h"

namespace ql::beatmap {

namespace {

// Bound the walks of damaged page and system chains.
constexpr int kMaxSystemsWalked = 256;
constexpr int kMaxPagesWalked = MaxMeasures;
// AllocateBeatMapRows result bits.
constexpr int kRowLengthChanged = 1;
constexpr int kRowReallocated = 2;
// Rows beyond a page's systems: the next page's first and the previous page's last.
constexpr int kRowsBeyondSystems = 2;

int g_failingRowAllocations = 0;

// Slots with measures of their own in a row whose slot 1 holds `first`.
int OwnSlots(const ScoreDocument& document, int first, int last) {
    const int reachable = LastReachableMeasure(document);
    if (first < 1 || first > reachable) return 0;
    const int end = std::min({last, reachable, first + kLastBeatMapSlot - 1});
    return std::max(end - first + 1, 1);
}

ScoreSystem* LastSystemOf(ScorePage* page) {
    ScoreSystem* last = nullptr;
    ScoreSystem* system = page != nullptr ? page->firstSystem.get() : nullptr;
    for (int i = 0; system != nullptr && i < kMaxSystemsWalked; ++i, system = system->next.get())
        last = system;
    return last;
}

bool AddPlan(RowPlans& plans, const RowPlan& plan) {
    if (plans.count >= kBeatMapRows) return false;
    if (plans.count > 0) plans.rows[plans.count - 1].followRow = plan.row;
    plans.rows[plans.count++] = plan;
    return true;
}

void AddPreviousPageRow(ScoreView* view, ScorePage* page, RowPlans& plans, int rowLimit) {
    const int row = plans.nextPageRow + 1;
    ScoreDocument& document = *view->document;
    if (row >= rowLimit || page == document.firstPage || page->pageNumber < 0) return;
    const ScoreSystem* last = LastSystemOf(page->previous.get());
    if (last == nullptr || plans.count >= kBeatMapRows) return;
    RowPlan plan{row, last->firstMeasure, OwnSlots(document, last->firstMeasure, last->lastMeasure),
                 plans.rows[0].row};
    plans.rows[plans.count++] = plan;  // continues with the first row, not after the next-page row
}

// Bytes the row's own slots need.
uint64_t RowBytes(ScoreDocument* document, const RowPlan& plan) {
    uint64_t entries = 0;
    for (int k = 1; k <= plan.ownSlots; ++k)
        entries += SlotEntryCount(RowLengthOfMeasure(document, plan.firstMeasure + k - 1));
    return entries * sizeof(uint16_t);
}

bool RowLengthsChanged(const BeatMap& map, ScoreDocument* document, const RowPlan& plan) {
    for (int k = 1; k <= plan.ownSlots; ++k)
        if (map.slotTicks[BeatMapCell(plan.row, k)] !=
            RowLengthOfMeasure(document, plan.firstMeasure + k - 1))
            return true;
    return false;
}

// A zero-filled buffer of `bytes` for the row; the old one stays when none can be had.
bool GrowRow(BeatMap& map, int row, uint64_t bytes) {
    if (bytes > UINT32_MAX) return false;
    if (g_failingRowAllocations > 0) {
        --g_failingRowAllocations;
        return false;
    }
    uint16_t* buffer = new (std::nothrow) uint16_t[bytes / sizeof(uint16_t)]();
    if (buffer == nullptr) return false;
    map.rowBuffers[row].reset(buffer);
    map.rowCapacity[row] = static_cast<uint32_t>(bytes);
    return true;
}

// Slots 1..own take arrays from the row's buffer one after the other; the slots
// after them share the following row's (none without one).
void PointRow(BeatMap& map, ScoreDocument* document, const RowPlan& plan) {
    const uint64_t capacity = map.rowCapacity[plan.row] / sizeof(uint16_t);
    uint32_t offset = 0;
    for (int k = 1; k <= plan.ownSlots; ++k) {
        const int cell = BeatMapCell(plan.row, k);
        const int length = RowLengthOfMeasure(document, plan.firstMeasure + k - 1);
        const uint32_t count = SlotEntryCount(length);
        map.slotTicks[cell] = static_cast<uint16_t>(length);
        const bool fits =
            count > 0 && map.rowBuffers[plan.row] && offset + uint64_t{count} <= capacity;
        map.tickX[cell] =
            fits ? BeatMapTicks{static_cast<uint8_t>(plan.row), offset} : BeatMapTicks{};
        if (fits) offset += count;
    }
    for (int k = plan.ownSlots + 1; k <= kLastBeatMapSlot; ++k) {
        const int cell = BeatMapCell(plan.row, k);
        const int shared =
            plan.followRow >= 0 ? BeatMapCell(plan.followRow, k - plan.ownSlots) : -1;
        map.tickX[cell] = shared >= 0 ? map.tickX[shared] : BeatMapTicks{};
        map.slotTicks[cell] = shared >= 0 ? map.slotTicks[shared] : 0;
    }
}

}  // namespace

namespace test_seam {
void FailRowAllocations(int count) {
    g_failingRowAllocations = count;
}
}  // namespace test_seam

RowPlans PlanRows(ScoreView* view, ScorePage* page, int rowLimit) {
    RowPlans plans;
    if (view == nullptr || view->document == nullptr || page == nullptr) return plans;
    const ScoreDocument& document = *view->document;
    rowLimit = std::min(rowLimit, kBeatMapRows);
    const ScoreSystem* last = nullptr;
    ScoreSystem* system = page->firstSystem.get();
    for (int i = 0; system != nullptr && i < kMaxSystemsWalked; ++i, system = system->next.get()) {
        if (system->number >= rowLimit) continue;
        if (!AddPlan(plans, {system->number, system->firstMeasure,
                             OwnSlots(document, system->firstMeasure, system->lastMeasure)}))
            break;
        last = system;
    }
    if (last == nullptr || last->number + 1 >= rowLimit) return plans;
    const int first = last->lastMeasure + 1;
    if (!AddPlan(plans, {last->number + 1, first,
                         OwnSlots(document, first, first + kLastBeatMapSlot - 1)}))
        return plans;
    plans.nextPageRow = last->number + 1;
    plans.nextPageIndex = plans.count - 1;
    AddPreviousPageRow(view, page, plans, rowLimit);
    return plans;
}

bool IsScrollBuild(const ScoreView* view) {
    return view->pageView == 0 && !IsPrinting() && State().drawing.ClipboardRendering == 0;
}

ScorePage* MapPage(const ScoreView* view) {
    if (IsScrollBuild(view) && view->galleyPage != nullptr) return view->galleyPage;
    return view->currentPage;
}

int MostSystemsOnAnyPage(const ScoreView* view) {
    int most = 0;
    ScorePage* page = view->document != nullptr ? view->document->firstPage : nullptr;
    for (int p = 0; page != nullptr && p < kMaxPagesWalked; ++p, page = page->next.get()) {
        int systems = 0;
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && systems < kMaxSystemsWalked;
             s = s->next.get())
            ++systems;
        most = std::max(most, systems);
    }
    return most;
}

bool SystemRowLengthsChanged(const ScoreView* view, const ScoreSystem* system) {
    if (view == nullptr || view->document == nullptr || system == nullptr ||
        system->number >= view->beatMap.rowsAllocated)
        return false;
    const RowPlan plan{system->number, system->firstMeasure,
                       OwnSlots(*view->document, system->firstMeasure, system->lastMeasure)};
    return RowLengthsChanged(view->beatMap, view->document, plan);
}

void RepointRows(ScoreView* view) {
    AllocateBeatMapRows(view, view->beatMap.rowsAllocated);
    BuildBeatMapMeasures(view);
}

void RelayoutRows(ScoreView* view) {
    AllocateBeatMapRows(view, MostSystemsOnAnyPage(view) + kRowsBeyondSystems);
    BuildBeatMapMeasures(view);
}

}  // namespace ql::beatmap

namespace ql {

using namespace beatmap;

int AllocateBeatMapRows(ScoreView* view, int rows) {
    if (view == nullptr || view->document == nullptr) return 0;
    BeatMap& map = view->beatMap;
    const RowPlans plans = PlanRows(view, MapPage(view), rows);
    int result = 0;
    int reached = 0;
    for (int i = 0; i < plans.count; ++i) {
        const RowPlan& plan = plans.rows[i];
        if (RowLengthsChanged(map, view->document, plan)) result |= kRowLengthChanged;
        const uint64_t bytes = RowBytes(view->document, plan);
        if (bytes > map.rowCapacity[plan.row]) {
            if (!GrowRow(map, plan.row, bytes)) break;
            result |= kRowReallocated;
        }
        reached = std::max(reached, plan.row + 1);
    }
    map.rowsAllocated = static_cast<uint8_t>(std::max<int>(map.rowsAllocated, reached));
    return result;
}

int BuildBeatMapMeasures(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 1;
    BeatMap& map = view->beatMap;
    const RowPlans plans = PlanRows(view, MapPage(view), map.rowsAllocated);
    if (plans.nextPageRow < 0) return 1;
    const int next = plans.nextPageIndex;
    PointRow(map, view->document, plans.rows[next]);
    for (int i = next - 1; i >= 0; --i) PointRow(map, view->document, plans.rows[i]);
    for (int i = next + 1; i < plans.count; ++i) PointRow(map, view->document, plans.rows[i]);
    map.rowsPage = MapPage(view);
    return 1;
}

int ComputeMeasureBeatPositions(ScoreView* view, int systems) {
    return AllocateBeatMapRows(view, systems + kRowsBeyondSystems);
}

}  // namespace ql
