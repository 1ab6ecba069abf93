// Test seam of the byte writer: the byte fixed-width reservations are filled with.
// Tests set 0xA5 so that a field an encoder leaves unwritten shows in its bytes.
#pragma once

#include <cstdint>

namespace ql {

void SetScratchFillForTests(uint8_t fill);

}  // namespace ql
