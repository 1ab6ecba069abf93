// The position readout: the staff and measure of the location, or the sequencer's
// measure and beat, as one short text shown in the readout window.
#include <cstdio>

#include "core/state.h"
#include "display/position_readout.h"
#include "display/view_location.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {

namespace {

// Measure numbers from here on are shown without the spaces around the point.
constexpr int kWideReadoutMeasure = 100;

}  // namespace

std::string& PositionReadoutText() {
    static std::string text;
    return text;
}

platform::WindowHandle& PositionReadoutWindow() {
    static platform::WindowHandle window{};
    return window;
}

const char* ShowPositionReadout(ScoreView* /*view*/, int first, int second) {
    char* text = State().text.display;
    std::snprintf(text, sizeof State().text.display,
                  second >= kWideReadoutMeasure ? "  %d.%d  " : "  %d . %d  ", first, second);
    if (PositionReadoutText() != text) {
        PositionReadoutText() = text;
        if (win::IsWindow(PositionReadoutWindow())) win::InvalidateRect(PositionReadoutWindow(), nullptr, true);
    }
    return text;
}

}  // namespace ql
