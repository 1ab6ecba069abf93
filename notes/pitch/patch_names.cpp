// General MIDI program names through the string table, into the shared buffer.
#include "notes/pitch/patch_names.h"

#include <string>

#include "core/core_strings.h"
#include "core/state.h"

namespace ql {

const char* GeneralMidiPatchName(int program) {
    char* buffer = State().notes.PatchName;
    buffer[0] = '\0';
    if (program < 0 || program >= kGeneralMidiPrograms) return buffer;
    const std::string text = ProgramString(kStrFirstPatchName + program);
    const size_t length = text.copy(buffer, kPatchNameBytes - 1);
    buffer[length] = '\0';
    return buffer;
}

}  // namespace ql
