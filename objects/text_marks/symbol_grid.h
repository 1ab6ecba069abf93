// The character grid of "Select Symbol": a window of its own class showing the 128
// codes of one page (0..127 or 128..255, the page of the selected code) as 16 columns
// by 8 rows in the face being chosen from, the selected code's cell inverted. A click
// reports the code under the pointer to the grid's owner. The preview beside it,
// a window of its own class sharing the grid's state, shows the selected character
// as high as the window.
#pragma once

#include <functional>
#include <string>

#include "platform/handles.h"

namespace ql {

// What the grid shows. Owned by the dialog that attaches it; it must outlive the
// grid window (the dialog's lifetime).
struct SymbolGridState {
    std::function<void(int code)> picked;  // a click: the code under the pointer
    int code = 0;                          // the selected code; its page is shown
    std::string face;                      // the face drawn in
    uint8_t charset = 0;
};

// Registers the grid's and the preview's window classes in the current window layer
// (once); false when they cannot be registered.
bool EnsureSymbolGridClass();
// Gives a grid or preview window its state and draws it again.
void AttachSymbolGrid(platform::WindowHandle grid, SymbolGridState* state);
// Draws a grid or preview again after its state changed.
void RefreshSymbolGrid(platform::WindowHandle grid);

}  // namespace ql
