// The table of dynamics (see dynamic_marks.h).
#include "core/objects/dynamic_marks.h"

#include <algorithm>

namespace ql {
namespace {

constexpr DynamicSign kDynamics[] = {
    {158, "pppp", -50, false, {1, 0}}, {159, "ppp", -40, false, {2, 0}},  {160, "pp", -30, false, {3, 0}},
    {161, "p", -20, false, {4, 0}},     {162, "mp", -10, false, {5, 0}},   {163, "fp", 0, false, {15, 0}},
    {164, "sfz", 0, false, {0, 0}},     {165, "sf", 0, false, {12, 0}},    {166, "fz", 0, false, {14, 0}},
    {167, "rfz", 0, false, {0, 0}},     {168, "ffff", 50, false, {10, 0}}, {169, "fff", 40, false, {9, 0}},
    {170, "ff", 30, false, {8, 0}},     {171, "f", 20, false, {7, 0}},     {172, "mf", 10, false, {6, 0}},
    {kCrescendoGlyph, "cresc.", 0, true, {16, 17}},
    {kDiminuendoGlyph, "dim.", 0, true, {18, 19}},
};

// Symbols in order from the palette's first, each NIFF code named once, and the
// loudness steps of the palette's first five and last five entries ten apart.
constexpr bool DynamicsHold() {
    for (size_t i = 0; i < std::size(kDynamics); ++i) {
        const DynamicSign& row = kDynamics[i];
        if (row.glyph != kFirstPaletteDynamic + i) return false;
        for (size_t j = 0; j < i; ++j)
            for (uint8_t code : row.niffCodes)
                if (code != 0 && std::ranges::find(kDynamics[j].niffCodes, code) != kDynamics[j].niffCodes.end())
                    return false;
    }
    return kDynamics[0].velocity == -50 && kDynamics[kPaletteDynamics - 1].velocity == 10;
}
static_assert(DynamicsHold(), "symbols from 158 in order, each NIFF code once");
static_assert(std::size(kDynamics) == kPaletteDynamics + 2 && kDynamics[kPaletteDynamics].glyph == kCrescendoGlyph);

}  // namespace

std::span<const DynamicSign> DynamicMarks() {
    return kDynamics;
}

const DynamicSign* DynamicOfGlyph(int glyph) {
    const int index = glyph - kFirstPaletteDynamic;
    return index >= 0 && index < static_cast<int>(std::size(kDynamics)) ? &kDynamics[index] : nullptr;
}

const DynamicSign* DynamicOfLetters(std::string_view letters) {
    for (const DynamicSign& row : kDynamics)
        if (row.letters == letters) return &row;
    return nullptr;
}

const DynamicSign* DynamicOfNiffCode(int code) {
    if (code <= 0) return nullptr;
    for (const DynamicSign& row : kDynamics)
        if (std::ranges::find(row.niffCodes, code) != row.niffCodes.end()) return &row;
    return nullptr;
}

}  // namespace ql
