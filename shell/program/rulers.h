// The rulers of a score window: a top ruler ("TopRulerClass") and a left ruler
// ("LeftRulerClass"), children of the window, marked in inches or centimetres of the
// page at the view's zoom and scroll origin, with XOR tracking lines that follow the
// pointer; a double click on a ruler makes a guide there. "RulerOn" switches them
// for every score window at once.
//
// Each ruler is a fifth of its size value thick (the screen resolution). Ticks
// run from the ruler's base line (its inner edge) out to a tick top: the inch to
// the outer edge, shorter ticks for halves, quarters, eighths, sixteenths (zoom 4
// and above) and thirty-seconds (zoom 10 and above). Centimetres show half
// centimetres, and tenths from zoom 12.
#pragma once

#include <cstdint>
#include <vector>

#include "core/ui/shell_services.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

constexpr char kTopRulerClass[] = "TopRulerClass";
constexpr char kLeftRulerClass[] = "LeftRulerClass";
// Which rulers RefreshRulers repaints (kTopRuler, kLeftRuler, kBothRulers), and
// RefreshRulers and InvalidateRulers themselves, are in core/ui/shell_services.h;
// their table's slots are filled with the functions of `program` below.

// Tick geometry of the rulers from their two size values (top T, left L).
struct RulerMetrics {
    int32_t topThickness = 0;   // T / 5: the top ruler's height and its base line
    int32_t leftThickness = 0;  // L / 5
    int32_t halfTop = 0;        // where each tick kind ends (the inch at 0)
    int32_t quarterTop = 0;
    int32_t eighthTop = 0;
    int32_t sixteenthTop = 0;
    int32_t thirtySecondTop = 0;
    int32_t furtherTop = 0;
    int32_t labelBase = 0;  // the labels' base line
};
RulerMetrics ComputeRulerMetrics(int32_t topSize, int32_t leftSize);
// The metrics of the screen the program runs on.
RulerMetrics ScreenRulerMetrics();

// One tick along a ruler, in device pixels from the ruler's start.
struct RulerTick {
    int32_t at = 0;
    int32_t top = 0;     // where the tick ends (it starts at the base line)
    int32_t label = -1;  // the number written at a whole inch or centimetre
};
// What a ruler shows: units per inch r of the view, the logical extent of 64
// device pixels, the logical origin along the ruler (-30720 is the page's edge),
// the ruler's length in pixels and the zoom level. Bounded for any input.
struct RulerScale {
    double unitsPerInch = 0.0;
    double span64 = 0.0;
    int32_t origin = 0;
    int32_t length = 0;
    int32_t zoom = 0;
    bool centimetres = false;
};
std::vector<RulerTick> RulerTicks(const RulerMetrics& metrics, const RulerScale& scale);
// The scale of a view's ruler along one axis (top: x).
RulerScale ViewRulerScale(ScoreView* view, bool top, int32_t length);

// Creates the missing rulers of the view's window (registering the classes once;
// a failed registration beeps) and lays both out along the client area.
void CreateRulers(ScoreView* view);
void DestroyRuler(ScoreView* view);
namespace program {
void RefreshRulers(ScoreView* view, int which);
void InvalidateRulers(ScoreView* view);
}  // namespace program
// Moves both tracking lines to the pointer.
void TrackRulerLines(ScoreView* view);

intptr_t TopRulerWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);
intptr_t LeftRulerWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);

}  // namespace ql
