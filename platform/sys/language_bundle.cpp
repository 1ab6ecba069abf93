// Reading language bundles into resource bundles.
#include "platform/sys/language_bundle.h"

#include <algorithm>

#include "platform/sys/atomic_file.h"

namespace ql::sys {
namespace {

constexpr std::string_view kStringsSection = "Strings";
constexpr std::string_view kMenuPrefix = "Menu ";
constexpr std::string_view kDialogPrefix = "Dialog ";
constexpr std::string_view kCaptionKey = "Caption";
constexpr char kIndexPathMark = '@';
constexpr char kControlIndexMark = '@';

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameSettingsName(text.substr(0, prefix.size()), prefix);
}

bool EndsWithName(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           SameSettingsName(text.substr(text.size() - suffix.size()), suffix);
}

ResourceId IdOf(std::string_view text) {
    std::optional<int32_t> number = ParseSettingsNumber(text);
    return number ? ResourceId(*number) : ResourceId(text);
}

// The menu item at an index path "i.j.k" (after the "@"), or null.
ui::MenuItemTemplate* ItemAtPath(std::vector<ui::MenuItemTemplate>& items, std::string_view path) {
    const size_t dot = path.find('.');
    std::optional<int32_t> index = ParseSettingsNumber(path.substr(0, dot));
    if (!index || *index < 0 || static_cast<size_t>(*index) >= items.size()) return nullptr;
    ui::MenuItemTemplate& item = items[static_cast<size_t>(*index)];
    if (dot == std::string_view::npos) return &item;
    return ItemAtPath(item.children, path.substr(dot + 1));
}

int SetCommandTexts(std::vector<ui::MenuItemTemplate>& items, int32_t command,
                    const std::string& text) {
    int count = 0;
    for (ui::MenuItemTemplate& item : items) {
        if (item.command == command && item.children.empty()) {
            item.text = text;
            ++count;
        }
        count += SetCommandTexts(item.children, command, text);
    }
    return count;
}

// One entry of a [Menu] section; false when it names nothing in the menu.
bool TranslateMenuEntry(ui::MenuTemplate& menu, const SettingsValue& entry) {
    if (!entry.key.empty() && entry.key.front() == kIndexPathMark) {
        ui::MenuItemTemplate* item = ItemAtPath(menu.items, std::string_view(entry.key).substr(1));
        if (item != nullptr) item->text = entry.value;
        return item != nullptr;
    }
    std::optional<int32_t> command = ParseSettingsNumber(entry.key);
    return command && *command != 0 && SetCommandTexts(menu.items, *command, entry.value) > 0;
}

ui::ControlTemplate* FindControl(ui::DialogTemplate& dialog, std::string_view key) {
    const bool byIndex = !key.empty() && key.front() == kControlIndexMark;
    std::optional<int32_t> number = ParseSettingsNumber(byIndex ? key.substr(1) : key);
    if (!number) return nullptr;
    if (byIndex) {
        if (*number < 0 || static_cast<size_t>(*number) >= dialog.controls.size()) return nullptr;
        return &dialog.controls[static_cast<size_t>(*number)];
    }
    auto found = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                              [&](const ui::ControlTemplate& c) { return c.id == *number; });
    return found != dialog.controls.end() && *number != ui::kUnusedControlId ? &*found : nullptr;
}

bool TranslateDialogEntry(ui::DialogTemplate& dialog, const SettingsValue& entry) {
    if (SameSettingsName(entry.key, kCaptionKey)) {
        dialog.caption = entry.value;
        return true;
    }
    ui::ControlTemplate* control = FindControl(dialog, entry.key);
    if (control != nullptr) control->text = entry.value;
    return control != nullptr;
}

// Copies the program's resource `id` into the bundle's map (once) and applies every
// entry of the section; counts the entries that named nothing.
template <typename T, typename Translate>
void TranslateSection(const SettingsSection& section, std::string_view idText,
                      const std::map<ResourceId, T>* programMap, std::map<ResourceId, T>& bundleMap,
                      Translate translate, int& unknown) {
    const ResourceId id = IdOf(idText);
    const T* source = nullptr;
    if (programMap != nullptr) {
        auto found = programMap->find(id);
        if (found != programMap->end()) source = &found->second;
    }
    if (source == nullptr) {
        unknown += static_cast<int>(section.values.size());
        return;
    }
    T& target = bundleMap.try_emplace(id, *source).first->second;
    for (const SettingsValue& entry : section.values)
        if (!translate(target, entry)) ++unknown;
}

void ReadStrings(const SettingsSection& section, ResourceBundle& bundle, int& unknown) {
    for (const SettingsValue& entry : section.values) {
        std::optional<int32_t> id = ParseSettingsNumber(entry.key);
        if (id)
            bundle.strings[*id] = entry.value;
        else
            ++unknown;
    }
}

}  // namespace

LanguageBundleParse ParseLanguageBundle(std::string_view text, const ResourceBundle* program,
                                        std::string name) {
    SettingsParse parse = ParseSettingsText(text);
    LanguageBundleParse out{std::make_shared<ResourceBundle>(), std::move(parse.faults), 0};
    ResourceBundle& bundle = *out.bundle;
    bundle.name = std::move(name);
    for (const SettingsSection& section : parse.tree.Sections()) {
        std::string_view title = section.name;
        if (SameSettingsName(title, kStringsSection)) {
            ReadStrings(section, bundle, out.unknownEntries);
        } else if (StartsWithName(title, kMenuPrefix)) {
            TranslateSection(section, title.substr(kMenuPrefix.size()),
                             program ? &program->menus : nullptr, bundle.menus, TranslateMenuEntry,
                             out.unknownEntries);
        } else if (StartsWithName(title, kDialogPrefix)) {
            TranslateSection(section, title.substr(kDialogPrefix.size()),
                             program ? &program->dialogs : nullptr, bundle.dialogs,
                             TranslateDialogEntry, out.unknownEntries);
        } else {
            out.unknownEntries += static_cast<int>(section.values.size());
        }
    }
    return out;
}

std::shared_ptr<const ResourceBundle> LoadLanguageBundle(const std::filesystem::path& file,
                                                         const ResourceBundle* program) {
    FileReadResult read = ReadWholeFile(file, kMaxSettingsTextBytes + 1);
    if (read.status == FileReadStatus::Missing || read.status == FileReadStatus::Unreadable)
        return nullptr;
    LanguageBundleParse parse = ParseLanguageBundle(read.bytes, program, file.stem().string());
    auto language = parse.bundle->strings.find(kBundleLanguageNameString);
    if (language != parse.bundle->strings.end()) parse.bundle->name = language->second;
    return parse.bundle;
}

std::vector<LanguageBundleFile> FindLanguageBundles(const std::filesystem::path& folder,
                                                    std::string_view productName) {
    std::vector<LanguageBundleFile> out;
    std::error_code error;
    std::filesystem::directory_iterator end;
    for (std::filesystem::directory_iterator it(folder, error); !error && it != end;
         it.increment(error)) {
        const std::filesystem::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        if (!StartsWithName(name, kLanguageBundlePrefix) ||
            !EndsWithName(name, kLanguageBundleExtension))
            continue;
        std::shared_ptr<const ResourceBundle> bundle = LoadLanguageBundle(entry.path(), nullptr);
        if (!bundle) continue;
        auto product = bundle->strings.find(kBundleProductString);
        if (product == bundle->strings.end() || product->second != productName) continue;
        auto help = bundle->strings.find(kBundleHelpNameString);
        out.push_back(
            LanguageBundleFile{entry.path(), bundle->name,
                               help != bundle->strings.end() ? help->second : std::string()});
    }
    std::sort(out.begin(), out.end(), [](const LanguageBundleFile& a, const LanguageBundleFile& b) {
        return a.path.filename() < b.path.filename();
    });
    return out;
}

}  // namespace ql::sys
