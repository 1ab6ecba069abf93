// Toolbar Options (888) and Palette Options (889). Toolbar Options shows which
// toolbar bands are on, where the main tool palette lives and how the buttons look;
// OK stores every flag under "ToolbarSettings" and tells the band container what
// changed. Palette Options sets moving the palettes together, their button size
// and their colour.
#pragma once

#include <cstdint>

namespace ql {

// What an OK of Toolbar Options changed, for the band container to follow: bands
// shown or hidden, the rebar to build again (button text or size), the main
// palette moved in or out of its band (already done, by the band's swap).
struct ToolbarOptionsChange {
    bool bandsChanged = false;
    bool rebuild = false;
    bool floatChanged = false;
};
using ToolbarOptionsListener = void (*)(const ToolbarOptionsChange& change);
void SetToolbarOptionsListener(ToolbarOptionsListener listener);

// 1 after OK, 2 after Cancel, -1 without a template.
intptr_t RunToolbarOptionsDialog();
// The View menu's small-toolbars item: flips "SmallToolBars", stores it, and has
// the bars made again with the other button size.
void ToggleSmallToolbars();

// The palette colours: black, dark gray, slate, dark blue (0x00BBGGRR).
constexpr uint32_t kPaletteColours[] = {0x000000, 0x808080, 0x808000, 0x800000};
// "PaletteColor" under "Version 2": the chosen palette colour.
uint32_t PaletteColour();

// 1 after OK, 2 after Cancel, -1 without a template.
intptr_t RunPaletteOptionsDialog();

}  // namespace ql
