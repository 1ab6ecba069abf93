// Clipboard text in the character set of a locale (see clipboard_charset.h).
#include "display/clipboard_charset.h"

#include <vector>

#include "core/text/charset_text.h"
#include "display/font_locale.h"
#include "display/input_locale.h"
#include "platform/sys/clipboard.h"
#include "platform/text/logical_font.h"

namespace ql {
namespace {

constexpr uint32_t kLanguageIdMask = 0xFFFF;
constexpr uint8_t kDefaultCharset = static_cast<uint8_t>(text::Charset::Default);

// Sets whose text is copied in the default set: the default, symbol and OEM sets (the
// OEM code also marks a language that writes no set of its own).
bool HasOwnCodePage(uint8_t charset) {
    return charset != kDefaultCharset && charset != static_cast<uint8_t>(text::Charset::Symbol) &&
           charset != static_cast<uint8_t>(text::Charset::Oem);
}

}  // namespace

ClipboardLocale ResolveClipboardLocale(uint32_t asked) {
    uint32_t locale = asked != 0 ? asked : CurrentInputLocale().layout & kLanguageIdMask;
    if (locale == 0) locale = UserLocale();
    const uint8_t written = LanguageCharset(PrimaryLanguageOf(locale));
    return ClipboardLocale{locale, HasOwnCodePage(written) ? written : kDefaultCharset};
}

std::optional<std::string> TextInClipboardCharset(std::string_view utf8, uint32_t* locale) {
    const ClipboardLocale resolved = ResolveClipboardLocale(locale != nullptr ? *locale : 0);
    std::string text = PastedTextInCharset(resolved.charset, utf8);
    if (text.empty()) return std::nullopt;
    if (locale != nullptr) *locale = resolved.locale;
    return text;
}

std::optional<std::string> ReadClipboardUtf8(platform::WindowHandle window) {
    if (!sys::IsClipboardFormatAvailable(sys::ClipboardFormat::Text) || !sys::OpenClipboard(window))
        return std::nullopt;
    const std::optional<std::vector<uint8_t>> bytes = sys::GetClipboardData(sys::ClipboardFormat::Text);
    sys::CloseClipboard();
    if (!bytes) return std::nullopt;
    std::string utf8(bytes->begin(), bytes->end());
    utf8.resize(utf8.find('\0') == std::string::npos ? utf8.size() : utf8.find('\0'));
    return utf8;
}

std::optional<std::string> GetClipboardTextInCharset(platform::WindowHandle window, uint32_t* locale) {
    const std::optional<std::string> utf8 = ReadClipboardUtf8(window);
    return utf8 ? TextInClipboardCharset(*utf8, locale) : std::nullopt;
}

}  // namespace ql
