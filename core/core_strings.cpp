// The one lookup of the program's texts.
#include "core/core_strings.h"

#include <optional>

#include "platform/sys/resources.h"

namespace ql {
namespace {

BuiltInStringLookup& BuiltIn() {
    static BuiltInStringLookup lookup = nullptr;
    return lookup;
}

}  // namespace

void SetBuiltInStrings(BuiltInStringLookup lookup) { BuiltIn() = lookup; }

std::string ProgramString(int32_t id) {
    if (std::optional<std::string> text = sys::FindString(id)) return *text;
    const char* builtIn = BuiltIn() != nullptr ? BuiltIn()(id) : nullptr;
    return builtIn != nullptr ? builtIn : std::string();
}

}  // namespace ql
