// Cutting the score at a barline (see score_truncate.h). The page holding the last
// measure kept ends at the barline, the pages after it go with their measures
// through the page editor, and the barline's own bytes are put back afterwards.
#include "staves/score_truncate.h"

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/navigation.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"
#include "platform/ui/message_box.h"
#include "staves/barline.h"

namespace ql {

namespace {

struct KeptBarline {
    uint8_t barline;
    uint8_t repeatCount;
    uint8_t flags;
};

}  // namespace

int TruncateScoreAtMeasure(ScoreView* view, ScorePage* page, int measure) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || measure < 2 || measure > document->header.measureCount) return 0;
    if (page == nullptr || page->firstMeasure > measure - 1 || page->lastMeasure < measure - 1) return 0;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    const KeptBarline kept{record->barline, record->repeatCount, record->flags};
    if (page->lastMeasure >= measure) MovePageBreak(view, page, nullptr, page->lastMeasure - measure + 1);
    if (page->lastMeasure != measure - 1) return 0;
    // The pages after it go with their measures (a blank one is made when none
    // follows, so that the page editor has something to take away).
    if (page->next.get() == nullptr && AppendPage(view) == 0) return 0;
    view->currentPage = page->next.get();
    const int index = GetPageIndex(document, view->currentPage);
    DeletePages(view, document->header.pageCount - index);
    view->currentPage = page;
    view->currentSystem = page->firstSystem.get();
    document->header.measureCount = static_cast<uint16_t>(measure - 1);
    for (int m = measure + 1; m <= measure - 1 + kSpareMeasures + 1 && m < MaxMeasures; ++m) {
        MeasureRecord* spare = MeasureRecordOf(document, m);
        if (spare == nullptr) break;
        ClearMeasureRecord(spare, document->internalDistances);
        spare->extra = 0;
    }
    record = MeasureRecordOf(document, measure);
    record->barline = kept.barline;
    record->repeatCount = kept.repeatCount;
    record->flags = kept.flags;
    RenumberFromCurrentPage(view);
    return 1;
}

int EndPieceAtBarline(ScoreView* view, int measure) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return 0;
    if (LastUsedMeasure(document) >= measure &&
        ModalMessageBox(kTruncateQuestion, ProgramString(kStrProductName),
                        ui::kBoxYesNo | ui::kBoxIconExclamation) != ui::kIdYes)
        return 0;
    UndoStep step(document, view, UndoKind::Barline, TypeCode(ObjectType::Measure), UndoVerb::Change);
    if (measure <= document->header.measureCount &&
        TruncateScoreAtMeasure(view, PageOfMeasure(document, measure - 1), measure) != 0) {
        ShowPageByIndex(view, 0);
        GoToMeasureIndex(view, measure - 1);
        FormatMeasuresOfCurrentPage(view);
    }
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    SetBarlineTypeAt(document, BarlineRef{measure, false, false},
                     static_cast<int>(record->repeatCount != 0 ? BarlineType::EndRepeat : BarlineType::EndSection));
    SetDocumentModified(document);
    InvalidateLinkedViews(view);
    return 1;
}

}  // namespace ql
