// Window classes and windows: the tree of parents, owners and children, styles,
// position and size, visibility, enabled state, captions, ids and window longs.
// Windows belong to the user-interface thread; their handles are 32-bit table ids
// that stop resolving once the window is destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/messages.h"

namespace ql::win {

// Class styles.
constexpr uint32_t kClassVerticalRedraw = 0x0001;    // repaint all when the height changes
constexpr uint32_t kClassHorizontalRedraw = 0x0002;  // repaint all when the width changes
constexpr uint32_t kClassDoubleClicks = 0x0008;      // deliver double-click messages

// Window styles.
constexpr uint32_t kStyleOverlapped = 0x00000000;
constexpr uint32_t kStylePopup = 0x80000000;
constexpr uint32_t kStyleChild = 0x40000000;
constexpr uint32_t kStyleMinimize = 0x20000000;
constexpr uint32_t kStyleVisible = 0x10000000;
constexpr uint32_t kStyleDisabled = 0x08000000;
constexpr uint32_t kStyleClipSiblings = 0x04000000;
constexpr uint32_t kStyleClipChildren = 0x02000000;
constexpr uint32_t kStyleMaximize = 0x01000000;
constexpr uint32_t kStyleCaption = 0x00C00000;
constexpr uint32_t kStyleBorder = 0x00800000;
constexpr uint32_t kStyleVerticalScroll = 0x00200000;
constexpr uint32_t kStyleHorizontalScroll = 0x00100000;
constexpr uint32_t kStyleSystemMenu = 0x00080000;
constexpr uint32_t kStyleThickFrame = 0x00040000;
constexpr uint32_t kStyleGroup = 0x00020000;
constexpr uint32_t kStyleTabStop = 0x00010000;
constexpr uint32_t kStyleOverlappedWindow = kStyleCaption | kStyleSystemMenu | kStyleThickFrame;
// The low 16 bits are the class's own (button kind, edit options, ...).
constexpr uint32_t kStyleClassMask = 0x0000FFFF;

// Extended styles.
constexpr uint32_t kExStyleDialogModalFrame = 0x00000001;
constexpr uint32_t kExStyleTopMost = 0x00000008;
constexpr uint32_t kExStyleAcceptFiles = 0x00000010;
constexpr uint32_t kExStyleToolWindow = 0x00000080;
constexpr uint32_t kExStyleClientEdge = 0x00000200;
// A bare popup that stands at the right end of its owner's menu bar: a backend
// whose menu bar is a widget of its own shows it inside that bar, in its place
// (only its size counts there); elsewhere it is an ordinary popup.
constexpr uint32_t kExStyleMenuBarCompanion = 0x00010000;

// A rectangle whose left is kDefaultPosition is placed and sized by the layer
// (kDefaultWindowRect).
constexpr int32_t kDefaultPosition = INT32_MIN;
constexpr Rect kDefaultWindowRect{0, 0, 640, 480};

struct WindowClass {
    std::string name;  // compared without regard to letter case
    WindowProc procedure;
    uint32_t style = 0;        // kClass*
    int32_t extraBytes = 0;    // window longs: one slot per 4 bytes
    CursorHandle cursor;       // shown over the window; null leaves the cursor alone
    platform::BrushHandle background;  // erases the invalid area; null: not erased
};

// False when the name is empty, already registered, the procedure is empty or
// extraBytes is negative.
bool RegisterWindowClass(const WindowClass& windowClass);
bool UnregisterWindowClass(std::string_view name);
bool IsClassRegistered(std::string_view name);

struct WindowParams {
    std::string className;
    std::string caption;
    uint32_t style = 0;
    uint32_t extendedStyle = 0;
    Rect rect{kDefaultPosition, kDefaultPosition, kDefaultPosition, kDefaultPosition};
    WindowHandle parent;  // for child windows
    WindowHandle owner;   // for top-level windows (popups, dialogs, palettes)
    int32_t id = 0;       // control id of a child window
    MenuHandle menu;      // menu bar of a top-level window
    intptr_t createData = 0;  // handed to the Create message
};

// Sends Create (a -1 answer destroys the window and returns null), then Size and,
// when the style has kStyleVisible, Show. Null when the class is unknown, the parent
// of a child window does not resolve or is being destroyed, or the table is full.
WindowHandle CreateWindow(const WindowParams& params);
// Sends Destroy to the window, then destroys its children and the windows it owns
// (each gets Destroy). Its timers stop, focus and capture leave it, and its
// queued messages are dropped when fetched. False when the handle is stale.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);

// The tree.
WindowHandle GetParent(WindowHandle window);  // null for top-level windows
WindowHandle GetOwner(WindowHandle window);
WindowHandle GetTopLevel(WindowHandle window);  // the window itself when top-level
bool IsChild(WindowHandle parent, WindowHandle window);  // any depth
int32_t GetWindowId(WindowHandle window);
WindowHandle FindChildById(WindowHandle parent, int32_t id);  // direct children
std::string GetClassName(WindowHandle window);
uint32_t GetClassStyle(WindowHandle window);  // kClass* bits of the window's class
bool HasClassName(WindowHandle window, std::string_view name);  // case ignored

// Enumeration, in creation order. An empty class name matches every class.
struct WindowFilter {
    std::string_view className;
    bool visibleOnly = false;
};
std::vector<WindowHandle> TopLevelWindows(const WindowFilter& filter = {});
std::vector<WindowHandle> ChildWindows(WindowHandle parent, const WindowFilter& filter = {});

// Styles. SetStyle writes every bit as given, kStyleVisible and kStyleDisabled
// included, without the messages, repainting and focus changes of ShowWindow and
// EnableWindow (use those to show, hide, enable or disable); returns the
// previous style.
uint32_t GetStyle(WindowHandle window);
uint32_t SetStyle(WindowHandle window, uint32_t style);
uint32_t GetExtendedStyle(WindowHandle window);
uint32_t SetExtendedStyle(WindowHandle window, uint32_t style);

// Text. SetWindowText returns false for a stale handle.
bool SetWindowText(WindowHandle window, std::string_view text);
std::string GetWindowText(WindowHandle window);

// Window longs: `index` is a byte offset into the class's extra bytes, a multiple
// of 4; each slot holds a pointer-sized value (the program keeps its view in
// slot 0). Out-of-range indexes and stale handles read 0 and write nothing.
intptr_t GetWindowLong(WindowHandle window, int32_t index);
intptr_t SetWindowLong(WindowHandle window, int32_t index, intptr_t value);  // returns previous

// Visibility and enabled state. IsWindowVisible is true only when the window and
// all its ancestors are shown.
enum class ShowCommand : uint8_t { Hide = 0, Show = 1, ShowNoActivate = 2, Minimize = 3, Maximize = 4, Restore = 5 };
bool ShowWindow(WindowHandle window, ShowCommand command);  // returns previous visibility
bool IsWindowVisible(WindowHandle window);
bool EnableWindow(WindowHandle window, bool enable);  // returns true when it was disabled
bool IsWindowEnabled(WindowHandle window);

// Geometry. Child rectangles are in the parent's client coordinates; top-level
// ones in screen coordinates. The client area is the whole window less the frame
// (border, caption and menu bar are not drawn by the headless backend, so they
// are zero there).
bool MoveWindow(WindowHandle window, Rect rect, bool repaint);
Rect GetWindowRect(WindowHandle window);  // screen coordinates
Rect GetClientRect(WindowHandle window);  // origin 0,0
Point ClientToScreen(WindowHandle window, Point p);
Point ScreenToClient(WindowHandle window, Point p);

// The menu bar of a top-level window.
MenuHandle GetWindowMenu(WindowHandle window);
bool SetWindowMenu(WindowHandle window, MenuHandle menu);

// Data a module of the layer keeps with a window (a control's state, a dialog's
// procedure): owned by the window and destroyed with it. Not for program code.
class WindowExtension {
public:
    virtual ~WindowExtension() = default;
};
bool SetWindowExtension(WindowHandle window, std::unique_ptr<WindowExtension> extension);
WindowExtension* GetWindowExtension(WindowHandle window);

// A window's own procedure in place of its class's (a control given behaviour of its
// own): returns the procedure it had, empty when the handle is stale or the
// procedure empty (nothing changes then). HasOwnProcedure is true from then on.
WindowProc SetWindowProcedure(WindowHandle window, WindowProc procedure);
bool HasOwnProcedure(WindowHandle window);

// Default handling of messages a procedure does not take: Close destroys the
// window, Paint validates it, SetCursor shows the class cursor; others give 0.
intptr_t DefaultWindowProc(WindowHandle window, Message message, uint32_t word, intptr_t data);

}  // namespace ql::win
