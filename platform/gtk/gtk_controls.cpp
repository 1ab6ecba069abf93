// Controls as GTK widgets: making the widget for a control class, refreshing it
// from the model, and the user's actions on it. A widget remembers what it
// shows as a text signature, so a refresh that finds nothing changed touches
// nothing.
#include "platform/gtk/gtk_controls.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gtk/gtk_menus.h"
#include "platform/ui/control_state.h"
#include "platform/ui/controls.h"
#include "platform/ui/edit_charset.h"
#include "platform/ui/status_bar.h"
#include "platform/ui/trackbar.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::gtk {
namespace {

constexpr char kShownKey[] = "ql-shown";
constexpr char kFontKey[] = "ql-font";  // the signature of an entry's own font
constexpr char kNoneMemberKey[] = "ql-none-member";
constexpr double kArrowInset = 2.0;
constexpr double kPercent = 100.0;

WindowHandle WindowOf(gpointer data) { return WindowHandle{GPOINTER_TO_UINT(data)}; }

Peer* PeerOf(WindowHandle window) {
    GtkWindowBackend* backend = CurrentGtkBackend();
    return backend ? backend->FindPeer(window) : nullptr;
}

bool Syncing(WindowHandle window) {
    Peer* peer = PeerOf(window);
    return !peer || peer->syncing;
}

// True when `signature` differs from what the widget shows (under `key`); records it.
bool Changed(GtkWidget* widget, const std::string& signature, const char* key = kShownKey) {
    auto* shown = static_cast<const char*>(g_object_get_data(G_OBJECT(widget), key));
    if (shown && signature == shown) return false;
    g_object_set_data_full(G_OBJECT(widget), key, g_strdup(signature.c_str()), g_free);
    return true;
}

bool Is(WindowHandle w, const char* cls) { return win::HasClassName(w, cls); }

// A multi-line edit is a text view in a scrolled window; a single-line one an entry.
bool IsMultiLineEdit(WindowHandle w) {
    return Is(w, ui::kEditClass) && (win::GetStyle(w) & ui::kEditMultiLine) != 0;
}

GtkTextView* TextViewOf(GtkWidget* widget) {
    if (!GTK_IS_SCROLLED_WINDOW(widget)) return nullptr;
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget));
    return GTK_IS_TEXT_VIEW(child) ? GTK_TEXT_VIEW(child) : nullptr;
}

// The widget that takes the keyboard focus for a control's widget.
GtkWidget* FocusTarget(GtkWidget* widget) {
    GtkTextView* view = TextViewOf(widget);
    return view ? GTK_WIDGET(view) : widget;
}

std::string BufferText(GtkTextBuffer* buffer) {
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    char* text = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

// --- Making ------------------------------------------------------------------

bool IsRadio(WindowHandle w) {
    uint32_t kind = ui::GetButtonKind(w);
    return Is(w, ui::kButtonClass) && (kind == ui::kButtonRadio || kind == ui::kButtonAutoRadio);
}

// A radio button of the group `w` belongs to that already has its widget: the
// nearest before it, back to the control that starts the group. Null when `w`
// starts a group of its own.
GtkWidget* EarlierRadioOfGroup(WindowHandle w) {
    if (win::GetStyle(w) & win::kStyleGroup) return nullptr;
    std::vector<WindowHandle> siblings = win::ChildWindows(win::GetParent(w));
    auto at = std::find(siblings.begin(), siblings.end(), w);
    while (at != siblings.begin()) {
        WindowHandle earlier = *--at;
        Peer* peer = PeerOf(earlier);
        if (IsRadio(earlier) && peer && GTK_IS_RADIO_BUTTON(peer->outer)) return peer->outer;
        if (win::GetStyle(earlier) & win::kStyleGroup) break;
    }
    return nullptr;
}

// GTK keeps one radio button of a group active; the model may have none checked
// (before the dialog's procedure checks one). Each group therefore starts with a
// hidden member that is active while no shown one is; every member holds it.
void HoldNoneMember(GtkWidget* radio, GtkWidget* none) {
    g_object_set_data_full(G_OBJECT(radio), kNoneMemberKey, g_object_ref(none), g_object_unref);
}

GtkWidget* NoneMemberOf(GtkWidget* radio) {
    return static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(radio), kNoneMemberKey));
}

GtkWidget* MakeRadio(WindowHandle w, const std::string& label) {
    GtkWidget* earlier = EarlierRadioOfGroup(w);
    GtkWidget* none = earlier ? NoneMemberOf(earlier) : nullptr;
    bool made = none == nullptr;
    if (made) none = g_object_ref_sink(gtk_radio_button_new(nullptr));
    GtkWidget* radio = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(none), label.c_str());
    HoldNoneMember(radio, none);
    if (made) g_object_unref(none);
    return radio;
}

GtkWidget* MakeButton(WindowHandle w) {
    std::string label = GtkMnemonic(win::GetWindowText(w));
    switch (ui::GetButtonKind(w)) {
        case ui::kButtonCheckBox:
        case ui::kButtonAutoCheckBox:
            return gtk_check_button_new_with_mnemonic(label.c_str());
        case ui::kButtonRadio:
        case ui::kButtonAutoRadio:
            return MakeRadio(w, label);
        case ui::kButtonGroupBox:
            return gtk_frame_new(win::GetWindowText(w).c_str());
        case ui::kButtonOwnerDraw:
            return nullptr;
        default:
            return gtk_button_new_with_mnemonic(label.c_str());
    }
}

GtkWidget* MakeStatic(WindowHandle w) {
    uint32_t kind = win::GetStyle(w) & win::kStyleClassMask & ~ui::kStaticSunken;
    if (kind == ui::kStaticGreyRect) return gtk_frame_new(nullptr);
    GtkWidget* label = gtk_label_new_with_mnemonic(GtkMnemonic(win::GetWindowText(w)).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), kind == ui::kStaticCentre ? 0.5f : kind == ui::kStaticRight ? 1.0f : 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    return label;
}

// The up-down's two arrows are drawn in its own rectangle (GTK's buttons would
// not fit beside a one-line field): the first half steps up (or right), the
// second down (or left).
bool IsHorizontalUpDown(WindowHandle w) { return (win::GetStyle(w) & ui::kUpDownHorizontal) != 0; }

gboolean DrawArrows(GtkWidget* area, cairo_t* cr, gpointer data) {
    WindowHandle w = WindowOf(data);
    bool horizontal = IsHorizontalUpDown(w);
    int width = gtk_widget_get_allocated_width(area);
    int height = gtk_widget_get_allocated_height(area);
    GtkStyleContext* style = gtk_widget_get_style_context(area);
    for (int half = 0; half < 2; ++half) {
        double x = horizontal ? half * width / 2.0 : 0;
        double y = horizontal ? 0 : half * height / 2.0;
        double cx = horizontal ? width / 2.0 : width;
        double cy = horizontal ? height : height / 2.0;
        gtk_render_background(style, cr, x, y, cx, cy);
        gtk_render_frame(style, cr, x, y, cx, cy);
        double size = std::max(1.0, std::min(cx, cy) - 2 * kArrowInset);
        double angle = horizontal ? (half == 0 ? G_PI / 2 : 3 * G_PI / 2) : (half == 0 ? 0 : G_PI);
        gtk_render_arrow(style, cr, angle, x + (cx - size) / 2, y + (cy - size) / 2, size);
    }
    return TRUE;
}

// The half of the arrows at (x, y): true for the up (or right) arrow.
bool IsUpHalf(GtkWidget* area, WindowHandle w, double x, double y) {
    if (IsHorizontalUpDown(w)) return x < gtk_widget_get_allocated_width(area) / 2.0;
    return y < gtk_widget_get_allocated_height(area) / 2.0;
}

gboolean OnArrowPressed(GtkWidget* area, GdkEventButton* event, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY || Syncing(w)) return FALSE;
    ui::PressUpDownArrow(w, IsUpHalf(area, w, event->x, event->y));
    return TRUE;
}

GtkWidget* MakeUpDown(WindowHandle) {
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
    gtk_style_context_add_class(gtk_widget_get_style_context(area), GTK_STYLE_CLASS_BUTTON);
    return area;
}

// An edit is as wide as its rectangle, not GTK's least entry width.
GtkWidget* MakeEdit() {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
    return entry;
}

// The text wraps, and scrolls without scroll bars of its own, so the edit keeps the
// rectangle its template gives it however few lines that holds.
GtkWidget* MakeMultiLineEdit() {
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_EXTERNAL);
    gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(scrolled), 1);
    GtkWidget* view = gtk_text_view_new();
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    return scrolled;
}

GtkWidget* MakeList() {
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(scrolled), gtk_list_box_new());
    return scrolled;
}

// A trackbar: a scale without its value text, the minimum at the top or left.
GtkWidget* MakeScale(WindowHandle w) {
    const bool vertical = (win::GetStyle(w) & ui::kTrackbarVertical) != 0;
    GtkWidget* scale = gtk_scale_new(vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, nullptr);
    gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
    return scale;
}

GtkWidget* MakeWidget(WindowHandle w) {
    if (Is(w, ui::kButtonClass)) return MakeButton(w);
    if (IsMultiLineEdit(w)) return MakeMultiLineEdit();
    if (Is(w, ui::kEditClass)) return MakeEdit();
    if (Is(w, ui::kStaticClass)) return MakeStatic(w);
    if (Is(w, ui::kScrollBarClass))
        return gtk_scrollbar_new((win::GetStyle(w) & ui::kScrollBarVertical) ? GTK_ORIENTATION_VERTICAL
                                                                             : GTK_ORIENTATION_HORIZONTAL,
                                 nullptr);
    if (Is(w, ui::kUpDownClass)) return MakeUpDown(w);
    if (Is(w, ui::kComboBoxClass)) return gtk_combo_box_text_new();
    if (Is(w, ui::kListBoxClass)) return MakeList();
    if (Is(w, ui::kProgressBarClass)) return gtk_progress_bar_new();
    if (Is(w, ui::kTrackbarClass)) return MakeScale(w);
    if (Is(w, ui::kStatusBarClass)) return gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    return nullptr;
}

// GTK's theme gives controls padding and least sizes meant for its own layouts;
// a dialog's controls must fit the rectangles their template gives them, so
// their widgets are made compact (the indicators of check and radio buttons
// keep their size).
constexpr char kCompactControlsCss[] =
    "button.ql-control, entry.ql-control, combobox.ql-control button, spinbutton.ql-control {"
    " min-height: 0; min-width: 0; padding: 0 4px; margin: 0; }"
    "combobox.ql-control box, combobox.ql-control cellview, combobox.ql-control entry {"
    " min-height: 0; padding-top: 0; padding-bottom: 0; margin: 0; }"
    "checkbutton.ql-control, radiobutton.ql-control { min-height: 0; padding: 0; margin: 0; }"
    "frame.ql-control > label { padding: 0; margin: 0; }"
    "scrollbar.ql-control, scrollbar.ql-control * { min-height: 0; min-width: 0; margin: 0; }"
    "scrollbar.ql-control slider { min-height: 6px; min-width: 6px; }";

void EnsureCompactControlsStyle() {
    static bool installed = false;
    GdkScreen* screen = gdk_screen_get_default();
    if (installed || !screen) return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCompactControlsCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    installed = true;
}

GtkWidget* Make(WindowHandle w) {
    GtkWidget* widget = MakeWidget(w);
    if (!widget) return nullptr;
    EnsureCompactControlsStyle();
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), kControlStyleClass);
    gtk_widget_show_all(widget);
    return widget;
}

// --- Refreshing from the model -------------------------------------------------

// The check state is compared with the widget itself: a click changes the
// widget before the model hears of it.
void SyncButton(GtkWidget* widget, WindowHandle w) {
    std::string text = win::GetWindowText(w);
    if (Changed(widget, text)) {
        if (GTK_IS_FRAME(widget)) {
            gtk_frame_set_label(GTK_FRAME(widget), text.c_str());
        } else {
            gtk_button_set_label(GTK_BUTTON(widget), GtkMnemonic(text).c_str());
            gtk_button_set_use_underline(GTK_BUTTON(widget), TRUE);
        }
    }
    bool checked = ui::GetButtonCheck(w) == ui::CheckState::Checked;
    if (!GTK_IS_TOGGLE_BUTTON(widget) || gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) == checked) return;
    // A radio button is let go by making its group's hidden member active.
    GtkWidget* none = GTK_IS_RADIO_BUTTON(widget) && !checked ? NoneMemberOf(widget) : nullptr;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(none ? none : widget), none ? TRUE : checked);
}

// An entry's own font: its face, size and attributes as text attributes, set again
// only when the font changed. The cell height is the face's size in pixels.
void SyncEntryFont(GtkEntry* entry, WindowHandle w) {
    const std::optional<ui::ControlFont> font = ui::GetEditFont(w);
    if (!font) return;
    const std::string signature = font->face + '/' + std::to_string(font->height) + '/' +
                                  (font->bold ? 'b' : '-') + (font->italic ? 'i' : '-') + (font->underline ? 'u' : '-');
    if (!Changed(GTK_WIDGET(entry), signature, kFontKey)) return;
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font->face.c_str());
    pango_font_description_set_absolute_size(description, font->height * PANGO_SCALE);
    pango_font_description_set_weight(description, font->bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, font->italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_font_desc_new(description));
    if (font->underline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    gtk_entry_set_attributes(entry, attributes);
    pango_attr_list_unref(attributes);
    pango_font_description_free(description);
}

// Characters of the shown text before byte `held` of the edit's text.
gint ShownCharacters(WindowHandle w, std::string_view text, int32_t held) {
    const auto length = static_cast<int32_t>(text.size());
    const auto bytes = static_cast<size_t>(std::clamp(held, 0, length));
    const std::string before = ui::EditTextToDisplay(w, text.substr(0, bytes));
    return g_utf8_validate(before.c_str(), -1, nullptr) ? static_cast<gint>(g_utf8_strlen(before.c_str(), -1)) : -1;
}

// The edit's text and selection shown in its entry (edits with a procedure of their own
// keep their caret themselves).
void ShowEditText(GtkWidget* entry, WindowHandle w) {
    Peer* peer = PeerOf(w);
    if (!peer) return;
    const std::string held = win::GetWindowText(w);
    const std::string text = ui::EditTextToDisplay(w, held);
    const ui::EditSelection selection = ui::GetEditSelection(w);
    const bool syncing = peer->syncing;
    peer->syncing = true;
    if (text != gtk_entry_get_text(GTK_ENTRY(entry))) gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
    const gint end = ShownCharacters(w, held, selection.end);
    const gint start = selection.start == selection.end ? end : ShownCharacters(w, held, selection.start);
    gtk_editable_select_region(GTK_EDITABLE(entry), start, end);
    peer->syncing = syncing;
}

// An edit's text is shown in UTF-8, converted from the edit's character set.
void SyncEdit(GtkWidget* widget, WindowHandle w) {
    const std::string text = ui::EditTextToDisplay(w, win::GetWindowText(w));
    if (GtkTextView* view = TextViewOf(widget)) {
        gtk_text_view_set_editable(view, !ui::IsEditReadOnly(w));
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
        if (text != BufferText(buffer)) gtk_text_buffer_set_text(buffer, text.c_str(), -1);
        return;
    }
    gtk_editable_set_editable(GTK_EDITABLE(widget), !ui::IsEditReadOnly(w));
    gtk_entry_set_max_length(GTK_ENTRY(widget), static_cast<gint>(ui::GetEditLimit(w)));
    if (win::HasOwnProcedure(w))
        ShowEditText(widget, w);
    else if (text != gtk_entry_get_text(GTK_ENTRY(widget)))
        gtk_entry_set_text(GTK_ENTRY(widget), text.c_str());
    SyncEntryFont(GTK_ENTRY(widget), w);
}

std::string ItemsSignature(WindowHandle w, bool combo) {
    std::string signature;
    int32_t count = combo ? ui::ComboGetCount(w) : ui::ListGetCount(w);
    for (int32_t i = 0; i < count; ++i) signature += (combo ? ui::ComboGetItemText(w, i) : ui::ListGetItemText(w, i)) + '\n';
    return signature;
}

void SyncCombo(GtkWidget* widget, WindowHandle w) {
    if (Changed(widget, ItemsSignature(w, true))) {
        gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(widget));
        for (int32_t i = 0; i < ui::ComboGetCount(w); ++i)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(widget), ui::ComboGetItemText(w, i).c_str());
    }
    if (gtk_combo_box_get_active(GTK_COMBO_BOX(widget)) != ui::ComboGetSelection(w))
        gtk_combo_box_set_active(GTK_COMBO_BOX(widget), ui::ComboGetSelection(w));
}

void SyncList(GtkWidget* widget, WindowHandle w) {
    GtkWidget* list = gtk_bin_get_child(GTK_BIN(widget));
    if (GTK_IS_VIEWPORT(list)) list = gtk_bin_get_child(GTK_BIN(list));
    if (Changed(widget, ItemsSignature(w, false))) {
        GList* rows = gtk_container_get_children(GTK_CONTAINER(list));
        for (GList* it = rows; it; it = it->next) gtk_widget_destroy(GTK_WIDGET(it->data));
        g_list_free(rows);
        for (int32_t i = 0; i < ui::ListGetCount(w); ++i) {
            GtkWidget* label = gtk_label_new(ui::ListGetItemText(w, i).c_str());
            gtk_label_set_xalign(GTK_LABEL(label), 0);
            gtk_widget_show(label);
            gtk_list_box_insert(GTK_LIST_BOX(list), label, -1);
        }
    }
    GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), ui::ListGetSelection(w));
    if (gtk_list_box_get_selected_row(GTK_LIST_BOX(list)) != row) gtk_list_box_select_row(GTK_LIST_BOX(list), row);
}

void SyncStatusBar(GtkWidget* widget, WindowHandle w) {
    std::vector<int32_t> edges = ui::GetStatusBarParts(w);
    std::string signature;
    for (size_t i = 0; i < edges.size(); ++i)
        signature += std::to_string(edges[i]) + ":" + ui::GetStatusBarText(w, static_cast<int>(i)) + "\n";
    if (!Changed(widget, signature)) return;
    GList* parts = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* it = parts; it; it = it->next) gtk_widget_destroy(GTK_WIDGET(it->data));
    g_list_free(parts);
    int32_t left = 0;
    for (size_t i = 0; i < edges.size(); ++i) {
        GtkWidget* frame = gtk_frame_new(nullptr);
        GtkWidget* label = gtk_label_new(ui::GetStatusBarText(w, static_cast<int>(i)).c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
        gtk_container_add(GTK_CONTAINER(frame), label);
        bool last = edges[i] < 0;
        if (!last) gtk_widget_set_size_request(frame, std::max(0, edges[i] - left), -1);
        gtk_box_pack_start(GTK_BOX(widget), frame, last, last, 0);
        gtk_widget_show_all(frame);
        left = edges[i];
    }
}

void SyncRange(GtkWidget* widget, WindowHandle w) {
    win::ScrollState s = win::GetScrollState(w, win::ScrollBar::Control);
    GtkAdjustment* adjustment = gtk_range_get_adjustment(GTK_RANGE(widget));
    gtk_adjustment_configure(adjustment, s.position, std::min(s.minimum, s.maximum), std::max(s.minimum, s.maximum) + 1,
                             1, 1, 1);
}

void SyncTrackbar(GtkWidget* widget, WindowHandle w) {
    const ui::TrackbarRange range = ui::GetTrackbarRange(w);
    const int32_t position = ui::GetTrackbarPosition(w);
    const int32_t page = ui::GetTrackbarPage(w);
    const int32_t ticks = ui::GetTrackbarTickFrequency(w);
    const std::string shown = std::to_string(range.minimum) + ',' + std::to_string(range.maximum) + ',' +
                              std::to_string(position) + ',' + std::to_string(page) + ',' + std::to_string(ticks);
    if (!Changed(widget, shown)) return;
    GtkAdjustment* adjustment = gtk_range_get_adjustment(GTK_RANGE(widget));
    gtk_adjustment_configure(adjustment, position, range.minimum, range.maximum, 1, page, 0);
    gtk_scale_clear_marks(GTK_SCALE(widget));
    const bool vertical = (win::GetStyle(w) & ui::kTrackbarVertical) != 0;
    if ((win::GetStyle(w) & ui::kTrackbarAutoTicks) != 0 && ticks > 0)
        for (int32_t mark = range.minimum; mark <= range.maximum; mark += ticks)
            gtk_scale_add_mark(GTK_SCALE(widget), mark, vertical ? GTK_POS_LEFT : GTK_POS_BOTTOM, nullptr);
}

void SyncProgress(GtkWidget* widget, WindowHandle w) {
    ui::ProgressRange range = ui::GetProgressRange(w);
    int32_t span = range.high - range.low;
    double fraction = span > 0 ? static_cast<double>(ui::GetProgressPosition(w) - range.low) / span : 0.0;
    if (Changed(widget, std::to_string(static_cast<int>(fraction * kPercent))))
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(widget), fraction);
}

// The window that last took the focus here. An entry the focus moves to has its
// text selected, as a dialog's edit has; while the focus stays, the entry is given
// GTK's focus back (in a window the desktop has not activated it does not hold it)
// without selecting, else each key typed there would replace the text before it.
// An edit with a procedure of its own places its caret itself: the focus keeps it.
WindowHandle g_focusGiven{};

void SyncFocus(GtkWidget* control, WindowHandle w) {
    GtkWidget* widget = FocusTarget(control);
    if (win::GetFocus() != w) return;
    const bool moved = g_focusGiven != w;
    g_focusGiven = w;
    if (!gtk_widget_get_can_focus(widget)) return;
    if (!moved && gtk_widget_has_focus(widget)) return;
    const bool ownCaret = GTK_IS_ENTRY(widget) && win::HasOwnProcedure(w);
    if ((!moved || ownCaret) && GTK_IS_ENTRY(widget))
        gtk_entry_grab_focus_without_selecting(GTK_ENTRY(widget));
    else
        gtk_widget_grab_focus(widget);
}

void Sync(Peer& peer) {
    GtkWidget* widget = peer.outer;
    WindowHandle w = peer.window;
    peer.syncing = true;
    gtk_widget_set_sensitive(widget, win::IsWindowEnabled(w));
    if (Is(w, ui::kButtonClass))
        SyncButton(widget, w);
    else if (Is(w, ui::kEditClass))
        SyncEdit(widget, w);
    else if (Is(w, ui::kStaticClass) && GTK_IS_LABEL(widget) && Changed(widget, win::GetWindowText(w)))
        gtk_label_set_text_with_mnemonic(GTK_LABEL(widget), GtkMnemonic(win::GetWindowText(w)).c_str());
    else if (Is(w, ui::kComboBoxClass))
        SyncCombo(widget, w);
    else if (Is(w, ui::kListBoxClass))
        SyncList(widget, w);
    else if (Is(w, ui::kStatusBarClass))
        SyncStatusBar(widget, w);
    else if (Is(w, ui::kScrollBarClass))
        SyncRange(widget, w);
    else if (Is(w, ui::kProgressBarClass))
        SyncProgress(widget, w);
    else if (Is(w, ui::kTrackbarClass))
        SyncTrackbar(widget, w);
    SyncFocus(widget, w);
    peer.syncing = false;
}

// --- The user's actions --------------------------------------------------------

void OnClicked(GtkButton* button, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (Syncing(w)) return;
    // A radio button let go because another of its group was chosen was not clicked.
    if (GTK_IS_RADIO_BUTTON(button) && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button))) return;
    win::PostMessage(w, win::Message::LeftButtonUp, 0, 0);
}

// What the user typed (UTF-8) becomes the edit's text in its character set, selection
// after it, and its parent hears of the change.
void TypedIntoEdit(WindowHandle w, const std::string& shown) {
    const std::string typed = ui::EditTextFromDisplay(w, shown);
    if (typed == win::GetWindowText(w)) return;
    win::SetWindowText(w, typed);
    ui::SelectEditText(w, static_cast<int32_t>(typed.size()), static_cast<int32_t>(typed.size()));
    ui::detail::NotifyParent(w, ui::kEditChange);
}

// The entry's caret and selection become the edit's: GTK counts characters of the
// shown text, the edit bytes of its own.
void TakeEntrySelection(GtkEditable* editable, WindowHandle w) {
    gint start = 0;
    gint end = 0;
    if (!gtk_editable_get_selection_bounds(editable, &start, &end))
        start = end = gtk_editable_get_position(editable);
    const char* shown = gtk_entry_get_text(GTK_ENTRY(editable));
    const glong length = g_utf8_strlen(shown, -1);
    const auto bytesBefore = [&](gint characters) {
        const char* at = g_utf8_offset_to_pointer(shown, std::clamp<glong>(characters, 0, length));
        const std::string_view before(shown, static_cast<size_t>(at - shown));
        return static_cast<int32_t>(ui::EditTextFromDisplay(w, before).size());
    };
    ui::SelectEditText(w, bytesBefore(start), bytesBefore(end));
}

void OnEdited(GtkEditable* editable, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (Syncing(w)) return;
    char* text = gtk_editable_get_chars(editable, 0, -1);
    std::string typed = text ? text : "";
    g_free(text);
    TypedIntoEdit(w, typed);
    if (win::IsWindow(w)) TakeEntrySelection(editable, w);
}

// The user moved the entry's caret or selection (keys, the pointer): the edit's
// follows, so that what the program puts in next goes where the user sees the caret.
void OnEntryCaretMoved(GObject* entry, GParamSpec*, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (!Syncing(w) && win::IsWindow(w)) TakeEntrySelection(GTK_EDITABLE(entry), w);
}

void OnBufferChanged(GtkTextBuffer* buffer, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (!Syncing(w)) TypedIntoEdit(w, BufferText(buffer));
}

// ---- Edits with a procedure of their own ----
// Keys typed into such an edit go through a GTK input method of the edit's own; the
// text it finishes reaches the procedure as InputMethodResult, and a paste as Paste
// with the desktop's clipboard text. The entry then shows the model's text and caret.

constexpr char kInputMethodKey[] = "ql-input-method";
constexpr char kWindowKey[] = "ql-window";

void OnInputMethodCommit(GtkIMContext*, const gchar* text, gpointer data) {
    GtkWidget* entry = GTK_WIDGET(data);
    const WindowHandle w{GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(entry), kWindowKey))};
    if (!text || Syncing(w)) return;
    glong count = 0;
    gunichar2* utf16 = g_utf8_to_utf16(text, -1, nullptr, &count, nullptr);
    if (!utf16) return;
    const std::u16string result(reinterpret_cast<const char16_t*>(utf16), static_cast<size_t>(count));
    g_free(utf16);
    TakeEntrySelection(GTK_EDITABLE(entry), w);
    win::SendMessage(w, win::Message::InputMethodResult, 0, reinterpret_cast<intptr_t>(&result));
    if (win::IsWindow(w)) ShowEditText(entry, w);
}

void ReleaseInputMethodWindow(GtkWidget* entry, gpointer) {
    auto* im = static_cast<GtkIMContext*>(g_object_get_data(G_OBJECT(entry), kInputMethodKey));
    if (im) gtk_im_context_set_client_window(im, nullptr);
}

GtkIMContext* InputMethodOf(GtkWidget* entry, WindowHandle w) {
    auto* im = static_cast<GtkIMContext*>(g_object_get_data(G_OBJECT(entry), kInputMethodKey));
    if (im) return im;
    im = gtk_im_multicontext_new();
    g_object_set_data(G_OBJECT(entry), kWindowKey, GUINT_TO_POINTER(w.bits));
    gtk_im_context_set_client_window(im, gtk_widget_get_window(entry));
    g_signal_connect(im, "commit", G_CALLBACK(OnInputMethodCommit), entry);
    g_signal_connect(entry, "unrealize", G_CALLBACK(ReleaseInputMethodWindow), nullptr);
    g_object_set_data_full(G_OBJECT(entry), kInputMethodKey, im, g_object_unref);
    gtk_im_context_focus_in(im);
    return im;
}

// Shortcuts (Ctrl, Alt) and keys the input method does not take stay the entry's.
gboolean OnOwnEditKey(GtkWidget* entry, GdkEventKey* event, gpointer data) {
    const WindowHandle w = WindowOf(data);
    if (Syncing(w) || !win::HasOwnProcedure(w)) return FALSE;
    if ((event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) != 0) return FALSE;
    return gtk_im_context_filter_keypress(InputMethodOf(entry, w), event);
}

gboolean OnOwnEditFocusOut(GtkWidget* entry, GdkEvent*, gpointer) {
    auto* im = static_cast<GtkIMContext*>(g_object_get_data(G_OBJECT(entry), kInputMethodKey));
    if (im) gtk_im_context_focus_out(im);
    return FALSE;
}

void OnOwnEditPaste(GtkEntry* entry, gpointer data) {
    const WindowHandle w = WindowOf(data);
    if (Syncing(w) || !win::HasOwnProcedure(w)) return;
    gchar* clip = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    const std::string text = clip ? clip : "";
    g_free(clip);
    TakeEntrySelection(GTK_EDITABLE(entry), w);
    if (win::SendMessage(w, win::Message::Paste, 0, reinterpret_cast<intptr_t>(&text)) == 0) return;
    g_signal_stop_emission_by_name(entry, "paste-clipboard");
    if (win::IsWindow(w)) ShowEditText(GTK_WIDGET(entry), w);
}

gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (!Syncing(w) && win::GetFocus() != w) win::SetFocus(w);
    return FALSE;
}

void OnComboChanged(GtkComboBox* combo, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (Syncing(w)) return;
    ui::ComboSetSelection(w, gtk_combo_box_get_active(combo));
    ui::detail::NotifyParent(w, ui::kComboSelectionChanged);
}

void OnRowSelected(GtkListBox*, GtkListBoxRow* row, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (Syncing(w) || !row) return;
    ui::ListSetSelection(w, gtk_list_box_row_get_index(row));
    if (win::GetStyle(w) & ui::kListNotify) ui::detail::NotifyParent(w, ui::kListSelectionChanged);
}

void OnRowActivated(GtkListBox*, GtkListBoxRow*, gpointer data) {
    WindowHandle w = WindowOf(data);
    if (!Syncing(w) && (win::GetStyle(w) & ui::kListNotify)) ui::detail::NotifyParent(w, ui::kListDoubleClicked);
}

gboolean OnRangeChanged(GtkRange* range, GtkScrollType type, gdouble value, gpointer data) {
    WindowHandle w = WindowOf(data);
    win::ScrollCode code = type == GTK_SCROLL_STEP_BACKWARD   ? win::ScrollCode::LineUp
                           : type == GTK_SCROLL_STEP_FORWARD  ? win::ScrollCode::LineDown
                           : type == GTK_SCROLL_PAGE_BACKWARD ? win::ScrollCode::PageUp
                           : type == GTK_SCROLL_PAGE_FORWARD  ? win::ScrollCode::PageDown
                                                              : win::ScrollCode::ThumbTrack;
    // A trackbar moves its own thumb and tells its parent; a scroll bar only tells.
    if (Is(w, ui::kTrackbarClass)) {
        if (!Syncing(w)) ui::MoveTrackbar(w, code, static_cast<int32_t>(value));
        return TRUE;
    }
    bool vertical = gtk_orientable_get_orientation(GTK_ORIENTABLE(range)) == GTK_ORIENTATION_VERTICAL;
    win::PostMessage(win::GetParent(w), vertical ? win::Message::VerticalScroll : win::Message::HorizontalScroll,
                     win::MakeScrollWord(code, static_cast<int32_t>(value)), win::HandleData(w));
    return TRUE;
}

}  // namespace

void ConnectControlEvents(Peer& peer) {
    GtkWidget* widget = peer.outer;
    gpointer data = GUINT_TO_POINTER(peer.window.bits);
    if (GTK_IS_BUTTON(widget)) g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), data);
    if (GTK_IS_ENTRY(widget)) {
        g_signal_connect(widget, "changed", G_CALLBACK(OnEdited), data);
        g_signal_connect(widget, "key-press-event", G_CALLBACK(OnOwnEditKey), data);
        g_signal_connect(widget, "key-release-event", G_CALLBACK(OnOwnEditKey), data);
        g_signal_connect(widget, "focus-out-event", G_CALLBACK(OnOwnEditFocusOut), data);
        g_signal_connect(widget, "paste-clipboard", G_CALLBACK(OnOwnEditPaste), data);
        g_signal_connect(widget, "notify::cursor-position", G_CALLBACK(OnEntryCaretMoved), data);
        g_signal_connect(widget, "notify::selection-bound", G_CALLBACK(OnEntryCaretMoved), data);
    }
    if (GTK_IS_COMBO_BOX(widget)) g_signal_connect(widget, "changed", G_CALLBACK(OnComboChanged), data);
    if (GTK_IS_RANGE(widget)) g_signal_connect(widget, "change-value", G_CALLBACK(OnRangeChanged), data);
    if (win::HasClassName(peer.window, ui::kUpDownClass)) {
        g_signal_connect(widget, "draw", G_CALLBACK(DrawArrows), data);
        g_signal_connect(widget, "button-press-event", G_CALLBACK(OnArrowPressed), data);
    }
    if (GtkTextView* view = TextViewOf(widget))
        g_signal_connect(gtk_text_view_get_buffer(view), "changed", G_CALLBACK(OnBufferChanged), data);
    else if (GTK_IS_SCROLLED_WINDOW(widget)) {
        GtkWidget* list = gtk_bin_get_child(GTK_BIN(widget));
        if (GTK_IS_VIEWPORT(list)) list = gtk_bin_get_child(GTK_BIN(list));
        g_signal_connect(list, "row-selected", G_CALLBACK(OnRowSelected), data);
        g_signal_connect(list, "row-activated", G_CALLBACK(OnRowActivated), data);
    }
    g_signal_connect(FocusTarget(widget), "focus-in-event", G_CALLBACK(OnFocusIn), data);
}

ControlPeers MakeControlPeers() {
    ControlPeers peers;
    peers.make = Make;
    peers.sync = Sync;
    return peers;
}

}  // namespace ql::gtk
