// The spacing stretcher's class (type 12, run time only): a beat grid over the
// view's current measure (a mark every 128 ticks, 256 units long on multiples of
// 512, 192 on multiples of 256, else 128; once rising from below the staff, once
// falling from above) with three handles: the start of the range (0), its end (1)
// and the new end (2). Dragging the new end re-spaces the range from the start to
// the end: the whole measure by its width, a part of it through its spacing list. A
// range under 16 ticks cannot be spaced on its own and is refused with a beep; a drop
// on the stretcher frees the measure's whole spacing list, so it returns to the
// default spacing. The stretcher has no attribute dialog.
#pragma once

#include <cstdint>
#include <vector>

#include "core/objects/class_table.h"
#include "objects/runtime/runtime_objects.h"

namespace ql {

constexpr int kStretcherHandleCount = 3;
constexpr int kStretcherStartHandle = 0;
constexpr int kStretcherEndHandle = 1;
constexpr int kStretcherNewEndHandle = 2;
constexpr int kGridStepTicks = 128;
constexpr int kShortestStretchTicks = 16;
// Where the grid and the handles stand relative to the staff's base line.
constexpr int32_t kGridBelowStaff = 320;
constexpr int32_t kGridAboveStaff = -832;
constexpr int32_t kEndHandlesY = 512;
constexpr int32_t kNewEndHandleY = -1024;

class StretcherClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    void DrawTracking(ScoreObject* object, ScoreView* view) const override;
    void EraseTracking(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    void EndDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void DrawHandle(ScoreObject* object, ScoreView* view, HitRecord* hit) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
};

const StretcherClass& TheStretcherClass();

inline StretcherObject* AsStretcher(ScoreObject* object) {
    return reinterpret_cast<StretcherObject*>(object);
}

// One mark of the beat grid: its tick and its length in units.
struct GridMark {
    int tick;
    int32_t length;
};
// The marks of a measure of the given length: every 128 ticks below it.
std::vector<GridMark> StretcherGridMarks(int lengthTicks);

}  // namespace ql
