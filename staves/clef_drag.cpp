// The limits of a clef change's drag (see clef_drag.h). x positions of events come
// from the view's hit geometry; the measure's edges from its slot in the system.
#include "staves/clef_drag.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "staves/clef_key_create.h"
#include "staves/signature_step.h"

namespace ql {

namespace {

// The room kept between a dragged clef and the event on its left.
constexpr int32_t kEventGap = 32;
// Bounds the walk of a damaged voice chain.
constexpr int kMaxVoiceEvents = 4096;

ClefDragLimits g_drag;

}  // namespace

ClefDragLimits BeginClefDrag(ScoreView* view, const ScoreObject* clef, int32_t clefX) {
    g_drag = {};
    if (!HasStaffMeasureLocation(view) || view->currentSystem == nullptr || view->currentCell == nullptr)
        return g_drag;
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    ClefDragLimits limits;
    limits.clef = clef;
    limits.measure = view->currentMeasure;
    limits.staff = view->currentStaff;
    limits.tick = SignatureTickOfObject(clef);
    limits.startX = clefX;
    limits.left = MeasureSlotX(view, view->currentSystem, view->currentSlot);
    limits.right = limits.left + (record != nullptr ? record->width : 0);
    bool eventBefore = false;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        EventRecord* e = GetVoiceFirstEvent(view->currentCell, voice);
        for (int n = 0; e != nullptr && n < kMaxVoiceEvents; ++n, e = NextEvent(e)) {
            const int32_t x = GetEventPosition(e, view).x;
            if (x < clefX && x >= limits.left) {
                limits.left = x;
                eventBefore = true;
            } else if (x >= clefX && x < limits.right) {
                limits.right = x - 1;
            }
        }
    }
    if (eventBefore) limits.left += kEventGap + 1;
    g_drag = limits;
    return g_drag;
}

bool ClefDragAllows(const ScoreView* view, int32_t x) {
    return g_drag.measure != 0 && view != nullptr && view->currentMeasure == g_drag.measure && x >= g_drag.left &&
           x <= g_drag.right;
}

const ClefDragLimits& PendingClefDrag() {
    return g_drag;
}

int CommitClefDrag(ScoreView* view, ScoreObject* clef, int32_t handleX) {
    const ClefDragLimits drag = g_drag;
    g_drag = {};
    if (clef == nullptr || drag.clef != clef || handleX == drag.startX || view == nullptr || view->document == nullptr)
        return 0;
    if (view->currentStaff != drag.staff || view->currentMeasure != drag.measure)
        SetCurrentMeasure(view, drag.staff, drag.measure);
    const MeasureRecord* record = MeasureRecordOf(view->document, drag.measure);
    const EventGap gap = EventsAround(ExistingMeasureCell(view->document, drag.staff, drag.measure), drag.tick,
                                      record != nullptr ? record->lengthTicks : 0);
    ShiftSignAnchor(view, clef, LogicalPoint{handleX - drag.startX, 0});
    int tick = SignatureTickOfObject(clef);
    tick = gap.after - gap.before < 2 ? drag.tick : std::clamp(tick, gap.before + 1, gap.after - 1);
    SetSignatureTickOfObject(clef, static_cast<uint16_t>(tick));
    return 1;
}

void ShiftSignAnchor(ScoreView* view, ScoreObject* sign, LogicalPoint delta) {
    const LogicalPoint at = TextObjectAnchorPoint(sign, view);
    const LogicalPoint moved{at.x + delta.x, at.y + delta.y};
    EncodeTimeAnchors(view, &moved, &AsTextObject(sign)->body.location, 1);
}

}  // namespace ql
