// The font size value of a staff size: the logical units per inch of a staff-size
// table entry (sizes 0..9) or of the user staff size, truncated.
#include <cmath>

#include "display/draw_helpers.h"
#include "layout/page_geometry.h"

namespace ql {

int FontSizeValue(int entry, int size) {
    return static_cast<int>(std::trunc(StaffUnitsPerInch(entry, static_cast<BcdInches>(size))));
}

}  // namespace ql
