// Pressing a palette button from the program rather than by a click.
#include "core/state.h"
#include "editing/tools.h"

namespace ql {

namespace {
constexpr int kNotesPaletteSet = 2;  // Main, Staff Tools, Notes, ...
}  // namespace

// provisional: the palette windows are not built yet, so there is no button to
// redraw; a press on the Notes palette selects its entry, which is what note entry
// reads. Presses on other palettes change nothing until their windows exist.
void DrawToolButtonPressed(ScoreView* /*view*/, int palette, int button) {
    if (palette != kNotesPaletteSet || button < 0 || button >= kNotePaletteEntries) return;
    State().notes.NoteTools.selectedEntry = static_cast<uint16_t>(button);
}

}  // namespace ql
