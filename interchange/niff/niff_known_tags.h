// The built-in tag schema, and the conversions of known tags' values made at
// compile time so that the reader's tag loop calls them directly. No tag holds
// a string offset, so a tag's conversion does not depend on the file's width.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

#include "interchange/niff/niff_field_conversion.h"
#include "interchange/niff/niff_schema.h"
#include "interchange/niff/niff_tag_state.h"

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

// Calls `visit` with known tag `number` (1 to 48) as a compile-time constant
// (std::integral_constant), so that each tag gets code of its own behind one
// jump; `otherwise` for any other number.
template <typename Visit, typename Otherwise>
[[gnu::always_inline]] inline auto VisitKnownNiffTag(int number, Visit&& visit, Otherwise&& otherwise) {
    switch (number) {
        case 1: return visit(std::integral_constant<int, 1>{});
        case 2: return visit(std::integral_constant<int, 2>{});
        case 3: return visit(std::integral_constant<int, 3>{});
        case 4: return visit(std::integral_constant<int, 4>{});
        case 5: return visit(std::integral_constant<int, 5>{});
        case 6: return visit(std::integral_constant<int, 6>{});
        case 7: return visit(std::integral_constant<int, 7>{});
        case 8: return visit(std::integral_constant<int, 8>{});
        case 9: return visit(std::integral_constant<int, 9>{});
        case 10: return visit(std::integral_constant<int, 10>{});
        case 11: return visit(std::integral_constant<int, 11>{});
        case 12: return visit(std::integral_constant<int, 12>{});
        case 13: return visit(std::integral_constant<int, 13>{});
        case 14: return visit(std::integral_constant<int, 14>{});
        case 15: return visit(std::integral_constant<int, 15>{});
        case 16: return visit(std::integral_constant<int, 16>{});
        case 17: return visit(std::integral_constant<int, 17>{});
        case 18: return visit(std::integral_constant<int, 18>{});
        case 19: return visit(std::integral_constant<int, 19>{});
        case 20: return visit(std::integral_constant<int, 20>{});
        case 21: return visit(std::integral_constant<int, 21>{});
        case 22: return visit(std::integral_constant<int, 22>{});
        case 23: return visit(std::integral_constant<int, 23>{});
        case 24: return visit(std::integral_constant<int, 24>{});
        case 25: return visit(std::integral_constant<int, 25>{});
        case 26: return visit(std::integral_constant<int, 26>{});
        case 27: return visit(std::integral_constant<int, 27>{});
        case 28: return visit(std::integral_constant<int, 28>{});
        case 29: return visit(std::integral_constant<int, 29>{});
        case 30: return visit(std::integral_constant<int, 30>{});
        case 31: return visit(std::integral_constant<int, 31>{});
        case 32: return visit(std::integral_constant<int, 32>{});
        case 33: return visit(std::integral_constant<int, 33>{});
        case 34: return visit(std::integral_constant<int, 34>{});
        case 35: return visit(std::integral_constant<int, 35>{});
        case 36: return visit(std::integral_constant<int, 36>{});
        case 37: return visit(std::integral_constant<int, 37>{});
        case 38: return visit(std::integral_constant<int, 38>{});
        case 39: return visit(std::integral_constant<int, 39>{});
        case 40: return visit(std::integral_constant<int, 40>{});
        case 41: return visit(std::integral_constant<int, 41>{});
        case 42: return visit(std::integral_constant<int, 42>{});
        case 43: return visit(std::integral_constant<int, 43>{});
        case 44: return visit(std::integral_constant<int, 44>{});
        case 45: return visit(std::integral_constant<int, 45>{});
        case 46: return visit(std::integral_constant<int, 46>{});
        case 47: return visit(std::integral_constant<int, 47>{});
        case 48: return visit(std::integral_constant<int, 48>{});
        default: return otherwise();
    }
}

// Converts the value of known tag `number` (1 to 48) whose file bytes, at least
// kNiffKnownTagFileBytes[number] of them, lie at `from`: kNiffConvertedBytes
// bytes of `out` are written.
[[gnu::always_inline]] inline void ConvertKnownNiffTag(int number, const uint8_t* from, uint8_t* out) {
    VisitKnownNiffTag(
        number,
        [&](auto tag) __attribute__((always_inline)) {
            ConvertWholeNiffFields<NiffKnownTagPlan(decltype(tag)::value)>(from, out);
        },
        [&] { StoreNiffConverted(out, 0, 0); });
}

// Stores known tag `number` (1 to 48), `length` bytes of whose value lie at
// `from`, into `tags` as StoreNiffTagValue stores its conversion, when those
// bytes hold all of its fields; false, with nothing stored, when they do not.
[[gnu::always_inline]] inline bool StoreKnownNiffTag(NiffTagState& tags, int number, int length,
                                                     const uint8_t* from) {
    return VisitKnownNiffTag(
        number,
        [&](auto tag) __attribute__((always_inline)) {
            constexpr int kNumber = decltype(tag)::value;
            constexpr NiffFieldPlan kPlan = NiffKnownTagPlan(kNumber);
            if (length < kPlan.fileBytes) return false;
            uint64_t low, high;
            NiffWholeFieldWords<kPlan>(from, low, high);
            StoreNiffTagWords(tags, kNumber, low, static_cast<uint16_t>(high));
            return true;
        },
        [] { return false; });
}

}  // namespace ql::niff
