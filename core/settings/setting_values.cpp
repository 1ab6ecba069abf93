// Reading and writing the composite settings' text forms.
#include "core/settings/setting_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/sys/settings_format.h"

namespace ql {
namespace {

constexpr char kSeparator = ',';
constexpr int kDefaultFontNumbers = 7;
constexpr double kMaxFontSizeUnits = 65535.0;
constexpr int kColourParts = 3;
constexpr int32_t kMaxColourPart = 255;

const char* const kBuiltInQuickFonts[kScoreFontCount] = {
    "Fret Symbols,Fretmark,4.00,2",
    "Music Grace,Glyphora,408.00,2",
    "Music Petite,Glyphora,407.20,2",
    "Music Symbols,Glyphora,406.40,2",
    "Lyric,Times New Roman,2.00",
    "Tuplet numbers,Times New Roman,1.75,bold,italic",
    "Chord Names,Times New Roman,1.50",
    "Tempo,Times New Roman,2.25,bold",
    "Tempo numbers,Times New Roman,1.75",
    "Measure numbers,Times New Roman,1.75",
    "Dynamic,Times New Roman,2.10,bold,italic",
    "Rehearsal Mark,Times New Roman,2.50,bold",
    "Title,Times New Roman,4.00,bold",
    "Sub Title,Times New Roman,3.00,italic",
    "Staff Name,Times New Roman,2.00,bold",
    "Page Number,Times New Roman,1.75,bold",
    "Composer,Times New Roman,2.25",
    "Copyright,Times New Roman,1.50",
    "Unused,Times New Roman,2.00",
    "Unused,Times New Roman,2.00",
    "Unused,Times New Roman,2.00",
    "Unused,Times New Roman,2.00",
    "Unused,Times New Roman,2.00",
    "Unused,Times New Roman,2.00",
};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t comma = text.find(kSeparator);
        fields.push_back(Trim(text.substr(0, comma)));
        if (comma == std::string_view::npos) return fields;
        text.remove_prefix(comma + 1);
    }
}

template <size_t N>
void CopyField(char (&to)[N], std::string_view from) {
    std::memset(to, 0, N);
    std::memcpy(to, from.data(), std::min(from.size(), N - 1));
}

// A decimal number in the C locale ("4.00", ".75"); null unless the text is one.
std::optional<double> ParseDecimal(std::string_view text) {
    if (text.empty()) return std::nullopt;
    double value = 0;
    auto [at, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || at != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<uint32_t> ParseUnsigned(std::string_view text) {
    std::optional<int32_t> value = sys::ParseSettingsNumber(text);
    if (!value || *value < 0) return std::nullopt;
    return static_cast<uint32_t>(*value);
}

// The style words and the character set after the size; false for anything else.
bool ReadFontTail(std::span<const std::string_view> fields, QuickFontRecord& font) {
    for (std::string_view field : fields) {
        if (sys::SameSettingsName(field, "bold")) {
            font.bold = 1;
        } else if (sys::SameSettingsName(field, "italic")) {
            font.italic = 1;
        } else if (sys::SameSettingsName(field, "underline")) {
            font.underline = 1;
        } else if (std::optional<uint32_t> charset = ParseUnsigned(field)) {
            font.charset = static_cast<uint8_t>(*charset);
        } else if (!field.empty()) {
            return false;
        }
    }
    return true;
}

}  // namespace

const gfx::Colour kSettingColourValues[kSettingColourNameCount] = {
    gfx::Rgb(255, 0, 0),     gfx::Rgb(0, 255, 0),   gfx::Rgb(0, 0, 255),     gfx::Rgb(0, 0, 0),
    gfx::Rgb(127, 127, 127), gfx::Rgb(0, 255, 255), gfx::Rgb(255, 255, 255),
};

const char* BuiltInQuickFont(int slot) {
    return slot >= 0 && slot < kScoreFontCount ? kBuiltInQuickFonts[slot] : nullptr;
}

std::optional<QuickFontRecord> ParseQuickFont(std::string_view text, uint8_t slot) {
    std::vector<std::string_view> fields = SplitFields(text);
    constexpr size_t kNameFaceSize = 3;
    if (fields.size() < kNameFaceSize || fields[0].empty() || fields[1].empty())
        return std::nullopt;
    std::optional<double> size = ParseDecimal(fields[2]);
    if (!size || *size < 0) return std::nullopt;
    QuickFontRecord font{};
    CopyField(font.name, fields[0]);
    CopyField(font.face, fields[1]);
    font.slot = slot;
    const double units = std::min(std::round(*size * kFontSizeUnitsPerPoint), kMaxFontSizeUnits);
    font.height = static_cast<int16_t>(static_cast<uint16_t>(units));
    if (!ReadFontTail(std::span(fields).subspan(kNameFaceSize), font)) return std::nullopt;
    return font;
}

std::string FormatQuickFont(const QuickFontRecord& font) {
    const auto units = static_cast<uint16_t>(font.height);
    char size[16];
    std::snprintf(size, sizeof size, "%u.%02u", units / kFontSizeUnitsPerPoint,
                  (units % kFontSizeUnitsPerPoint * 100 + kFontSizeUnitsPerPoint / 2) /
                      kFontSizeUnitsPerPoint);
    std::string out =
        FixedFieldText(font.name) + kSeparator + FixedFieldText(font.face) + kSeparator + size;
    if (font.bold) out += ",bold";
    if (font.italic) out += ",italic";
    if (font.underline) out += ",underline";
    return out + kSeparator + std::to_string(font.charset);
}

std::optional<DefaultFontSetting> ParseDefaultFont(std::string_view text) {
    // The face is the rest of the text after the seventh comma: it may hold commas.
    DefaultFontSetting font;
    int32_t numbers[kDefaultFontNumbers] = {};
    for (int i = 0; i < kDefaultFontNumbers; ++i) {
        const size_t comma = text.find(kSeparator);
        if (comma == std::string_view::npos) return std::nullopt;
        std::optional<int32_t> number = sys::ParseSettingsNumber(Trim(text.substr(0, comma)));
        if (!number || (i != 2 && *number < 0)) return std::nullopt;  // only the height is signed
        numbers[i] = *number;
        text.remove_prefix(comma + 1);
    }
    font.winFont = static_cast<uint32_t>(numbers[0]);
    font.slot = static_cast<uint32_t>(numbers[1]);
    font.height = numbers[2];
    font.bold = static_cast<uint32_t>(numbers[3]);
    font.italic = static_cast<uint32_t>(numbers[4]);
    font.underline = static_cast<uint32_t>(numbers[5]);
    font.charset = static_cast<uint32_t>(numbers[6]);
    font.face = std::string(text.substr(0, kFaceNameChars - 1));
    return font;
}

std::string FormatDefaultFont(const DefaultFontSetting& font) {
    return std::to_string(font.winFont) + ',' + std::to_string(font.slot) + ',' +
           std::to_string(font.height) + ',' + std::to_string(font.bold) + ',' +
           std::to_string(font.italic) + ',' + std::to_string(font.underline) + ',' +
           std::to_string(font.charset) + ',' + font.face;
}

std::optional<std::vector<int32_t>> ParseNumberList(std::string_view text, size_t count) {
    std::vector<std::string_view> fields = SplitFields(text);
    if (fields.size() != count) return std::nullopt;
    std::vector<int32_t> numbers;
    for (std::string_view field : fields) {
        std::optional<int32_t> number = sys::ParseSettingsNumber(field);
        if (!number) return std::nullopt;
        numbers.push_back(*number);
    }
    return numbers;
}

std::string FormatNumberList(std::span<const int32_t> numbers) {
    std::string out;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) out.push_back(kSeparator);
        out += std::to_string(numbers[i]);
    }
    return out;
}

std::optional<gfx::Colour> ParseSettingColour(std::string_view text,
                                              std::span<const std::string> names) {
    const std::string_view trimmed = Trim(text);
    for (size_t i = 0; i < names.size() && i < kSettingColourNameCount; ++i)
        if (!names[i].empty() && sys::SameSettingsName(trimmed, names[i]))
            return kSettingColourValues[i];
    const bool hasDigit = trimmed.find_first_of("0123456789") != std::string_view::npos;
    if (!hasDigit || trimmed.find(kSeparator) == std::string_view::npos) return std::nullopt;
    std::optional<std::vector<int32_t>> parts = ParseNumberList(trimmed, kColourParts);
    if (!parts) return std::nullopt;
    for (int32_t& part : *parts) part = std::clamp(part, 0, kMaxColourPart);
    return gfx::Rgb(static_cast<uint8_t>((*parts)[0]), static_cast<uint8_t>((*parts)[1]),
                    static_cast<uint8_t>((*parts)[2]));
}

}  // namespace ql
