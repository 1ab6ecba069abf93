// The ten floating tool palettes as windows: window class "Palette", one
// owner-drawn button per tool on the palette's grid, a click making the button
// current and arming its tool, re-shaping by a border drag, moving together, and
// their places kept between runs.
#pragma once

#include <cstdint>
#include <optional>

#include "editing/palette_layout.h"
#include "platform/gfx/types.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

constexpr char kPaletteClass[] = "Palette";
constexpr uint32_t kPaletteTooltipDelayMs = 300;
// The frame command a right click on the Main palette posts: the Main palette
// swapped for its toolbar band.
constexpr int32_t kMainPaletteBandCommand = 3062;

// The buttons' background colours, normal and pressed: faces are light ink ORed
// onto them.
constexpr gfx::Colour kPaletteButtonColour = gfx::Rgb(84, 84, 84);
constexpr gfx::Colour kPressedPaletteButtonColour = gfx::Rgb(28, 92, 168);

// Creates the palettes (hidden) owned by frame, each placed from its saved
// position; false when a window could not be made (those made are destroyed).
bool CreateToolPalettes(platform::WindowHandle frame);
// Gives every palette window its title in the language now chosen.
void RetitleToolPalettes();
// Writes every palette's place and shape and destroys the windows.
void DestroyToolPalettes();
// The place and shape of a palette now (null when the palettes do not exist).
std::optional<PalettePosition> PalettePlace(int palette);
void SaveToolPalettePositions();

platform::WindowHandle PaletteWindow(int palette);
platform::WindowHandle PaletteButton(int palette, int index);
int PaletteCurrentButton(int palette);  // -1 when the palettes do not exist
int PaletteButtonSize();                // 36, or 24 with small palettes
// Small palettes with 24 (any other size gives 36): every palette's buttons take the
// faces of that size and its window shrinks or grows to its grid.
void SetPaletteButtonSize(int size);
platform::WindowHandle PaletteTooltipWindow();  // the buttons' one tooltip window

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

// Shows a pop-up palette (Heads, Accents, Ornaments, Dynamics) at its place; it
// hides itself after a choice until the user moves it.
void OpenLinkedPalette(int palette);
// Shows again, where they stood, the palettes a right click hid (the palettes the
// frame shows with a score, not the pop-ups): each stays shown after a choice, as
// before the click.
void ShowHiddenPalettes();
// Shows a palette with its centre on the screen pointer (kept on screen) as a
// pop-up: it hides itself again after a choice.
void PopUpPaletteAtPointer(int palette);
// The frame was activated (true) or lost activation (false). A pop-up opened for one
// choice closes when the user goes back to the frame without making it; losing
// activation (to the pop-up itself, or to another program) leaves it open. A pop-up
// the user moved stays. Palettes still at their default places (nothing saved, not
// moved by the user) take those for the window manager's frame known now, as
// ShowAllPalettes does.
void TellFlyoutOfFrameActivation(bool active);
// Paints a palette's buttons again (all, or one) after their faces changed.
void RedrawPalette(int palette);
void RedrawPaletteButton(int palette, int index);

// The Main palette's tools in the frame's bar: its floating window is hidden and
// stays hidden when the palettes are shown; false floats it again.
void SetMainPaletteInBand(bool inBand);
bool MainPaletteInBand();

// The keyboard's press of a button, SelectToolButtonByKey, is in
// core/ui/tool_services.h.

}  // namespace ql
