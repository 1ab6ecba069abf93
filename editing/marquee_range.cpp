// The staves the marquee covers: the range the staff commands (a staff added before
// or after) and part extraction work on. A staff counts when the left-middle point
// of its band, on a system of the view, lies inside the marquee rectangle.
#include <algorithm>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/ui/status_bar.h"
#include "editing/marquee.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"

namespace ql {
namespace {

constexpr char kNoSelection[] = "No selection";
// A staff's offset names its bottom line; the staff rises 512 units above it.
constexpr int32_t kStaffMiddleAboveOffset = 256;
constexpr int kMaxRangeStaff = 128;
constexpr int kMaxSystemsWalked = 0x10000;

bool Contains(const gfx::Rect& r, int32_t x, int32_t y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// The staves of one system whose left-middle point lies in the rectangle. A system
// whose left edge lies left of the rectangle has its staves start where the
// rectangle starts (the scroll view's system begins far left of what is seen).
void StavesInside(const ScoreView* view, const ScoreSystem* system, const gfx::Rect& r, int* first,
                  int* last) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    if (offsets == nullptr || system->x > r.right) return;
    const int32_t x = std::max(system->x, r.left);
    const int count = view->document->header.staffCount;
    for (int staff = 1; staff <= count; ++staff) {
        if (!Contains(r, x, system->y + offsets[staff] - kStaffMiddleAboveOffset)) continue;
        *first = std::min(*first, staff);
        *last = std::max(*last, staff);
    }
}

}  // namespace

int MarqueeRangeAtPoint(ScoreView* view, int* firstStaff, int* lastStaff) {
    if (view == nullptr || view->document == nullptr) return 0;
    if (CurrentToolGroup() != ToolGroup::Pointer) {
        ShowNotice(kNoSelection);
        return 0;
    }
    if (CurrentMarquee() == nullptr) return 0;
    const gfx::Rect r = gfx::Normalised(CurrentMarqueeRect());
    int first = kMaxRangeStaff + 1;
    int last = 0;
    if (view->pageView) {
        const ScoreSystem* system = view->currentPage != nullptr ? view->currentPage->firstSystem.get() : nullptr;
        for (int n = 0; system != nullptr && n < kMaxSystemsWalked; system = system->next.get(), ++n)
            StavesInside(view, system, r, &first, &last);
    } else if (view->galleySystem != nullptr) {
        StavesInside(view, view->galleySystem, r, &first, &last);
    }
    if (first > kMaxRangeStaff || last <= 0) return 0;
    if (firstStaff != nullptr) *firstStaff = first;
    if (lastStaff != nullptr) *lastStaff = last;
    return 1;
}

}  // namespace ql
