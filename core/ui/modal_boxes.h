// The four wrappers through which every message box and modal dialog of the
// program runs. While a box is up the tool palettes ("Palette" windows and their
// buttons) are disabled; when any box ends they are enabled again, even under an
// outer dialog that is still open. ModalDialogBox keeps a stack of the views that
// opened dialogs (GetActiveView) and allows at most eight nested dialogs.
// ModalFlag tells the view's message handling that a box is up: every wrapper
// keeps it, sets it for the box and restores it afterwards.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/model/geometry.h"
#include "platform/sys/resources.h"
#include "platform/ui/dialog.h"

namespace ql {

struct ScoreView;

// Nested dialogs ModalDialogBox allows.
constexpr int32_t kMaxDialogDepth = 8;

// A message box owned by the frame; the button chosen.
int ModalMessageBox(std::string_view text, std::string_view caption, uint32_t style);
// A message box owned by the view's window (palettes untouched); activates the
// view afterwards.
int ViewMessageBox(ScoreView* view, std::string_view text, std::string_view caption,
                   uint32_t style);
// Runs a dialog of the language bundle (the program's own when the language has
// none) owned by the frame, for `view`. Returns the dialog's result, -1 when the
// template is missing everywhere, or 2 (cancel) without showing anything when
// eight dialogs are already open.
intptr_t ModalDialogBox(ScoreView* view, const sys::ResourceId& templateId,
                        ui::DialogProc procedure);
// The same without the view stack and the limit, for dialogs run from the frame.
intptr_t PlainModalDialogBox(const sys::ResourceId& templateId, ui::DialogProc procedure);

// The view for which the topmost ModalDialogBox dialog was opened, when it still
// has a document; null when no such dialog is open. Dialog procedures end with 2
// when this is null.
ScoreView* GetActiveView(platform::WindowHandle dialog);

// Enables or disables every visible "Palette" window and its visible buttons.
void EnablePalettes(bool enable);

// The mouse position in the window's client coordinates, packed as
// (y << 16) | (x & 0xFFFF); the view's pointer point becomes its logical form.
uint32_t CursorToLogical(ScoreView* view, platform::WindowHandle window);

}  // namespace ql
