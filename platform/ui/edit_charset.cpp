// The character set of an edit's text and its UTF-8 form (see edit_charset.h).
#include "platform/ui/edit_charset.h"

#include "platform/text/charset_utf8.h"
#include "platform/ui/control_state.h"

namespace ql::ui {

using detail::EditState;
using detail::StateOf;

bool SetEditCharset(WindowHandle edit, uint8_t charset) {
    auto* s = StateOf<EditState>(edit);
    if (!s) return false;
    s->charset = charset;
    return true;
}

std::optional<uint8_t> GetEditCharset(WindowHandle edit) {
    auto* s = StateOf<EditState>(edit);
    if (!s) return std::nullopt;
    return s->font ? std::optional<uint8_t>(s->font->charset) : s->charset;
}

std::string EditTextToDisplay(WindowHandle edit, std::string_view text) {
    const std::optional<uint8_t> charset = GetEditCharset(edit);
    return charset ? text::CharsetTextToUtf8(*charset, text) : std::string(text);
}

std::string EditTextFromDisplay(WindowHandle edit, std::string_view utf8) {
    const std::optional<uint8_t> charset = GetEditCharset(edit);
    return charset ? text::Utf8ToCharsetText(*charset, utf8) : std::string(utf8);
}

}  // namespace ql::ui
