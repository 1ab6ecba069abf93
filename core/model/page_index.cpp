// Finding the page that holds a measure in the document's page list.
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"

namespace ql {

int PageIndexOfMeasure(ScoreDocument* document, int measure) {
    if (document == nullptr) return 0;
    int index = 0;
    for (const ScorePage* page = document->firstPage; page != nullptr;
         page = page->next.get(), ++index) {
        if (measure >= page->firstMeasure && measure <= page->lastMeasure) return index;
    }
    return 0;
}

}  // namespace ql
