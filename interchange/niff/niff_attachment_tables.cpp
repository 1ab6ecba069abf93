// The tables of a NIFF import's note marks: articulations and ornaments by code
// and accidentals by shape, each written once and checked when compiled; dynamics
// are read through the program's one table of them.
#include <iterator>

#include "interchange/niff/niff_attachments.h"
#include "notes/articulations/articulation_place.h"

namespace ql::niff {
namespace {

constexpr uint8_t kA = kNiffArticulationRow;
constexpr uint8_t kO = kNiffOrnamentRow;
constexpr NiffMarkRow kMarkRows[] = {
    {0, 143, 138, kA, 1},  {0, 148, 148, kA, 2},  {1, 157, 157, kA, 5},  {1, 156, 156, kA, 6},
    {0, 203, 0, kA, 7},    {0, 216, 217, kA, 8},  {0, 204, 0, kA, 11},   {0, 154, 155, kA, 12},
    {0, 204, 0, kA, 15},   {0, 189, 0, kO, 1},    {0, 190, 0, kO, 2},    {0, 210, 0, kO, 3},
    {0, 210, 0, kO, 4},    {0, 191, 0, kO, 5},    {0, 191, 0, kO, 6},    {0, 188, 0, kO, 7},
    {0, 188, 0, kO, 8},    {0, 188, 0, kO, 9},    {0, 188, 0, kO, 10},   {0, 188, 0, kO, 11},
    {0, 188, 0, kO, 12},
};

// Every glyph is one of the articulation palettes' (so the note's mark can be made
// as the palettes make it), ornaments have no glyph below, and no selector and code
// appear twice (the first row would hide the second).
constexpr bool IsPaletteGlyph(int glyph) {
    return (glyph >= kAccentGlyphBase && glyph < kAccentGlyphBase + kAccentEntries) ||
           (glyph >= kOrnamentGlyphBase && glyph < kOrnamentGlyphBase + kOrnamentEntries);
}
constexpr bool MarkRowsHold() {
    for (size_t a = 0; a < std::size(kMarkRows); ++a) {
        const NiffMarkRow& row = kMarkRows[a];
        if (!IsPaletteGlyph(row.above) || (row.below != 0 && !IsPaletteGlyph(row.below))) return false;
        if (row.selector == kO && (row.below != 0 || row.flip != 0)) return false;
        for (size_t b = a + 1; b < std::size(kMarkRows); ++b)
            if (kMarkRows[b].selector == row.selector && kMarkRows[b].code == row.code) return false;
    }
    return true;
}
static_assert(MarkRowsHold(), "palette glyphs, ornaments above only, each code once per selector");

// The note's accidental code of `acdl` shapes 1..5.
constexpr int kAccidentalOfShape[] = {0, 4, 3, 5, 1, 2};
static_assert(std::size(kAccidentalOfShape) == 6 && kAccidentalOfShape[0] == 0);

}  // namespace

const NiffMarkRow* FindNiffMarkRow(uint8_t selector, int code) {
    for (const NiffMarkRow& row : kMarkRows)
        if (row.selector == selector && row.code == code) return &row;
    return nullptr;
}

const NiffDynamicRow* FindNiffDynamic(int code) {
    return DynamicOfNiffCode(code);
}

int NiffAccidentalCodeOf(int shape) {
    return shape >= 0 && shape < static_cast<int>(std::size(kAccidentalOfShape)) ? kAccidentalOfShape[shape] : 0;
}

}  // namespace ql::niff
