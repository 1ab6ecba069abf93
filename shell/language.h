// The user-interface language: the built-in English, or a language bundle
// ("QL*.lang" in the program folder) chosen by the name the "Language" setting holds.
// The chosen bundle's texts are tried before the program's own, and its help folder
// becomes the help file.
#pragma once

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
// or clears the language bundle and the help file; returns the name chosen.
std::string ChooseLanguage(std::string_view wanted, const std::filesystem::path& folder = {});

}  // namespace ql
