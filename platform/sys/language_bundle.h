// Language bundles: files "QL*.lang" in the program's data folder that give the
// program's texts in another language, with the ids of the program's own resources.
// A bundle is settings text (platform/sys/settings_format.h):
//   [Strings]          id=text
//   [Menu <id>]        command=text for every item with that command, or
//                      @i.j.k=text for the item at that index path (popups)
//   [Dialog <id>]      Caption=text, control id=text, or
//                      @n=text for the n-th control in tab order (static texts
//                      have no id)
// Menus and dialogs are the program's own with their texts replaced; what a bundle
// does not name stays as it is. A bundle counts as one of the program's when its
// string 3 is the product name; string 1200 names its language, 1201 its help.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/resources.h"
#include "platform/sys/settings_format.h"

namespace ql::sys {

constexpr int32_t kBundleProductString = 3;
constexpr int32_t kBundleLanguageNameString = 1200;
constexpr int32_t kBundleHelpNameString = 1201;
constexpr char kLanguageBundlePrefix[] = "QL";
constexpr char kLanguageBundleExtension[] = ".lang";

struct LanguageBundleFile {
    std::filesystem::path path;
    std::string language;  // string 1200
    std::string helpName;  // string 1201
};

// The bundles of the program in `folder`, sorted by file name.
std::vector<LanguageBundleFile> FindLanguageBundles(const std::filesystem::path& folder,
                                                    std::string_view productName);

struct LanguageBundleParse {
    std::shared_ptr<ResourceBundle> bundle;  // never null
    std::vector<SettingsFault> faults;       // lines of the text that were skipped
    int unknownEntries = 0;  // entries naming no menu, dialog, item or control of `program`
};

// `program` supplies the menus and dialogs whose texts are replaced (may be null).
LanguageBundleParse ParseLanguageBundle(std::string_view text, const ResourceBundle* program,
                                        std::string name);
// Null when the file cannot be read.
std::shared_ptr<const ResourceBundle> LoadLanguageBundle(const std::filesystem::path& file,
                                                         const ResourceBundle* program);

}  // namespace ql::sys
