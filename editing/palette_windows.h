// The ten floating tool palettes as windows: window class "Palette", one
// owner-drawn button per tool on the palette's grid, a click making the button
// current and arming its tool, re-shaping by a border drag, moving together, and
// their places kept between runs.
#pragma once

#include <cstdint>
#include <optional>

#include "editing/palette_layout.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

constexpr char kPaletteClass[] = "Palette";

// Creates the palettes (hidden) owned by frame, each placed from its saved
// position; false when a window could not be made (those made are destroyed).
bool CreateToolPalettes(platform::WindowHandle frame);
// Writes every palette's place and shape and destroys the windows.
void DestroyToolPalettes();
// The place and shape of a palette now (null when the palettes do not exist).
std::optional<PalettePosition> PalettePlace(int palette);
void SaveToolPalettePositions();

platform::WindowHandle PaletteWindow(int palette);
platform::WindowHandle PaletteButton(int palette, int index);
int PaletteCurrentButton(int palette);  // -1 when the palettes do not exist
int PaletteButtonSize();                // 36, or 24 with small palettes

// The palette window procedure.
intptr_t PaletteWndProc(platform::WindowHandle window, win::Message message, uint32_t word,
                        intptr_t data);

// Reports the border being grabbed in a sizing drag; the following Size or
// ExitSizeMove re-shapes the palette to the grid.
void BeginPaletteBorderDrag(platform::WindowHandle window, PaletteBorder border);

// Whether a drag re-shapes the grid and whether palettes move together.
struct PaletteOptions {
    bool gridReshape = true;
    bool groupMoves = true;
};
PaletteOptions& PaletteSettings();

// The keyboard's press of a button: as a click, remembered as the view's choice.
void SelectToolButtonByKey(ScoreView* view, int palette, int index);

}  // namespace ql
