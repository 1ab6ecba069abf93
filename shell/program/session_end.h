// The program in the desktop session: while any score has unsaved changes it holds
// the session manager's log-out inhibit, and a log-out request asks each score
// window as closing the frame does, without closing the frame. The session's end
// itself closes the program; scores still changed then (a forced end) get their
// autosave copies first.
#pragma once

#include "platform/win/messages.h"

namespace ql {

// The frame's messages, posted from the session link's thread.
constexpr win::Message kSessionQueryMessage = win::PrivateMessage(0x37);
constexpr win::Message kSessionEndMessage = win::PrivateMessage(0x38);
// The frame's timer that brings the inhibit up to date.
constexpr uint32_t kLogoutInhibitTimer = 0x5E55;

// Once the frame exists: connects to the session manager (nothing when there is
// none) and starts the inhibit's timer.
void StartSessionLink();
// At shutdown: gives the inhibit back and leaves the session manager.
void StopSessionLink();

// The frame's handling of its messages and its timer.
void OnSessionQuery();
void OnSessionEnd();
void UpdateLogoutInhibit();

}  // namespace ql
