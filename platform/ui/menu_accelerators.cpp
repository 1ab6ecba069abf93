// Accelerator texts parsed into keys, and the accelerator table of a menu bar.
#include "platform/ui/menu_accelerators.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace ql::ui {
namespace {

struct NamedKey {
    std::string_view name;
    win::Key key;
};

constexpr std::array kNamedKeys = {
    NamedKey{"Del", win::Key::Delete},      NamedKey{"Delete", win::Key::Delete},
    NamedKey{"Ins", win::Key::Insert},      NamedKey{"Insert", win::Key::Insert},
    NamedKey{"Home", win::Key::Home},       NamedKey{"End", win::Key::End},
    NamedKey{"PgUp", win::Key::PageUp},     NamedKey{"PgDn", win::Key::PageDown},
    NamedKey{"Enter", win::Key::Enter},     NamedKey{"Esc", win::Key::Escape},
    NamedKey{"Space", win::Key::Space},     NamedKey{"Tab", win::Key::Tab},
    NamedKey{"Backspace", win::Key::Backspace},
    NamedKey{"Left", win::Key::Left},       NamedKey{"Right", win::Key::Right},
    NamedKey{"Up", win::Key::Up},           NamedKey{"Down", win::Key::Down},
};

struct NamedModifier {
    std::string_view name;
    uint8_t bit;
};
// "Shft" is the short spelling some of the program's menu texts use.
constexpr std::array kModifiers = {NamedModifier{"Ctrl", kAcceleratorControl}, NamedModifier{"Shift", kAcceleratorShift},
                                   NamedModifier{"Shft", kAcceleratorShift}, NamedModifier{"Alt", kAcceleratorAlt}};

constexpr int kFunctionKeyCount = 12;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<win::Key> KeyNamed(std::string_view name) {
    if (name.size() == 1) {
        const auto c = static_cast<unsigned char>(name[0]);
        if (std::isalpha(c)) return win::LetterKey(static_cast<char>(std::toupper(c)));
        if (std::isdigit(c)) return win::DigitKey(c - '0');
    }
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        int number = 0;
        for (char c : name.substr(1)) {
            if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
            number = number * 10 + (c - '0');
        }
        if (number >= 1 && number <= kFunctionKeyCount) return win::FunctionKey(number);
        return std::nullopt;
    }
    for (const NamedKey& named : kNamedKeys)
        if (SameName(named.name, name)) return named.key;
    return std::nullopt;
}

}  // namespace

std::optional<AcceleratorKey> ParseAcceleratorText(std::string_view text) {
    AcceleratorKey parsed;
    for (;;) {
        // Modifiers end in '+' or, in some of the program's texts ("Ctrl-Z"), in '-'.
        // "Ctrl++" would name the plus key, which no menu uses.
        const size_t plus = text.find_first_of("+-");
        if (plus == std::string_view::npos || plus + 1 >= text.size()) break;
        const std::string_view part = text.substr(0, plus);
        const auto modifier = std::find_if(kModifiers.begin(), kModifiers.end(),
                                           [&](const NamedModifier& m) { return SameName(m.name, part); });
        if (modifier == kModifiers.end()) return std::nullopt;
        parsed.modifiers |= modifier->bit;
        text.remove_prefix(plus + 1);
    }
    const std::optional<win::Key> key = KeyNamed(text);
    if (!key) return std::nullopt;
    parsed.key = *key;
    return parsed;
}

std::string_view AcceleratorTextOf(std::string_view itemText) {
    const size_t tab = itemText.find('\t');
    return tab == std::string_view::npos ? std::string_view{} : itemText.substr(tab + 1);
}

namespace {

void CollectAccelerators(MenuHandle menu, AcceleratorTable& table) {
    for (int32_t i = 0; i < GetMenuItemCount(menu); ++i) {
        if (MenuHandle sub = GetSubmenu(menu, i)) {
            CollectAccelerators(sub, table);
            continue;
        }
        const int32_t command = GetMenuItemCommand(menu, i);
        if (command < 0) continue;
        const std::string text = GetMenuItemText(menu, i);
        const std::optional<AcceleratorKey> key = ParseAcceleratorText(AcceleratorTextOf(text));
        if (!key) continue;
        const bool taken = std::any_of(table.entries.begin(), table.entries.end(), [&](const Accelerator& a) {
            return a.key == key->key && a.modifiers == key->modifiers;
        });
        if (!taken) table.entries.push_back(Accelerator{key->key, key->modifiers, command});
    }
}

}  // namespace

AcceleratorTable AcceleratorsOfMenu(MenuHandle menu) {
    AcceleratorTable table;
    CollectAccelerators(menu, table);
    return table;
}

}  // namespace ql::ui
