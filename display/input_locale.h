// The keyboard's current input language as text entry needs it: the layout and
// the character set typed text is in. It starts with the default character set and
// no known layout, and follows each input-language change the windows hear of.
#pragma once

#include <cstdint>

namespace ql {

struct InputLocale {
    uint32_t layout = 0;   // keyboard layout (0: unknown)
    uint8_t charset = 1;   // the character set typed text is in (1: default)
};

// Stores the locale of an input-language change (its character set and layout);
// a character set beyond one byte leaves the stored one. A change naming only the
// default set and no layout (the desktop's keyboard change) restores the start-up
// locale: the user's locale in the dialog character set (font_locale.h).
void SetInputLocale(uint32_t charset, intptr_t layout);
const InputLocale& CurrentInputLocale();
// Back to the start-up locale (start-up, tests).
void ResetInputLocale();

}  // namespace ql
