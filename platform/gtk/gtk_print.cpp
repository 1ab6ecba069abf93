// The desktop's print dialog and job submission (see gtk_print.h).
#include "platform/gtk/gtk_print.h"

#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/gtk/gtk_print_pages.h"

namespace ql::gtk {
namespace {

// GTK counts pages from 0; the program's lists count from the first page.
constexpr int kFirstPageNumber = 1;
constexpr int kMaxCopies = 999;

// Several ranges become a list of page numbers, as long as the list text allows.
std::string RangesAsList(const GtkPageRange* ranges, int count) {
    std::string text;
    for (int r = 0; r < count; ++r) {
        for (int page = ranges[r].start; page <= ranges[r].end; ++page) {
            const std::string number = std::to_string(page + kFirstPageNumber);
            if (text.size() + number.size() + 1 > sysdlg::kMaxPageListText) return text;
            if (!text.empty()) text += ' ';
            text += number;
        }
    }
    return text;
}

void ChoosePages(GtkPrintSettings* settings, sysdlg::PrintChoice& choice) {
    if (gtk_print_settings_get_print_pages(settings) != GTK_PRINT_PAGES_RANGES) return;
    gint count = 0;
    GtkPageRange* ranges = gtk_print_settings_get_page_ranges(settings, &count);
    if (ranges == nullptr || count <= 0) {
        g_free(ranges);
        return;
    }
    if (count == 1) {
        choice.range = sysdlg::PrintRange::Pages;
        choice.fromPage = std::min(ranges[0].start, ranges[0].end) + kFirstPageNumber;
        choice.toPage = std::max(ranges[0].start, ranges[0].end) + kFirstPageNumber;
    } else {
        choice.range = sysdlg::PrintRange::List;
        choice.listText = RangesAsList(ranges, count);
    }
    g_free(ranges);
}

sysdlg::PageFilter FilterOf(GtkPageSet set) {
    if (set == GTK_PAGE_SET_EVEN) return sysdlg::PageFilter::Even;
    if (set == GTK_PAGE_SET_ODD) return sysdlg::PageFilter::Odd;
    return sysdlg::PageFilter::Every;
}

// The file a virtual printer writes to, from its output URI.
std::string OutputFile(GtkPrintSettings* settings) {
    const char* uri = gtk_print_settings_get(settings, GTK_PRINT_SETTINGS_OUTPUT_URI);
    if (uri == nullptr) return {};
    gchar* file = g_filename_from_uri(uri, nullptr, nullptr);
    std::string path = file != nullptr ? file : "";
    g_free(file);
    return path;
}

// The document's paper as a page setup: a custom size in inches, portrait (the
// sizes come with the orientation applied).
GtkPageSetup* PageSetupOf(const sysdlg::PrintPaper& paper) {
    GtkPageSetup* setup = gtk_page_setup_new();
    if (paper.widthInches <= 0.0 || paper.heightInches <= 0.0) return setup;
    GtkPaperSize* size = gtk_paper_size_new_custom("ql-document", "Score", paper.widthInches,
                                                   paper.heightInches, GTK_UNIT_INCH);
    gtk_page_setup_set_paper_size(setup, size);
    gtk_page_setup_set_orientation(setup, GTK_PAGE_ORIENTATION_PORTRAIT);
    gtk_paper_size_free(size);
    return setup;
}

sysdlg::PrintDialogAnswer RunDialog(const sysdlg::PrintDialogRequest& request) {
    GtkWidget* dialog = gtk_print_unix_dialog_new(request.documentTitle.c_str(), nullptr);
    auto* unix = GTK_PRINT_UNIX_DIALOG(dialog);
    // The even/odd choice is the "Pages" tab's; the program writes PDF only.
    gtk_print_unix_dialog_set_manual_capabilities(
        unix, static_cast<GtkPrintCapabilities>(GTK_PRINT_CAPABILITY_COPIES | GTK_PRINT_CAPABILITY_COLLATE |
                                                GTK_PRINT_CAPABILITY_GENERATE_PDF));
    GtkPrintSettings* initial = gtk_print_settings_new();
    gtk_print_settings_set_n_copies(initial, std::clamp(request.initial.copies, 1, kMaxCopies));
    gtk_print_settings_set_collate(initial, request.initial.collate);
    if (!request.initial.printer.empty())
        gtk_print_settings_set_printer(initial, request.initial.printer.c_str());
    gtk_print_unix_dialog_set_settings(unix, initial);
    g_object_unref(initial);
    GtkPageSetup* page = PageSetupOf(request.paper);
    gtk_print_unix_dialog_set_page_setup(unix, page);
    g_object_unref(page);
    const PagesTab pages = MakePagesTab(request.initial);
    gtk_print_unix_dialog_add_custom_tab(unix, pages.box, gtk_label_new(kPagesTabLabel));
    sysdlg::PrintDialogAnswer answer;
    while (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        GtkPrinter* printer = gtk_print_unix_dialog_get_selected_printer(unix);
        GtkPrintSettings* settings = gtk_print_unix_dialog_get_settings(unix);
        const bool toFile = printer != nullptr && gtk_printer_is_virtual(printer);
        sysdlg::PrintChoice choice =
            PrintChoiceFromSettings(settings, printer != nullptr ? gtk_printer_get_name(printer) : "", toFile);
        g_object_unref(settings);
        ApplyPagesTab(pages, choice);
        if (!request.check || request.check(choice)) {
            answer.status = sysdlg::PrintDialogStatus::Chosen;
            answer.choice = choice;
            break;
        }
        ShowCheckedList(pages, choice);
    }
    gtk_widget_destroy(dialog);
    return answer;
}

struct PrinterSearch {
    std::string name;
    GtkPrinter* found = nullptr;
};

gboolean MatchPrinter(GtkPrinter* printer, gpointer data) {
    auto* search = static_cast<PrinterSearch*>(data);
    if (search->name.empty() ? gtk_printer_is_default(printer) : search->name == gtk_printer_get_name(printer)) {
        search->found = GTK_PRINTER(g_object_ref(printer));
        return TRUE;
    }
    return FALSE;
}

// The job is done (sent or failed): the spooled PDF is the print system's to remove.
void JobFinished(GtkPrintJob* job, gpointer data, const GError* /*error*/) {
    auto* path = static_cast<std::string*>(data);
    std::error_code ignored;
    std::filesystem::remove(*path, ignored);
    (void)job;
}

void FreePath(gpointer data) {
    delete static_cast<std::string*>(data);
}

bool Submit(const sysdlg::PrintJobRequest& request) {
    PrinterSearch search{request.printer};
    gtk_enumerate_printers(MatchPrinter, &search, nullptr, TRUE);
    if (search.found == nullptr) return false;
    GtkPrintSettings* settings = gtk_print_settings_new();
    gtk_print_settings_set_n_copies(settings, std::clamp(request.copies, 1, kMaxCopies));
    gtk_print_settings_set_collate(settings, request.collate);
    GtkPageSetup* setup = PageSetupOf(request.paper);
    GtkPrintJob* job = gtk_print_job_new(request.title.c_str(), search.found, settings, setup);
    g_object_unref(setup);
    g_object_unref(settings);
    g_object_unref(search.found);
    GError* error = nullptr;
    if (!gtk_print_job_set_source_file(job, request.pdfPath.c_str(), &error)) {
        g_clear_error(&error);
        g_object_unref(job);
        return false;
    }
    gtk_print_job_send(job, JobFinished, new std::string(request.pdfPath), FreePath);
    g_object_unref(job);
    return true;
}

}  // namespace

sysdlg::PrintChoice PrintChoiceFromSettings(GtkPrintSettings* settings, const std::string& printer, bool toFile) {
    sysdlg::PrintChoice choice;
    choice.printer = printer;
    choice.copies = std::clamp(gtk_print_settings_get_n_copies(settings), 1, kMaxCopies);
    choice.collate = gtk_print_settings_get_collate(settings);
    choice.filter = FilterOf(gtk_print_settings_get_page_set(settings));
    ChoosePages(settings, choice);
    if (toFile) {
        choice.printToFile = true;
        choice.filePath = OutputFile(settings);
        // The desktop's dialog asks before it overwrites the file it names.
        choice.replaceConfirmed = !choice.filePath.empty();
    }
    return choice;
}

sysdlg::PrintBackend MakeGtkPrintBackend() {
    return sysdlg::PrintBackend{RunDialog, Submit};
}

}  // namespace ql::gtk
