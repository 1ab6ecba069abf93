// Message ids and parameter packing of the window layer.
// A window procedure receives (window, message, word, data): `word` is a 32-bit
// integer and `data` a pointer-sized one. Where a message carries a record (create,
// help, owner-draw), `data` points at a typed payload that lives for the call.
// Ids from kPrivateMessageBase (0x8000) up are the program's own messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql::win {

using platform::CursorHandle;
using platform::MenuHandle;
using platform::WindowHandle;
using gfx::Point;
using gfx::Rect;
using gfx::Size;

enum class Message : uint32_t {
    Null = 0,
    Create = 1,           // data: const CreateInfo*; return -1 to refuse creation
    Destroy = 2,          // sent before the window's children are destroyed
    Close = 3,            // default: destroy the window
    Quit = 4,             // only ever fetched from the queue; word: exit code
    Paint = 5,            // the window has an invalid area; call BeginPaint/EndPaint
    EraseBackground = 6,  // data: DcHandle bits of the paint context
    Size = 7,             // data: PackPoint of the new client width and height
    Move = 8,             // data: PackPoint of the new top-left (parent's client)
    Show = 9,             // word: 1 shown, 0 hidden
    Enable = 10,          // word: 1 enabled, 0 disabled
    Activate = 11,        // word: ActivateState; data: the other window's bits
    SetFocus = 12,        // data: bits of the window that lost the focus
    KillFocus = 13,       // data: bits of the window that gains the focus
    CaptureChanged = 14,  // data: bits of the window that takes the capture
    SetCursor = 15,       // word: hit area; return non-zero when the cursor was set
    Command = 20,         // word: MakeCommandWord(id, code); data: control bits or 0
    Notify = 21,          // word: control id; data: control-specific record
    Timer = 22,           // word: timer id
    HorizontalScroll = 23,  // word: MakeScrollWord(code, position); data: control bits
    VerticalScroll = 24,    // as HorizontalScroll
    ContextMenu = 25,       // data: PackPoint of the pointer (screen)
    InitMenu = 26,          // data: MenuHandle bits of the menu bar
    InitMenuPopup = 27,     // data: MenuHandle bits of the popup
    DropFiles = 28,         // data: const DroppedFiles*
    MdiActivate = 29,       // word: bits of the document child losing activation;
                            // data: bits of the one gaining it (either may be 0)
    ParentNotify = 30,      // a button pressed on a child that reports its presses:
                            // word: LeftButtonDown or RightButtonDown; data: the child's bits
    SystemCommand = 31,     // a command of the window menu or its keys: word: SystemCommandCode;
                            // default: Close sends Close, the others do nothing
    InputLanguageChange = 32,  // the keyboard's input language changed: word: character
                               // set; data: keyboard layout (0 unknown); default: to every child
    InputMethodResult = 33,  // text the input method composed for the focused window: data:
                             // const std::u16string*; default: nothing
    Paste = 34,              // paste into an edit: data: const std::string* of the desktop's
                             // clipboard text (UTF-8), or 0 for the program's own; answer
                             // non-zero when handled, else the desktop pastes
    DisplayChange = 35,      // the monitors changed (their number, size or resolution):
                             // sent to every top-level window; default: nothing
    KeyDown = 40,           // word: Key; data: repeat count
    KeyUp = 41,             // word: Key
    Char = 42,              // word: character code
    SystemKeyDown = 43,     // a key pressed with Alt held; word: Key
    SystemKeyUp = 44,
    MouseMove = 50,           // word: MouseFlags; data: PackPoint (client)
    LeftButtonDown = 51,      // as MouseMove
    LeftButtonUp = 52,
    LeftButtonDoubleClick = 53,
    RightButtonDown = 54,
    RightButtonUp = 55,
    RightButtonDoubleClick = 56,
    MiddleButtonDown = 57,
    MiddleButtonUp = 58,
    MouseWheel = 59,  // word: MouseFlags | (signed delta << 16); data: PackPoint (screen)
    MouseLeave = 60,  // the pointer left the window's client area; default: nothing
    InitDialog = 70,  // word: bits of the control given the focus; data: the caller's value
    Help = 71,        // data: const HelpInfo*
    DrawItem = 72,    // data: const DrawItemInfo*; return 1 when drawn
    User = 0x0400,    // first id of class-private messages (controls use these)
};

// The commands of SystemCommand.
enum class SystemCommandCode : uint32_t {
    Minimize = 0xF020,
    Maximize = 0xF030,
    Close = 0xF060,
    KeyMenu = 0xF100,  // an Alt key combination for the menu bar; data: its character
    Restore = 0xF120,
};
// The character set an input language change names when the desktop names none.
constexpr uint32_t kDefaultCharset = 1;

// First id of the program's private messages; the program numbers up from here.
constexpr uint32_t kPrivateMessageBase = 0x8000;
constexpr Message PrivateMessage(uint32_t offset) {
    return static_cast<Message>(kPrivateMessageBase + offset);
}
constexpr uint32_t ToRaw(Message m) { return static_cast<uint32_t>(m); }

// The signature of window procedures (and of dialog procedures, see ui/dialog.h).
using WindowProc = std::function<intptr_t(WindowHandle, Message, uint32_t word, intptr_t data)>;

// A message taken from the queue.
struct QueuedMessage {
    WindowHandle window;  // null for messages to the thread (Quit)
    Message message = Message::Null;
    uint32_t word = 0;
    intptr_t data = 0;
};

// Command words: the control or menu id in the low 16 bits, the notification
// code in the high 16 bits (0 for menus and buttons clicked, 1 for accelerators).
constexpr uint32_t MakeCommandWord(uint32_t id, uint32_t code) {
    return (id & 0xFFFFu) | ((code & 0xFFFFu) << 16);
}
constexpr uint32_t CommandId(uint32_t word) { return word & 0xFFFFu; }
constexpr uint32_t CommandCode(uint32_t word) { return word >> 16; }
constexpr uint32_t kCommandFromAccelerator = 1;

// Scroll codes of HorizontalScroll/VerticalScroll. For an up-down control, LineUp
// means its up arrow (position + 1) and LineDown its down arrow (position - 1);
// the high 16 bits then carry the new position.
enum class ScrollCode : uint16_t {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
    EndScroll = 8,
};
constexpr uint32_t MakeScrollWord(ScrollCode code, int32_t position) {
    return static_cast<uint32_t>(code) | (static_cast<uint32_t>(position & 0xFFFF) << 16);
}
constexpr ScrollCode ScrollCodeOf(uint32_t word) { return static_cast<ScrollCode>(word & 0xFFFFu); }
constexpr int32_t ScrollPositionOf(uint32_t word) { return static_cast<int16_t>(word >> 16); }

// Points in `data`: x in the low 16 bits, y in the next 16, both signed.
constexpr intptr_t PackPoint(Point p) {
    return static_cast<intptr_t>((static_cast<uint32_t>(p.y) << 16) | (static_cast<uint32_t>(p.x) & 0xFFFFu));
}
constexpr Point UnpackPoint(intptr_t data) {
    auto bits = static_cast<uint32_t>(data);
    return Point{static_cast<int16_t>(bits & 0xFFFFu), static_cast<int16_t>(bits >> 16)};
}

// Handles passed in `data`.
constexpr intptr_t HandleData(WindowHandle h) { return static_cast<intptr_t>(h.bits); }
constexpr WindowHandle WindowFromData(intptr_t data) {
    return WindowHandle{static_cast<uint32_t>(data)};
}

// Mouse flags in the word of mouse messages.
constexpr uint32_t kMouseLeftButton = 0x0001;
constexpr uint32_t kMouseRightButton = 0x0002;
constexpr uint32_t kMouseShift = 0x0004;
constexpr uint32_t kMouseControl = 0x0008;
constexpr uint32_t kMouseMiddleButton = 0x0010;

enum class ActivateState : uint32_t { Inactive = 0, Active = 1, ClickActive = 2 };

// Payload of Create.
struct CreateInfo {
    intptr_t createData = 0;  // the value given to CreateWindow
    WindowHandle parent;
    uint32_t style = 0;
    uint32_t extendedStyle = 0;
    Rect rect;  // in the parent's client coordinates (screen for top-level windows)
    int32_t id = 0;
};

// Payload of Help.
enum class HelpContextKind : uint32_t { Window = 1, MenuItem = 2 };
struct HelpInfo {
    HelpContextKind kind = HelpContextKind::Window;
    int32_t controlId = -1;  // -1 when the request names no control
    WindowHandle window;     // the control (or menu owner) the request is about
    uint32_t contextId = 0;
    Point mouse;             // screen coordinates at the time of the request
};

// Payload of DrawItem (owner-drawn buttons).
enum class DrawAction : uint32_t { DrawEntire = 1, Select = 2, Focus = 4 };
constexpr uint32_t kItemStateSelected = 0x0001;
constexpr uint32_t kItemStateGrayed = 0x0002;
constexpr uint32_t kItemStateDisabled = 0x0004;
constexpr uint32_t kItemStateChecked = 0x0008;
constexpr uint32_t kItemStateFocus = 0x0010;
struct DrawItemInfo {
    int32_t controlId = 0;
    DrawAction action = DrawAction::DrawEntire;
    uint32_t state = 0;  // kItemState* bits
    WindowHandle control;
    platform::DcHandle dc;  // a context on the control's own image
    Rect rect;              // the control's client rectangle
};

// Payload of DropFiles.
struct DroppedFiles {
    std::vector<std::string> paths;
    Point point;  // client coordinates of the drop
};

}  // namespace ql::win
