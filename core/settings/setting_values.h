// The stored forms of the composite settings: quick fonts, default text fonts, quick
// zooms, the MIDI port map, colours and lists of numbers. Each reader gives a value
// only when the text parses whole as the form asks (otherwise the value held before
// stays); each writer gives the form the reader takes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "platform/gfx/types.h"

namespace ql {

// The text of a fixed-size name field (up to its first zero byte, or all of it).
template <size_t N>
std::string FixedFieldText(const char (&field)[N]) {
    size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}

// Quick-font sizes are stored as text and held in 160ths of a staff-line space, in
// 16 bits ("408.00" is 65280).
constexpr int32_t kFontSizeUnitsPerPoint = 160;

// "name,face,size[,bold][,italic][,underline][,charset]": the style words anywhere
// after the size, the character set a number (0 when none). Null unless the name,
// face and size are there and the size is a number.
std::optional<QuickFontRecord> ParseQuickFont(std::string_view text, uint8_t slot);
// "%s,%s,%s%s,%d": name, face, size with two decimals, the style suffixes, charset.
std::string FormatQuickFont(const QuickFontRecord& font);
// The program's built-in quick font of a slot 0..23.
const char* BuiltInQuickFont(int slot);

// "%u,%u,%d,%u,%u,%u,%u,%s".
std::optional<DefaultFontSetting> ParseDefaultFont(std::string_view text);
std::string FormatDefaultFont(const DefaultFontSetting& font);

// Exactly `count` comma-separated signed numbers (spaces around them allowed).
std::optional<std::vector<int32_t>> ParseNumberList(std::string_view text, size_t count);
std::string FormatNumberList(std::span<const int32_t> numbers);

// A colour name (compared without case with the names given, in the order red,
// green, blue, black, grey, sky, white) or "r,g,b" when the text holds a digit and
// a comma.
std::optional<gfx::Colour> ParseSettingColour(std::string_view text,
                                              std::span<const std::string> names);
constexpr int kSettingColourNameCount = 7;
extern const gfx::Colour kSettingColourValues[kSettingColourNameCount];

}  // namespace ql
