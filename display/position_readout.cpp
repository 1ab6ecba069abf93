// The position readout: the staff and measure of the location, or the sequencer's
// measure and beat, as one short text.
#include <cstdio>

#include "core/state.h"
#include "display/view_location.h"

namespace ql {

namespace {

// Measure numbers from here on are shown without the spaces around the point.
constexpr int kWideReadoutMeasure = 100;

}  // namespace

const char* ShowPositionReadout(ScoreView* view, int first, int second) {
    // provisional: the readout window is made by the view modes, which do not make
    // it yet; the text is formatted into the shared display buffer for its caller.
    (void)view;
    char* text = State().text.display;
    std::snprintf(text, sizeof State().text.display,
                  second >= kWideReadoutMeasure ? "  %d.%d  " : "  %d . %d  ", first, second);
    return text;
}

}  // namespace ql
