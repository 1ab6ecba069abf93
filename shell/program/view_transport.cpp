// The transport flags the score windows filter their input by.
#include "shell/program/view_transport.h"

#include "core/model/view.h"
#include "shell/command/toolbar_buttons.h"

namespace ql {

TransportFlags& Transport() {
    static TransportFlags flags;
    return flags;
}

bool TransportBusy() {
    return Transport().started != 0 || Transport().recording != 0;
}

void OnTransportRunEnded() {
    TransportFlags& t = Transport();
    t.started = 0;
    t.stopPending = 0;
    t.recording = 0;
    t.playingView = nullptr;
    ReleaseTransportButtons(GetActiveScoreView());
}

}  // namespace ql
