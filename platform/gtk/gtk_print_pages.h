// The print dialog's own "Pages" tab: which pages of the range print (every,
// even or odd) and the free page list, typed in any order with repeats. The tab
// opens with the last run's choices; a list the program refused comes back as
// the program left it (emptied), with the focus in it.
#pragma once

#include "platform/sysdlg/print_dialog.h"

typedef struct _GtkWidget GtkWidget;

namespace ql::gtk {

struct PagesTab {
    GtkWidget* box = nullptr;  // the tab's page, owned by the dialog once added
    GtkWidget* every = nullptr;
    GtkWidget* even = nullptr;
    GtkWidget* odd = nullptr;
    GtkWidget* useList = nullptr;  // "List": prints the typed list instead of a range
    GtkWidget* list = nullptr;     // the list text, at most kMaxPageListText characters
};

inline constexpr char kPagesTabLabel[] = "Pages";

PagesTab MakePagesTab(const sysdlg::PrintChoice& initial);
// The tab's filter, and the list as the range when "List" is chosen.
void ApplyPagesTab(const PagesTab& tab, sysdlg::PrintChoice& choice);
// Shows the list text as the check left it and puts the focus in the list.
void ShowCheckedList(const PagesTab& tab, const sysdlg::PrintChoice& choice);

}  // namespace ql::gtk
