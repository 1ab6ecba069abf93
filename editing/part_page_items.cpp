// Page items of a part. Each page's object list hangs from its margin element;
// texts anchored on the page (type 18, page subtype) are cloned by the cell copy's
// object clone from the source's pools into the part's and inserted by subtype while the part's
// view shows the target page. The part view's page and page list are given back.
#include "editing/part_page_items.h"

#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "editing/cell_copy.h"
#include "editing/document_switch.h"
#include "core/model/events.h"

namespace ql {
namespace {

bool IsPageText(const ScoreObject* object) {
    return object->type == TypeCode(ObjectType::Text) && object->subtype == SubtypeCode(ObjectSubtype::PageList);
}

// The texts of one source page onto one part page; the count that failed.
int CopyPageTexts(ScoreView* sourceView, ScoreView* partView, const ScorePage* from, ScorePage* to) {
    if (from == nullptr || to == nullptr || !from->margins || !to->margins) return 0;
    ScoreDocument* source = sourceView->document;
    ScoreDocument* part = partView->document;
    ScorePage* const keptPage = partView->currentPage;
    ScoreObject* const keptList = partView->pageObjects;
    partView->currentPage = to;
    partView->pageObjects = nullptr;
    int failed = 0;
    {
        const CellCopySides sides{source, part, source->pools, part->pools, partView, 0};
        ScopedDocumentSwitch switcher(source, source->pools, part, part->pools);
        switcher.ToDestination();
        ScoreObject* object = from->margins.get()->next.get();
        for (int n = 0; object != nullptr && n < kMaxChainLength; object = object->next.get(), ++n) {
            if (!IsPageText(object)) continue;
            ScoreObject* clone = CloneObjectBetween(sides, object);
            if (clone == nullptr) {
                ++failed;
                continue;
            }
            InsertObjectBySubtype(partView, clone);
        }
    }
    partView->currentPage = keptPage;
    partView->pageObjects = keptList;
    return failed;
}

}  // namespace

int CopyPartPageItems(ScoreView* sourceView, ScoreView* partView, bool copyPageNumber) {
    const FileFlags& options = State().files;
    ScoreDocument* source = sourceView->document;
    ScoreDocument* part = partView->document;
    int failed = 0;
    if (options.PartCopyMasterItems != 0) {
        failed += CopyPageTexts(sourceView, partView, source->leftMaster, part->leftMaster);
        failed += CopyPageTexts(sourceView, partView, source->rightMaster, part->rightMaster);
    }
    if (options.PartCopyPageOneItems != 0) {
        failed += CopyPageTexts(sourceView, partView, source->firstPage, part->firstPage);
        if (copyPageNumber && source->firstPage != nullptr && part->firstPage != nullptr)
            part->firstPage->pageNumber = source->firstPage->pageNumber;
    }
    return failed;
}

}  // namespace ql
