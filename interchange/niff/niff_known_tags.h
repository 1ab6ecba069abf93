// The built-in tag schema, and the conversions of known tags' values made at
// compile time so that the reader's tag loop calls them directly. No tag holds
// a string offset, so a tag's conversion does not depend on the file's width.
#pragma once

#include <array>
#include <cstdint>

#include "interchange/niff/niff_field_conversion.h"
#include "interchange/niff/niff_schema.h"

namespace ql::niff {

inline constexpr NiffTagRecord kNiffTagSchema[kNiffTagNumbers + 1] = {
    {0, {}},
    {1, {kNiffSignedShort, kNiffSignedShort}},
    {2, {kNiffByte}},
    {3, {kNiffFourCC}},
    {4, {kNiffByte}},
    {5, {kNiffSignedShort, kNiffSignedShort}},
    {6, {kNiffSignedShort, kNiffSignedShort}},
    {7, {kNiffSignedShort}},
    {8, {kNiffFontIndex, kNiffSignedByte}},
    {9, {kNiffSignedShort}},
    {10, {}},
    {11, {kNiffSignedShort}},
    {12, {kNiffSignedShort}},
    {13, {kNiffFontIndex}},
    {14, {kNiffRational}},
    {15, {kNiffSignedShort}},
    {16, {}},
    {17, {kNiffSignedShort}},
    {18, {kNiffSignedShort}},
    {19, {}},
    {20, {}},
    {21, {kNiffByte}},
    {22, {kNiffByte, kNiffByte, kNiffByte}},
    {23, {kNiffSignedShort, kNiffByte}},
    {24, {kNiffSignedLong, kNiffSignedLong, kNiffByte, kNiffByte}},
    {25, {}},
    {26, {}},
    {27, {kNiffByte}},
    {28, {kNiffSignedShort}},
    {29, {kNiffByte}},
    {30, {kNiffByte}},
    {31, {kNiffSignedByte, kNiffSignedByte, kNiffSignedByte}},
    {32, {kNiffSignedShort}},
    {33, {kNiffByte, kNiffByte, kNiffByte, kNiffByte}},
    {34, {kNiffSignedShort}},
    {35, {kNiffSignedShort}},
    {36, {}},
    {37, {}},
    {38, {}},
    {39, {}},
    {40, {}},
    {41, {}},
    {42, {kNiffSignedByte}},
    {43, {kNiffSignedShort}},
    {44, {kNiffByte}},
    {45, {kNiffRational, kNiffRational, kNiffByte}},
    {46, {kNiffByte}},
    {47, {kNiffSignedShort}},
    {48, {kNiffSignedShort}},
    {255, {}},
};

// The plan of tag 0 to 48 (255 has no fields).
constexpr NiffFieldPlan NiffKnownTagPlan(int number) {
    return NiffPlanOf(kNiffTagSchema[number].fields.data(), 4);
}

constexpr bool KnownTagPlansIgnoreWidth() {
    for (int number = 0; number <= kNiffKnownTags; ++number)
        if (NiffPlanOf(kNiffTagSchema[number].fields.data(), 2).fileBytes != NiffKnownTagPlan(number).fileBytes)
            return false;
    return true;
}
static_assert(KnownTagPlansIgnoreWidth(), "a tag's conversion must not depend on the string-offset width");

// The file bytes of tag 0 to 48's fields.
inline constexpr auto kNiffKnownTagFileBytes = [] {
    std::array<uint8_t, kNiffTagNumbers> bytes{};
    for (int number = 0; number <= kNiffKnownTags; ++number)
        bytes[static_cast<size_t>(number)] = static_cast<uint8_t>(NiffKnownTagPlan(number).fileBytes);
    return bytes;
}();

template <int Number>
[[gnu::always_inline]] inline void ConvertKnownNiffTagAs(const uint8_t* from, uint8_t* out) {
    ConvertWholeNiffFields<NiffKnownTagPlan(Number)>(from, out);
}

// Converts the value of known tag `number` (1 to 48) whose file bytes, at least
// kNiffKnownTagFileBytes[number] of them, lie at `from`: kNiffConvertedBytes
// bytes of `out` are written.
[[gnu::always_inline]] inline void ConvertKnownNiffTag(int number, const uint8_t* from, uint8_t* out) {
    switch (number) {
        case 1: return ConvertKnownNiffTagAs<1>(from, out);
        case 2: return ConvertKnownNiffTagAs<2>(from, out);
        case 3: return ConvertKnownNiffTagAs<3>(from, out);
        case 4: return ConvertKnownNiffTagAs<4>(from, out);
        case 5: return ConvertKnownNiffTagAs<5>(from, out);
        case 6: return ConvertKnownNiffTagAs<6>(from, out);
        case 7: return ConvertKnownNiffTagAs<7>(from, out);
        case 8: return ConvertKnownNiffTagAs<8>(from, out);
        case 9: return ConvertKnownNiffTagAs<9>(from, out);
        case 10: return ConvertKnownNiffTagAs<10>(from, out);
        case 11: return ConvertKnownNiffTagAs<11>(from, out);
        case 12: return ConvertKnownNiffTagAs<12>(from, out);
        case 13: return ConvertKnownNiffTagAs<13>(from, out);
        case 14: return ConvertKnownNiffTagAs<14>(from, out);
        case 15: return ConvertKnownNiffTagAs<15>(from, out);
        case 16: return ConvertKnownNiffTagAs<16>(from, out);
        case 17: return ConvertKnownNiffTagAs<17>(from, out);
        case 18: return ConvertKnownNiffTagAs<18>(from, out);
        case 19: return ConvertKnownNiffTagAs<19>(from, out);
        case 20: return ConvertKnownNiffTagAs<20>(from, out);
        case 21: return ConvertKnownNiffTagAs<21>(from, out);
        case 22: return ConvertKnownNiffTagAs<22>(from, out);
        case 23: return ConvertKnownNiffTagAs<23>(from, out);
        case 24: return ConvertKnownNiffTagAs<24>(from, out);
        case 25: return ConvertKnownNiffTagAs<25>(from, out);
        case 26: return ConvertKnownNiffTagAs<26>(from, out);
        case 27: return ConvertKnownNiffTagAs<27>(from, out);
        case 28: return ConvertKnownNiffTagAs<28>(from, out);
        case 29: return ConvertKnownNiffTagAs<29>(from, out);
        case 30: return ConvertKnownNiffTagAs<30>(from, out);
        case 31: return ConvertKnownNiffTagAs<31>(from, out);
        case 32: return ConvertKnownNiffTagAs<32>(from, out);
        case 33: return ConvertKnownNiffTagAs<33>(from, out);
        case 34: return ConvertKnownNiffTagAs<34>(from, out);
        case 35: return ConvertKnownNiffTagAs<35>(from, out);
        case 36: return ConvertKnownNiffTagAs<36>(from, out);
        case 37: return ConvertKnownNiffTagAs<37>(from, out);
        case 38: return ConvertKnownNiffTagAs<38>(from, out);
        case 39: return ConvertKnownNiffTagAs<39>(from, out);
        case 40: return ConvertKnownNiffTagAs<40>(from, out);
        case 41: return ConvertKnownNiffTagAs<41>(from, out);
        case 42: return ConvertKnownNiffTagAs<42>(from, out);
        case 43: return ConvertKnownNiffTagAs<43>(from, out);
        case 44: return ConvertKnownNiffTagAs<44>(from, out);
        case 45: return ConvertKnownNiffTagAs<45>(from, out);
        case 46: return ConvertKnownNiffTagAs<46>(from, out);
        case 47: return ConvertKnownNiffTagAs<47>(from, out);
        case 48: return ConvertKnownNiffTagAs<48>(from, out);
        default: return StoreNiffConverted(out, 0, 0);
    }
}

}  // namespace ql::niff
