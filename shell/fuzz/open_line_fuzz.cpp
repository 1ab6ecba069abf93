// Fuzz entry point for the open channel's reader: the input is what a client sends,
// cut into pieces by its first byte. Every line that comes out is decoded and, when
// it decodes, checked as a command-line path; no line may exceed the limit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/local_socket_lines.h"
#include "shell/program/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql;
    if (size == 0) return 0;
    const size_t piece = 1 + data[0];
    std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    sys::LineAssembler assembler;
    std::vector<std::string> lines;
    while (!stream.empty()) {
        const size_t take = piece < stream.size() ? piece : stream.size();
        assembler.Feed(stream.substr(0, take), lines);
        stream.remove_prefix(take);
    }
    for (const std::string& line : lines) {
        if (line.size() > sys::kMaxOpenLineBytes) __builtin_trap();
        std::optional<std::string> path = sys::DecodeOpenLine(line);
        if (!path) continue;
        if (path->size() > line.size()) __builtin_trap();
        ParseOpenPath(*path);
    }
    return 0;
}
