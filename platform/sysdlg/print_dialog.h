// The print system's dialog and job submission. The dialog only chooses: the
// printer, copies and collation, the page range (all, from-to, or a free list
// with an every/even/odd filter) and printing to a file; the program draws every
// page itself into a PDF and hands the finished file to SubmitPrintJob. An OK is
// first shown to the caller's check, which may refuse it (the dialog then stays
// open with the choices the check left). A backend (the desktop's print dialog)
// is installed at start-up; without one, tests script the dialog from a queue and
// every dialog and submission is recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ql::sysdlg {

enum class PrintRange : uint8_t { All = 0, Pages = 1, List = 2 };
enum class PageFilter : uint8_t { Every = 0, Even = 1, Odd = 2 };

// The longest page-list text the dialog takes.
constexpr size_t kMaxPageListText = 255;
// What the headless print system calls its printer.
inline constexpr char kHeadlessPrinterName[] = "PDF";

struct PrintChoice {
    std::string printer;  // empty: the print system's default
    int copies = 1;
    bool collate = false;
    PrintRange range = PrintRange::All;
    int fromPage = 0;  // page numbers of the Pages range
    int toPage = 0;
    PageFilter filter = PageFilter::Every;
    std::string listText;  // the free list, at most kMaxPageListText characters
    bool printToFile = false;
    // Print to file: the path when the dialog chose it already (empty: the
    // program asks), and whether the dialog already asked about replacing it.
    std::string filePath;
    bool replaceConfirmed = false;
};

// The caller's check of an OK: true accepts; false keeps the dialog open with
// the choice as the check left it.
using PrintChoiceCheck = std::function<bool(PrintChoice& choice)>;

// The document's paper as the print system is to take it (orientation applied);
// 0 leaves the print system's own.
struct PrintPaper {
    double widthInches = 0.0;
    double heightInches = 0.0;
};

struct PrintDialogRequest {
    std::string documentTitle;
    int minPage = 1;  // the document's first and last page numbers
    int maxPage = 1;
    PrintPaper paper;
    PrintChoice initial;
    PrintChoiceCheck check;  // may be empty
};

enum class PrintDialogStatus : uint8_t { Chosen = 0, Cancelled = 1, Failed = 2 };

struct PrintDialogAnswer {
    PrintDialogStatus status = PrintDialogStatus::Cancelled;
    PrintChoice choice;
};

// A finished PDF for the printer. The print system owns the file from here on and
// removes it once sent.
struct PrintJobRequest {
    std::string pdfPath;
    std::string title;
    std::string printer;
    int copies = 1;
    bool collate = false;
    PrintPaper paper;
};

struct PrintBackend {
    std::function<PrintDialogAnswer(const PrintDialogRequest&)> runDialog;
    std::function<bool(const PrintJobRequest&)> submit;
};

// Runs the print dialog through the installed backend, or from the test queue.
PrintDialogAnswer RunPrintDialog(const PrintDialogRequest& request);
// Sends a finished PDF to the printer; false when the print system refused it.
bool SubmitPrintJob(const PrintJobRequest& job);
// Installs the desktop's print dialog; an empty backend goes back to the queue.
void InstallPrintBackend(PrintBackend backend);


namespace headless {

// One user step of a scripted print dialog: an OK with these choices, Cancel, or
// a dialog that fails (as a broken printer driver setup does).
struct PrintDialogStep {
    bool cancel = false;
    PrintChoice choice;
    bool fail = false;
};
// Each OK refused by the caller's check takes the next step; an empty queue
// cancels the dialog.
void QueuePrintDialogStep(PrintDialogStep step);

struct PrintDialogRecord {
    PrintDialogRequest request;
    int refusedOks = 0;
    PrintDialogStatus status = PrintDialogStatus::Cancelled;
};
const std::vector<PrintDialogRecord>& PrintDialogs();
// The jobs submitted while no backend was installed; their PDFs are kept.
const std::vector<PrintJobRequest>& SubmittedPrintJobs();
// Makes the next submissions fail (0: none).
void FailNextSubmissions(int count);
// Clears queue and records (the kept PDFs are removed) and removes a backend.
void ResetPrintDialogs();

}  // namespace headless
}  // namespace ql::sysdlg
