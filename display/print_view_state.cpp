// Keeping and restoring a printed view. The restore order matters: the mode first
// (entering scroll view resets its origin), then the screen's measurements and
// the zoom, and last the kept values themselves, so each ends exactly as it was.
#include "display/print_view_state.h"

#include "core/draw/view_metrics.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/view_modes.h"
#include "layout/page_geometry.h"
#include "notes/beatmap/beat_map.h"
#include "platform/win/paint.h"

namespace ql {

PrintViewState KeepViewState(const ScoreView* view) {
    PrintViewState kept;
    for (int i = 0; i < 2; ++i) {
        kept.pageOrigin[i] = view->pageOrigin[i];
        kept.scrollOrigin[i] = view->scrollOrigin[i];
    }
    kept.zoom = view->zoom;
    kept.previousZoom = view->previousZoom;
    kept.zoomFactor = view->zoomFactor;
    kept.unitsPerInch = view->UnitsPerInch;
    kept.currentPage = view->currentPage;
    kept.currentSystem = view->currentSystem;
    kept.currentStaff = view->currentStaff;
    kept.currentMeasure = view->currentMeasure;
    kept.currentSlot = view->currentSlot;
    kept.pageView = view->pageView;
    kept.visibleRect = view->visibleRect;
    kept.deviceWidth = view->DeviceWidth;
    kept.deviceHeight = view->DeviceHeight;
    kept.screenDpiX = State().drawing.ScreenDpiX;
    kept.screenDpiY = State().drawing.ScreenDpiY;
    kept.showHidden = Options().ShowHidden;
    kept.ossiaStaves = State().display.OssiaStaves;
    kept.paintRect = State().display.painter.paintRect;
    kept.paintRectActive = State().display.painter.paintRectActive;
    return kept;
}

namespace {

void PutBackKeptValues(ScoreView* view, const PrintViewState& kept) {
    for (int i = 0; i < 2; ++i) {
        view->pageOrigin[i] = kept.pageOrigin[i];
        view->scrollOrigin[i] = kept.scrollOrigin[i];
    }
    view->zoom = kept.zoom;
    view->previousZoom = kept.previousZoom;
    view->zoomFactor = kept.zoomFactor;
    view->UnitsPerInch = kept.unitsPerInch;
    view->currentPage = kept.currentPage;
    view->currentSystem = kept.currentSystem;
    view->currentStaff = kept.currentStaff;
    view->currentMeasure = kept.currentMeasure;
    view->currentSlot = kept.currentSlot;
    view->visibleRect = kept.visibleRect;
    view->DeviceWidth = kept.deviceWidth;
    view->DeviceHeight = kept.deviceHeight;
    State().drawing.ScreenDpiX = kept.screenDpiX;
    State().drawing.ScreenDpiY = kept.screenDpiY;
    State().display.painter.paintRect = kept.paintRect;
    State().display.painter.paintRectActive = kept.paintRectActive;
}

}  // namespace

void BuildShownPageBeatMaps(ScoreView* view) {
    ScoreDocument* document = view->document;
    if (document == nullptr || document->header.staffCount == 0) return;
    if (view->pageView != 0 && view->currentPage == nullptr) return;
    const uint16_t counter = document->changeCounter;
    UpdateBeatMaps(view, 0);
    document->changeCounter = counter;
}

PrintViewState PrepareViewForPrinting(ScoreView* view) {
    PrintViewState kept = KeepViewState(view);
    Options().ShowHidden = 0;
    State().display.OssiaStaves = 0;
    if (view->pageView == 0) EnterPageView(view);
    return kept;
}

void RestoreViewAfterPrinting(ScoreView* view, const PrintViewState& kept) {
    Options().ShowHidden = kept.showHidden;
    State().display.OssiaStaves = kept.ossiaStaves;
    if (kept.pageView == 0 && view->pageView != 0) EnterScrollView(view);
    PutBackKeptValues(view, kept);
    InitViewMetrics(view);
    SetZoom(view, kept.zoom);
    PutBackKeptValues(view, kept);
    // The run left the beat maps of the last printed page.
    BuildShownPageBeatMaps(view);
    if (view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, true);
}

}  // namespace ql
