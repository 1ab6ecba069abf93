// "Select Symbol" (dialog 892): picking one character of a quick font (or of the
// object's own face) for a single-symbol text object. The 256 codes are shown as two
// pages of a 16 x 8 grid, 0..127 and 128..255; the code typed in its edit chooses the
// page. The last symbol picked (code, slot, own-font flag, charset) is where a new
// symbol starts. A quick font is chosen in the combo; an own face ("WinFont", which
// starts from the quick font's face) is shown by name and character set, and its
// "Select Font..." runs the font chooser and takes its face and charset. "QuickFont"
// goes back to the music symbols' slot.
#pragma once

#include <cstdint>

#include "core/text/text_object.h"

namespace ql {

struct ScoreView;

constexpr int kSymbolGridColumns = 16;
constexpr int kSymbolGridRows = 8;
constexpr int kSymbolPageCodes = kSymbolGridColumns * kSymbolGridRows;
constexpr int kLastSymbolCode = 255;
constexpr uint32_t kSelectSymbolHelpContext = 1337;

// The code under a point of the grid: page base + row x 16 + column, the column
// x / (width / 16) and the row y / (height / 8) (each divisor at least 1), clamped
// into the grid.
int SymbolAtGridPoint(int x, int y, int width, int height, int pageBase);
// 0 for codes 0..127, 128 for 128..255.
int SymbolPageBase(int code);
// A typed code: the code itself when it is 0..255, else the old one.
int TypedSymbolCode(int typed, int old);
// The page step (direction > 0: up to 128..255): the code moves by 128 into the other
// page; nothing when already on that page.
int SymbolCodeAfterPageStep(int code, int direction);

// Runs the picker on a text body (a copy the caller owns): 1 on OK, the body then
// holding the code, its font and cleared own-string flag; 2 on Cancel.
int RunSelectSymbolDialog(ScoreView* view, TextObjectBody* body);

}  // namespace ql
