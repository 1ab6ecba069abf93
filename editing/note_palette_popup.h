// The Notes palette popped up under the pointer by a right click with the Notes or
// the articulation tool, so that a value is chosen where the user is working; the
// palette hides itself again after the choice.
#pragma once

namespace ql {

struct ScoreView;

// Shows the Notes palette centred on the pointer as a pop-up.
void PopUpNotePalette();
// Erases the view's note cursor first, so that no XOR ledger lines stay behind
// the palette, then pops the palette up.
void HideCursorAndPopUpNotePalette(ScoreView* view);

}  // namespace ql
