// Clipboard text in the character set of a locale. The clipboard holds text as UTF-8;
// a paste into score text takes it in the character set of the locale it is read for:
// the one asked, else the input language's, else the user's (the clipboard names no
// locale of its own here). A locale whose language writes no set of its own (or the
// default, symbol or OEM set) takes the default set's code page, 1252.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/handles.h"

namespace ql {

// The locale clipboard text is read for (`asked`, else the input language, else the
// user's locale), and the character set it is converted to.
struct ClipboardLocale {
    uint32_t locale = 0;
    uint8_t charset = 0;
};
ClipboardLocale ResolveClipboardLocale(uint32_t asked);

// UTF-8 text in the character set of the locale `*locale` resolves to (0: as above),
// trailing characters 1..32 cut; none when nothing is left. The locale used is stored
// in `*locale`.
std::optional<std::string> TextInClipboardCharset(std::string_view utf8, uint32_t* locale);
// The program's clipboard text as it stands (UTF-8, up to a terminating zero); none
// when it holds no text or cannot be opened by `window`.
std::optional<std::string> ReadClipboardUtf8(platform::WindowHandle window);
// The program's clipboard text in the locale's character set as above; none when the clipboard holds no text or
// cannot be opened by `window`.
std::optional<std::string> GetClipboardTextInCharset(platform::WindowHandle window, uint32_t* locale);

}  // namespace ql
