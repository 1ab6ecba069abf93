// What a print run changes in the view it prints, kept before the run and put
// back after it: origins, zoom, location and page, the mode (a view printed from
// scroll view goes back to scroll view before its origins are restored), the
// visible area, the device measurements and the two display options a print
// turns off (hidden items, empty ossia staves).
#pragma once

#include <cstdint>

#include "core/model/score_document.h"
#include "core/state/painter_state.h"

namespace ql {

struct PrintViewState {
    int32_t pageOrigin[2] = {};
    int32_t scrollOrigin[2] = {};
    int32_t zoom = 0;
    int32_t previousZoom = 0;
    double zoomFactor = 0.0;
    double unitsPerInch = 0.0;
    ScorePage* currentPage = nullptr;
    ScoreSystem* currentSystem = nullptr;
    int32_t currentStaff = 0;
    int32_t currentMeasure = 0;
    int32_t currentSlot = 0;
    uint8_t pageView = 0;
    gfx::Rect visibleRect{};
    int32_t deviceWidth = 0;
    int32_t deviceHeight = 0;
    int32_t screenDpiX = 0;
    int32_t screenDpiY = 0;
    uint8_t showHidden = 0;
    uint8_t ossiaStaves = 0;
    PaintArea paintRect{};
    uint8_t paintRectActive = 0;
};

// The state as it is now (a drawing for the clipboard keeps it the same way).
PrintViewState KeepViewState(const ScoreView* view);
// Keeps the state, turns both display options off and puts a scroll view into
// page view.
PrintViewState PrepareViewForPrinting(ScoreView* view);
// Builds the beat maps of the view's current page (the scroll system in scroll
// view), which showing a page does not. A repair, not an edit: the change counter
// stays as it was. Nothing without staves or without a current page.
void BuildShownPageBeatMaps(ScoreView* view);
// Scroll view again when the view was in it, then every kept value, the screen's
// measurements and the zoom re-applied, and the shown page's beat maps rebuilt.
void RestoreViewAfterPrinting(ScoreView* view, const PrintViewState& kept);

}  // namespace ql
