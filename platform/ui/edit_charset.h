// The character set an edit's text is held in, and that text as the desktop's widgets
// show and return it (UTF-8). Score text typed or shown in an edit is 8-bit text of a
// character set: the edit's font's, or the one set for it (the text-entry control takes
// the input language's). Other edits hold the program's own UTF-8 text unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/handles.h"

namespace ql::ui {

// Sets the character set of an edit's text where it has no font of its own (a font's
// character set goes first). False for a window that is not an edit.
bool SetEditCharset(platform::WindowHandle edit, uint8_t charset);
// The font's character set, else the one set; none for the program's own text.
std::optional<uint8_t> GetEditCharset(platform::WindowHandle edit);

// Text of the edit (all of it or a prefix) as the widget shows it: UTF-8.
std::string EditTextToDisplay(platform::WindowHandle edit, std::string_view text);
// Text the widget hands back (UTF-8) as the edit holds it; a character the edit's
// character set cannot write becomes "?".
std::string EditTextFromDisplay(platform::WindowHandle edit, std::string_view utf8);

}  // namespace ql::ui
