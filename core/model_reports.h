// Reports of the score model: the low-memory box shown when a record of the score
// cannot be had ("[%s.%d] " tag of the module and source line, then the low-memory
// text, stop icon), and the program's texts the model uses.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

constexpr int32_t kStrUntitled = 1;

// Shows the low-memory box for a module tag and source line.
void ReportLowMemory(const char* module, int line);
// Low-memory boxes shown so far: a caller that must show the box once compares it.
int LowMemoryReportCount();

// A program text by id, with the model's own text when no bundle has it.
std::string ModelString(int32_t id);

}  // namespace ql
