// Test seam of the beat map: makes the next row-buffer allocations fail, so that
// tests reach the path of a buffer that cannot be had. Not for product code.
#pragma once

namespace ql::beatmap::test_seam {

// The next `count` row-buffer allocations fail (0 switches the failure off).
void FailRowAllocations(int count);

}  // namespace ql::beatmap::test_seam
