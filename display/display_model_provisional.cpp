// Display operations the score model calls before the score display is built.
#include "display/draw_helpers.h"

namespace ql {

int FontSizeValue(int /*entry*/, int /*size*/) {
    // provisional: the staff-size table of the display is not built; no size value
    // is known (0: the view has no font size yet).
    return 0;
}

}  // namespace ql
