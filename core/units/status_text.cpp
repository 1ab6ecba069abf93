// Status-text joining and the module-and-line tag, in the shared text buffers.
#include "core/units/status_text.h"

#include <cstdio>
#include <cstring>

#include "core/state.h"

namespace ql {
namespace {

// Appends text at *length, keeping the terminator inside the buffer.
void Append(char* buffer, size_t size, size_t* length, const char* text) {
    if (text == nullptr) return;
    size_t room = size - 1 - *length;
    size_t n = std::strlen(text);
    if (n > room) n = room;
    std::memcpy(buffer + *length, text, n);
    *length += n;
    buffer[*length] = '\0';
}

}  // namespace

const char* BuildStatusText(bool spaced, const char* first, const char* second, const char* third) {
    char* buffer = State().text.status;
    size_t size = sizeof State().text.status;
    size_t length = 0;
    buffer[0] = '\0';
    Append(buffer, size, &length, first);
    if (spaced) Append(buffer, size, &length, " ");
    Append(buffer, size, &length, second);
    if (third != nullptr) {
        if (spaced) Append(buffer, size, &length, " ");
        Append(buffer, size, &length, third);
    }
    return buffer;
}

const char* FormatModuleLine(const char* module, int line) {
    char* buffer = State().text.moduleLine;
    std::snprintf(buffer, sizeof State().text.moduleLine, "[%s.%d] ",
                  module != nullptr ? module : "", line);
    return buffer;
}

}  // namespace ql
