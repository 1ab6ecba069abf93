// Dialogs built from templates, and the dialog protocol.
// The procedure of a dialog gets InitDialog (word: the first tab-stop control,
// data: the caller's value; answer non-zero to let the layer focus that control),
// Command for button clicks and control notifications (MakeCommandWord(id, code),
// data: the control), HorizontalScroll/VerticalScroll from scroll bars and
// up-downs, Help (HelpInfo), DrawItem for owner-drawn buttons (DrawItemInfo) and
// Close. It answers 0 for messages it does not take. EndDialog ends it with a value.
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/messages.h"

namespace ql::ui {

using platform::WindowHandle;
using win::Message;
using win::WindowProc;

using DialogProc = win::WindowProc;

// The value of a modal dialog whose template is missing (or whose window could
// not be made).
constexpr intptr_t kDialogFailed = -1;

// Builds the dialog, disables the owner while it runs and returns the value given
// to EndDialog. Templates are looked up in the bundles `lookup` names.
intptr_t RunModalDialog(const sys::ResourceId& templateId, WindowHandle owner, DialogProc procedure,
                        intptr_t initData = 0, sys::Lookup lookup = sys::Lookup::LanguageThenProgram);

// The same with a template the layer builds itself (not from the bundles);
// `templateId` names the dialog to the backend and to test scripts.
intptr_t RunModalDialogIndirect(const DialogTemplate& dialogTemplate, const sys::ResourceId& templateId,
                                WindowHandle owner, DialogProc procedure, intptr_t initData = 0);

// A modeless dialog: shown and returned at once; give it to IsDialogMessage from
// the message loop; destroy it with win::DestroyWindow. Null when the template
// is missing.
WindowHandle CreateModelessDialog(const sys::ResourceId& templateId, WindowHandle owner,
                                  DialogProc procedure, intptr_t initData = 0,
                                  sys::Lookup lookup = sys::Lookup::LanguageThenProgram);

// Ends a modal dialog with `result` (the runner returns once the procedure
// returns); hides a modeless one. False when `dialog` is not a dialog.
bool EndDialog(WindowHandle dialog, intptr_t result);
bool IsDialog(WindowHandle window);
// The resource id the dialog was built from (0 for a stale handle).
sys::ResourceId GetDialogTemplateId(WindowHandle dialog);

// Gives the dialog a message meant for it or its controls: Enter presses the
// default button (or OK), Escape presses Cancel, Tab moves the focus; other
// messages to the dialog's windows are dispatched. False when the message is
// for another window.
bool IsDialogMessage(WindowHandle dialog, const win::QueuedMessage& message);

// Moves a dialog (from its InitDialog) so that its vertical centre is at the mouse
// pointer; with `leftAtPointer` its left edge goes to the pointer, else it keeps its x.
void PlaceDialogAtPointer(WindowHandle dialog, bool leftAtPointer);

// The control with this id (direct child of the dialog); null when none.
WindowHandle GetDialogItem(WindowHandle dialog, int32_t id);
// Dialog units to pixels for this dialog's font.
win::Rect MapDialogRect(WindowHandle dialog, win::Rect dialogUnits);
struct DialogBaseUnits {
    int32_t x = 0;  // pixels per 4 horizontal dialog units
    int32_t y = 0;  // pixels per 8 vertical dialog units
};
DialogBaseUnits GetDialogBaseUnits();

}  // namespace ql::ui
