// The wait cursor shown while a long operation runs (loading, saving, formatting,
// printing, copying a picture, reading and writing other formats): one scope shows
// it and puts back the cursor that was in force, on every way out of the scope.
#pragma once

#include "platform/handles.h"

namespace ql {

class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    platform::CursorHandle previous_;
};

}  // namespace ql
