// The font request the program hands to the text layer, and the named values of
// its fields (character sets, weights, pitch and family).
// A request names a face, a height in logical units (negative: character height,
// i.e. the em; positive: cell height, ascent + descent), and styles.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ql::text {

// Character sets, as stored in the program's style records and files.
enum class Charset : uint8_t {
    Ansi = 0,
    Default = 1,
    Symbol = 2,
    ShiftJis = 128,
    Hangul = 129,
    Johab = 130,
    Gb2312 = 134,
    ChineseBig5 = 136,
    Greek = 161,
    Turkish = 162,
    Vietnamese = 163,
    Hebrew = 177,
    Arabic = 178,
    Baltic = 186,
    Russian = 204,
    Thai = 222,
    EastEurope = 238,
    Oem = 255,
};

constexpr int32_t kWeightDontCare = 0;
constexpr int32_t kWeightNormal = 400;
constexpr int32_t kWeightBold = 700;
constexpr int32_t kWeightHeavy = 900;

// Room for the face name including its terminating zero, as stored in records.
constexpr size_t kFaceNameSize = 32;

// A font request. Plain data: copied into font objects and compared by value.
struct LogicalFont {
    int32_t height = 0;      // logical units; < 0 em height, > 0 cell height, 0 default
    int32_t width = 0;       // average character width in logical units; 0 = natural
    int32_t escapement = 0;  // tenths of a degree; kept, text is drawn horizontally
    int32_t weight = kWeightNormal;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeout = 0;
    uint8_t charset = static_cast<uint8_t>(Charset::Ansi);
    uint8_t pitchAndFamily = 0;
    std::array<char, kFaceNameSize> faceName{};

    // The face name as text (up to the first zero).
    std::string_view Face() const;
    // Stores a face name, cut to 31 bytes so that the terminator always fits.
    void SetFace(std::string_view face);

    bool operator==(const LogicalFont&) const = default;
};

// Letter-case-insensitive comparison of face names (ASCII folding, as names are).
bool SameFaceName(std::string_view a, std::string_view b);

}  // namespace ql::text
