// The key letters a language may change: seven groups of command letters, strings
// 1758 to 1764, built in as "H", "D", "CSMP", "STDLRBE", "BIUG", "FSLDEXT" and "FD".
// A key found in the chosen language's groups is read as the built-in letter at the
// same place, so the keyboard code compares with the built-in letters only.
#pragma once

#include <cstdint>

namespace ql {

constexpr int32_t kStrFirstCommandLetters = 1758;
constexpr int kCommandLetterGroups = 7;

// Reads the groups from the strings of the language now chosen (program texts as
// fallback); a group whose string is empty keeps the built-in letters.
void LoadCommandLetters();

// A letter's virtual key ('A' to 'Z') found in a group of the language, the groups
// searched in order, becomes the built-in letter at its place; any other key is
// returned as it is. The groups are read in upper case.
uint32_t TranslateCommandLetter(uint32_t key);

}  // namespace ql
