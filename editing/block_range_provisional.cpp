// The block range of the marquee, as far as the block clipboard needs it until the
// range walk over the systems' visible staves is built.
#include <algorithm>
#include <cstdint>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "editing/block_clipboard.h"
#include "editing/block_range.h"
#include "editing/marquee.h"
#include "editing/selection.h"
#include "core/model/beat_map_record.h"

namespace ql {
namespace {

constexpr int32_t kStaffHeight = 512;  // a staff rises this far above its offset
constexpr int kMaxSystemsWalked = 0x10000;

// The system's staves reach into the rectangle's rows.
bool SystemInRows(const ScoreView* view, const ScoreSystem* system, const gfx::Rect& r) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int count = view->document->header.staffCount;
    if (offsets == nullptr || count < 1) return false;
    const int32_t top = system->y + offsets[1] - kStaffHeight;
    const int32_t bottom = system->y + offsets[count];
    return bottom >= r.top && top <= r.bottom;
}

// The right edge of a measure of the system: its content start in the view's beat
// map, the room after its columns and its laid-out width, where the next slot starts.
int32_t MeasureRightEdge(ScoreView* view, const ScoreSystem* system, int measure) {
    const int slot = measure - system->firstMeasure + 1;
    const MeasureRecord* record = MeasureRecordOf(view->document, measure);
    if (system->number >= kBeatMapRows || slot < 1 || slot > kLastBeatMapSlot || record == nullptr)
        return INT32_MAX;
    const int cell = BeatMapCell(system->number, slot);
    return system->x + view->beatMap.contentX[cell] + view->beatMap.trailSpace[cell] + record->width + record->trail;
}

}  // namespace

// provisional: the systems are found by the rows of all their staves, hidden staves
// included; the walk over the visible staves replaces this.
int MarqueeToBlockRange(ScoreView* view, BlockRange* range, const gfx::Rect* rect) {
    if (view == nullptr || view->document == nullptr || range == nullptr) return 0;
    if (rect == nullptr && CurrentMarquee() == nullptr) {
        ShowNotice(kBlockNoSelection);
        return 0;
    }
    int firstStaff = 0;
    int lastStaff = 0;
    if (MarqueeRangeAtPoint(view, &firstStaff, &lastStaff) == 0) return 0;
    const gfx::Rect r = gfx::Normalised(rect != nullptr ? *rect : CurrentMarqueeRect());
    ScoreSystem* first = nullptr;
    ScoreSystem* last = nullptr;
    ScoreSystem* system = view->pageView ? (view->currentPage != nullptr ? view->currentPage->firstSystem.get() : nullptr)
                                         : view->galleySystem;
    for (int n = 0; system != nullptr && n < kMaxSystemsWalked; system = system->next.get(), ++n) {
        if (!SystemInRows(view, system, r)) continue;
        if (first == nullptr) first = system;
        last = system;
        if (!view->pageView) break;
    }
    if (first == nullptr) return 0;
    int firstMeasure = 0;
    for (int m = first->firstMeasure; m <= first->lastMeasure && firstMeasure == 0; ++m)
        if (MeasureRightEdge(view, first, m) > r.left) firstMeasure = m;
    if (firstMeasure == 0) return 0;
    int lastMeasure = 0;
    for (int m = last->firstMeasure; m <= last->lastMeasure; ++m)
        if (MeasureRightEdge(view, last, m) < r.right) lastMeasure = m;
    if (lastMeasure < firstMeasure) {
        if (firstMeasure != first->firstMeasure) return 0;
        lastMeasure = firstMeasure;
    }
    range->firstStaff = static_cast<uint8_t>(firstStaff);
    range->lastStaff = static_cast<uint8_t>(lastStaff);
    range->firstMeasure = static_cast<uint16_t>(firstMeasure);
    range->lastMeasure = static_cast<uint16_t>(std::min<int>(lastMeasure, view->document->header.measureCount));
    return 1;
}

}  // namespace ql
