// Placing a system between the page margins (its measures scaled so that its
// closing barline falls on the right margin) and re-spacing one system.
#include <algorithm>
#include <cstdlib>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_list.h"
#include "layout/widths/width_support.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

namespace {

constexpr uint8_t kEngraverSpacing = 2;
constexpr int kLastMeasureSlot = 27;
constexpr int kPlacementPasses = 4;

// Set while the placement below rebuilds a row of the beat map: the build places
// the system again at its end, which must not recurse.
int g_placementDepth = 0;

class PlacementScope {
  public:
    PlacementScope() { ++g_placementDepth; }
    ~PlacementScope() { --g_placementDepth; }
    PlacementScope(const PlacementScope&) = delete;
    PlacementScope& operator=(const PlacementScope&) = delete;
};

// Builds the beat-map row of `system` on `page`; the view's page and system are put
// back afterwards.
void BuildSystemRow(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    ScorePage* const savedPage = view->currentPage;
    ScoreSystem* const savedSystem = view->currentSystem;
    view->currentPage = page;
    view->currentSystem = system;
    BuildBeatMapPageMode(view, 0);
    view->currentPage = savedPage;
    view->currentSystem = savedSystem;
}

// Where the system's last slot ends (its closing barline), relative to its x, in the
// beat map as it stands: the last measure's first beat, width, trailing margin and
// the space before its barline.
int64_t SlotsEnd(const ScoreView* view, ScoreDocument* document, const ScoreSystem* system) {
    const int slot = std::min(system->lastMeasure - system->firstMeasure + 1, kLastMeasureSlot);
    const int cell = BeatMapCell(system->number, slot);
    const MeasureRecord* last = MeasureRecordOf(document, system->firstMeasure + slot - 1);
    if (system->number >= kBeatMapRows || slot < 1 || last == nullptr) return 0;
    return int64_t{view->beatMap.contentX[cell]} + view->beatMap.trailSpace[cell] + last->width +
           last->trail;
}

int64_t SumOfWidths(ScoreDocument* document, const ScoreSystem* system) {
    int64_t sum = 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m)
        if (const MeasureRecord* record = MeasureRecordOf(document, m)) sum += record->width;
    return sum;
}

// Scales the system's measures so that they take `available` units together (the
// last one takes what the others leave). False when nothing changed.
bool ShareWidths(ScoreView* view, ScoreSystem* system, int64_t sum, int64_t available) {
    ScoreDocument* document = view->document;
    int64_t placed = 0;
    bool changed = false;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        if (record == nullptr) break;
        const int64_t share =
            m == system->lastMeasure ? available - placed : record->width * available / sum;
        if (share >= kMinMeasureWidth && share != record->width) {
            SetMeasureWidth(document, view, m, static_cast<int>(std::min<int64_t>(share, kMaxMeasureWidth)));
            changed = true;
        }
        placed += record->width;
    }
    return changed;
}

}  // namespace

void PlaceSystemInMargins(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    // The system is put at the page's left margin and its measures are scaled so
    // that its closing barline falls on the right margin, the room of its signs,
    // leads and trails read from its row of the beat map, which is rebuilt around
    // the scaling. A system that keeps its natural width is only moved.
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    PageMargins margins;
    if (g_placementDepth > 0 || document == nullptr || !view->pageView || system == nullptr ||
        system->number >= kBeatMapRows || !GetPageMargins(page, &margins))
        return;
    const int64_t left = static_cast<int64_t>(kLogicalOrigin) + margins.logical[0];
    const int64_t right = static_cast<int64_t>(view->PageRight) - margins.logical[2];
    if (right <= left) return;  // margins that cross leave the system as it is
    PlacementScope scope;
    system->x = static_cast<int32_t>(left);
    if (system->keepNaturalWidth != 0) return;
    for (int pass = 0; pass < kPlacementPasses; ++pass) {
        BuildSystemRow(view, page, system);
        const int64_t sum = SumOfWidths(document, system);
        const int64_t available = right - left - (SlotsEnd(view, document, system) - sum);
        if (sum <= 0 || available <= 0 || available == sum) return;
        if (!ShareWidths(view, system, sum, available)) return;
    }
    BuildSystemRow(view, page, system);
}

void FormatSystem(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    // Engraver spacing or proportional widths, accidental room, then placement
    // between the margins.
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr) return;
    SetDocumentModified(document);
    ViewLocationScope location(view);
    const bool engraver = State().layout.SpacingMode == kEngraverSpacing;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        if (record == nullptr) break;
        ClearMeasureSpacing(document, m);
        record->width = ProportionalWidth(*record);
    }
    PlaceSystemInMargins(view, page, system);
    if (engraver) {
        JustifySystem(view, system);
        PlaceSystemInMargins(view, page, system);
    }
    if (engraver && State().program.SpaceAccidentals == 0) return;
    bool fitted = false;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m)
        fitted = FitMeasure(view, system, m, true) != 0 || fitted;
    if (fitted) PlaceSystemInMargins(view, page, system);
}

}  // namespace ql
