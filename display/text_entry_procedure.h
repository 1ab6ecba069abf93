// The window procedure of the one text-entry control at a time: text the input
// method finishes and pasted text go in through the control's character set under
// the 1,023-byte limit (refused with a beep, never cut), a paste is followed by the
// registered notification to the dialog, the input locale follows the control's
// language changes, and a destroyed control gets its own procedure back.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

// Installs TextEntryWindowProc on the dialog's control `id`, remembering the dialog
// and the notification code it is told of after a paste (0: not told), and marks the
// control's text as held in EntryCharset. False when the control is missing or
// another live control has the procedure.
bool SubclassTextEntryControl(platform::WindowHandle dialog, int32_t id, uint32_t notificationCode);
// The control that has the procedure now; null when none.
platform::WindowHandle SubclassedTextEntryControl();

// InputMethodResult: the text through the control's character set at the caret, not
// passed on. Paste: the desktop's clipboard text that comes with it, else the
// program's, converted to the set of the control's font, or without one to the set of
// the clipboard's locale (clipboard_charset.h), and put in selected; a beep when it
// does not fit or is empty;
// then the registered notification is posted to the dialog. InputLanguageChange: the
// input locale is stored, the control's text charset follows it, and the message is
// passed on. Destroy: the control's own
// procedure is put back. Everything else goes to the control's own procedure.
intptr_t TextEntryWindowProc(platform::WindowHandle window, win::Message message, uint32_t word,
                             intptr_t data);

// The character set text typed into an edit is in: its font's, else the input
// locale's.
uint8_t EntryCharset(platform::WindowHandle edit);

}  // namespace ql
