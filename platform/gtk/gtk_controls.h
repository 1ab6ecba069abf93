// Controls as GTK widgets: buttons, check boxes and radio buttons, group boxes,
// edits, statics, scroll bars, up-downs, combo boxes, list boxes, progress bars
// and the status bar with its parts. The model (ui/controls.h) keeps each
// control's state; the widget shows it, refreshed whenever the loop waits, and
// the user's actions on a widget reach the model as the headless layer's
// actions do: a button click is posted as the button's LeftButtonUp, typing in
// an edit sets its text and notifies the parent (an edit with a procedure of its
// own gets typed text from an input method and pastes as messages instead), a choice in a combo or list
// selects the item and notifies. Owner-drawn buttons are drawn windows.
#pragma once

#include "platform/gtk/gtk_window_backend.h"

namespace ql::gtk {

ControlPeers MakeControlPeers();

// The style class of every control's widget (the compact style of dialogs).
inline constexpr char kControlStyleClass[] = "ql-control";

}  // namespace ql::gtk
