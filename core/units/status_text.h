// Joining status texts and the module-and-line tag of internal reports (module
// UNITS). Both write into the program's shared text buffers, which the next call
// overwrites; copy the text to keep it.
#pragma once

namespace ql {

// first, a blank when spaced, second; then, when third is given, a blank (when
// spaced) and third. Null texts count as empty. Truncated to the buffer.
const char* BuildStatusText(bool spaced, const char* first, const char* second,
                            const char* third = nullptr);

// "[%s.%d] " filled with the module tag and the source line.
const char* FormatModuleLine(const char* module, int line);

}  // namespace ql
