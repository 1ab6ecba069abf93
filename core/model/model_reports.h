// Reports of the score model: the low-memory box shown when a record of the score
// cannot be had ("[%s.%d] " tag of the module and source line, then the low-memory
// text, stop icon).
#pragma once

#include <cstdint>
#include <string>

#include "core/core_strings.h"

namespace ql {

// Shows the low-memory box for a module tag and source line.
void ReportLowMemory(const char* module, int line);
// Shows the error box of a module tag and source line with a text after it
// ("%s\n %s" filled with "[module.line] " and the text).
void ReportModuleLine(const char* module, int line, const std::string& text);
// Low-memory boxes shown so far: a caller that must show the box once compares it.
int LowMemoryReportCount();

}  // namespace ql
