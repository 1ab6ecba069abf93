// "Set Image" (dialog 862), the attribute dialog of every text object: text or single
// symbol, the text, and the font panel (one of the document's quick fonts, or an own
// face with its height, bold, italic and underline). It works on a copy of the body;
// OK writes the copy back only when the stored form or the text changed, otherwise
// it ends as Cancel and the document is left alone. "Select Symbol" runs the symbol
// picker on the copy. The panel's "Select" button needs the platform's font chooser,
// which is not there yet: it stays disabled.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreObject;
struct ScoreView;

constexpr uint32_t kSetImageHelpContext = 1320;

// Runs the dialog on a text object: 1 when OK changed it, 0 otherwise.
int OpenTextPropertiesDialog(ScoreObject* object, ScoreView* view);

}  // namespace ql
