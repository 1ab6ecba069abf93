// The block range: the staves and measures a rectangle covers, walked over the
// view's systems and their visible staves (a staff hidden in a system does not
// count there). A staff's offset names its bottom line; the staff rises 512 units
// above it. Systems are picked by the rectangle's rows, measures by where their
// right barline lies against the rectangle's sides.
#include "editing/block_range.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/model/beat_map_record.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "editing/block_clipboard.h"
#include "editing/marquee.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"

namespace ql {
namespace {

constexpr int32_t kStaffHeight = 512;
constexpr int kMaxSystemsWalked = 0x10000;

// The visible staves of a system, in staff order, with their rows.
struct StaffRows {
    int staff;
    int32_t top;
    int32_t bottom;
};

std::vector<StaffRows> VisibleStaves(const ScoreView* view, const ScoreSystem* system) {
    std::vector<StaffRows> rows;
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    if (offsets == nullptr) return rows;
    const int count = view->document->header.staffCount;
    for (int staff = 1; staff <= count; ++staff) {
        if (flags != nullptr && flags[staff] < 0) continue;  // hidden in this system
        const int32_t bottom = system->y + offsets[staff];
        rows.push_back(StaffRows{staff, bottom - kStaffHeight, bottom});
    }
    return rows;
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

// The first and last system the rectangle's rows reach, with the staves it takes
// from them: from the first system, its first visible staff whose bottom lies
// below the rectangle's top (else its last); from the last system, its last
// visible staff whose top lies above the rectangle's bottom.
struct RowPick {
    ScoreSystem* first = nullptr;
    ScoreSystem* last = nullptr;
    int firstStaff = 0;
    int lastStaff = 0;
};

RowPick PickRows(ScoreView* view, const gfx::Rect& r) {
    RowPick pick;
    ScoreSystem* system = view->pageView ? (view->currentPage != nullptr ? view->currentPage->firstSystem.get() : nullptr)
                                         : view->galleySystem;
    for (int n = 0; system != nullptr && n < kMaxSystemsWalked; system = system->next.get(), ++n) {
        const std::vector<StaffRows> rows = VisibleStaves(view, system);
        if (rows.empty()) continue;
        if (pick.first == nullptr && rows.back().bottom >= r.top) {
            pick.first = system;
            const auto below = std::find_if(rows.begin(), rows.end(), [&r](const StaffRows& s) { return s.bottom > r.top; });
            pick.firstStaff = below != rows.end() ? below->staff : rows.back().staff;
        }
        if (pick.first != nullptr && rows.front().top <= r.bottom) {
            pick.last = system;
            pick.lastStaff = 0;
            for (const StaffRows& s : rows)
                if (s.top < r.bottom) pick.lastStaff = s.staff;
        }
        if (!view->pageView) break;
    }
    return pick;
}

// Without a rectangle the marquee's: it needs the Pointer tools and a drawn marquee.
bool MarqueeRect(gfx::Rect* out) {
    if (CurrentToolGroup() != ToolGroup::Pointer || CurrentMarquee() == nullptr) {
        ShowNotice(kBlockNoSelection);
        return false;
    }
    *out = CurrentMarqueeRect();
    return true;
}

}  // namespace

int MarqueeToBlockRange(ScoreView* view, BlockRange* range, const gfx::Rect* rect) {
    if (view == nullptr || view->document == nullptr || range == nullptr) return 0;
    gfx::Rect given{};
    if (rect != nullptr) given = *rect;
    else if (!MarqueeRect(&given)) return 0;
    const gfx::Rect r = gfx::Normalised(given);
    const RowPick rows = PickRows(view, r);
    if (rows.first == nullptr || rows.last == nullptr || rows.lastStaff == 0) return 0;
    if (rows.first == rows.last && rows.lastStaff < rows.firstStaff) return 0;  // between two staves
    int firstMeasure = 0;
    for (int m = rows.first->firstMeasure; m <= rows.first->lastMeasure && firstMeasure == 0; ++m)
        if (MeasureRightEdge(view, rows.first, m) > r.left) firstMeasure = m;
    if (firstMeasure == 0) return 0;
    int lastMeasure = 0;
    for (int m = rows.last->firstMeasure; m <= rows.last->lastMeasure; ++m)
        if (MeasureRightEdge(view, rows.last, m) < r.right) lastMeasure = m;
    if (lastMeasure < firstMeasure) {
        if (firstMeasure != rows.first->firstMeasure) return 0;
        lastMeasure = firstMeasure;
    }
    range->firstStaff = static_cast<uint8_t>(std::min(rows.firstStaff, rows.lastStaff));
    range->lastStaff = static_cast<uint8_t>(std::max(rows.firstStaff, rows.lastStaff));
    range->firstMeasure = static_cast<uint16_t>(firstMeasure);
    range->lastMeasure = static_cast<uint16_t>(std::min<int>(lastMeasure, view->document->header.measureCount));
    UnfocusElement(view);
    return 1;
}

}  // namespace ql
