// Fixture of the print tests: the program started headless with a new score of
// five pages in its window, the print dialog and file dialog queues empty, and
// helpers to script the dialog, read the PDFs and compare the view's state.
#pragma once

#include <string>
#include <vector>

#include "platform/sysdlg/print_dialog.h"
#include "shell/printing/print_document.h"
#include "shell/tests/program/program_fixture.h"

namespace ql::testing {

// What a print must give back exactly.
struct ViewSnapshot {
    int32_t pageOrigin[2] = {};
    int32_t scrollOrigin[2] = {};
    int32_t zoom = 0;
    ScorePage* page = nullptr;
    uint8_t pageView = 0;
    uint8_t showHidden = 0;
    uint8_t ossiaStaves = 0;
    bool operator==(const ViewSnapshot& other) const;
};

class PrintFixture : public ProgramFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A choice of the headless printer (or of a file at `file`).
    static sysdlg::PrintChoice ListChoice(const std::string& text);
    static sysdlg::PrintChoice FilterChoice(sysdlg::PageFilter filter);
    static void QueueOk(const sysdlg::PrintChoice& choice);

    ViewSnapshot Snapshot() const;
    // The pages of a PDF file: the count of its page objects; -1 when unreadable.
    static int PdfPageCount(const std::string& path);
    // The PDF of the only submitted job; empty when not exactly one.
    static std::string SubmittedPdf();
    // The texts of every message box shown, in order.
    std::vector<std::string> BoxTexts() const;

    ScoreView* view_ = nullptr;
    size_t boxesAtStart_ = 0;
    static constexpr int kPages = 5;
};

}  // namespace ql::testing
