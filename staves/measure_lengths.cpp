// Measure lengths from the time signatures and measure widths reset (see
// measure_lengths.h).
#include "staves/measure_lengths.h"

#include <cstdint>

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/spacing/spacing_list.h"

namespace ql {

namespace {

constexpr uint8_t kStaffUndoType = 4;
constexpr int kFirstStaff = 1;

// The length a cell's time signature gives, or 0 when it fits no measure.
int TimeSignatureLength(const MeasureCell& cell) {
    if (cell.beats == 0 || cell.beatUnit >= 16) return 0;
    const int64_t length = (int64_t{1} << cell.beatUnit) * cell.beats;
    return length <= UINT16_MAX ? static_cast<int>(length) : 0;
}

}  // namespace

void ResetMeasureSpacing(ScoreDocument* document, int measure) {
    if (document == nullptr || measure < 1 || measure > document->header.measureCount) return;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return;
    FreeSpacingList(record->spacing);
    record->stretch = ProgramPreferences().DefaultStretchFactor;
    record->lead = static_cast<int16_t>(document->internalDistances[0]);
    record->trail = static_cast<int16_t>(document->internalDistances[1]);
    record->width = ProportionalWidth(*record);
}

int RecomputeMeasureLengths(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr) return 0;
    int changed = 0;
    for (int m = 1; m <= document->header.measureCount; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        const MeasureCell* cell = ExistingMeasureCell(document, kFirstStaff, m);
        if (record == nullptr) continue;
        const int length = cell != nullptr ? TimeSignatureLength(*cell) : 0;
        if (length != 0 && length != record->lengthTicks) {
            record->lengthTicks = static_cast<uint16_t>(length);
            ++changed;
        }
        ResetMeasureSpacing(document, m);
    }
    SetDocumentModified(document);
    if (view != nullptr) InvalidateLinkedViews(view);
    return changed;
}

int ResetSystemMeasureWidths(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return 0;
    ScoreDocument* document = view->document;
    {
        const UndoStep edit(document, view, UndoKind::Staff, kStaffUndoType, UndoVerb::Format);
        for (int m = view->currentSystem->firstMeasure; m <= view->currentSystem->lastMeasure; ++m)
            ResetMeasureSpacing(document, m);
        SetDocumentModified(document);
    }
    InvalidateLinkedViews(view);
    return 1;
}

}  // namespace ql
