// What each palette button shows: its face (the bitmap id and image of the tool
// faces, which for the Notes palette follow its note or rest mode) and its tooltip
// text, by palette and button index, as the buttons' tool records give them.
#pragma once

#include <cstdint>

namespace ql {

struct ToolFace {
    uint16_t bitmapId = 0;  // 0: no face
    uint8_t imageIndex = 0;
};

// The face a palette's button shows now; no face for an index outside the palette.
ToolFace PaletteButtonFace(int palette, int index);

// The button's tooltip text; empty when it has none.
const char* PaletteButtonTooltip(int palette, int index);

}  // namespace ql
