// The follow highlight of playback and its drawing on a staff of a system.
#include "display/follow_mark.h"

#include "core/draw/colour_sets.h"
#include "core/model/score_document.h"
#include "display/system_drawing_internal.h"
#include "platform/win/paint.h"

namespace ql {
namespace {

// The frame stands this far outside the staff lines, and its bars are this thick
// (logical units; a staff space is 128).
constexpr int32_t kFrameMargin = 96;
constexpr int32_t kFrameBar = 24;
constexpr int kMaxMaskStaff = 63;

struct FollowState {
    ScoreView* view = nullptr;
    int measure = 0;
    uint64_t staves = 0;
};

FollowState& Follow() {
    static FollowState state;
    return state;
}

void Repaint(ScoreView* view) {
    if (view != nullptr && view->self == view && view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, true);
}

}  // namespace

void SetFollowMark(ScoreView* view, int measure, uint64_t staves) {
    FollowState& state = Follow();
    if (view == nullptr || measure < 1) {
        ClearFollowMark();
        return;
    }
    if (state.view != view) Repaint(state.view);
    const bool changed = state.view != view || state.measure != measure || state.staves != staves;
    state = FollowState{view, measure, staves};
    if (changed) Repaint(view);
}

void ClearFollowMark() {
    FollowState& state = Follow();
    ScoreView* view = state.view;
    const bool had = view != nullptr && state.measure > 0;
    state = FollowState{};
    if (had) Repaint(view);
}

int FollowedMeasure(const ScoreView* view) {
    return view != nullptr && Follow().view == view ? Follow().measure : 0;
}

bool FollowsStaff(const ScoreView* view, int staff) {
    return FollowedMeasure(view) > 0 && staff >= 1 && staff <= kMaxMaskStaff &&
           (Follow().staves >> staff & 1u) != 0;
}

void DrawFollowMark(ScoreView* view, int staff) {
    if (!FollowsStaff(view, staff) || !sysdraw::IsOnScreen()) return;
    sysdraw::Grid grid;
    if (!sysdraw::OpenGrid(view, &grid)) return;
    const int measure = Follow().measure;
    if (measure < grid.system->firstMeasure || measure > grid.system->lastMeasure) return;
    const int slot = measure - grid.system->firstMeasure + 1;
    const int32_t left = sysdraw::SlotLeftX(grid, slot);
    const int32_t right = sysdraw::SlotRightX(grid, slot);
    const int32_t bottom = sysdraw::StaffY(grid, staff) + kFrameMargin;
    const int32_t top = sysdraw::StaffY(grid, staff) - sysdraw::StaffHeight(grid, staff) - kFrameMargin;
    if (right <= left) return;
    BeginHighlightDrawAlt2(view);
    sysdraw::InkFilled(view, left, top, right - left, kFrameBar);
    sysdraw::InkFilled(view, left, bottom - kFrameBar, right - left, kFrameBar);
    sysdraw::InkFilled(view, left, top, kFrameBar, bottom - top);
    sysdraw::InkFilled(view, right - kFrameBar, top, kFrameBar, bottom - top);
    EndHighlightDraw(view);
}

}  // namespace ql
