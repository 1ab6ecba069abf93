// The zoom area's class (type 19, run time only): the rubber band of the zoom tool.
// A click makes a 2 x 2 area at the pointer; dragging its bottom-right handle opens
// it (with Shift in the window's proportions) while an inverting outline follows;
// when the drag ends in page view the view zooms so that the area's height fills the
// window (an area under 128 units high only steps the zoom in); out of page view
// the zoom steps in. A drop on it steps the zoom out. Areas come from the program's
// transient pool (pool 1) and go back to it.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "objects/runtime/runtime_objects.h"

namespace ql {

constexpr int kAreaHandleCount = 3;
constexpr int kAreaCornerHandle = 1;   // the bottom-right corner, the one dragged open
constexpr int kAreaWholeHandle = 2;    // the rectangle itself
constexpr int32_t kNewAreaExtent = 2;
constexpr int32_t kAreaRowUnits = 128;  // an area this high or more zooms to fit
constexpr int kAreaMoveCursor = 384;

class AreaClass final : public ScoreObjectClass {
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
    void DragMove(ScoreObject* object, ScoreView* view) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
    void StepValue(ScoreObject* object, ScoreView* view, int step) const override;
    void ConstrainDrag(ScoreObject* object, ScoreView* view) const override;
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
};

const AreaClass& TheAreaClass();

inline AreaObject* AsArea(ScoreObject* object) {
    return reinterpret_cast<AreaObject*>(object);
}

// The area being dragged and its rectangle (empty when none).
ScoreObject* CurrentArea();
RecordRect CurrentAreaRect();

// The zoom that makes an area of `height` units fill a window of `clientHeight`
// pixels: clientHeight / (height / 128); 0 when the area is under 128 units.
int32_t ZoomForAreaHeight(int32_t height, int32_t clientHeight);

}  // namespace ql
