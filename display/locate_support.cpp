// Helpers of the locator: counts, the slot tables of the beat map read with checked
// indexes, staff tops, membership tests and the module's notice box.
#include <algorithm>
#include <cstdio>

#include "core/draw/draw_surface.h"
#include "core/error_report.h"
#include "core/model/pages.h"
#include "core/units/status_text.h"
#include "display/locate_internal.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql::locate {

int StaffCountOf(const ScoreView* view) {
    return view != nullptr && view->document != nullptr ? view->document->header.staffCount : 0;
}

bool OnMasterPage(const ScoreView* view) {
    return view->currentPage != nullptr && view->currentPage->pageNumber < 0;
}

int SlotCap() {
    return Switches().SlotLimit + 2;
}

namespace {

int CellOf(const ScoreSystem* system, int slot) {
    const int row = beatmap::RowOfSystem(system);
    if (row < 0 || slot < 0 || slot > kLastBeatMapSlot) return -1;
    return BeatMapCell(row, slot);
}

}  // namespace

int SlotLeftEdge(const ScoreView* view, const ScoreSystem* system, int slot) {
    const int cell = CellOf(system, slot);
    return cell < 0 ? 0 : view->beatMap.slotX[cell];
}

int SlotContentStart(const ScoreView* view, const ScoreSystem* system, int slot) {
    const int cell = CellOf(system, slot);
    return cell < 0 ? 0 : view->beatMap.contentX[cell];
}

SlotColumns CurrentSlotColumns(const ScoreView* view) {
    return SlotColumnsOf(view, view->currentSystem, view->currentSlot);
}

SlotColumns SlotColumnsOf(const ScoreView* view, const ScoreSystem* system, int slot) {
    const int cell = CellOf(system, slot);
    if (cell < 0) return {};
    const beatmap::SlotArray array = beatmap::SlotArrayOf(view->beatMap, cell);
    if (array.entries == nullptr) return {};
    return {array.entries, static_cast<int>(array.count)};
}

bool StaffTop(const ScoreView* view, const ScoreSystem* system, int staff, int32_t* top) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    if (offsets == nullptr || staff < 0 || staff > StaffCountOf(view)) return false;
    *top = system->y + offsets[staff];
    return true;
}

bool IsStaffShown(const ScoreView* view, const ScoreSystem* system, int staff) {
    const int8_t* flags = StaffFlagsOf(system);
    if (flags == nullptr || staff < 1 || staff > StaffCountOf(view)) return false;
    return (static_cast<uint8_t>(flags[staff]) & kHiddenStaffBit) == 0;
}

bool IsSystemOfPage(const ScorePage* page, const ScoreSystem* system) {
    if (page == nullptr || system == nullptr) return false;
    int guard = 0;
    for (const ScoreSystem* at = page->firstSystem.get(); at != nullptr && guard < 0x10000;
         at = at->next.get(), ++guard)
        if (at == system) return true;
    return false;
}

bool IsPageOfDocument(const ScoreDocument* document, const ScorePage* page) {
    if (document == nullptr || page == nullptr) return false;
    int guard = 0;
    for (const ScorePage* at = document->leftMaster; at != nullptr && guard < 0x10000;
         at = at->next.get(), ++guard)
        if (at == page) return true;
    return false;
}

void ReportLocateNotice(int line) {
    char text[128];
    std::snprintf(text, sizeof text, "%s\n %s", FormatModuleLine(kModuleTag, line), "Notice: ");
    ErrorBox(text);
}

}  // namespace ql::locate
