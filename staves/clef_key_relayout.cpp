// Layout refresh after a clef or key change (see clef_key_relayout.h).
#include "staves/clef_key_relayout.h"

#include "core/model/score_document.h"
#include "display/linked_views.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

void RelayoutAfterSignatureChange(ScoreView* view, int measure) {
    if (view == nullptr || view->document == nullptr) return;
    if (view->currentPage != nullptr) {
        if (view->currentSystem != nullptr)
            RefreshSystemMeasureWidths(view->document, view->currentSystem);
        ScorePage* page = PageOfMeasure(view->document, measure);
        if (page != nullptr) {
            ReformatOptions options;
            ReformatFromPage(view, &options, page);
        }
        UpdateBeatMaps(view, 1);
    }
    InvalidateLinkedViews(view);
}

}  // namespace ql
