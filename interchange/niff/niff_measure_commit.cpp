// Puts the import's measure chain into the document.
#include "interchange/niff/niff_measure_commit.h"

#include <algorithm>
#include <map>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_values.h"
#include "layout/page_format.h"

namespace ql::niff {

int NiffMeasuresPerSystem(const NiffFrame& frame) {
    std::map<int, int> census;
    int best = 1, bestCount = 0;
    for (const NiffPageFrame& page : frame.pages)
        for (const NiffSystemFrame& system : page.systems) {
            const int measures = std::max(system.lastMeasure - system.firstMeasure + 1, 1);
            const int count = ++census[measures];
            if (count >= bestCount) {
                best = measures;
                bestCount = count;
            }
        }
    return best;
}

void WriteNiffMeasures(NiffImportState& import) {
    ScoreDocument* document = import.document;
    if (document == nullptr) return;
    const NiffFrame& frame = import.frame;
    const int count = static_cast<int>(std::min<size_t>(frame.measures.size(), kNiffMostMeasures));
    if (import.view != nullptr && document->header.measureCount < count) AddMeasures(import.view, count);
    const int32_t signatureTicks = int32_t{import.timeNumerator} << import.timeExponent;
    const int staves = std::min<int>(import.staffCount, document->header.staffCount);
    for (int i = 0; i < count && i < document->header.measureCount; ++i) {
        const NiffMeasureNode& node = frame.measures[static_cast<size_t>(i)];
        MeasureRecord* record = MeasureRecordOf(document, node.number);
        if (record == nullptr) break;
        const int32_t own = RoundNiffMeasureLength(node.lengthTicks);
        const int32_t length = std::max(import.timeSignatureGiven ? node.signatureTicks : signatureTicks, own);
        record->lengthTicks = static_cast<uint16_t>(std::clamp<int32_t>(length, 0, UINT16_MAX));
        record->barline = node.barline;
        record->repeatCount = node.repeatCount;
        SetMeasureSpacingFromLength(*record);
        if (import.timeSignatureGiven) continue;  // the signatures' own cells
        for (int staff = 1; staff <= staves; ++staff) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, node.number);
            if (cell == nullptr) continue;
            cell->beats = import.timeNumerator;
            cell->beatUnit = import.timeExponent;
        }
    }
}

}  // namespace ql::niff
