// "Select Font" (dialog 846): the font panel on a copy of a text body, with "Save
// Preferences"; and the choice of the document's default fonts for new text lines and
// new lyrics ("Select Textline Font...", "Select Lyric Font..."), written to the
// settings ("DefTexlineFont", "DefLyricFont") when "Save Preferences" is checked.
#pragma once

#include "core/text/text_object.h"
#include "objects/quick_fonts/text_fonts.h"

namespace ql {

struct ScoreView;

constexpr uint32_t kSelectFontHelpContext = 1548;

// Runs dialog 846 on `body` (written back on OK only): 1 on OK, 2 on Cancel;
// `savePreferences` takes the check box's state on OK.
int RunSelectFontDialog(ScoreView* view, TextObjectBody* body, bool* savePreferences);

// The default font of new text lines or lyrics, chosen in dialog 846 when `ask`
// (Cancel: 0, nothing changed), then kept in the document and the preferences and its
// entry font made at the view's zoom. 1 when done.
int SelectDefaultTextFont(ScoreView* view, DefaultTextFont which, bool ask);

// "Choose Font": dialog 846 on the Text tool's style (a quick font, or an own face
// with its height, attributes and charset); OK makes the choice the tool's style,
// which the Text tool then gives the text it edits. 1 on OK, 0 on Cancel.
int SelectTextFontCommand(ScoreView* view);

}  // namespace ql
