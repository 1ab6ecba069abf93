// The General MIDI program names (Level 1), shown wherever a staff's or a voice's
// program is chosen. The texts are entries 150..277 of the string table
// (shell/resources/program_strings.cpp), so a language module may translate them.
#pragma once

#include <cstdint>

namespace ql {

constexpr int32_t kStrFirstPatchName = 150;
constexpr int kGeneralMidiPrograms = 128;

// The name of program 0..127, read into one shared buffer that the next call
// overwrites (user-interface thread); an empty text for any other program.
const char* GeneralMidiPatchName(int program);

}  // namespace ql
