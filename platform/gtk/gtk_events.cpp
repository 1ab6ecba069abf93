// GTK input turned into the layer's messages, posted as a user's input is:
// pointer buttons (a double click's second press heard once), motion and the
// wheel on a window's drawing area (a press first activates the document child
// holding the window; with the capture set, the messages go to the capturing
// window; the pointer entering or moving there shows the current cursor), keys
// on a top-level window to the focus window (an edit control with the keyboard
// focus keeps its typing), the close box as Close, a top-level window's keyboard
// focus as its activation (a press in a window or the focus coming to it puts the
// tool windows its top-level owns above it again), and a place or a size the user
// gives a top-level window through the window manager as MoveWindow.
#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <iterator>

#include "platform/gtk/gtk_menus.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/ui/controls.h"
#include "platform/win/activation.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::gtk {
namespace {

using win::Key;
using win::Message;

constexpr int32_t kWheelNotch = 120;
constexpr uint32_t kFirstTypedCharacter = 0x20;
constexpr uint32_t kDeleteCharacter = 0x7F;
constexpr uint32_t kLastEightBitCharacter = 0xFF;

WindowHandle WindowOf(gpointer data) { return WindowHandle{GPOINTER_TO_UINT(data)}; }
constexpr char kWindowBitsKey[] = "ql-window";

struct KeyName {
    guint keyval;
    Key key;
};

// Keys with a name of their own; letters, digits, F-keys and the keypad's
// digits are computed.
constexpr KeyName kNamedKeys[] = {
    {GDK_KEY_BackSpace, Key::Backspace}, {GDK_KEY_Tab, Key::Tab},           {GDK_KEY_ISO_Left_Tab, Key::Tab},
    {GDK_KEY_Return, Key::Enter},        {GDK_KEY_KP_Enter, Key::Enter},    {GDK_KEY_Shift_L, Key::Shift},
    {GDK_KEY_Shift_R, Key::Shift},       {GDK_KEY_Control_L, Key::Control}, {GDK_KEY_Control_R, Key::Control},
    {GDK_KEY_Alt_L, Key::Alt},           {GDK_KEY_Alt_R, Key::Alt},         {GDK_KEY_Pause, Key::Pause},
    {GDK_KEY_Caps_Lock, Key::CapsLock},  {GDK_KEY_Escape, Key::Escape},     {GDK_KEY_space, Key::Space},
    {GDK_KEY_Page_Up, Key::PageUp},      {GDK_KEY_Page_Down, Key::PageDown}, {GDK_KEY_End, Key::End},
    {GDK_KEY_Home, Key::Home},           {GDK_KEY_Left, Key::Left},         {GDK_KEY_Up, Key::Up},
    {GDK_KEY_Right, Key::Right},         {GDK_KEY_Down, Key::Down},         {GDK_KEY_Insert, Key::Insert},
    {GDK_KEY_Delete, Key::Delete},       {GDK_KEY_KP_Multiply, Key::Multiply}, {GDK_KEY_KP_Add, Key::Add},
    {GDK_KEY_KP_Subtract, Key::Subtract}, {GDK_KEY_KP_Decimal, Key::Decimal}, {GDK_KEY_KP_Divide, Key::Divide},
    {GDK_KEY_semicolon, Key::Semicolon}, {GDK_KEY_equal, Key::Equals},      {GDK_KEY_comma, Key::Comma},
    {GDK_KEY_minus, Key::Minus},         {GDK_KEY_period, Key::Period},     {GDK_KEY_slash, Key::Slash},
    {GDK_KEY_grave, Key::Backquote},     {GDK_KEY_bracketleft, Key::LeftBracket},
    {GDK_KEY_backslash, Key::Backslash}, {GDK_KEY_bracketright, Key::RightBracket}, {GDK_KEY_apostrophe, Key::Quote},
};

Key KeyOfKeyval(guint keyval) {
    guint upper = gdk_keyval_to_upper(keyval);
    if (upper >= GDK_KEY_A && upper <= GDK_KEY_Z) return win::LetterKey(static_cast<char>('A' + (upper - GDK_KEY_A)));
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return win::DigitKey(static_cast<int>(keyval - GDK_KEY_0));
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return win::FunctionKey(static_cast<int>(keyval - GDK_KEY_F1) + 1);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
        return static_cast<Key>(static_cast<uint32_t>(Key::Numpad0) + (keyval - GDK_KEY_KP_0));
    for (const KeyName& named : kNamedKeys)
        if (named.keyval == keyval) return named.key;
    return Key::None;
}

// The key as the keyboard names it without modifiers ('1' for '!', the letter
// for a shifted letter).
Key KeyOfEvent(const GdkEventKey* event) {
    guint plain = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
    if (gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode, static_cast<GdkModifierType>(0),
                                            event->group, &plain, nullptr, nullptr, nullptr)) {
        Key key = KeyOfKeyval(plain);
        if (key != Key::None) return key;
    }
    return KeyOfKeyval(event->keyval);
}

// A key's printable 8-bit character, or 0.
uint32_t TypedCharacter(guint keyval) {
    gunichar c = gdk_keyval_to_unicode(keyval);
    return c >= kFirstTypedCharacter && c != kDeleteCharacter && c <= kLastEightBitCharacter ? c : 0;
}

// The character a key stroke types, as Char carries it (8-bit; 0 for none).
uint32_t CharacterOf(const GdkEventKey* event, Key key) {
    if (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return 0;
    if (key == Key::Enter || key == Key::Backspace || key == Key::Tab || key == Key::Escape)
        return static_cast<uint32_t>(key);
    return TypedCharacter(event->keyval);
}

// The character an Alt combination types (its key without the Alt), or 0.
uint32_t SystemCharacterOf(const GdkEventKey* event) {
    if (event->state & GDK_CONTROL_MASK) return 0;
    return TypedCharacter(event->keyval);
}

void TrackModifiers(GtkWindowBackend& backend, guint state) {
    backend.SetKeyState(Key::Shift, (state & GDK_SHIFT_MASK) != 0);
    backend.SetKeyState(Key::Control, (state & GDK_CONTROL_MASK) != 0);
    backend.SetKeyState(Key::Alt, (state & GDK_MOD1_MASK) != 0);
}

uint32_t MouseFlags(guint state) {
    uint32_t flags = 0;
    if (state & GDK_BUTTON1_MASK) flags |= win::kMouseLeftButton;
    if (state & GDK_BUTTON3_MASK) flags |= win::kMouseRightButton;
    if (state & GDK_BUTTON2_MASK) flags |= win::kMouseMiddleButton;
    if (state & GDK_SHIFT_MASK) flags |= win::kMouseShift;
    if (state & GDK_CONTROL_MASK) flags |= win::kMouseControl;
    return flags;
}

// The button's own flag, added on press and taken away on release (GDK's state
// is the state before the event).
uint32_t ButtonFlag(guint button) {
    return button == 1 ? win::kMouseLeftButton : button == 3 ? win::kMouseRightButton : win::kMouseMiddleButton;
}

Message PressMessage(guint button, bool doubleClick) {
    if (button == 1) return doubleClick ? Message::LeftButtonDoubleClick : Message::LeftButtonDown;
    if (button == 3) return doubleClick ? Message::RightButtonDoubleClick : Message::RightButtonDown;
    return Message::MiddleButtonDown;
}

Message ReleaseMessage(guint button) {
    if (button == 1) return Message::LeftButtonUp;
    if (button == 3) return Message::RightButtonUp;
    return Message::MiddleButtonUp;
}

// Posts a pointer message for a client point of `window`, redirected to the
// capturing window when there is one.
void PostPointer(WindowHandle window, Message message, uint32_t flags, double x, double y) {
    win::Point client{static_cast<int32_t>(x), static_cast<int32_t>(y)};
    win::Point screen = win::ClientToScreen(window, client);
    if (GtkWindowBackend* backend = CurrentGtkBackend()) backend->SetCursor(screen);
    WindowHandle target = win::GetCapture() ? win::GetCapture() : window;
    win::PostMessage(target, message, flags, win::PackPoint(win::ScreenToClient(target, screen)));
}

// GDK reports the second press of a double click twice: as a plain press and, queued
// right behind it, as the double-click press. The window hears that press once, as
// the double click (or, for a class without double clicks, as a plain press), the
// way a double click reaches a window: down, up, double click, up.
bool IsPressOfDoubleClick(const GdkEventButton* event) {
    if (event->type != GDK_BUTTON_PRESS) return false;
    GdkEvent* next = gdk_event_peek();
    const bool pair = next != nullptr && next->type == GDK_2BUTTON_PRESS && next->button.window == event->window &&
                      next->button.button == event->button;
    if (next != nullptr) gdk_event_free(next);
    return pair;
}

// The modifiers as a pointer event finds them: a modifier released while another
// window had the keyboard (a toolkit dialog, another program) is not held any more.
void TrackPointerModifiers(guint state) {
    if (GtkWindowBackend* backend = CurrentGtkBackend()) TrackModifiers(*backend, state);
}

gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    WindowHandle window = WindowOf(data);
    TrackPointerModifiers(event->state);
    if (event->type == GDK_3BUTTON_PRESS || IsPressOfDoubleClick(event)) return TRUE;
    RememberPopupTrigger(reinterpret_cast<const GdkEvent*>(event));
    bool doubleClick = event->type == GDK_2BUTTON_PRESS;
    if (doubleClick && (win::GetClassStyle(window) & win::kClassDoubleClicks) == 0) doubleClick = false;
    if (!doubleClick) {
        gtk_widget_grab_focus(widget);
        win::ActivateMdiChildOf(window);
        if (GtkWindowBackend* backend = CurrentGtkBackend()) backend->KeepToolWindowsAbove(win::GetTopLevel(window));
    }
    PostPointer(window, PressMessage(event->button, doubleClick), MouseFlags(event->state) | ButtonFlag(event->button),
                event->x, event->y);
    return TRUE;
}

gboolean OnRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
    TrackPointerModifiers(event->state);
    PostPointer(WindowOf(data), ReleaseMessage(event->button), MouseFlags(event->state) & ~ButtonFlag(event->button),
                event->x, event->y);
    return TRUE;
}

// The window under the pointer shows the current cursor.
gboolean OnEnter(GtkWidget*, GdkEventCrossing*, gpointer data) {
    if (GtkWindowBackend* backend = CurrentGtkBackend()) backend->PointerOver(WindowOf(data));
    return FALSE;
}

// The pointer went out of the window (not into a window inside it), or a grab took it.
gboolean OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer data) {
    if (event->detail != GDK_NOTIFY_INFERIOR) win::PostMessage(WindowOf(data), Message::MouseLeave, 0, 0);
    return FALSE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
    TrackPointerModifiers(event->state);
    if (GtkWindowBackend* backend = CurrentGtkBackend()) backend->PointerOver(WindowOf(data));
    PostPointer(WindowOf(data), Message::MouseMove, MouseFlags(event->state), event->x, event->y);
    return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
    WindowHandle window = WindowOf(data);
    double dx = 0, dy = 0;
    int32_t notches = 0;
    if (event->direction == GDK_SCROLL_UP) notches = 1;
    if (event->direction == GDK_SCROLL_DOWN) notches = -1;
    if (event->direction == GDK_SCROLL_SMOOTH && gdk_event_get_scroll_deltas(reinterpret_cast<GdkEvent*>(event), &dx, &dy))
        notches = dy < 0 ? 1 : dy > 0 ? -1 : 0;
    if (notches == 0) return TRUE;
    win::Point screen = win::ClientToScreen(window, win::Point{static_cast<int32_t>(event->x), static_cast<int32_t>(event->y)});
    uint32_t word = MouseFlags(event->state) | (static_cast<uint32_t>(notches * kWheelNotch) << 16);
    win::PostMessage(win::GetFocus() ? win::GetFocus() : window, Message::MouseWheel, word, win::PackPoint(screen));
    return TRUE;
}

// Where keys of a top-level window go: its focus window, else the window.
WindowHandle KeyTarget(WindowHandle topLevel) {
    WindowHandle focus = win::GetFocus();
    return focus && win::GetTopLevel(focus) == topLevel ? focus : topLevel;
}

// An edit control with GTK's keyboard focus (an entry, or the text view of a
// multi-line edit) types and moves its caret for itself; the keys that move
// between controls or end a dialog still reach the layer. Enter is a new line
// in a multi-line edit, so it stays there too. With Ctrl, the keys that move
// the caret or delete by words, and Ctrl+A (select all), stay the edit's as well.
// The function keys are never an edit's: F1 asks the dialog for help.
// GTK's focus may lag behind the layer's (a combo box takes none of GTK's), so
// the layer's focus window must be the edit too.
bool EditKeepsKey(GtkWidget* topLevel, const GdkEventKey* event, Key key) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(topLevel));
    const bool multiLine = focus && GTK_IS_TEXT_VIEW(focus);
    if (!focus || !(GTK_IS_EDITABLE(focus) || multiLine) || win::IsFunctionKey(key)) return false;
    if (multiLine && !ui::IsEditMultiLine(win::GetFocus())) return false;
    if (event->state & GDK_MOD1_MASK) return false;
    if (event->state & GDK_CONTROL_MASK)
        return key == Key::Home || key == Key::End || key == Key::Left || key == Key::Right ||
               key == Key::Backspace || key == Key::Delete || key == win::LetterKey('A');
    if (key == Key::Enter) return multiLine;
    return key != Key::Escape && key != Key::Tab;
}

gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer data) {
    GtkWindowBackend* backend = CurrentGtkBackend();
    if (!backend) return FALSE;
    Key key = KeyOfEvent(event);
    bool down = event->type == GDK_KEY_PRESS;
    TrackModifiers(*backend, event->state);
    if (key == Key::None) return FALSE;
    backend->SetKeyState(key, down);
    if (EditKeepsKey(widget, event, key)) return FALSE;
    WindowHandle target = KeyTarget(WindowOf(data));
    bool alt = backend->IsKeyDown(Key::Alt) && key != Key::Alt;
    Message message = down ? (alt ? Message::SystemKeyDown : Message::KeyDown) : (alt ? Message::SystemKeyUp : Message::KeyUp);
    win::PostMessage(target, message, static_cast<uint32_t>(key), 1);
    if (down)
        if (uint32_t character = CharacterOf(event, key)) win::PostMessage(target, Message::Char, character, 1);
    // An Alt combination that types a character is also the window menu's key
    // command; the menu bar's own mnemonics stay with the toolkit.
    if (down && alt)
        if (uint32_t character = SystemCharacterOf(event))
            win::PostMessage(target, Message::SystemCommand, static_cast<uint32_t>(win::SystemCommandCode::KeyMenu),
                             static_cast<intptr_t>(character));
    // Alt combinations and F10 also open the menu bar's menus.
    return !(alt || key == win::FunctionKey(10));
}

// The keyboard layout changed: the active top-level hears of it, as the focus
// window's input language changing. The desktop names no character set for a
// layout, so the default one is given.
void OnKeysChanged(GdkKeymap*, gpointer outer) {
    if (!gtk_window_is_active(GTK_WINDOW(outer))) return;
    const auto bits = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(outer), kWindowBitsKey));
    win::PostMessage(WindowHandle{bits}, Message::InputLanguageChange, win::kDefaultCharset, 0);
}

// The desktop gave a top-level window the keyboard, or took it away: the window
// becomes the active one, or stops being it (another program's window, or none,
// has it until one of ours reports its focus).
gboolean OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer data) {
    win::SetActiveWindow(WindowOf(data));
    if (GtkWindowBackend* backend = CurrentGtkBackend()) backend->KeepToolWindowsAboveFocused(WindowOf(data));
    return FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer data) {
    if (win::GetActiveWindow() == WindowOf(data)) win::SetActiveWindow(WindowHandle{});
    return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    win::PostMessage(WindowOf(data), Message::Close);
    return TRUE;
}

gboolean OnConfigured(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    if (GtkWindowBackend* backend = CurrentGtkBackend()) backend->TopLevelConfigured(WindowOf(data), event->send_event != 0);
    return FALSE;
}

gboolean OnMapped(GtkWidget*, GdkEvent*, gpointer data) {
    if (GtkWindowBackend* backend = CurrentGtkBackend()) backend->FitMappedTopLevel(WindowOf(data));
    return FALSE;
}

// The client layout of a top-level window got a size: when it is the user's
// (not one the layer asked for and the display has yet to grant), the window
// takes it.
void OnClientAllocated(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    WindowHandle window = WindowOf(data);
    GtkWindowBackend* backend = CurrentGtkBackend();
    Peer* peer = backend ? backend->FindPeer(window) : nullptr;
    if (!peer || peer->syncing) return;
    win::Rect client = win::GetClientRect(window);
    if (allocation->width == client.Width() && allocation->height == client.Height()) {
        peer->awaitingSize = false;
        return;
    }
    if (peer->awaitingSize) return;
    win::Rect rect = win::GetWindowRect(window);
    win::MoveWindow(window, win::Rect{rect.left, rect.top, rect.left + allocation->width, rect.top + allocation->height}, false);
}

}  // namespace

guint KeyvalOfKey(Key key) {
    const auto code = static_cast<uint32_t>(key);
    if (code >= static_cast<uint32_t>(win::LetterKey('A')) && code <= static_cast<uint32_t>(win::LetterKey('Z')))
        return GDK_KEY_A + (code - static_cast<uint32_t>(win::LetterKey('A')));
    if (code >= static_cast<uint32_t>(win::DigitKey(0)) && code <= static_cast<uint32_t>(win::DigitKey(9)))
        return GDK_KEY_0 + (code - static_cast<uint32_t>(win::DigitKey(0)));
    if (win::IsFunctionKey(key)) return GDK_KEY_F1 + (code - static_cast<uint32_t>(Key::F1));
    if (code >= static_cast<uint32_t>(Key::Numpad0) && code < static_cast<uint32_t>(Key::Numpad0) + 10)
        return GDK_KEY_KP_0 + (code - static_cast<uint32_t>(Key::Numpad0));
    for (const KeyName& named : kNamedKeys)
        if (named.key == key) return named.keyval;
    return 0;
}

void ConnectDrawnEvents(Peer& peer) {
    gpointer data = GUINT_TO_POINTER(peer.window.bits);
    g_signal_connect(peer.area, "button-press-event", G_CALLBACK(OnPress), data);
    g_signal_connect(peer.area, "button-release-event", G_CALLBACK(OnRelease), data);
    g_signal_connect(peer.area, "motion-notify-event", G_CALLBACK(OnMotion), data);
    g_signal_connect(peer.area, "enter-notify-event", G_CALLBACK(OnEnter), data);
    g_signal_connect(peer.area, "leave-notify-event", G_CALLBACK(OnLeave), data);
    g_signal_connect(peer.area, "scroll-event", G_CALLBACK(OnScroll), data);
}

void ConnectTopLevelEvents(Peer& peer) {
    gpointer data = GUINT_TO_POINTER(peer.window.bits);
    g_signal_connect(peer.outer, "key-press-event", G_CALLBACK(OnKey), data);
    g_signal_connect(peer.outer, "key-release-event", G_CALLBACK(OnKey), data);
    g_signal_connect(peer.outer, "delete-event", G_CALLBACK(OnDelete), data);
    g_signal_connect(peer.outer, "focus-in-event", G_CALLBACK(OnFocusIn), data);
    g_signal_connect(peer.outer, "focus-out-event", G_CALLBACK(OnFocusOut), data);
    g_signal_connect(peer.outer, "map-event", G_CALLBACK(OnMapped), data);
    g_signal_connect(peer.outer, "configure-event", G_CALLBACK(OnConfigured), data);
    g_object_set_data(G_OBJECT(peer.outer), kWindowBitsKey, data);
    // Disconnected when the window goes.
    g_signal_connect_object(gdk_keymap_get_for_display(gtk_widget_get_display(peer.outer)), "keys-changed",
                            G_CALLBACK(OnKeysChanged), peer.outer, static_cast<GConnectFlags>(0));
    g_signal_connect(peer.layout, "size-allocate", G_CALLBACK(OnClientAllocated), data);
}

}  // namespace ql::gtk
