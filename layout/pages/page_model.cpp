// Vertical placement from a model page (module FMTPAGE): the document's
// page-model setting and model page index, the system tops copied from it, and
// the choice between the model and the spread between the margins.
#include "layout/page_model.h"

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"

namespace ql {

using namespace pages;

const ScorePage* ModelPageAt(ScoreDocument* document, bool enabled, int index) {
    if (document == nullptr || !enabled || index < 0 || index >= document->header.pageCount) return nullptr;
    return GetPageAt(document, index);
}

const ScorePage* DocumentModelPage(ScoreDocument* document) {
    if (document == nullptr) return nullptr;
    const NewScoreBlock& block = document->header.newScoreBlock;
    return ModelPageAt(document, block.byte10 != 0, block.byte11);
}

void TakeModelTops(const ScorePage* model, ScorePage* page) {
    if (model == nullptr || page == nullptr || model == page) return;
    const ScoreSystem* from = model->firstSystem.get();
    ScoreSystem* to = page->firstSystem.get();
    for (int i = 0; from != nullptr && to != nullptr && i < kMaxChain; ++i) {
        to->y = from->y;
        from = from->next.get();
        to = to->next.get();
    }
}

void PlacePageSystems(ScoreView* view, ScorePage* page) {
    LayoutPageSystems(view, page);
    TakeModelTops(DocumentModelPage(view != nullptr ? view->document : nullptr), page);
}

}  // namespace ql
