// The "Pages" tab of the desktop's print dialog (see gtk_print_pages.h).
#include "platform/gtk/gtk_print_pages.h"

#include <gtk/gtk.h>

namespace ql::gtk {
namespace {

constexpr int kTabSpacing = 6;
constexpr int kTabBorder = 12;

bool IsActive(GtkWidget* button) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) != FALSE;
}

// The list is typed only while "List" is chosen.
void ListToggled(GtkToggleButton* button, gpointer entry) {
    gtk_widget_set_sensitive(GTK_WIDGET(entry), gtk_toggle_button_get_active(button));
}

}  // namespace

PagesTab MakePagesTab(const sysdlg::PrintChoice& initial) {
    PagesTab tab;
    tab.box = gtk_box_new(GTK_ORIENTATION_VERTICAL, kTabSpacing);
    gtk_container_set_border_width(GTK_CONTAINER(tab.box), kTabBorder);
    tab.every = gtk_radio_button_new_with_label(nullptr, "Every Page");
    tab.even = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(tab.every), "Even Pages");
    tab.odd = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(tab.every), "Odd Pages");
    tab.useList = gtk_check_button_new_with_label("List");
    tab.list = gtk_entry_new();
    gtk_entry_set_max_length(GTK_ENTRY(tab.list), static_cast<gint>(sysdlg::kMaxPageListText));
    gtk_entry_set_text(GTK_ENTRY(tab.list), initial.listText.c_str());
    for (GtkWidget* child : {tab.every, tab.even, tab.odd, tab.useList, tab.list})
        gtk_box_pack_start(GTK_BOX(tab.box), child, FALSE, FALSE, 0);
    GtkWidget* chosen = initial.filter == sysdlg::PageFilter::Even  ? tab.even
                        : initial.filter == sysdlg::PageFilter::Odd ? tab.odd
                                                                    : tab.every;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(chosen), TRUE);
    g_signal_connect(tab.useList, "toggled", G_CALLBACK(ListToggled), tab.list);
    const bool listed = initial.range == sysdlg::PrintRange::List;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(tab.useList), listed ? TRUE : FALSE);
    gtk_widget_set_sensitive(tab.list, listed);
    gtk_widget_show_all(tab.box);
    return tab;
}

void ApplyPagesTab(const PagesTab& tab, sysdlg::PrintChoice& choice) {
    choice.filter = IsActive(tab.even)  ? sysdlg::PageFilter::Even
                    : IsActive(tab.odd) ? sysdlg::PageFilter::Odd
                                        : sysdlg::PageFilter::Every;
    if (!IsActive(tab.useList)) return;
    choice.range = sysdlg::PrintRange::List;
    choice.listText = gtk_entry_get_text(GTK_ENTRY(tab.list));
}

void ShowCheckedList(const PagesTab& tab, const sysdlg::PrintChoice& choice) {
    gtk_entry_set_text(GTK_ENTRY(tab.list), choice.listText.c_str());
    gtk_widget_grab_focus(tab.list);
}

}  // namespace ql::gtk
