// The desktop print dialog's settings as the program's print choice: one range
// becomes from-to, several ranges a page list (bounded by the list's length), the
// even/odd set the filter, and the virtual printer's output URI a print to file.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/gtk/gtk_print.h"
#include "platform/gtk/gtk_print_pages.h"

namespace ql::gtk {
namespace {

class GtkPrintChoice : public ::testing::Test {
  protected:
    void SetUp() override { settings_ = gtk_print_settings_new(); }
    void TearDown() override { g_object_unref(settings_); }
    void Ranges(std::initializer_list<GtkPageRange> ranges) {
        std::vector<GtkPageRange> list(ranges);
        gtk_print_settings_set_print_pages(settings_, GTK_PRINT_PAGES_RANGES);
        gtk_print_settings_set_page_ranges(settings_, list.data(), static_cast<gint>(list.size()));
    }
    GtkPrintSettings* settings_ = nullptr;
};

// All pages, copies and collation, the printer's name.
TEST_F(GtkPrintChoice, AllPagesWithCopies) {
    gtk_print_settings_set_n_copies(settings_, 3);
    gtk_print_settings_set_collate(settings_, TRUE);
    const sysdlg::PrintChoice choice = PrintChoiceFromSettings(settings_, "Office", false);
    EXPECT_EQ(choice.range, sysdlg::PrintRange::All);
    EXPECT_EQ(choice.copies, 3);
    EXPECT_TRUE(choice.collate);
    EXPECT_EQ(choice.printer, "Office");
    EXPECT_FALSE(choice.printToFile);
}

// Ranges count from 0 in GTK and from 1 here; the even set filters.
TEST_F(GtkPrintChoice, RangesAndFilter) {
    Ranges({{1, 3}});
    gtk_print_settings_set_page_set(settings_, GTK_PAGE_SET_EVEN);
    sysdlg::PrintChoice one = PrintChoiceFromSettings(settings_, "", false);
    EXPECT_EQ(one.range, sysdlg::PrintRange::Pages);
    EXPECT_EQ(one.fromPage, 2);
    EXPECT_EQ(one.toPage, 4);
    EXPECT_EQ(one.filter, sysdlg::PageFilter::Even);
    Ranges({{0, 0}, {2, 4}});
    sysdlg::PrintChoice several = PrintChoiceFromSettings(settings_, "", false);
    EXPECT_EQ(several.range, sysdlg::PrintRange::List);
    EXPECT_EQ(several.listText, "1 3 4 5");
    // A huge range stops at the list's length rather than growing without bound.
    Ranges({{0, 0}, {0, 100000}});
    EXPECT_LE(PrintChoiceFromSettings(settings_, "", false).listText.size(), sysdlg::kMaxPageListText);
}

// The virtual printer prints to the file its URI names; copies are at least 1.
TEST_F(GtkPrintChoice, PrintToFile) {
    gtk_print_settings_set(settings_, GTK_PRINT_SETTINGS_OUTPUT_URI, "file:///tmp/score%20one.pdf");
    gtk_print_settings_set_n_copies(settings_, 0);
    const sysdlg::PrintChoice choice = PrintChoiceFromSettings(settings_, "Print to File", true);
    EXPECT_TRUE(choice.printToFile);
    EXPECT_EQ(choice.filePath, "/tmp/score one.pdf");
    EXPECT_TRUE(choice.replaceConfirmed);
    EXPECT_EQ(choice.copies, 1);
}

// The "Pages" tab opens with the last choices, gives its filter to every choice
// and its list (typed in any order, with repeats) only while "List" is chosen,
// takes no more than the list's length, and shows a refused list emptied.
TEST(GtkPrintPagesTab, FilterAndListFollowTheTab) {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    sysdlg::PrintChoice last;
    last.filter = sysdlg::PageFilter::Odd;
    last.range = sysdlg::PrintRange::List;
    last.listText = "2 4";
    PagesTab tab = MakePagesTab(last);
    g_object_ref_sink(tab.box);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(tab.odd)));
    EXPECT_TRUE(gtk_widget_get_sensitive(tab.list));
    sysdlg::PrintChoice choice;
    ApplyPagesTab(tab, choice);
    EXPECT_EQ(choice.filter, sysdlg::PageFilter::Odd);
    EXPECT_EQ(choice.range, sysdlg::PrintRange::List);
    EXPECT_EQ(choice.listText, "2 4");

    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(tab.even), TRUE);
    gtk_entry_set_text(GTK_ENTRY(tab.list), "3, 1 3");
    choice = {};
    ApplyPagesTab(tab, choice);
    EXPECT_EQ(choice.filter, sysdlg::PageFilter::Even);
    EXPECT_EQ(choice.listText, "3, 1 3");

    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(tab.useList), FALSE);
    EXPECT_FALSE(gtk_widget_get_sensitive(tab.list));
    choice = {};
    ApplyPagesTab(tab, choice);
    EXPECT_EQ(choice.range, sysdlg::PrintRange::All);
    EXPECT_TRUE(choice.listText.empty());

    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(tab.useList), TRUE);
    gtk_entry_set_text(GTK_ENTRY(tab.list), std::string(400, '7').c_str());
    ApplyPagesTab(tab, choice);
    EXPECT_EQ(choice.listText.size(), sysdlg::kMaxPageListText);
    choice.listText.clear();
    ShowCheckedList(tab, choice);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(tab.list)), "");
    g_object_unref(tab.box);
}

}  // namespace
}  // namespace ql::gtk
