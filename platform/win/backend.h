// The interface behind which the window layer's backends sit.
// The window model (classes, tree, longs, queue, timers, invalid areas) is common
// to every backend; a backend supplies the clock, waiting for work, input state
// and metrics. The headless backend is the default; callers never see which one
// runs. Installing a backend is done once at start-up, before any window exists.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/win/input.h"
#include "platform/win/keys.h"

namespace ql::win {

// What changed about a window, for a backend that shows windows on a display.
enum class WindowChange : uint8_t {
    Created,
    Destroyed,  // reported before the handle stops resolving
    Shown,
    Hidden,
    Moved,  // position or size
    TextChanged,
    EnabledChanged,
    Invalidated,
    Painted,       // the window's image changed: show it again
    FrameChanged,  // the frame the layer draws (caption, state, insets) changed
    Raised,        // the window went to the top of its siblings
    MenuChanged,   // the menu bar was replaced or asked to be redrawn
    ScrollChanged,  // the range or position of one of its scroll bars changed
};

class Backend {
public:
    virtual ~Backend() = default;
    // The layer's clock in milliseconds.
    virtual uint64_t Now() = 0;
    // Blocks until Wake() is called or the clock reaches `deadline`. A Wake that
    // came before the wait makes it return at once.
    virtual void WaitForWork(std::optional<uint64_t> deadline) = 0;
    // Thread-safe.
    virtual void Wake() = 0;
    virtual bool IsKeyDown(Key key) = 0;
    virtual Point CursorPosition() = 0;
    virtual void SetCursorPosition(Point screen) = 0;
    // Moves the system pointer to a screen point; false when the windowing system
    // does not let the program move it. The logical position is set either way.
    virtual bool WarpPointer(Point screen) {
        SetCursorPosition(screen);
        return false;
    }
    virtual int32_t Metric(SystemMetric metric) = 0;
    // The width a window manager's title bar needs to show the window's title whole
    // (its text and the bar's buttons); 0 where no manager draws one.
    virtual int32_t TitleBarWidth(WindowHandle) { return 0; }
    // Keeps a display in step with the window model; the headless backend has
    // no display and ignores it.
    virtual void WindowChanged(WindowHandle window, WindowChange change) = 0;
    // The current cursor changed (null: none set); a display shows it over the
    // window under the pointer.
    virtual void CursorChanged(CursorHandle) {}
};

// The installed backend (the headless one unless another was installed).
// User-interface thread only.
Backend& CurrentBackend();
// Wakes the installed backend. Thread-safe, also while the backend is replaced.
void WakeCurrentBackend();
// Replaces the backend; null restores a fresh headless backend.
void InstallBackend(std::unique_ptr<Backend> backend);

}  // namespace ql::win
