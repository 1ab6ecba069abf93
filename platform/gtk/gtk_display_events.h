// The GTK backend's part of the display events (platform/win/display_events.h): the
// default screen's monitor and size changes, and the loss of the X display, which
// Xlib reports to its I/O error handler just before the process would end.
#pragma once

namespace ql::gtk {

// Connects the screen's signals and, on an X display, the I/O error handler.
void WatchDisplayEvents();

}  // namespace ql::gtk
