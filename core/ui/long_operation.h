// One long operation at a time on the user-interface thread (an import, with the
// transcription it runs): while it runs, the frame, the score windows and the
// palettes are disabled, so nothing can close the score it builds; open requests
// dispatched by its message pump are kept and posted again when it ends; a quit
// taken by the pump is posted again by the progress dialog's end. A second long
// operation asked for meanwhile is refused with a beep.
#pragma once

#include <vector>

#include "platform/win/messages.h"

namespace ql {

class LongOperation {
  public:
    LongOperation();
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    // Another long operation was running: this one must not start.
    bool Refused() const { return refused_; }

  private:
    bool refused_ = false;
    std::vector<platform::WindowHandle> disabled_;  // the windows this scope disabled
};

bool LongOperationRunning();

// Keeps a message to be posted again when the running long operation ends; false
// (nothing kept) when none runs.
bool DeferUntilLongOperationEnds(const win::QueuedMessage& message);

}  // namespace ql
