// The font panel of "Set Image" (862) and "Select Font" (846), working on a text body:
// a quick font (only the combo of the document's 24 names is enabled) or an own face
// with its height in 160ths, bold, italic and underline. Switching to an own face
// starts from the quick font shown; "Select" (own face only) runs the font chooser,
// whose face is entered in the document's face-name table only on OK.
#pragma once

#include <cstdint>
#include <string>

#include "core/text/text_object.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;

struct FontPanel {
    ScoreView* view = nullptr;
    TextObjectBody* body = nullptr;  // the dialog's copy
    bool filling = false;            // the panel is writing its controls
    std::string face;                // an own face chosen, not yet in the face-name table
};

// Fills the combo with the quick-font names and shows the body's font.
void OpenFontPanel(platform::WindowHandle dialog, FontPanel& panel);
void ShowFontPanel(platform::WindowHandle dialog, FontPanel& panel);
// A command of one of the panel's controls; false when the id is not the panel's.
bool HandleFontPanelCommand(platform::WindowHandle dialog, FontPanel& panel, int id, uint32_t code);
// The panel's values made valid on OK: a quick slot of 24 or more becomes 0; a face
// chosen in the chooser takes its index in the face-name table, and an own face index
// of 32 or more (or a full table) becomes 0.
void ApplyFontPanel(FontPanel& panel);

}  // namespace ql
