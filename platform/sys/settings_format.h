// The text form of a settings tree: sections of named values, written as
//   [Section]
//   Key=value
// Section names and keys compare without regard to ASCII letter case and keep the
// case of their first write, as registry names do. Values are bytes, never converted
// (paths are UTF-8, score texts code page 1252). Whatever would not survive a line of
// this form (a byte below 0x20 or 0x7F, a backslash, "=", "[" or a space at the
// start or end, "]" in a section name, ";" or "#" starting a key) is written as \xNN,
// so every value and name round-trips. The reader is lenient: a damaged line is
// skipped and recorded, and everything else is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ql::sys {

// A file larger than this is read only up to it (and counts as damaged).
constexpr size_t kMaxSettingsTextBytes = 1 << 20;

struct SettingsValue {
    std::string key;
    std::string value;
    bool operator==(const SettingsValue&) const = default;
};

struct SettingsSection {
    std::string name;
    std::vector<SettingsValue> values;  // in the order of their first write
    bool operator==(const SettingsSection&) const = default;
};

// Sections in the order of their first write. Lookups are linear: a tree holds a
// few hundred values.
class SettingsTree {
  public:
    const SettingsSection* FindSection(std::string_view name) const;
    const std::string* Find(std::string_view section, std::string_view key) const;
    // Creates the section when missing; replaces the value when the key exists.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes one value; the section stays, even when empty. False when missing.
    bool Erase(std::string_view section, std::string_view key);
    // Creates an empty section when missing.
    void AddSection(std::string_view name);
    const std::vector<SettingsSection>& Sections() const { return sections_; }
    bool operator==(const SettingsTree&) const = default;

  private:
    SettingsSection* MutableSection(std::string_view name);
    std::vector<SettingsSection> sections_;
};

// Why a line of a settings text was skipped.
enum class SettingsDamage : uint8_t {
    LineWithoutEquals = 1,  // neither a section header, a comment nor key=value
    ControlBytes = 2,       // raw bytes below 0x20 (other than a tab) or 0x7F
    BadEscape = 3,          // a backslash not followed by xNN
    BadSectionHeader = 4,   // "[" without a closing "]"; lines up to the next header are dropped
    OutsideSection = 5,     // key=value before the first section header
    EmptyKey = 6,           // "=value"
    TooLarge = 7,           // the text went on past kMaxSettingsTextBytes
    BadNumber = 8,          // a value read as a number is not one (line 0: found on use)
};

struct SettingsFault {
    int line = 0;  // 1-based
    SettingsDamage damage = SettingsDamage::LineWithoutEquals;
};

struct SettingsParse {
    SettingsTree tree;
    std::vector<SettingsFault> faults;
    bool IsDamaged() const { return !faults.empty(); }
};

// Reads what it can; never fails.
SettingsParse ParseSettingsText(std::string_view text);
// The whole tree, one line per header and value, "\n" line ends.
std::string FormatSettingsText(const SettingsTree& tree);

// What a piece of text is in a line, which decides what must be escaped.
enum class SettingsField : uint8_t { Section, Key, Value };
std::string EscapeSettingsText(std::string_view text, SettingsField field);
// Null when a backslash is not followed by "x" and two hexadecimal digits.
std::optional<std::string> UnescapeSettingsText(std::string_view text);

// Numbers are signed decimal text: an optional "-" and digits, within 32 bits.
std::optional<int32_t> ParseSettingsNumber(std::string_view text);
std::string FormatSettingsNumber(int32_t value);

// ASCII comparison without regard to letter case.
bool SameSettingsName(std::string_view a, std::string_view b);

}  // namespace ql::sys
