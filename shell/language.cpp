// Choosing the user-interface language among the bundles found in the program folder.
#include "shell/language.h"

#include "core/core_strings.h"
#include "core/ui/help.h"
#include "platform/sys/folders.h"
#include "platform/sys/resources.h"
#include "platform/sys/settings_format.h"
#include "shell/resources/program_strings.h"

namespace ql {
namespace {

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

std::string ChooseLanguage(std::string_view wanted, const std::filesystem::path& folder) {
    for (const sys::LanguageBundleFile& file : BundlesIn(folder)) {
        if (!sys::SameSettingsName(file.language, wanted)) continue;
        std::shared_ptr<const sys::ResourceBundle> bundle =
            sys::LoadLanguageBundle(file.path, sys::GetProgramBundle().get());
        if (!bundle) break;
        sys::SetLanguageBundle(bundle);
        SetLanguageHelpFile({}, file.helpName);
        return file.language;
    }
    UseBuiltInLanguage();
    return kBuiltInLanguage;
}

}  // namespace ql
