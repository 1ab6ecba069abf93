// Points kept as offsets within a measure: x from the measure slot's content start,
// y from the staff's top line. The current-location forms scale y by the view scale
// on the way out and unscale it on the way in, as the anchors do.
#include "display/anchors.h"

#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "display/locate_internal.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

using namespace locate;

bool MeasureOffsetsToPoints(ScoreView* view, int staff, int measure, LogicalPoint* points,
                            int count) {
    if (view == nullptr || view->document == nullptr || points == nullptr) return false;
    ScoreSystem* system = view->pageView ? SystemOfMeasure(view, measure) : view->galleySystem;
    if (system == nullptr) return false;
    int32_t dy = system->y;  // the system's top when the staff has no offset there
    StaffTop(view, system, staff, &dy);
    const int32_t dx = MeasureSlotX(view, system, SlotOfMeasure(view, measure, system));
    for (int i = 0; i < count; ++i) points[i] = LogicalPoint{points[i].x + dx, points[i].y + dy};
    return true;
}

bool CurrentMeasureOffsetsToPoints(ScoreView* view, LogicalPoint* points, int count) {
    if (view == nullptr || view->currentSystem == nullptr || points == nullptr) return false;
    const int32_t dx = MeasureSlotX(view, view->currentSystem, view->currentSlot);
    for (int i = 0; i < count; ++i)
        points[i] = LogicalPoint{points[i].x + dx, ScaleY(view, points[i].y) + view->staffY};
    return true;
}

bool PointsToCurrentMeasureOffsets(ScoreView* view, LogicalPoint* points, int count) {
    if (view == nullptr || view->currentSystem == nullptr || points == nullptr) return false;
    const int32_t dx = MeasureSlotX(view, view->currentSystem, view->currentSlot);
    for (int i = 0; i < count; ++i)
        points[i] = LogicalPoint{points[i].x - dx, UnscaleY(view, points[i].y - view->staffY)};
    return true;
}

}  // namespace ql
