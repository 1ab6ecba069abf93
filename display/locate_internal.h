// Shared helpers of the locator files: the module's names and limits, the measure
// slot tables of the view's beat map read with every index checked, and the
// membership tests that guard page and system references.
#pragma once

#include <cstdint>

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/model/beat_map_record.h"
#include "core/model/score_document.h"
#include "core/state.h"

namespace ql::locate {

inline constexpr char kModuleTag[] = "LOCATE";
inline constexpr int kNoSystemLine = 353;
inline constexpr int kNoPageLine = 568;
inline constexpr int kMeasureSlack = 4;       // measures past the count a location may name
inline constexpr int kMeasureSlotSlack = 8;   // MeasureOfSlot's limit past the count
inline constexpr int kStaffHeight = 512;      // four spaces of 128
inline constexpr int kStaffStepUnits = 64;
inline constexpr int kToolHysteresis = 256;   // staff-change lag of tools 1 and 9
inline constexpr int kSystemBoundaryLift = 256;
inline constexpr int kLocateVoices = 4;
inline constexpr uint8_t kHiddenStaffBit = 0x80;

inline LocateGlobals& Switches() { return State().locate; }

int StaffCountOf(const ScoreView* view);
inline int MeasureCountOf(const ScoreView* view) {
    return view != nullptr && view->document != nullptr ? view->document->header.measureCount : 0;
}
bool OnMasterPage(const ScoreView* view);
// The slot limit + 2: the highest slot a location may hold.
int SlotCap();
// Slot left edge and content start of a system's slot, relative to the system x;
// 0 outside the map.
int SlotLeftEdge(const ScoreView* view, const ScoreSystem* system, int slot);
int SlotContentStart(const ScoreView* view, const ScoreSystem* system, int slot);
// The tick array of the current slot: entry count and entries (null when none).
struct SlotColumns {
    const uint16_t* x = nullptr;
    int count = 0;
};
SlotColumns CurrentSlotColumns(const ScoreView* view);
SlotColumns SlotColumnsOf(const ScoreView* view, const ScoreSystem* system, int slot);
// Column i of a slot; columns past the array read its last entry, a slot without
// one reads 0.
inline int ColumnX(const SlotColumns& columns, int i) {
    if (columns.count == 0) return 0;
    return columns.x[std::clamp(i, 0, columns.count - 1)];
}
// The x of a tick among a slot's columns for a measure of `length` ticks,
// interpolated between columns. The closing barline's column is never written:
// `closingX()` gives the content width that stands for it.
template <typename ClosingX>
int TickXAmongColumns(const SlotColumns& columns, int length, int tick, ClosingX&& closingX) {
    constexpr int kFractionMask = kTicksPerBeatMapEntry - 1;
    tick = std::max(tick, 0);
    const int c = tick >> kBeatMapEntryShift;
    const int a = ColumnX(columns, c);
    if (tick >= length - 1) return a;
    const int b = c + 1 >= (length >> kBeatMapEntryShift) ? closingX() : ColumnX(columns, c + 1);
    if (b <= a) return a;
    return a + (((b - a) * (tick & kFractionMask)) >> kBeatMapEntryShift);
}
// TimeToX in any slot of a system, for a measure of `length` ticks.
int SlotTickX(ScoreView* view, const ScoreSystem* system, int slot, int length, int tick);
// The staff's offset from its system's y, and whether the staff is hidden there.
bool StaffTop(const ScoreView* view, const ScoreSystem* system, int staff, int32_t* top);
bool IsStaffShown(const ScoreView* view, const ScoreSystem* system, int staff);
// Membership of a system in a page's list, and of a page in the document's list.
bool IsSystemOfPage(const ScorePage* page, const ScoreSystem* system);
bool IsPageOfDocument(const ScoreDocument* document, const ScorePage* page);
// The "LOCATE" notice box of a source line.
void ReportLocateNotice(int line);
// Scaling of stored y offsets by the view scale (unchanged when it is 0 or less).
inline int32_t ScaleY(const ScoreView* view, int32_t v) {
    const double scale = ViewScale(view);
    return scale > 0.0 ? static_cast<int32_t>(v * scale) : v;
}
inline int32_t UnscaleY(const ScoreView* view, int32_t v) {
    const double scale = ViewScale(view);
    return scale > 0.0 ? static_cast<int32_t>(v / scale) : v;
}

}  // namespace ql::locate
