// Time and x in the current measure slot: the x of a tick (interpolated between
// the 16-tick columns of the beat map) and the tick at an x (the nearer column).
#include <algorithm>

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "display/locate_internal.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql {

using namespace locate;

namespace {

// The first column in [from, to) whose x is right of r; `to` when none.
int FirstRightOf(const SlotColumns& columns, int from, int to, int r) {
    for (int i = from; i < to; ++i)
        if (ColumnX(columns, i) > r) return i;
    return to;
}

}  // namespace

namespace locate {

int SlotTickX(ScoreView* view, const ScoreSystem* system, int slot, int length, int tick) {
    return TickXAmongColumns(SlotColumnsOf(view, system, slot), length, tick,
                             [&] { return beatmap::BuildSlotTicks(view, system, slot); });
}

}  // namespace locate

int MeasureTickX(ScoreView* view, int measure, int tick) {
    ScoreSystem* system = view != nullptr ? view->currentSystem : nullptr;
    if (system == nullptr || view->document == nullptr || measure < system->firstMeasure ||
        measure > system->lastMeasure)
        return 0;
    const MeasureRecord* record = MeasureRecordOf(view->document, measure);
    const int slot = SlotOfMeasure(view, measure, system);
    if (record == nullptr || slot < 0 || slot > Switches().SlotLimit) return 0;
    return system->x + SlotContentStart(view, system, slot) + SlotTickX(view, system, slot, record->lengthTicks, tick);
}

int MeasureStartX(ScoreView* view, int measure) {
    ScoreSystem* system = view != nullptr ? view->currentSystem : nullptr;
    if (system == nullptr || measure < system->firstMeasure || measure > system->lastMeasure) return 0;
    const int slot = SlotOfMeasure(view, measure, system);
    if (slot < 0 || slot > Switches().SlotLimit) return 0;
    return system->x + SlotLeftEdge(view, system, slot);
}

int TimeToX(ScoreView* view, int tick) {
    if (view == nullptr || view->currentSlot < 0 || view->currentSlot > Switches().SlotLimit)
        return 0;
    return SlotTickX(view, view->currentSystem, view->currentSlot, view->currentMeasureLength,
                     tick);
}

int XToTimeInSlot(ScoreView* view, int r) {
    if (view == nullptr || r < 0) return 0;
    const SlotColumns columns = CurrentSlotColumns(view);
    const int length = view->currentMeasureLength;
    const int n = length >> kBeatMapEntryShift;
    if (n <= 0) return std::max(0, length - 1);
    const int half = length >> 5;
    int i = 0;
    if (r >= ColumnX(columns, half)) {
        i = FirstRightOf(columns, half, n, r);
        if (i >= n) return length - 1;
    } else if (length > 31) {
        i = FirstRightOf(columns, 0, half, r);
    }
    if (i >= n) return length - 1;
    if (i == 0) return 0;
    const int left = ColumnX(columns, i - 1);
    const int right = ColumnX(columns, i);
    const int chosen = (r - left) < (right - r) ? i - 1 : i;
    return chosen * kTicksPerBeatMapEntry;
}

int XToTime(ScoreView* view, int x) {
    if (view == nullptr || view->currentSystem == nullptr) return 0;
    return XToTimeInSlot(view, x - MeasureSlotX(view, view->currentSystem, view->currentSlot));
}

}  // namespace ql
