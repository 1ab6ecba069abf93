// Loading a string-table text into a caller's buffer.
#include "layout/res_strings.h"

#include <cstring>
#include <string>

#include "core/core_strings.h"

namespace ql {

char* LoadResString(int32_t id, char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) return buffer;
    std::string text = ProgramString(id);
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return buffer;
}

}  // namespace ql
