// A seam of Extract Part for tests: a call before each cell of the part is copied
// (the part's staff and the measure), where a test can make the next record
// allocation fail.
#pragma once

#include <functional>

namespace ql {

std::function<void(int partStaff, int measure)>& BeforeCellCopyHook();

}  // namespace ql
