// The GTK user-interface backend: boxes, beeps, modal loops, popup menus and
// the status bar's display.
#include "platform/gtk/gtk_ui_backend.h"

#include "platform/ui/tooltips.h"

#include <gtk/gtk.h>

#include <functional>
#include <span>
#include <string>

#include "platform/gtk/gtk_menus.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/ui/control_state.h"
#include "platform/ui/dialog.h"
#include "platform/win/message_loop.h"
#include "platform/win/timer_queue.h"
#include "platform/win/window.h"

namespace ql::gtk {
namespace {

struct ButtonLabel {
    int result;
    const char* label;
};
constexpr ButtonLabel kButtonLabels[] = {
    {ui::kIdOk, "_OK"},         {ui::kIdCancel, "_Cancel"}, {ui::kIdAbort, "_Abort"}, {ui::kIdRetry, "_Retry"},
    {ui::kIdIgnore, "_Ignore"}, {ui::kIdYes, "_Yes"},       {ui::kIdNo, "_No"},
};

const char* LabelOf(int result) {
    for (const ButtonLabel& b : kButtonLabels)
        if (b.result == result) return b.label;
    return "_OK";
}

GtkMessageType MessageTypeOf(uint32_t style) {
    switch (style & ui::kBoxIconMask) {
        case ui::kBoxIconStop:
            return GTK_MESSAGE_ERROR;
        case ui::kBoxIconQuestion:
            return GTK_MESSAGE_QUESTION;
        case ui::kBoxIconExclamation:
            return GTK_MESSAGE_WARNING;
        case ui::kBoxIconInformation:
            return GTK_MESSAGE_INFO;
        default:
            return GTK_MESSAGE_OTHER;
    }
}

// Runs the layer's loop until `done` (checked after each round of messages);
// false when a Quit came first (it is posted again).
bool RunLoopUntil(const std::function<bool()>& done, std::span<const win::MessageFilter> filters) {
    for (;;) {
        win::PumpResult pumped = win::PumpMessages(filters);
        if (pumped.quit) {
            win::PostQuitMessage(pumped.exitCode);
            return false;
        }
        if (done()) return true;
        win::CurrentBackend().WaitForWork(win::detail::NextTimerDue());
    }
}

GtkWindow* WindowFor(platform::WindowHandle owner) {
    GtkWindowBackend* backend = CurrentGtkBackend();
    return backend && owner ? backend->TopLevelOf(owner) : nullptr;
}

struct BoxAnswer {
    int result = 0;
    int closed = 0;  // the answer when the box is closed without a button
};

void OnBoxResponse(GtkDialog*, gint response, gpointer data) {
    auto* answer = static_cast<BoxAnswer*>(data);
    answer->result = response > 0 ? response : answer->closed;
    win::CurrentBackend().Wake();
}

void OnPopupClosed(GtkMenuShell*, gpointer data) {
    *static_cast<bool*>(data) = true;
    win::CurrentBackend().Wake();
}

// The average character width is that of the 52 letters, rounded; the height is
// the font's line height.
constexpr char kAverageSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kSampleLetters = 52;

ui::DialogBaseUnits MeasureControlFont() {
    GtkWidget* label = gtk_label_new(nullptr);
    g_object_ref_sink(label);
    PangoLayout* layout = gtk_widget_create_pango_layout(label, kAverageSample);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    g_object_unref(label);
    return ui::DialogBaseUnits{(2 * width + kSampleLetters) / (2 * kSampleLetters), height};
}

}  // namespace

ui::DialogBaseUnits GtkUiBackend::DialogFontUnits() {
    if (fontUnits_.x <= 0 || fontUnits_.y <= 0) fontUnits_ = MeasureControlFont();
    return fontUnits_;
}

int GtkUiBackend::ShowMessageBox(platform::WindowHandle owner, std::string_view text, std::string_view caption,
                                 uint32_t style) {
    ui::BoxButtons buttons = ui::ButtonsOfStyle(style);
    GtkWidget* box = gtk_message_dialog_new(WindowFor(owner), GTK_DIALOG_MODAL, MessageTypeOf(style),
                                            GTK_BUTTONS_NONE, "%s", std::string(text).c_str());
    gtk_window_set_title(GTK_WINDOW(box), std::string(caption).c_str());
    BoxAnswer answer;
    // Closing the box answers Cancel when it has one, else its only button.
    answer.closed = buttons.results[buttons.count - 1] == ui::kIdCancel || buttons.count == 1
                        ? buttons.results[buttons.count - 1]
                        : 0;
    for (int i = 0; i < buttons.count; ++i) gtk_dialog_add_button(GTK_DIALOG(box), LabelOf(buttons.results[i]), buttons.results[i]);
    int defaultIndex = static_cast<int>((style & ui::kBoxDefaultMask) >> 8);
    if (defaultIndex < buttons.count) gtk_dialog_set_default_response(GTK_DIALOG(box), buttons.results[defaultIndex]);
    g_signal_connect(box, "response", G_CALLBACK(OnBoxResponse), &answer);
    // Escape and the title bar's close button end in a delete event, which GTK answers
    // by destroying the dialog after its response: the box is destroyed below, once.
    g_signal_connect(box, "delete-event", G_CALLBACK(gtk_true), nullptr);
    gtk_widget_show(box);
    RunLoopUntil([&] { return answer.result != 0; }, {});
    gtk_widget_destroy(box);
    return answer.result != 0 ? answer.result : buttons.results[0];
}

void GtkUiBackend::Beep(ui::BeepKind) {
    if (GdkDisplay* display = gdk_display_get_default()) gdk_display_beep(display);
}

void GtkUiBackend::RunModalLoop(platform::WindowHandle dialog, const sys::ResourceId&) {
    if (GtkWindow* window = WindowFor(dialog)) gtk_window_set_modal(window, TRUE);
    win::MessageFilter filter = [dialog](const win::QueuedMessage& m) { return ui::IsDialogMessage(dialog, m); };
    RunLoopUntil(
        [dialog] {
            auto* state = ui::detail::StateOf<ui::detail::DialogState>(dialog);
            return !state || state->ended;
        },
        std::span<const win::MessageFilter>(&filter, 1));
}

namespace {

// The drawing surface of the owner (or of its nearest ancestor that has one) and
// the screen point in that window's client coordinates: the surface's origin is
// the window's client origin, so the menu opens at the point itself, whatever
// stands above the client area in the top-level window (its menu row).
GdkWindow* PopupAnchor(platform::WindowHandle owner, win::Point screen, GdkRectangle* at) {
    GtkWindowBackend* backend = CurrentGtkBackend();
    constexpr int kMaxDepth = 64;
    platform::WindowHandle w = owner;
    for (int depth = 0; backend != nullptr && w && depth < kMaxDepth; ++depth, w = win::GetParent(w)) {
        const Peer* peer = backend->FindPeer(w);
        GdkWindow* surface = peer != nullptr && peer->area != nullptr ? gtk_widget_get_window(peer->area) : nullptr;
        if (surface == nullptr) continue;
        const win::Point client = win::ScreenToClient(w, screen);
        *at = GdkRectangle{client.x, client.y, 1, 1};
        return surface;
    }
    return nullptr;
}

}  // namespace

int32_t GtkUiBackend::TrackPopupMenu(platform::MenuHandle popup, win::Point screen, platform::WindowHandle owner) {
    GdkRectangle at{0, 0, 1, 1};
    GdkWindow* surface = PopupAnchor(owner, screen, &at);
    if (!surface) return 0;
    GtkWidget* menu = gtk_menu_new();
    g_object_ref_sink(menu);
    FillMenu(GTK_MENU(menu), popup, owner);
    ChosenCommandSink sink;
    ScopedChoiceSink scoped(sink);
    bool closed = false;
    g_signal_connect(menu, "deactivate", G_CALLBACK(OnPopupClosed), &closed);
    gtk_menu_popup_at_rect(GTK_MENU(menu), surface, &at, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST,
                           PopupTrigger());
    RunLoopUntil([&] { return closed; }, {});
    g_signal_handlers_disconnect_by_func(menu, reinterpret_cast<gpointer>(OnPopupClosed), &closed);
    gtk_widget_destroy(menu);
    g_object_unref(menu);
    return sink.chosen;
}

void GtkUiBackend::StatusTextChanged(platform::WindowHandle bar, int, std::string_view, ui::StatusTextStyle) {
    GtkWindowBackend* backend = CurrentGtkBackend();
    if (Peer* peer = backend ? backend->FindPeer(bar) : nullptr) backend->SyncControl(*peer);
}

namespace {

struct TooltipPair {
    uint32_t tip;
    uint32_t tool;
};

// GTK asks for a tooltip when the pointer has rested on the widget: the tool's text
// from the layer, none when it has none.
gboolean OnQueryTooltip(GtkWidget*, gint, gint, gboolean, GtkTooltip* tooltip, gpointer data) {
    const auto* pair = static_cast<const TooltipPair*>(data);
    const std::string text = ui::GetTooltipToolText(platform::WindowHandle{pair->tip}, platform::WindowHandle{pair->tool});
    if (text.empty()) return FALSE;
    gtk_tooltip_set_text(tooltip, text.c_str());
    return TRUE;
}

void FreeTooltipPair(gpointer data, GClosure*) {
    delete static_cast<TooltipPair*>(data);
}

}  // namespace

// The display's own tooltips show the tool's text (their delay is the desktop's).
bool GtkUiBackend::TooltipToolAdded(platform::WindowHandle tip, platform::WindowHandle tool) {
    GtkWindowBackend* backend = CurrentGtkBackend();
    Peer* peer = backend ? backend->FindPeer(tool) : nullptr;
    GtkWidget* widget = peer ? (peer->area ? peer->area : peer->outer) : nullptr;
    if (widget == nullptr) return false;
    gtk_widget_set_has_tooltip(widget, TRUE);
    g_signal_connect_data(widget, "query-tooltip", G_CALLBACK(OnQueryTooltip), new TooltipPair{tip.bits, tool.bits},
                          FreeTooltipPair, GConnectFlags{});
    return true;
}

}  // namespace ql::gtk
