// The Notes palette as a pop-up at the pointer (see note_palette_popup.h).
#include "editing/note_palette_popup.h"

#include "editing/editing_services.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "notes/entry/note_cursor.h"

namespace ql {

void PopUpNotePalette() {
    PopUpPaletteAtPointer(kNotesPalette);
}

void engine::HideCursorAndPopUpNotePalette(ScoreView* view) {
    if (view != nullptr) HideNoteCursor(view);
    PopUpNotePalette();
}

}  // namespace ql
