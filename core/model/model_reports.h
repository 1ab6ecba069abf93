// Reports of the score model: the low-memory box shown when a record of the score
// cannot be had ("[%s.%d] " tag of the module and source line, then the low-memory
// text, stop icon), at most once inside a long operation that asks for it.
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
// Low-memory reports made so far (shown or not): a caller that must show the box
// once compares it.
int LowMemoryReportCount();

// Held by an operation that may run out of records many times over (an import,
// the transcription of a recording): while one is alive the low-memory box is
// shown once; the reports after it, and the module-line boxes that follow from
// running out, are counted but not shown. Guards nest, the outermost decides; the
// state before it comes back on every path.
class LowMemoryBoxOnce {
  public:
    LowMemoryBoxOnce();
    ~LowMemoryBoxOnce();
    LowMemoryBoxOnce(const LowMemoryBoxOnce&) = delete;
    LowMemoryBoxOnce& operator=(const LowMemoryBoxOnce&) = delete;
};
// True while a LowMemoryBoxOnce is alive and a record could not be had under it:
// a pass that makes records one by one stops asking.
bool RecordsRanOutOnce();

}  // namespace ql
