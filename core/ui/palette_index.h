// The numbers of the ten tool palettes, in their order of creation; the palettes
// themselves are the editor's (editing/palette_layout.h).
#pragma once

namespace ql {

// The palettes in their order of creation.
enum PaletteIndex : int {
    kMainPalette = 0,
    kStaffToolsPalette = 1,
    kNotesPalette = 2,
    kGraphicsPalette = 3,
    kTextSymbolsPalette = 4,
    kPerformancePalette = 5,
    kDynamicsPalette = 6,
    kHeadsPalette = 7,
    kAccentsPalette = 8,
    kOrnamentsPalette = 9,
};
constexpr int kPaletteCount = 10;

}  // namespace ql
