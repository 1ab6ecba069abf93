// Laying the score's ties out again when the document's tie metrics change: each
// tie keeps its own shape (a dragged tie stays as the user left it) and takes the
// change of thickness, of the gap its ends keep from the heads, and of their rise.
#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "notes/ties/ties.h"

namespace ql {

namespace {

constexpr uint16_t kThicknessMask = 0x00FF;
constexpr int kStoredOffsetScale = 2;
constexpr int kRiseEighths = 8;
constexpr int kInsetDivisor = 8;  // a tie's ends rise the metric plus an eighth

int8_t Shifted(int8_t stored, int32_t units) {
    return static_cast<int8_t>(std::clamp(stored + units / kStoredOffsetScale, -128, 127));
}

void Relayout(TieBody& body, const TieMetrics& before, const TieMetrics& after) {
    const int32_t thickness = (body.shape & kThicknessMask) + after.thickness - before.thickness;
    body.shape = static_cast<uint16_t>((body.shape & ~kThicknessMask) | std::clamp(thickness, 0, 255));
    // Ends standing in from the heads move in by the gap's change; ends standing out
    // from close heads move out by it.
    const int32_t gap = after.gap - before.gap;
    const bool inward = body.startDx >= body.endDx;
    body.startDx = Shifted(body.startDx, inward ? gap : -gap);
    body.endDx = Shifted(body.endDx, inward ? -gap : gap);
    // The control points stand an eighth of the span in from the ends.
    body.controlInset = static_cast<int16_t>(
        std::clamp(body.controlInset - (inward ? 2 * gap : -2 * gap) / kInsetDivisor, 0, int{INT16_MAX}));
    const int32_t rise = after.rise + after.rise / kRiseEighths - before.rise - before.rise / kRiseEighths;
    const bool below = body.startDy > 0 || (body.startDy == 0 && body.controlRise > 0);
    body.startDy = Shifted(body.startDy, below ? rise : -rise);
    body.endDy = Shifted(body.endDy, below ? rise : -rise);
}

}  // namespace

TieMetrics TieMetricsOf(const ScoreDocument& document) {
    return TieMetrics{EngravingMetricOf(document, EngravingMetric::TieWid),
                      EngravingMetricOf(document, EngravingMetric::TieOffX),
                      EngravingMetricOf(document, EngravingMetric::TieOffY)};
}

int RescaleTies(ScoreDocument* document, const TieMetrics& before, const TieMetrics& after) {
    if (document == nullptr || (before.thickness == after.thickness && before.gap == after.gap &&
                                before.rise == after.rise))
        return 0;
    int laidOut = 0;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        StaffRecord* record = StaffRecordOf(document, staff);
        if (record == nullptr) continue;
        for (int measure = 1; measure <= document->header.measureCount; ++measure) {
            MeasureCell* cell = GetOrCreateMeasureCell(record, document, measure);
            if (cell == nullptr) continue;
            for (int voice = 0; voice < kVoiceCount; ++voice) {
                int guard = 0;
                for (EventRecord* note = GetVoiceFirstEvent(cell, voice);
                     note != nullptr && guard < kMaxChainLength; note = NextEvent(note), ++guard) {
                    ScoreObject* tie = FindNoteTie(note);
                    if (tie == nullptr) continue;
                    Relayout(AsTie(tie)->body, before, after);
                    ++laidOut;
                }
            }
        }
    }
    return laidOut;
}

}  // namespace ql
