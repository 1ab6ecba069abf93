// The print run: the view kept and prepared, the dialog, the PDF drawn page by
// page under the "Printing ..." box, and the outcome. Any page error ends the job
// with AbortDocument, so a failed job is never sent as complete; Cancel stops
// after the page being drawn. The frame and the document's windows are disabled
// for the run and enabled again on every path.
#include "shell/printing/print_document.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/ui/long_operation.h"
#include "core/ui/wait_cursor.h"
#include "core/core_strings.h"
#include "core/draw/draw_surface.h"
#include "core/draw/reference_context.h"
#include "core/draw/view_metrics.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "core/units/paper_size.h"
#include "core/units/view_moves.h"
#include "display/painter.h"
#include "display/print_view_state.h"
#include "files/save/atomic_save.h"
#include "platform/gfx/dc.h"
#include "platform/sys/file_io.h"
#include "platform/sys/folders.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"
#include "shell/printing/print_abort.h"
#include "shell/printing/print_document_internal.h"
#include "shell/printing/print_hook.h"
#include "shell/printing/print_select.h"
#include "shell/resources/print_resources.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kPrintErrorStyle = ui::kBoxOk | ui::kBoxIconStop;
// The spool file: beside the print file, "<file>.XXXXXX.part"; else in the
// temporary folder, "ql-print-XXXXXX.pdf" (the X's chosen for each run).
constexpr char kSpoolBesideMark[] = ".";
constexpr char kSpoolBesideSuffix[] = ".part";
constexpr char kSpoolFilePrefix[] = "ql-print-";
constexpr char kSpoolFileSuffix[] = ".pdf";

PrintedPageObserver& Observer() {
    static PrintedPageObserver observer;
    return observer;
}

bool& CairoWriterChosen() {
    static bool chosen = false;
    return chosen;
}

// The frame and the document's windows are disabled while the run lasts.
class DisabledWindows {
  public:
    explicit DisabledWindows(ScoreDocument* document) {
        Disable(State().dialogs.FrameWindow);
        for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView)
            if (view->document == document) Disable(view->ViewWindow);
    }
    ~DisabledWindows() {
        for (platform::WindowHandle window : disabled_) win::EnableWindow(window, true);
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

  private:
    void Disable(platform::WindowHandle window) {
        if (window && !win::EnableWindow(window, false)) disabled_.push_back(window);
    }
    std::vector<platform::WindowHandle> disabled_;
};

// A new file for the PDF, under a name no file had: beside the print file, or in
// the temporary folder.
std::string SpoolPath(const std::optional<std::string>& printFile) {
    const std::string prefix =
        printFile ? *printFile + kSpoolBesideMark : (sys::TemporaryFolder() / kSpoolFilePrefix).string();
    std::string path;
    const sys::FileDescriptor file =
        sys::CreateUniqueFile(prefix, printFile ? kSpoolBesideSuffix : kSpoolFileSuffix, &path, nullptr);
    if (file == sys::kNoFile) return {};
    sys::CloseFile(file, nullptr);
    return path;
}

// Draws one page of the run; false on a page error.
bool DrawPrintedPage(ScoreView* view, platform::DcHandle printer, int32_t number) {
    ScorePage* page = FindPageByNumber(view->document, number, nullptr);
    if (page == nullptr) return false;
    ShowPageInView(view, GetPageIndex(view->document, page));
    // Showing a page leaves the beat maps of the page shown before: the printed page
    // is laid out by its own, as on screen.
    BuildShownPageBeatMaps(view);
    view->pageOrigin[0] = view->pageOrigin[1] = kLogicalOrigin;
    State().display.painter.paintRect =
        PaintArea{kLogicalOrigin, kLogicalOrigin, view->PageRight, view->PageBottom};
    State().display.painter.paintRectActive = 1;
    if (!gfx::StartPage(printer)) return false;
    BeginViewDraw(view);
    DrawScoreContents(view);
    EndViewDraw(view);
    return gfx::EndPage(printer);
}

struct PageLoopResult {
    bool failed = false;
    bool aborted = false;
};

PageLoopResult RunPageLoop(ScoreView* view, platform::DcHandle printer,
                           const std::vector<int32_t>& sequence, PrintAbortBox& run,
                           PrintRunResult& result) {
    State().drawing.PrintDC = printer;
    InitViewMetrics(view);
    PageLoopResult loop;
    for (int32_t number : sequence) {
        if (!DrawPrintedPage(view, printer, number)) {
            loop.failed = true;
            break;
        }
        result.pagesDrawn.push_back(number);
        if (Observer()) Observer()(number, printer);
        if (!PrintAbortProc(run)) {
            loop.aborted = true;
            break;
        }
    }
    EndViewDrawAll(view);
    State().drawing.PrintDC = {};
    return loop;
}

// Draws the sequence into the PDF at `spool`; the outcome of the drawing.
PrintOutcome DrawDocument(ScoreView* view, const std::string& spool,
                          const std::vector<int32_t>& sequence, PrintRunResult& result) {
    const std::string title = fs::path(view->document->path).filename().string();
    gfx::PrinterSetup setup = DocumentPrinterSetup(*view->document);
    setup.cairoWriter = CairoWriterChosen();
    platform::DcHandle printer = gfx::CreatePrinterContext(spool, setup);
    if (!printer) return PrintOutcome::Failed;
    PageLoopResult loop{true, false};
    {
        DisabledWindows disabled(view->document);
        PrintAbortBox run;
        run.document = view->document;
        ShowPrintAbortBox(run, title);
        if (gfx::StartDocument(printer, title))
            loop = RunPageLoop(view, printer, sequence, run, result);
        ClosePrintAbortBox(run);
    }
    bool finished = false;
    if (loop.failed || loop.aborted)
        gfx::AbortDocument(printer);
    else
        finished = gfx::EndDocument(printer);
    gfx::DeleteContext(printer);
    if (loop.aborted) return PrintOutcome::Aborted;
    return finished ? PrintOutcome::Printed : PrintOutcome::Failed;
}

// The finished PDF to its place: the print file, or the print system.
bool DeliverPdf(const std::string& spool, const std::optional<std::string>& printFile,
                const PrintSelection& selection, const std::string& title, const sysdlg::PrintPaper& paper) {
    if (printFile) return ReplaceWithTemporary(spool, *printFile) == 0;
    sysdlg::PrintJobRequest job{spool, title, selection.choice.printer, selection.choice.copies,
                                selection.choice.collate, paper};
    return sysdlg::SubmitPrintJob(job);
}

PrintOutcome PrintSelected(ScoreView* view, const PrintSelection& selection,
                           PrintRunResult& result) {
    // A choice without a page (one the dialog's check did not see) sends no job and
    // writes no file.
    const std::vector<int32_t> numbers = DocumentPageNumbers(view->document);
    if (PrintPageSequence(numbers, selection.choice, selection.list, 1).empty()) {
        ShowNothingToPrint(numbers);
        return PrintOutcome::NothingToPrint;
    }
    std::optional<std::string> printFile;
    if (selection.choice.printToFile) {
        printFile = ChoosePrintFile(*view->document, selection.choice);
        if (!printFile) return PrintOutcome::Declined;
    }
    // The pages are drawn with the program disabled, so nothing can change or close
    // the score meanwhile; only the "Printing ..." box answers.
    const LongOperation operation;
    if (operation.Refused()) return PrintOutcome::Declined;
    const std::string spool = SpoolPath(printFile);
    if (spool.empty()) return PrintOutcome::Failed;
    // A file has no print system to make the copies: the program makes them.
    const int copies = printFile ? std::max(1, selection.choice.copies) : 1;
    const WaitCursor waiting;
    const std::vector<int32_t> sequence = PrintPageSequence(numbers, selection.choice, selection.list, copies);
    PrintOutcome outcome = DrawDocument(view, spool, sequence, result);
    const std::string title = fs::path(view->document->path).filename().string();
    if (outcome == PrintOutcome::Printed && !DeliverPdf(spool, printFile, selection, title, DocumentPaper(*view->document)))
        outcome = PrintOutcome::Failed;
    // A delivered print file took the spool's place; the print system reads its own.
    std::error_code ignored;
    if (outcome != PrintOutcome::Printed) fs::remove(spool, ignored);
    return outcome;
}

bool PassesFilter(int32_t number, sysdlg::PageFilter filter) {
    switch (filter) {
        case sysdlg::PageFilter::Even:
            return number % 2 == 0;
        case sysdlg::PageFilter::Odd:
            return number % 2 != 0;
        default:
            return true;
    }
}

}  // namespace

std::vector<int32_t> PrintPageSequence(const std::vector<int32_t>& documentPages,
                                       const sysdlg::PrintChoice& choice,
                                       const std::vector<int32_t>& list, int copies) {
    std::vector<int32_t> once;
    if (choice.range == sysdlg::PrintRange::List) {
        once = list;
    } else {
        const bool ranged = choice.range == sysdlg::PrintRange::Pages;
        for (int32_t number : documentPages) {
            if (ranged && (number < choice.fromPage || number > choice.toPage)) continue;
            if (PassesFilter(number, choice.filter)) once.push_back(number);
        }
    }
    std::vector<int32_t> sequence;
    for (int copy = 0; copy < copies; ++copy)
        sequence.insert(sequence.end(), once.begin(), once.end());
    return sequence;
}

gfx::PrinterSetup DocumentPrinterSetup(const ScoreDocument& document) {
    double width = 0.0;
    double height = 0.0;
    PaperInches(document, &width, &height);
    gfx::PrinterSetup setup;
    if (width > 0.0 && height > 0.0) {
        setup.pageWidthDots = static_cast<int>(width * setup.dpi + 0.5);
        setup.pageHeightDots = static_cast<int>(height * setup.dpi + 0.5);
    }
    return setup;
}

sysdlg::PrintPaper DocumentPaper(const ScoreDocument& document) {
    const gfx::PrinterSetup setup = DocumentPrinterSetup(document);
    return {static_cast<double>(setup.pageWidthDots) / setup.dpi,
            static_cast<double>(setup.pageHeightDots) / setup.dpi};
}

sysdlg::PrintChoice& LastPrintChoice() {
    static sysdlg::PrintChoice choice;
    return choice;
}

void ResetPrintSettings() {
    LastPrintChoice() = sysdlg::PrintChoice{};
    Observer() = nullptr;
    CairoWriterChosen() = false;
}

void SetPrintedPageObserver(PrintedPageObserver observer) {
    Observer() = std::move(observer);
}

void SetPrintWithCairoWriter(bool cairo) { CairoWriterChosen() = cairo; }

PrintRunResult PrintDocument(ScoreView* view) {
    PrintRunResult result;
    if (!IsValidView(view) || view->document == nullptr) return result;
    const PrintViewState kept = PrepareViewForPrinting(view);
    std::optional<PrintSelection> selection;
    {
        // The pages are measured on the printer alone; the view measures again on
        // the reference context once it is back.
        const ReferenceContextPause pause;
        selection = SelectPrinter(view->document);
        if (selection) result.outcome = PrintSelected(view, *selection, result);
    }
    RestoreViewAfterPrinting(view, kept);
    // Said after the view's own readouts, which the restore shows again.
    if (!selection) SetStatusText(0, ProgramString(kStrUserCanceledPrint).c_str());
    if (result.outcome == PrintOutcome::Failed)
        ModalMessageBox(ProgramString(kStrPrintError), ProgramString(kStrProductName),
                        kPrintErrorStyle);
    return result;
}

}  // namespace ql
