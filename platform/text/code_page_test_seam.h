// Test seam of the code pages: makes the text layer report a code page as missing, so
// that tests reach the handling of text whose code page a machine lacks. Conversions
// themselves are unchanged. Not for product code.
#pragma once

#include <cstdint>

namespace ql::text::test_seam {

// Reports `codePage` as missing (`missing`) or as the machine has it.
void SetCodePageMissing(uint16_t codePage, bool missing);

}  // namespace ql::text::test_seam
