// Reading the beat map: the x of a tick in a slot (one index per 16 ticks, linear
// between two entries otherwise) and the x of a slot's first beat. Readers never
// trust a slot further than its array: a slot without one reads 0, and ticks past
// the last entry written take that entry.
#include <algorithm>

#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql {

namespace {

constexpr int kTickFractionMask = kTicksPerBeatMapEntry - 1;

}  // namespace

int SlotTickToX(const ScoreView* view, const ScoreSystem* system, int slot, int tick) {
    const int row = beatmap::RowOfSystem(system);
    if (view == nullptr || row < 0 || slot < 1 || slot > kLastBeatMapSlot) return 0;
    const int cell = BeatMapCell(row, slot);
    const beatmap::SlotArray array = beatmap::SlotArrayOf(view->beatMap, cell);
    if (array.entries == nullptr) return 0;
    const int written = std::max<int>(
        1, std::min<int>(view->beatMap.slotTicks[cell] >> kBeatMapEntryShift, array.count));
    if (tick <= 0) return array.entries[0];
    const int column = tick >> kBeatMapEntryShift;
    if (column >= written - 1) return array.entries[written - 1];
    const int a = array.entries[column];
    const int b = array.entries[column + 1];
    const int fraction = tick & kTickFractionMask;
    if (fraction == 0 || b <= a) return a;
    return a + (((b - a) * fraction) >> kBeatMapEntryShift);
}

int BeatMapTickToX(ScoreView* view, int tick) {
    if (view == nullptr) return 0;
    return SlotTickToX(view, view->currentSystem, view->currentSlot, tick);
}

int32_t MeasureSlotX(ScoreView* view, const ScoreSystem* system, int slot) {
    if (system == nullptr) return 0;
    const int row = beatmap::RowOfSystem(system);
    if (view == nullptr || row < 0) return system->x;
    const int cell = BeatMapCell(row, std::clamp(slot, 1, kLastBeatMapSlot));
    return system->x + view->beatMap.contentX[cell];
}

}  // namespace ql
