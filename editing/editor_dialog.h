// The one runner of object attribute dialogs from the score editor.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

using EditorDialogProc = intptr_t (*)(platform::WindowHandle dialog, win::Message message,
                                      uint32_t word, intptr_t data);

// Runs a modal dialog with the selection's modal state set; the dialog's result
// (2 = cancelled).
int RunEditorDialog(ScoreView* view, EditorDialogProc procedure, int dialogId);

}  // namespace ql
