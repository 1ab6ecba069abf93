// Beat maps of a view and its linked views.
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "display/beat_map.h"
#include "display/linked_views.h"

namespace ql {

// provisional: the beat maps (the x of every 16-tick position of the measure
// slots) are built by the notes module, which is not built; the views keep the
// maps they have.
void BuildBeatMapsOnLinkedViews(ScoreView* /*view*/, int /*flag*/) {}

int32_t MeasureSlotX(ScoreView* view, const ScoreSystem* system, int slot) {
    // provisional: without the beat map the slots are placed from the stored
    // content widths of the system's measures alone; start-of-measure signs take no
    // room until the map is built.
    if (system == nullptr) return 0;
    int32_t x = system->x;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return x;
    for (int measure = system->firstMeasure; measure < system->firstMeasure + slot - 1; ++measure) {
        const MeasureRecord* record = MeasureRecordOf(document, measure);
        if (record == nullptr) break;
        x += record->width;
    }
    return x;
}

}  // namespace ql
