// Program-wide state of the score painter and the zoom: the area being repainted,
// the band and slot range that clip a paint, the output switches the callers set,
// and the four quick-zoom slots. One set, used only by the user-interface thread;
// it lives in the program state (DisplayGlobals::painter).
#pragma once

#include <cstdint>

namespace ql {

// A logical rectangle (left, top, right, bottom).
struct PaintArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// One quick-zoom slot: the scroll origin (0, 0 reads as unset) and the zoom.
struct QuickZoomSlot {
    int32_t originX = 0;
    int32_t originY = 0;
    uint8_t zoom = 0;
};
constexpr int kQuickZoomSlots = 4;

struct PainterState {
    PaintArea paintRect{};        // the area the window asked to repaint
    uint8_t paintRectActive = 0;  // clear: the painter uses the visible rectangle
    int32_t bandTop = 0;          // staves are drawn only inside [bandTop, bandBottom]
    int32_t bandBottom = 0;
    int32_t firstSlot = 0;  // slots of the current system inside the painted x range
    int32_t lastSlot = 0;
    uint8_t pictureOutput = 0;         // drawing into a recording for the clipboard
    uint8_t printAllSlots = 0;         // the print job asks for no measure range
    uint8_t drawingMasterItems = 0;    // set around the master-page pass
    uint8_t continuationOnly = 0;      // set around the pass of continued spanners
    uint32_t badListReportSerial = 0;  // paint serial of the last damaged-list report
    QuickZoomSlot quickZoom[kQuickZoomSlots] = {
        {0, 0, 3}, {0, 0, 8}, {512, 1024, 20}, {512, 2048, 40}};
    int32_t zoomAnchorX = 0;  // the anchor point saved before a zoom change
    int32_t zoomAnchorY = 0;
    int32_t savedOrigin[2] = {};  // swapped with the scroll origin by PreviousZoomLevel
    // The zoom tool's presets: Shift+click zooms to the first, Shift+Ctrl+click stores
    // it, Shift+right click with the latched Ctrl stores the second.
    int32_t zoomPreset = 8;
    int32_t secondZoomPreset = 8;
};

}  // namespace ql
