// The user's locale and the dialog character set (see font_locale.h).
#include "display/font_locale.h"

#include <array>
#include <cstdlib>
#include <string>

#include "core/state.h"
#include "core/text/charset_text.h"
#include "display/input_locale.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/text/text_metrics.h"

namespace ql {
namespace {

constexpr uint32_t kDefaultSublanguage = 0x0400;  // SUBLANG_DEFAULT in the sublanguage bits
constexpr uint8_t kDefaultCharset = static_cast<uint8_t>(text::Charset::Default);
constexpr uint8_t kWesternCharset = static_cast<uint8_t>(text::Charset::Ansi);
constexpr char kDialogFace[] = "MS Shell Dlg";
constexpr int32_t kDialogFontHeight = 18;
constexpr int32_t kDialogFontWeight = 500;

// ISO 639 codes of the primary languages 0..54 in their public numbering (the order
// of the language table of charset_text.cpp); "" for the neutral language.
constexpr std::array<std::string_view, kLanguageCharsetEntries> kLanguageCodes{{
    "",   "ar", "bg", "ca", "zh", "cs", "da", "de", "el", "en", "es", "fi", "fr", "he",
    "hu", "is", "it", "ja", "ko", "nl", "no", "pl", "pt", "rm", "ro", "ru", "hr", "sk",
    "sq", "sv", "th", "tr", "ur", "id", "uk", "be", "sl", "et", "lv", "lt", "tg", "fa",
    "vi", "hy", "az", "eu", "hsb", "mk", "st", "ts", "tn", "ve", "xh", "zu", "af",
}};

// Codes that share a primary language with another: Norwegian Bokmål and Nynorsk,
// Serbian and Bosnian with Croatian, Lower with Upper Sorbian, the old Hebrew code.
struct LanguageAlias {
    std::string_view code;
    uint16_t language;
};
constexpr std::array<LanguageAlias, 7> kLanguageAliases{{
    {"nb", 0x14}, {"nn", 0x14}, {"sr", 0x1A}, {"bs", 0x1A}, {"dsb", 0x2E}, {"iw", 0x0D}, {"in", 0x21},
}};

// The language code of a POSIX locale name: up to "_", "." or "@".
std::string_view LanguageCode(std::string_view name) {
    return name.substr(0, name.find_first_of("_.@"));
}

const char* EnvironmentLanguage() {
    for (const char* key : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(key);
        if (value != nullptr && *value != '\0') return value;
    }
    return "";
}

// The character set the dialog font gets when asked in the default set.
uint8_t DialogFontCharset(uint32_t userLocale) {
    text::LogicalFont request;
    request.SetFace(kDialogFace);
    request.height = kDialogFontHeight;
    request.weight = kDialogFontWeight;
    request.charset = kDefaultCharset;
    uint8_t charset = kDefaultCharset;
    const platform::DcHandle dc = gfx::CreateMemoryContext({});
    const platform::FontHandle font = text::CreateFontIndirect(request);
    if (dc && font) {
        const platform::FontHandle previous = gfx::SelectObject(dc, font);
        text::TextMetrics metrics;
        if (text::GetTextMetrics(dc, &metrics)) charset = metrics.charset;
        gfx::SelectObject(dc, previous);
    }
    if (font) text::DeleteFont(font);
    if (dc) gfx::DeleteContext(dc);
    if (charset != kDefaultCharset) return charset;
    const uint8_t written = LanguageCharset(PrimaryLanguageOf(userLocale));
    return written == kNoLanguageCharset ? kWesternCharset : written;
}

}  // namespace

uint32_t LocaleOfName(std::string_view name) {
    const std::string_view code = LanguageCode(name);
    if (code.empty()) return kEnglishLocale;
    for (size_t language = 1; language < kLanguageCodes.size(); ++language)
        if (kLanguageCodes[language] == code) return kDefaultSublanguage | static_cast<uint32_t>(language);
    for (const LanguageAlias& alias : kLanguageAliases)
        if (alias.code == code) return kDefaultSublanguage | alias.language;
    return kEnglishLocale;
}

uint32_t UserLocaleFromEnvironment() { return LocaleOfName(EnvironmentLanguage()); }

void InitFontLocale() {
    DisplayGlobals& display = State().display;
    display.UserLocale = UserLocaleFromEnvironment();
    display.DialogCharset = DialogFontCharset(display.UserLocale);
    SetInputLocale(display.DialogCharset, static_cast<intptr_t>(display.UserLocale));
}

uint32_t UserLocale() { return State().display.UserLocale; }

uint8_t DialogCharset() { return State().display.DialogCharset; }

}  // namespace ql
