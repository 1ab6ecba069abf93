// Printing a score (File Print): the print dialog chooses, the program draws.
// Every page is drawn by our own loop with the score painter into one PDF on the
// printer context; the finished PDF goes to the print system, or becomes the file
// chosen for print to file. Pages are walked in the list's order (repeats kept)
// or in document order through the every/even/odd filter, once per copy the
// program makes. A choice that holds no page prints nothing and says so. The view
// is given back exactly as it was on every path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "platform/gfx/printer.h"
#include "platform/sysdlg/print_dialog.h"

namespace ql {

enum class PrintOutcome : uint8_t {
    Printed = 0,
    NotChosen = 1,  // no view, or the dialog was cancelled
    Declined = 2,   // print to file: no file chosen, or an existing one not replaced
    Aborted = 3,    // Cancel in the "Printing ..." box
    Failed = 4,     // "Print error"
    NothingToPrint = 5,  // the choice holds no page: said, nothing sent or written
};

struct PrintRunResult {
    PrintOutcome outcome = PrintOutcome::NotChosen;
    std::vector<int32_t> pagesDrawn;  // page numbers, in the order drawn
};

PrintRunResult PrintDocument(ScoreView* view);

// The page numbers a run draws: the list in its order, or the document's pages
// that pass the range and filter; all of it `copies` times.
std::vector<int32_t> PrintPageSequence(const std::vector<int32_t>& documentPages,
                                       const sysdlg::PrintChoice& choice,
                                       const std::vector<int32_t>& list, int copies);

// The printer page of the document: its paper and orientation at 600 dpi.
gfx::PrinterSetup DocumentPrinterSetup(const ScoreDocument& document);
// The same paper for the print system.
sysdlg::PrintPaper DocumentPaper(const ScoreDocument& document);

// The choices the next print dialog opens with (the last run's), and a reset.
sysdlg::PrintChoice& LastPrintChoice();
void ResetPrintSettings();

}  // namespace ql
