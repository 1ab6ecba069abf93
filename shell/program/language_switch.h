// The Language menu's commands: the program changes its user-interface language at
// once, building its two menu bars anew from the chosen language's resources and
// showing the new counterpart of the bar the frame showed; the main bar is made anew
// when it shows labels, and the palettes and the page band's arrows are retitled.
#pragma once

#include <cstddef>

namespace ql {

// Switches to the language at `index` of AvailableLanguages() (0 the built-in one).
// Nothing happens, and false is returned, when `index` is the current language, is
// not below the number of languages, or its bundle cannot be read.
bool SwitchProgramLanguage(size_t index);

}  // namespace ql
