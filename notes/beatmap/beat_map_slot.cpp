// The tick array of one measure slot: entry i is the x of tick 16 i from the slot's
// contentX. The measure is cut into pieces, the columns of its spacing list (at
// their own x per 16 ticks) and the gaps around them (at the measure's stretch
// factor), all in unsigned 8.8 fixed point. Each piece starts from the entry at its
// start tick and adds its factor per entry, so entries never fall:
//   piece (s, d, f): base = entry[s / 16]; for i = s / 16 + 1 .. (s + d) / 16, and
//   below length / 16: a += f, entry[i] = base + (a >> 8).
// The entry of the closing barline (tick = length) is not written. The returned
// content width sums (d >> 4) x f >> 8 over the pieces, each term cut to 16 bits.
// A column that goes back in time or starts at or past the measure's end ends the
// list: what follows is filled at the stretch factor.
#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_list.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql::beatmap {

namespace {

constexpr int kFixedPointShift = 8;  // 8.8 factors
constexpr uint32_t kWidthTermMask = 0xFFFF;

// The array being filled, with the entries a piece may write: below the measure's
// length / 16 and inside the slot's own array.
struct TickFill {
    uint16_t* entries = nullptr;
    int writable = 0;
    int width = 0;

    void Piece(int start, int duration, uint32_t factor) {
        width += static_cast<int>(
            ((static_cast<uint32_t>(duration) >> kBeatMapEntryShift) * factor >> kFixedPointShift) &
            kWidthTermMask);
        const int first = start >> kBeatMapEntryShift;
        const int end = std::min((start + duration) >> kBeatMapEntryShift, writable - 1);
        if (entries == nullptr || first >= writable) return;
        const int64_t base = entries[first];
        int64_t sum = 0;
        for (int i = first + 1; i <= end; ++i) {
            sum += factor;
            entries[i] = ClampMapX(base + (sum >> kFixedPointShift));
        }
    }
};

// Walks the measure's spacing list into the fill. A handle that does not resolve
// is cleared (the measure is then spaced at its stretch factor).
void FillFromSpacing(MeasureRecord& record, TickFill& fill) {
    const int length = record.lengthTicks;
    const SpacingEntry* column = FindRecord<SpacingEntry>(kSpacingEntryPool, record.spacing);
    if (column == nullptr) record.spacing = RecordHandle{};
    int tick = 0;
    for (int n = 0; column != nullptr && n < kMaxChainLength; ++n) {
        if (column->time < tick || column->time >= length) break;
        if (column->time > tick) fill.Piece(tick, column->time - tick, record.stretch);
        fill.Piece(column->time, column->ticksToNext, column->xPer16Ticks);
        tick = column->time + column->ticksToNext;
        column = FindRecord<SpacingEntry>(kSpacingEntryPool, RecordHandle{column->next});
    }
    if (tick < length) fill.Piece(tick, length - tick, record.stretch);
}

// One walk of a tidy list into the fill, with the width MeasureWidth gives such a
// list. Tidy: every link resolves; each entry has ticks, starts at or after the
// end of the one before it and before the measure's end, neither continues the one
// before it with the same value nor has the factor's value; together they fit in
// the measure. MeasureWidth changes nothing in such a list, so its width is
// ((length - covered) / 16) x factor / 256 plus each entry's own width. Returns
// false, having written part of the fill, when the list is not tidy.
bool FillFromTidySpacing(MeasureRecord& record, TickFill& fill) {
    const int length = record.lengthTicks;
    int64_t covered = 0;
    int64_t width = 0;
    int tick = 0;
    int previousEnd = -1;
    uint16_t previousValue = 0;
    RecordHandle h = record.spacing;
    for (int n = 0; h; ++n) {
        const SpacingEntry* column = SpacingEntryOf(h);
        if (column == nullptr || n >= kMaxChainLength || column->ticksToNext == 0 ||
            column->time < tick || column->time >= length || column->xPer16Ticks == record.stretch ||
            (column->time == previousEnd && column->xPer16Ticks == previousValue))
            return false;
        if (column->time > tick) fill.Piece(tick, column->time - tick, record.stretch);
        fill.Piece(column->time, column->ticksToNext, column->xPer16Ticks);
        covered += column->ticksToNext;
        width += StretchWidth(column->ticksToNext, column->xPer16Ticks);
        tick = column->time + column->ticksToNext;
        previousEnd = tick;
        previousValue = column->xPer16Ticks;
        h = RecordHandle{column->next};
    }
    if (covered > length) return false;
    if (tick < length) fill.Piece(tick, length - tick, record.stretch);
    record.width =
        ClampMeasureWidth(StretchWidth(length - static_cast<int32_t>(covered), record.stretch) + width);
    return true;
}

}  // namespace

int BuildSlotTicks(ScoreView* view, const ScoreSystem* system, int slot) {
    const int row = RowOfSystem(system);
    if (view == nullptr || view->document == nullptr || row < 0 || slot < 1 ||
        slot > kLastBeatMapSlot)
        return 0;
    ScoreDocument* document = view->document;
    const int measure = system->firstMeasure + slot - 1;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    TickFill fill;
    const BeatMap& map = view->beatMap;
    const SlotArray array =
        row < map.rowsAllocated ? SlotArrayOf(map, BeatMapCell(row, slot)) : SlotArray{};
    if (HasTickArray(record->lengthTicks) && array.entries != nullptr) {
        fill.entries = array.entries;
        fill.entries[0] = 0;
        fill.writable = std::min<int>(record->lengthTicks >> kBeatMapEntryShift, array.count);
    }
    if (FillFromTidySpacing(*record, fill)) return fill.width;
    // The list needs tidying first: MeasureWidth does it, and the fill starts over.
    MeasureWidth(document, measure);
    fill.width = 0;
    FillFromSpacing(*record, fill);
    return fill.width;
}

}  // namespace ql::beatmap

namespace ql {

int BuildBeatMapSlot(ScoreView* view, int slot) {
    if (view == nullptr || slot > kLastBeatMapSlot) return 0;
    return beatmap::BuildSlotTicks(view, view->currentSystem, slot);
}

}  // namespace ql
