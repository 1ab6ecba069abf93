// The frame the layer draws around a document child on GTK: borders, the caption
// with its title (highlighted while the child is active) and its minimise,
// maximise and close buttons, from the parts win/mdi.h computes; presses on the
// frame go to win::PressMdiFrame. The child's own scroll bars are GTK scroll
// bars in their parts, kept in step with the window's scroll state; moving one
// posts the scroll message a scroll bar sends.
#include <pango/pangocairo.h>

#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::gtk {
namespace {

constexpr double kFrameGrey = 0.83;
constexpr double kEdgeGrey = 0.35;
constexpr double kInactiveCaptionGrey = 0.55;
constexpr double kActiveCaption[3] = {0.05, 0.22, 0.55};
constexpr int kTitleIndent = 4;
constexpr int kGlyphInset = 4;

WindowHandle WindowOf(gpointer data) { return WindowHandle{GPOINTER_TO_UINT(data)}; }

bool IsDocumentChild(WindowHandle window) { return win::IsMdiClient(win::GetParent(window)); }

void Box(cairo_t* cr, const win::Rect& r) { cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height()); }

void DrawButton(cairo_t* cr, const win::Rect& r, win::MdiHit kind, bool minimized) {
    if (r.IsEmpty()) return;
    cairo_set_source_rgb(cr, kFrameGrey, kFrameGrey, kFrameGrey);
    Box(cr, r);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, kEdgeGrey, kEdgeGrey, kEdgeGrey);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, r.left + 0.5, r.top + 0.5, r.Width() - 1, r.Height() - 1);
    cairo_stroke(cr);
    double l = r.left + kGlyphInset, t = r.top + kGlyphInset, w = r.Width() - 2 * kGlyphInset, h = r.Height() - 2 * kGlyphInset;
    if (kind == win::MdiHit::CloseButton) {
        cairo_move_to(cr, l, t);
        cairo_line_to(cr, l + w, t + h);
        cairo_move_to(cr, l + w, t);
        cairo_line_to(cr, l, t + h);
    } else if (kind == win::MdiHit::MinimizeButton && !minimized) {
        cairo_move_to(cr, l, t + h - 0.5);
        cairo_line_to(cr, l + w, t + h - 0.5);
    } else {
        cairo_rectangle(cr, l + 0.5, t + 0.5, w - 1, h - 1);  // maximise, or restore on an icon
    }
    cairo_stroke(cr);
}

void DrawTitle(GtkWidget* widget, cairo_t* cr, const win::MdiFrameParts& parts, WindowHandle window, bool active) {
    win::Rect text{parts.caption.left + kTitleIndent, parts.caption.top, parts.minimizeButton.left, parts.caption.bottom};
    if (text.IsEmpty()) return;
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, win::GetWindowText(window).c_str());
    pango_layout_set_width(layout, text.Width() * PANGO_SCALE);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    int height = 0;
    pango_layout_get_pixel_size(layout, nullptr, &height);
    double ink = active ? 1.0 : 0.0;
    cairo_set_source_rgb(cr, ink, ink, ink);
    cairo_move_to(cr, text.left, text.top + (text.Height() - height) / 2);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

// Drawn after the layout's children, on the frame only: the client area and
// the scroll bars are left alone.
gboolean DrawFrame(GtkWidget* widget, cairo_t* cr, gpointer data) {
    WindowHandle window = WindowOf(data);
    if (!IsDocumentChild(window)) return FALSE;
    win::MdiFrameParts parts = win::GetMdiFrameParts(window);
    win::Rect whole = win::GetWindowRect(window);
    win::Rect inner{parts.client.left, parts.client.top, parts.client.right + parts.verticalScroll.Width(),
                    parts.client.bottom + parts.horizontalScroll.Height()};
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, whole.Width(), whole.Height());
    Box(cr, inner);
    cairo_set_source_rgb(cr, kFrameGrey, kFrameGrey, kFrameGrey);
    cairo_fill(cr);
    cairo_restore(cr);
    bool active = win::GetActiveMdiChild(win::GetParent(window)) == window;
    bool minimized = win::GetMdiChildState(window) == win::MdiChildState::Minimized;
    if (!parts.caption.IsEmpty()) {
        if (active)
            cairo_set_source_rgb(cr, kActiveCaption[0], kActiveCaption[1], kActiveCaption[2]);
        else
            cairo_set_source_rgb(cr, kInactiveCaptionGrey, kInactiveCaptionGrey, kInactiveCaptionGrey);
        Box(cr, parts.caption);
        cairo_fill(cr);
        DrawTitle(widget, cr, parts, window, active);
        DrawButton(cr, parts.minimizeButton, win::MdiHit::MinimizeButton, minimized);
        DrawButton(cr, parts.maximizeButton, win::MdiHit::MaximizeButton, minimized);
        DrawButton(cr, parts.closeButton, win::MdiHit::CloseButton, minimized);
    }
    if (whole.Width() > 0 && !parts.caption.IsEmpty()) {
        cairo_set_source_rgb(cr, kEdgeGrey, kEdgeGrey, kEdgeGrey);
        cairo_rectangle(cr, 0.5, 0.5, whole.Width() - 1, whole.Height() - 1);
        cairo_stroke(cr);
    }
    return FALSE;
}

gboolean PressFrame(GtkWidget*, GdkEventButton* event, gpointer data) {
    WindowHandle window = WindowOf(data);
    if (event->type != GDK_BUTTON_PRESS || event->button != 1 || !IsDocumentChild(window)) return FALSE;
    win::PressMdiFrame(window, win::Point{static_cast<int32_t>(event->x), static_cast<int32_t>(event->y)});
    return TRUE;
}

win::ScrollCode CodeOf(GtkScrollType type) {
    switch (type) {
        case GTK_SCROLL_STEP_BACKWARD:
        case GTK_SCROLL_STEP_UP:
        case GTK_SCROLL_STEP_LEFT:
            return win::ScrollCode::LineUp;
        case GTK_SCROLL_STEP_FORWARD:
        case GTK_SCROLL_STEP_DOWN:
        case GTK_SCROLL_STEP_RIGHT:
            return win::ScrollCode::LineDown;
        case GTK_SCROLL_PAGE_BACKWARD:
        case GTK_SCROLL_PAGE_UP:
        case GTK_SCROLL_PAGE_LEFT:
            return win::ScrollCode::PageUp;
        case GTK_SCROLL_PAGE_FORWARD:
        case GTK_SCROLL_PAGE_DOWN:
        case GTK_SCROLL_PAGE_RIGHT:
            return win::ScrollCode::PageDown;
        case GTK_SCROLL_START:
            return win::ScrollCode::Top;
        case GTK_SCROLL_END:
            return win::ScrollCode::Bottom;
        default:
            return win::ScrollCode::ThumbTrack;
    }
}

// The program moves the bar itself (SetScrollPosition), as it does on receiving
// the message: GTK does not move it.
gboolean ChangeValue(GtkRange* range, GtkScrollType type, gdouble value, gpointer data) {
    WindowHandle window = WindowOf(data);
    bool vertical = gtk_orientable_get_orientation(GTK_ORIENTABLE(range)) == GTK_ORIENTATION_VERTICAL;
    win::Message message = vertical ? win::Message::VerticalScroll : win::Message::HorizontalScroll;
    win::ScrollCode code = CodeOf(type);
    const auto position = static_cast<int32_t>(value);
    win::PostMessage(window, message, win::MakeScrollWord(code, position), 0);
    // GTK tells of a thumb drag only while it runs: each position is also the
    // final one, so that the view follows the thumb.
    if (code == win::ScrollCode::ThumbTrack)
        win::PostMessage(window, message, win::MakeScrollWord(win::ScrollCode::ThumbPosition, position), 0);
    return TRUE;
}

GtkWidget* MakeScrollBar(Peer& peer, GtkOrientation orientation) {
    GtkWidget* bar = gtk_scrollbar_new(orientation, nullptr);
    g_signal_connect(bar, "change-value", G_CALLBACK(ChangeValue), GUINT_TO_POINTER(peer.window.bits));
    gtk_layout_put(GTK_LAYOUT(peer.layout), bar, 0, 0);
    return bar;
}

void PlaceBar(Peer& peer, GtkWidget* bar, const win::Rect& part) {
    if (!bar) return;
    gtk_widget_set_visible(bar, !part.IsEmpty());
    if (part.IsEmpty()) return;
    gtk_widget_set_size_request(bar, part.Width(), part.Height());
    gtk_layout_move(GTK_LAYOUT(peer.layout), bar, part.left, part.top);
}

void SyncBar(Peer& peer, GtkWidget* bar, win::ScrollBar which) {
    if (!bar) return;
    win::ScrollState s = win::GetScrollState(peer.window, which);
    GtkAdjustment* adjustment = gtk_range_get_adjustment(GTK_RANGE(bar));
    peer.syncing = true;
    gtk_adjustment_configure(adjustment, s.position, std::min(s.minimum, s.maximum), std::max(s.minimum, s.maximum) + 1,
                             1, 1, 1);
    peer.syncing = false;
}

}  // namespace

void ConnectMdiFrame(Peer& peer) {
    gpointer data = GUINT_TO_POINTER(peer.window.bits);
    g_signal_connect_after(peer.layout, "draw", G_CALLBACK(DrawFrame), data);
    g_signal_connect(peer.layout, "button-press-event", G_CALLBACK(PressFrame), data);
}

void PlaceMdiScrollBars(Peer& peer) {
    if (peer.kind != PeerKind::Drawn || !IsDocumentChild(peer.window)) return;
    uint32_t style = win::GetStyle(peer.window);
    if ((style & win::kStyleVerticalScroll) && !peer.verticalScroll)
        peer.verticalScroll = MakeScrollBar(peer, GTK_ORIENTATION_VERTICAL);
    if ((style & win::kStyleHorizontalScroll) && !peer.horizontalScroll)
        peer.horizontalScroll = MakeScrollBar(peer, GTK_ORIENTATION_HORIZONTAL);
    win::MdiFrameParts parts = win::GetMdiFrameParts(peer.window);
    PlaceBar(peer, peer.verticalScroll, parts.verticalScroll);
    PlaceBar(peer, peer.horizontalScroll, parts.horizontalScroll);
    SyncScrollBars(peer);
}

void SyncScrollBars(Peer& peer) {
    SyncBar(peer, peer.verticalScroll, win::ScrollBar::Vertical);
    SyncBar(peer, peer.horizontalScroll, win::ScrollBar::Horizontal);
}

}  // namespace ql::gtk
