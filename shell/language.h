// The user-interface language: the built-in English, or a language bundle
// ("QL*.lang" in the program folder) chosen by the name the "Language" setting holds.
// The chosen bundle's texts are tried before the program's own, and its help folder
// becomes the help file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/language_bundle.h"

namespace ql {

constexpr char kBuiltInLanguage[] = "English";

// The built-in language first, then the bundles found in `folder` (the program
// folder when empty) whose string 3 is the product name.
std::vector<std::string> AvailableLanguages(const std::filesystem::path& folder = {});

// Chooses the language named `wanted` (compared without case) among those
// available; a name matching none chooses the first, the built-in English. Sets
// or clears the language bundle and the help file and reads the language's key
// letters; returns the name chosen.
std::string ChooseLanguage(std::string_view wanted, const std::filesystem::path& folder = {});

// The language id (the primary language in the low byte, the sublanguage above it)
// of a language by its name, compared without case: "English" 0x0409, "Deutsch"
// 0x0407, "Fran\u00e7ais" 0x040C, "Espa\u00f1ol" 0x040A, "Nederlands" 0x0413; any other name
// gives the user's own language id.
uint16_t LanguageIdOfName(std::string_view name);
// The user's language id from the locale (LC_ALL, LC_MESSAGES, then LANG) when it
// names one of the languages above; English otherwise.
uint16_t UserDefaultLanguageId();
// The language id of the language ChooseLanguage chose last (English before).
uint16_t ChosenLanguageId();

}  // namespace ql
