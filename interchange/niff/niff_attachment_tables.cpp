// The tables of a NIFF import's note marks and dynamics: articulations and
// ornaments by code, dynamics with their velocity changes, and accidentals by
// shape; each written once and checked when compiled.
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

constexpr NiffDynamicRow kDynamicRows[] = {
    {1, -50, 158, false}, {2, -40, 159, false}, {3, -30, 160, false}, {4, -20, 161, false},
    {5, -10, 162, false}, {6, 10, 172, false},  {7, 20, 171, false},  {8, 30, 170, false},
    {9, 40, 169, false},  {10, 50, 168, false}, {12, 0, 165, false},  {14, 0, 166, false},
    {15, 0, 163, false},  {16, 0, 173, true},   {17, 0, 173, true},   {18, 0, 174, true},
    {19, 0, 174, true},
};

// Sorted codes; the velocity changes step by ten from -50 to +50 over codes 1..10
// (soft to loud), and only the changes of loudness (16..19) switch the action off.
constexpr bool DynamicRowsHold() {
    for (size_t i = 0; i < std::size(kDynamicRows); ++i) {
        const NiffDynamicRow& row = kDynamicRows[i];
        if (i > 0 && kDynamicRows[i - 1].code >= row.code) return false;
        if (row.code <= 10 && row.velocity != (row.code <= 5 ? row.code * 10 - 60 : row.code * 10 - 50))
            return false;
        if (row.code > 10 && row.velocity != 0) return false;
        if (row.actionOff != (row.code >= 16)) return false;
    }
    return true;
}
static_assert(DynamicRowsHold(), "sorted dynamics, velocities by tens, action off for 16..19");

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
    for (const NiffDynamicRow& row : kDynamicRows)
        if (row.code == code) return &row;
    return nullptr;
}

int NiffAccidentalCodeOf(int shape) {
    return shape >= 0 && shape < static_cast<int>(std::size(kAccidentalOfShape)) ? kAccidentalOfShape[shape] : 0;
}

}  // namespace ql::niff
