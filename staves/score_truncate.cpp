// Cutting the score at a barline (see score_truncate.h). The page holding the last
// measure kept ends at the barline, the pages after it go with their measures
// through the page editor, and the barline's own bytes are put back afterwards.
#include "staves/score_truncate.h"

#include <algorithm>
#include <vector>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/navigation.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/message_box.h"
#include "staves/barline.h"
#include "staves/measure_edit.h"
#include "staves/measure_shift.h"

namespace ql {

namespace {

struct KeptBarline {
    uint8_t barline;
    uint8_t repeatCount;
    uint8_t flags;
};

// The systems of the page end with the one holding `last`, which ends there.
void KeepSystemsThrough(ScorePage* page, int last) {
    constexpr int kMaxSystems = 256;  // bounds the walk of a damaged chain
    ScoreSystem* system = page->firstSystem.get();
    for (int n = 0; system != nullptr && n < kMaxSystems; ++n, system = system->next.get()) {
        if (system->lastMeasure < last) continue;
        system->lastMeasure = static_cast<uint16_t>(last);
        ScoreSystem* after = system->next.get();
        system->next = {};
        for (int k = 0; after != nullptr && k < kMaxSystems; ++k) {
            ScoreSystem* following = after->next.get();
            FreeSystemRecord(after);
            after = following;
        }
        break;
    }
    int systems = 0;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && systems < kMaxSystems; s = s->next.get()) ++systems;
    page->systemCount = static_cast<uint16_t>(systems);
}

}  // namespace

int TruncateScoreAtMeasure(ScoreView* view, ScorePage* page, int measure) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || measure < 2 || measure > document->header.measureCount) return 0;
    if (page == nullptr || page->firstMeasure > measure - 1 || page->lastMeasure < measure - 1) return 0;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    const KeptBarline kept{record->barline, record->repeatCount, record->flags};
    // The pages after it go with their measures.
    if (ScorePage* next = page->next.get()) {
        view->currentPage = next;
        DeletePages(view, document->header.pageCount - GetPageIndex(document, next));
        view->currentPage = page;
        if (page->next.get() != nullptr) return 0;  // the page editor refused
    }
    // Then the page's own measures after the barline, and the systems they stood on.
    RemoveTiesInMeasure(view, measure - 1);
    const int count = document->header.measureCount;
    ShiftMeasuresDown(document, measure, count - measure + 1);
    document->header.measureCount = static_cast<uint16_t>(measure - 1);
    KeepSystemsThrough(page, measure - 1);
    page->lastMeasure = static_cast<uint16_t>(measure - 1);
    view->currentPage = page;
    view->currentSystem = page->firstSystem.get();
    for (int m = measure + 1; m <= measure + kSpareMeasures && m < MaxMeasures; ++m) {
        MeasureRecord* spare = MeasureRecordOf(document, m);
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

void CutToFirstPage(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* first = document != nullptr ? document->firstPage : nullptr;
    if (first == nullptr || first->firstSystem.get() == nullptr) return;
    constexpr int kMaxSystems = 256;  // bounds the walk of a damaged chain
    ScoreSystem* last = first->firstSystem.get();
    for (int n = 0; n < kMaxSystems && last->next.get() != nullptr; ++n) last = last->next.get();
    view->currentPage = first;
    SetCurrentSystem(view, last);
    const int end = first->lastMeasure;
    if (end >= 1 && end < document->header.measureCount) TruncateScoreAtMeasure(view, first, end + 1);
    // Its barlines, the closing one included, are plain ones again.
    const int closing = std::min<int>(document->header.measureCount + 1, MaxMeasures - 1);
    for (int m = 1; m <= closing; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        record->barline = 0;
        record->repeatCount = 0;
    }
    view->currentPage = first;
    SetCurrentSystem(view, last);
    UpdateBeatMaps(view, 1);
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
