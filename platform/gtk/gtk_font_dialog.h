// The desktop's font chooser: GtkFontChooserDialog starting from the request's face,
// size, weight and slant. The chooser offers no underline and no character set: the
// answer keeps the request's.
#pragma once

#include "platform/ui/font_dialog.h"

typedef struct _PangoFontDescription PangoFontDescription;

namespace ql::gtk {

// The chooser's description of a font (the caller frees it), and the font a chosen
// description stands for, with underline and charset taken from `initial`.
PangoFontDescription* DescriptionOfFont(const ui::ChosenFont& font);
ui::ChosenFont FontOfDescription(const PangoFontDescription* description, const ui::ChosenFont& initial);

// The backend InstallGtkBackends installs.
ui::FontDialogBackend MakeGtkFontDialogBackend();

}  // namespace ql::gtk
