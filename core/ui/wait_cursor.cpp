// The wait cursor of long operations.
#include "core/ui/wait_cursor.h"

#include "platform/win/input.h"

namespace ql {

WaitCursor::WaitCursor()
    : previous_(win::SetCursor(win::LoadSystemCursor(win::SystemCursor::Wait))) {}

WaitCursor::~WaitCursor() {
    win::SetCursor(previous_);
}

}  // namespace ql
