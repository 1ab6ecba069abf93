// What the MIDI layer has to tell the user (midi::AddNotice), shown on the
// user-interface thread: a box notice (nothing will be heard: the synthesizer has
// no sound device or no soundfont) in a message box, a line notice (the
// sequencer is not reachable) in the status bar. The layer may add a notice on any
// thread; it wakes the window watching it, which shows what is waiting.
#pragma once

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

// Posted to the watching window when the layer has added a notice.
constexpr win::Message kMsgMidiNotices = win::PrivateMessage(0x42);

// From now on notices wake `window` (null: nothing is woken); notices already
// waiting wake it at once.
void WatchMidiNotices(platform::WindowHandle window);
// Shows every notice waiting, oldest first.
void ShowMidiNotices();

}  // namespace ql
