// The frame's main bar: a band container of up to eleven bands, each a toolbar of
// our own buttons, except band 1006, which holds the Main palette's tools. Made at
// start-up from the saved layout ("RBand%d"), the first-run layout when none was
// ever saved, or the fallback order when none can be read; bands shown or hidden
// by their settings; rebuilt after a change of button size or labels, keeping the
// bands' order and widths; its layout written back at exit.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "shell/rebar/band_table.h"

namespace ql {

constexpr int32_t kMainRebarId = 1000;
// CreateMainRebar's flags: bit 0 makes the bar vertical.
constexpr uint32_t kRebarVertical = 0x1;

// The bar, or null after the failure box (the frame then runs without bands).
platform::WindowHandle CreateMainRebar(platform::WindowHandle frame, uint32_t flags);
// The band's toolbar, made once; null after the failure box.
platform::WindowHandle CreateBandToolbar(const BandRecord& band);
// Inserts the band's toolbar at the end with the width and style.
bool InsertBand(const BandRecord& band, int32_t width, uint32_t style);
void ShowBand(int32_t id);
void HideBand(int32_t id);
// Takes the bands' order and widths, makes the bar and its toolbars again (for
// the button size and labels now set) and inserts the bands as they were.
platform::WindowHandle RebuildRebar(platform::WindowHandle frame, uint32_t flags);
// "KeepMainToolBar" on: the Main palette's tools sit in band 1006 and the
// floating palette is put away; off: the band is hidden and the palette floats.
void PlaceMainToolPalette();
// RebuildRebar with the frame and flags the bar was made with.
platform::WindowHandle RebuildMainRebar();
// Command 3062: the Main palette moves between its band and its floating window
// (the choice is stored even while there is no bar). The one thing that moves it.
void SwapMainPaletteBand();
// A band's grip let go beyond the bar's top or bottom edge (the container's code):
// the bar docks at the top or the bottom of the frame.
void DockMainRebar(uint32_t dropCode);
// Writes "FloatMainToolBar", "KeepMainToolBar" and the bands as "RBand%d".
void SaveRebarLayout();
// Sets the bits of every button with the command, on every band.
void SetToolbarButtonState(int32_t command, uint8_t state);

platform::WindowHandle MainRebarWindow();
platform::WindowHandle BandToolbar(int32_t id);
// The bar's thickness for the frame's layout (0 without a bar).
int32_t MainRebarThickness();
// Destroys the bar, its toolbars and the image strips (after SaveRebarLayout).
void DestroyMainRebar();

}  // namespace ql
