// Choosing the user-interface language among the bundles found in the program folder.
#include "shell/language.h"

#include <array>
#include <cstdlib>

#include "core/core_strings.h"
#include "core/ui/command_letters.h"
#include "core/ui/help.h"
#include "platform/sys/folders.h"
#include "platform/sys/resources.h"
#include "platform/sys/settings_format.h"
#include "shell/resources/program_strings.h"

namespace ql {
namespace {

struct LanguageIdRow {
    const char* name;     // as a bundle names its language (string 1200)
    const char* isoCode;  // as the locale names it
    uint16_t id;
};
constexpr uint16_t kEnglishId = 0x0409;
constexpr std::array<LanguageIdRow, 5> kLanguageIds{{
    {"Fran\xC3\xA7" "ais", "fr", 0x040C},
    {"Espa\xC3\xB1" "ol", "es", 0x040A},
    {"Deutsch", "de", 0x0407},
    {"Nederlands", "nl", 0x0413},
    {kBuiltInLanguage, "en", kEnglishId},
}};

uint16_t& Chosen() {
    static uint16_t id = kEnglishId;
    return id;
}

std::vector<sys::LanguageBundleFile> BundlesIn(const std::filesystem::path& folder) {
    const std::filesystem::path where = folder.empty() ? sys::ProgramFolder() : folder;
    // The product name of the program's own texts, whatever language is set now.
    const char* builtIn = BuiltInProgramString(kStrProductCaption);
    const std::string product = sys::FindString(kStrProductCaption, sys::Lookup::ProgramOnly)
                                    .value_or(builtIn != nullptr ? builtIn : "");
    return sys::FindLanguageBundles(where, product);
}

void UseBuiltInLanguage() {
    sys::SetLanguageBundle(nullptr);
    SetLanguageHelpFile({}, {});
}

}  // namespace

std::vector<std::string> AvailableLanguages(const std::filesystem::path& folder) {
    std::vector<std::string> names{kBuiltInLanguage};
    for (const sys::LanguageBundleFile& bundle : BundlesIn(folder))
        names.push_back(bundle.language);
    return names;
}

namespace {

// Sets the bundle and help file of the language named `wanted`, or the built-in
// ones; the name chosen.
std::string UseLanguageNamed(std::string_view wanted, const std::filesystem::path& folder) {
    for (const sys::LanguageBundleFile& file : BundlesIn(folder)) {
        if (!sys::SameSettingsName(file.language, wanted)) continue;
        std::shared_ptr<const sys::ResourceBundle> bundle =
            sys::LoadLanguageBundle(file.path, sys::GetProgramBundle().get());
        if (!bundle) break;
        sys::SetLanguageBundle(bundle);
        SetLanguageHelpFile({}, file.helpName);
        Chosen() = LanguageIdOfName(file.language);
        return file.language;
    }
    UseBuiltInLanguage();
    Chosen() = kEnglishId;
    return kBuiltInLanguage;
}

}  // namespace

std::string ChooseLanguage(std::string_view wanted, const std::filesystem::path& folder) {
    const std::string chosen = UseLanguageNamed(wanted, folder);
    LoadCommandLetters();
    return chosen;
}

uint16_t LanguageIdOfName(std::string_view name) {
    for (const LanguageIdRow& row : kLanguageIds)
        if (sys::SameSettingsName(row.name, name)) return row.id;
    return UserDefaultLanguageId();
}

uint16_t UserDefaultLanguageId() {
    const char* locale = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = std::getenv(variable);
        if (locale != nullptr && *locale != '\0') break;
    }
    const std::string_view code = locale != nullptr ? std::string_view(locale).substr(0, 2) : "";
    for (const LanguageIdRow& row : kLanguageIds)
        if (code == row.isoCode) return row.id;
    return kEnglishId;
}

uint16_t ChosenLanguageId() {
    return Chosen();
}

}  // namespace ql
