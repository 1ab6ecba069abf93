// Time signatures and emptiness of measures, read in the document's own pools.
#include "editing/block_signatures.h"

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"

namespace ql {

MeasureCell* FindBlockCell(ScoreDocument* document, int staff, int measure) {
    if (document == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    if (staff < 1 || staff > document->header.staffCount) return nullptr;
    ScopedPoolSet pools(document->pools);
    const CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
    return cells != nullptr ? FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[measure]) : nullptr;
}

bool SameTimeSignature(ScoreDocument* a, int measureA, ScoreDocument* b, int measureB) {
    const MeasureCell* first = FindBlockCell(a, 1, measureA);
    const MeasureCell* second = FindBlockCell(b, 1, measureB);
    if (first == nullptr || second == nullptr) return true;
    return first->beats == second->beats && first->beatUnit == second->beatUnit;
}

bool MeasureVoicesEmpty(ScoreDocument* document, int measure) {
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = FindBlockCell(document, staff, measure);
        if (cell == nullptr) continue;
        ScopedPoolSet pools(document->pools);
        for (int voice = 0; voice < 4; ++voice)
            if (IsVoiceEmpty(cell, voice) == 0) return false;
    }
    return true;
}

void GiveMeasureSignature(ScoreDocument* document, int measure, uint8_t beats, uint8_t beatUnit) {
    if (document == nullptr || measure < 0 || measure >= MaxMeasures) return;
    ScopedPoolSet pools(document->pools);
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        const CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
        MeasureCell* cell = cells != nullptr ? FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[measure]) : nullptr;
        if (cell == nullptr) continue;
        cell->beats = beats;
        cell->beatUnit = beatUnit;
    }
}

}  // namespace ql
