// The geometry of a tie: where its notes stand for the view, the default shape of a
// new tie from the document's tie metrics, the two curves drawn from a stored body,
// and the repair of a damaged curve height in the metrics.
//
// The shape works in view units and stores each end offset halved (the body keeps
// units of 2, clamped to a signed byte). A new tie's ends stand the end gap in from
// the two heads (out from them when the heads are closer than kCloseHeads); a span
// shorter than kShortestSpan is centred on a span of that width with a lower and
// thinner curve. Drawing uses the start's y offset for both ends, so a tie is level.
#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_record.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/rests/staff_place.h"
#include "notes/ties/ties.h"

namespace ql {

namespace {

constexpr int32_t kCloseHeads = 256;      // heads closer than this: ends go outwards
constexpr int32_t kShortestSpan = 231;    // shorter spans are centred on this width
constexpr int32_t kLongSpan = 308;        // from here on the document's curve height
constexpr int32_t kStemClearSpan = 261;   // from here on ends clear an upward stem
constexpr int32_t kPlainHeight = 96;
constexpr int32_t kShortHeight = 74;
constexpr int32_t kStemClearance = 38;
constexpr int32_t kStemClearanceAbove = 19;
constexpr int32_t kBarlineGap = 32;       // a tie leaving the system ends this far before the barline
constexpr int32_t kInnerInset = 8;        // inner control points, closer to their ends
constexpr int32_t kMinimumDrawnSpan = 128;
constexpr int kInsetDivisor = 8;
constexpr uint16_t kThicknessMask = 0x00FF;
constexpr int kStoredOffsetScale = 2;

bool StemUp(const EventRecord* note) {
    return (note->flags & kEventStemFlag) != 0;
}

int8_t StoredOffset(int32_t units) {
    return static_cast<int8_t>(std::clamp(units / kStoredOffsetScale, -128, 127));
}

// x of the closing barline of a slot: the end of its content and trailing room.
int32_t SlotEndX(ScoreView* view, const ScoreSystem* system, int slot, int measure) {
    const int row = beatmap::RowOfSystem(system);
    if (row < 0 || slot < 1 || slot > kLastBeatMapSlot) return MeasureSlotX(view, system, slot);
    const int cell = BeatMapCell(row, slot);
    const MeasureRecord* record = MeasureRecordOf(view->document, measure);
    const int32_t content = record != nullptr ? record->width + record->trail : 0;
    return system->x + view->beatMap.contentX[cell] + view->beatMap.trailSpace[cell] + content;
}

int32_t Thickness(const TieBody& body) {
    return body.shape & kThicknessMask;
}

void SetThickness(TieBody& body, int32_t thickness) {
    body.shape = static_cast<uint16_t>((body.shape & ~kThicknessMask) |
                                       (std::clamp(thickness, 0, 255) & kThicknessMask));
}

// Ends stand `startX` and `endX` from the heads (view units).
struct TieEnds {
    int32_t startX = 0;
    int32_t endX = 0;
};

// Ends centred on a span of kShortestSpan around heads `headDistance` apart (rounded
// up, so that the span is never shorter).
TieEnds Centred(int32_t headDistance) {
    const int32_t half = (kShortestSpan - headDistance + 1) / 2;
    return TieEnds{-half, half};
}

}  // namespace

int CorrectTieCurveHeight(ScoreDocument* document) {
    if (document == nullptr) return 0;
    uint16_t& height = document->internalDistances[static_cast<int>(EngravingMetric::TieHump)];
    if (height >= kLowestTieCurveHeight) return 0;
    height = kDefaultTieCurveHeight;
    return 1;
}

TieNotePoints TieNotePositions(ScoreView* view, EventRecord* start, EventRecord* end, int measuresAhead) {
    TieNotePoints points;
    points.start = GetEventPosition(start, view);
    points.end = GetEventPosition(end, view);
    if (measuresAhead <= 0 || view->currentSystem == nullptr) return points;
    const ScoreSystem* system = view->currentSystem;
    const int slot = view->currentSlot;
    if (view->currentMeasure >= system->lastMeasure) {
        points.leavesSystem = true;
        points.closingBarlineX = SlotEndX(view, system, slot, view->currentMeasure);
        points.end.x = points.closingBarlineX;
        return points;
    }
    // The same note in the next slot: carry its x over by the two slots' tick x.
    points.end.x += MeasureSlotX(view, system, slot + 1) - CurrentSlotX(view) +
                    SlotTickToX(view, system, slot + 1, end->time) - BeatMapTickToX(view, end->time);
    return points;
}

void InitTieBetweenNotes(TieBody& body, ScoreView* view, EventRecord* start, EventRecord* end,
                         int measuresAhead) {
    const ScoreDocument& doc = *view->document;
    const bool below = State().notes.CurveSide == 1;
    const int32_t gap = EngravingMetricOf(doc, EngravingMetric::TieOffX);
    const int32_t rise = EngravingMetricOf(doc, EngravingMetric::TieOffY);
    const TieNotePoints at = TieNotePositions(view, start, end, measuresAhead);
    const int32_t heads = at.end.x - at.start.x;
    TieEnds ends{gap, -gap};
    if (heads < kCloseHeads) ends = TieEnds{-gap, gap};
    const int32_t endAt = at.leavesSystem ? at.closingBarlineX - kBarlineGap : at.end.x + ends.endX;
    const int32_t span = endAt - (at.start.x + ends.startX);
    int32_t thickness = EngravingMetricOf(doc, EngravingMetric::TieWid);
    int32_t height = span >= kLongSpan ? EngravingMetricOf(doc, EngravingMetric::TieHump) : kPlainHeight;
    if (span < kShortestSpan) {
        ends = Centred(heads);
        height = kShortHeight;
        thickness -= thickness / 8;
    }
    if (span >= kStemClearSpan) {
        if (StemUp(start)) ends.startX += kStemClearance;
        if (StemUp(end)) ends.endX -= below ? kStemClearance : kStemClearanceAbove;
    }
    if (ends.endX - ends.startX + heads < kShortestSpan) {
        ends = Centred(heads);
        thickness -= thickness / 8;
    }
    const int32_t dy = rise + rise / 8;
    body.startDx = StoredOffset(ends.startX);
    body.endDx = StoredOffset(ends.endX);
    body.startDy = body.endDy = StoredOffset(below ? dy : -dy);
    body.controlInset = static_cast<int16_t>(span / kInsetDivisor);
    body.controlRise = static_cast<int16_t>(below ? height : -height);
    SetThickness(body, thickness);
    DeepenTieOverHeads(body, view, start, end, measuresAhead);
}

TieExtent TieExtentOf(const TieBody& body) {
    TieExtent extent;
    extent.startDx = body.startDx * kStoredOffsetScale;
    extent.endDx = body.endDx * kStoredOffsetScale;
    extent.dy = body.startDy * kStoredOffsetScale;  // both ends level
    const int32_t middle = body.controlRise * 3 / 4;
    extent.top = extent.dy + std::min(0, middle);
    extent.bottom = extent.dy + std::max(0, middle);
    return extent;
}

TieCurve ComputeTieCurve(const TieBody& body, ScoreView* view, EventRecord* start, EventRecord* end,
                         int measuresAhead) {
    const TieNotePoints at = TieNotePositions(view, start, end, measuresAhead);
    const TieExtent extent = TieExtentOf(body);
    const int32_t dy = Zoomed(view, extent.dy);
    const LogicalPoint s{at.start.x + Zoomed(view, extent.startDx), at.start.y + dy};
    LogicalPoint e{at.end.x + Zoomed(view, extent.endDx), at.end.y + dy};
    if (at.leavesSystem) e.x = at.closingBarlineX - Zoomed(view, kBarlineGap);
    if (e.x < s.x) e.x = s.x + Zoomed(view, kMinimumDrawnSpan);
    const int32_t inset = Zoomed(view, body.controlInset);
    const int32_t rise = Zoomed(view, body.controlRise);
    const int32_t thick = Zoomed(view, Thickness(body));
    const int32_t back = rise > 0 ? -thick : thick;  // towards the ends
    const int32_t in = Zoomed(view, kInnerInset);
    TieCurve curve;
    curve.outer[0] = curve.inner[0] = s;
    curve.outer[3] = curve.inner[3] = e;
    curve.outer[1] = LogicalPoint{s.x + inset, s.y + rise};
    curve.outer[2] = LogicalPoint{e.x - inset, s.y + rise};
    curve.inner[1] = LogicalPoint{s.x + inset - in, s.y + rise + back};
    curve.inner[2] = LogicalPoint{e.x - inset + in, s.y + rise + back};
    return curve;
}

}  // namespace ql
