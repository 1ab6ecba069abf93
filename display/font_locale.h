// The user's locale and the dialog character set, taken once at start-up: the locale
// id (a primary language in the low ten bits, the default sublanguage above) read from
// the desktop's language settings, and the character set the dialog font gets. The
// input locale starts as the user's locale in the dialog character set.
#pragma once

#include <cstdint>
#include <string_view>

namespace ql {

// The locale id of English (United States), taken when the desktop names no language.
constexpr uint32_t kEnglishLocale = 0x0409;

// The primary language (0..0x3FF) of a locale id.
constexpr uint16_t PrimaryLanguageOf(uint32_t locale) { return static_cast<uint16_t>(locale & 0x3FF); }

// The locale id of a POSIX locale name ("ru_RU.UTF-8", "pt_BR", "sr@latin"): its
// language code in the public primary-language numbering with the default
// sublanguage; kEnglishLocale for "C", "POSIX", an empty name or a language outside
// the numbering.
uint32_t LocaleOfName(std::string_view name);
// The user's locale as the environment names it (LC_ALL, else LC_MESSAGES, else LANG).
uint32_t UserLocaleFromEnvironment();

// Start-up: records the user's locale and the dialog character set (that of the
// "MS Shell Dlg" font asked in the default set; where the text layer leaves the
// default set unresolved, the set the user's language is written in, Western for a
// language with none), and starts the input locale as the user's locale in that set.
void InitFontLocale();
uint32_t UserLocale();
uint8_t DialogCharset();

}  // namespace ql
