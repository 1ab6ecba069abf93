// The one lookup of the program's texts.
#include "core/core_strings.h"

#include <optional>

#include "platform/sys/resources.h"
#include "shell/resources/program_strings.h"

namespace ql {

std::string ProgramString(int32_t id) {
    if (std::optional<std::string> text = sys::FindString(id)) return *text;
    const char* builtIn = BuiltInProgramString(id);
    return builtIn != nullptr ? builtIn : std::string();
}

}  // namespace ql
