// Reading and writing the text form of a settings tree, with \xNN escapes.
#include "platform/sys/settings_format.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace ql::sys {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr size_t kEscapeLength = 4;  // \xNN
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsControlByte(unsigned char c) {
    return c < kFirstPrintable || c == kDelete;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether byte `i` of `text` must be escaped in a field of this kind.
bool NeedsEscape(std::string_view text, size_t i, SettingsField field) {
    const char c = text[i];
    if (IsControlByte(static_cast<unsigned char>(c)) || c == '\\' || c == '=') return true;
    const bool atEdge = i == 0 || i + 1 == text.size();
    if (atEdge && IsBlank(c)) return true;
    if (i == 0 && c == '[') return true;
    if (field == SettingsField::Section && c == ']') return true;
    return field == SettingsField::Key && i == 0 && (c == ';' || c == '#');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool HasControlBytes(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        return c != '\t' && IsControlByte(static_cast<unsigned char>(c));
    });
}

// The parser's state between lines.
struct LineReader {
    SettingsParse& out;
    std::optional<std::string> section;  // none before the first header or after a bad one
    int line = 0;

    void Fault(SettingsDamage damage) { out.faults.push_back(SettingsFault{line, damage}); }

    void ReadHeader(std::string_view text) {
        section.reset();
        if (text.size() < 2 || text.back() != ']') return Fault(SettingsDamage::BadSectionHeader);
        std::optional<std::string> name =
            UnescapeSettingsText(Trim(text.substr(1, text.size() - 2)));
        if (!name) return Fault(SettingsDamage::BadEscape);
        out.tree.AddSection(*name);
        section = std::move(*name);
    }

    void ReadValue(std::string_view text) {
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos) return Fault(SettingsDamage::LineWithoutEquals);
        std::optional<std::string> key = UnescapeSettingsText(Trim(text.substr(0, equals)));
        std::optional<std::string> value = UnescapeSettingsText(Trim(text.substr(equals + 1)));
        if (!key || !value) return Fault(SettingsDamage::BadEscape);
        if (key->empty()) return Fault(SettingsDamage::EmptyKey);
        if (!section) return Fault(SettingsDamage::OutsideSection);
        out.tree.Set(*section, *key, *value);
    }

    void Read(std::string_view raw) {
        ++line;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        std::string_view text = Trim(raw);
        if (text.empty() || text.front() == ';' || text.front() == '#') return;
        if (HasControlBytes(text)) return Fault(SettingsDamage::ControlBytes);
        if (text.front() == '[') return ReadHeader(text);
        ReadValue(text);
    }
};

}  // namespace

bool SameSettingsName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

const SettingsSection* SettingsTree::FindSection(std::string_view name) const {
    for (const SettingsSection& section : sections_)
        if (SameSettingsName(section.name, name)) return &section;
    return nullptr;
}

SettingsSection* SettingsTree::MutableSection(std::string_view name) {
    return const_cast<SettingsSection*>(FindSection(name));
}

const std::string* SettingsTree::Find(std::string_view section, std::string_view key) const {
    const SettingsSection* found = FindSection(section);
    if (found == nullptr) return nullptr;
    for (const SettingsValue& value : found->values)
        if (SameSettingsName(value.key, key)) return &value.value;
    return nullptr;
}

void SettingsTree::AddSection(std::string_view name) {
    if (FindSection(name) == nullptr) sections_.push_back(SettingsSection{std::string(name), {}});
}

void SettingsTree::Set(std::string_view section, std::string_view key, std::string_view value) {
    AddSection(section);
    SettingsSection* target = MutableSection(section);
    for (SettingsValue& existing : target->values) {
        if (SameSettingsName(existing.key, key)) {
            existing.value.assign(value);
            return;
        }
    }
    target->values.push_back(SettingsValue{std::string(key), std::string(value)});
}

bool SettingsTree::Erase(std::string_view section, std::string_view key) {
    SettingsSection* target = MutableSection(section);
    if (target == nullptr) return false;
    auto found = std::find_if(target->values.begin(), target->values.end(),
                              [&](const SettingsValue& v) { return SameSettingsName(v.key, key); });
    if (found == target->values.end()) return false;
    target->values.erase(found);
    return true;
}

std::string EscapeSettingsText(std::string_view text, SettingsField field) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (!NeedsEscape(text, i, field)) {
            out.push_back(text[i]);
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        out += "\\x";
        out.push_back(kHexDigits[byte >> 4]);
        out.push_back(kHexDigits[byte & 0xF]);
    }
    return out;
}

std::optional<std::string> UnescapeSettingsText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (text.size() - i < kEscapeLength || LowerAscii(text[i + 1]) != 'x') return std::nullopt;
        const int high = HexValue(text[i + 2]);
        const int low = HexValue(text[i + 3]);
        if (high < 0 || low < 0) return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        i += kEscapeLength - 1;
    }
    return out;
}

SettingsParse ParseSettingsText(std::string_view text) {
    SettingsParse out;
    LineReader reader{out, std::nullopt, 0};
    const bool tooLarge = text.size() > kMaxSettingsTextBytes;
    if (tooLarge) text = text.substr(0, kMaxSettingsTextBytes);
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    while (!text.empty()) {
        const size_t end = text.find('\n');
        // A cut-off last line of an oversized text is not read: it may be half a value.
        if (end == std::string_view::npos && tooLarge) break;
        reader.Read(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    if (tooLarge) reader.Fault(SettingsDamage::TooLarge);
    return out;
}

std::string FormatSettingsText(const SettingsTree& tree) {
    std::string out;
    for (const SettingsSection& section : tree.Sections()) {
        if (!out.empty()) out.push_back('\n');
        out += '[' + EscapeSettingsText(section.name, SettingsField::Section) + "]\n";
        for (const SettingsValue& value : section.values) {
            out += EscapeSettingsText(value.key, SettingsField::Key);
            out.push_back('=');
            out += EscapeSettingsText(value.value, SettingsField::Value);
            out.push_back('\n');
        }
    }
    return out;
}

std::optional<int32_t> ParseSettingsNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end) return std::nullopt;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::string FormatSettingsNumber(int32_t value) {
    return std::to_string(value);
}

}  // namespace ql::sys
