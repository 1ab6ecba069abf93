// The desktop session's manager, reached over the session bus (its client and
// inhibit interface): the program registers as a client, holds a log-out inhibit
// while it has unsaved work, and hears the manager's request to end the session as
// a question it answers, and the end itself. Without a session bus or a manager
// the link is simply absent and every call does nothing.
#pragma once

#include <functional>
#include <string_view>

namespace ql::sys {

// Called on the link's own thread: they should post to the program's loop and
// return at once.
struct SessionEndRequests {
    std::function<void()> queryEnd;    // may the session end? answer with AnswerSessionEnd
    std::function<void()> endSession;  // the session ends (or the manager asks the client to stop)
};

// Registers the program as `appId` (the desktop file's name, without ".desktop");
// false when no manager answers. A second call first drops the old link.
bool ConnectSessionManager(std::string_view appId, SessionEndRequests requests);
void DisconnectSessionManager();
bool IsSessionManagerConnected();

// The answer to a queryEnd (or the acknowledgement of an endSession): `reason`
// tells the user why the program keeps the session when `ok` is false.
void AnswerSessionEnd(bool ok, std::string_view reason);

// Takes (`on`) or gives back the log-out inhibit, with the reason the manager
// shows; repeated calls with the same state do nothing. True when the state
// asked for is the one held now.
bool SetLogoutInhibit(bool on, std::string_view reason);
bool IsLogoutInhibited();

}  // namespace ql::sys
