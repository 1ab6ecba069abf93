// Loading a text of the program's string table into a caller's buffer: the
// language bundle first, the program's own as fallback.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ql {

// Fills buffer (truncated to size, always terminated; empty when no bundle has the
// id) and returns it.
char* LoadResString(int32_t id, char* buffer, size_t size);

}  // namespace ql
