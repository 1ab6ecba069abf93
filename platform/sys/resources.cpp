// The registry of resource bundles and lookup with the language bundle first.
#include "platform/sys/resources.h"

#include <algorithm>
#include <cctype>

namespace ql::sys {
namespace {

struct Bundles {
    std::shared_ptr<const ResourceBundle> program;
    std::shared_ptr<const ResourceBundle> language;
};

Bundles& Registry() {
    static Bundles bundles;
    return bundles;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

// The bundles a lookup tries, in order (at most two).
std::vector<std::shared_ptr<const ResourceBundle>> BundlesFor(Lookup lookup) {
    const Bundles& b = Registry();
    std::vector<std::shared_ptr<const ResourceBundle>> out;
    bool useLanguage = lookup != Lookup::ProgramOnly && b.language;
    if (useLanguage) out.push_back(b.language);
    bool useProgram = lookup == Lookup::ProgramOnly || lookup == Lookup::LanguageThenProgram ||
                      (lookup == Lookup::LanguageOnly && !b.language);
    if (useProgram && b.program && b.program != b.language) out.push_back(b.program);
    return out;
}

// Finds `id` in the member map of the first bundle that has it; the pointer
// shares ownership of that bundle.
template <typename Key, typename T>
std::shared_ptr<const T> FindIn(const Key& id, Lookup lookup,
                                const std::map<Key, T> ResourceBundle::*member) {
    for (const auto& bundle : BundlesFor(lookup)) {
        const auto& table = (*bundle).*member;
        auto found = table.find(id);
        if (found != table.end()) return std::shared_ptr<const T>(bundle, &found->second);
    }
    return nullptr;
}

}  // namespace

ResourceId::ResourceId(const char* name) : name_(UpperCase(name ? name : "")) {}
ResourceId::ResourceId(std::string_view name) : name_(UpperCase(name)) {}

std::string ResourceId::ToString() const { return IsNumber() ? std::to_string(number_) : name_; }

void SetProgramBundle(std::shared_ptr<const ResourceBundle> bundle) { Registry().program = std::move(bundle); }
void SetLanguageBundle(std::shared_ptr<const ResourceBundle> bundle) { Registry().language = std::move(bundle); }
std::shared_ptr<const ResourceBundle> GetProgramBundle() { return Registry().program; }
std::shared_ptr<const ResourceBundle> GetLanguageBundle() { return Registry().language; }

bool HasLanguageBundle() {
    const Bundles& b = Registry();
    return b.language && b.language != b.program;
}

std::optional<std::string> FindString(int32_t id, Lookup lookup) {
    std::shared_ptr<const std::string> found = FindIn(id, lookup, &ResourceBundle::strings);
    return found ? std::optional<std::string>(*found) : std::nullopt;
}

std::string LoadString(int32_t id, Lookup lookup) { return FindString(id, lookup).value_or(std::string{}); }

std::shared_ptr<const ui::DialogTemplate> FindDialogTemplate(const ResourceId& id, Lookup lookup) {
    return FindIn(id, lookup, &ResourceBundle::dialogs);
}

std::shared_ptr<const ui::MenuTemplate> FindMenuTemplate(const ResourceId& id, Lookup lookup) {
    return FindIn(id, lookup, &ResourceBundle::menus);
}

std::shared_ptr<const ui::AcceleratorTable> FindAccelerators(const ResourceId& id, Lookup lookup) {
    return FindIn(id, lookup, &ResourceBundle::accelerators);
}

std::shared_ptr<const BitmapResource> FindBitmap(const ResourceId& id, Lookup lookup) {
    return FindIn(id, lookup, &ResourceBundle::bitmaps);
}

std::shared_ptr<const CursorResource> FindCursor(const ResourceId& id, Lookup lookup) {
    return FindIn(id, lookup, &ResourceBundle::cursors);
}

}  // namespace ql::sys
