// The font panel of "Set Image" (862) and "Select Font" (846), working on a text body:
// a quick font (only the combo of the document's 24 names is enabled) or an own face
// with its height in 160ths, bold, italic and underline. Switching to an own face
// starts from the quick font shown. The "Select" button needs the platform's font
// chooser, which is not there yet: it stays disabled.
#pragma once

#include <cstdint>

#include "core/text/text_object.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;

struct FontPanel {
    ScoreView* view = nullptr;
    TextObjectBody* body = nullptr;  // the dialog's copy
    bool filling = false;            // the panel is writing its controls
};

// Fills the combo with the quick-font names and shows the body's font.
void OpenFontPanel(platform::WindowHandle dialog, FontPanel& panel);
void ShowFontPanel(platform::WindowHandle dialog, FontPanel& panel);
// A command of one of the panel's controls; false when the id is not the panel's.
bool HandleFontPanelCommand(platform::WindowHandle dialog, FontPanel& panel, int id, uint32_t code);
// The panel's values made valid on OK: a quick slot of 24 or more becomes 0, an own
// face index of 32 or more becomes 0.
void ApplyFontPanel(TextObjectBody& body);

}  // namespace ql
