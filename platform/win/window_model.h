// The window layer's own state, shared by its source files: the class registry,
// the table of windows with their records, the top-level order, timers, focus,
// capture, caret and cursors. User-interface thread only (the posted-message
// queue, which other threads touch, is in message_queue.h).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql::win::detail {

// Window longs are addressed in 4-byte steps of the class's extra bytes; each
// step holds one pointer-sized slot.
constexpr int32_t kBytesPerLong = 4;

struct WindowRecord {
    std::string className;  // as registered
    std::shared_ptr<const WindowProc> procedure;
    bool ownProcedure = false;  // set by SetWindowProcedure in place of the class's
    uint32_t classStyle = 0;
    CursorHandle classCursor;
    platform::BrushHandle background;
    WindowHandle parent;
    WindowHandle owner;
    std::vector<WindowHandle> children;  // creation order
    uint32_t style = 0;
    uint32_t extendedStyle = 0;
    Rect rect;  // parent's client coordinates, or screen for top-level windows
    // Widths of the frame the layer draws around the client area (left, top, right,
    // bottom): the caption, borders and scroll bars of a document child window.
    // Zero for every other window, whose client area is the whole window.
    Rect frameInsets;
    std::string text;
    int32_t id = 0;
    MenuHandle menu;
    std::vector<intptr_t> longs;  // one per 4 extra bytes
    bool destroying = false;
    Rect invalid;  // bounding rectangle of the invalid area; empty when valid
    // Counts the invalidations that added to the area, so that the end of a Paint
    // can tell whether its handler asked for more (64 bits: it never wraps).
    uint64_t invalidations = 0;
    bool eraseRequested = false;
    platform::BitmapHandle image;  // made on first paint or context request
    // Window and paint contexts handed out on the image and not yet given back;
    // they end with the window, so the image can always be freed.
    std::vector<platform::DcHandle> contexts;
    ScrollState scroll[3];
    std::unique_ptr<WindowExtension> extension;
};

struct TimerRecord {
    WindowHandle window;
    uint32_t id = 0;
    uint32_t period = 0;
    uint64_t due = 0;
    uint64_t serial = 0;  // orders timers due at the same moment
};

struct CursorRecord {
    int32_t resourceId = 0;
    bool system = false;
};

struct WindowModel {
    std::map<std::string, WindowClass> classes;  // key: lower-cased name
    platform::HandleTable<platform::ObjectKind::Window, WindowRecord> windows;
    std::vector<WindowHandle> topLevel;  // creation order
    std::vector<TimerRecord> timers;
    uint64_t timerSerial = 0;
    WindowHandle focus;
    WindowHandle active;  // the active top-level window
    WindowHandle capture;
    CaretState caret;
    int caretHideCount = 0;
    platform::HandleTable<platform::ObjectKind::Cursor, CursorRecord> cursors;
    std::map<std::pair<bool, int32_t>, CursorHandle> loadedCursors;  // (system, id)
    CursorHandle currentCursor;
};

WindowModel& Model();
// Drops the model without sending messages; the next Model() call starts afresh.
void ResetModel();

WindowRecord* FindWindow(WindowHandle window);
// Ends the contexts still open on the window's image, then frees the image.
void ReleaseWindowImage(WindowRecord& record);
// The client area's size: the window less its frame insets, never negative.
Size ClientSize(const WindowRecord& record);
// Moves the window and sets its frame insets at once: Move and Size (of the
// client area) are sent, and the window repainted, as MoveWindow does.
bool PlaceWindow(WindowHandle window, Rect rect, Rect frameInsets, bool repaint);
std::string LowerCase(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace ql::win::detail
