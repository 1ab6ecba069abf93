// Printing benchmark: 100 pages (a new score of 50 pages, two copies made by the
// program) printed to a PDF file through the whole print run (dialog, "Printing
// ..." box, page loop, the finished file), against the same 100 pages painted
// through the same painter into image surfaces of a letter page at the screen's
// resolution, in the same run. Target: at most 2x.
#include <benchmark/benchmark.h>

#include <string>

#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "display/painter.h"
#include "display/print_view_state.h"
#include "layout/page/page_layout_resources.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/sysdlg/print_dialog.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/bench/headless_program.h"
#include "shell/printing/print_document.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/startup.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

constexpr int kBenchPages = 50;  // as many as a new score can be given
constexpr int kBenchCopies = 2;
constexpr int kScreenDpi = 96;
constexpr double kLetterWidthInches = 8.5;
constexpr double kLetterHeightInches = 11.0;

// The program started headless with a new score grown to 100 pages.
class PrintBench {
  public:
    PrintBench() {
        if (!program_.started()) {
            failure_ = program_.failure();
            return;
        }
        ui::headless::SetDialogScript(new_manuscript_dialog::kNewManuscriptDialog,
                                      [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
        win::SendMessage(Frame().window, win::Message::Command,
                         win::MakeCommandWord(cmd::kFileNew, 0));
        view_ = State().documents.ActiveView;
        if (view_ == nullptr) {
            failure_ = "File New made no view";
            return;
        }
        for (int index = view_->document->header.pageCount; index < kBenchPages; ++index)
            ShowPageInView(view_, index);
        ok_ = view_->document->header.pageCount == kBenchPages;
        if (!ok_)
            failure_ =
                "the score has " + std::to_string(view_->document->header.pageCount) + " pages";
    }
    ~PrintBench() { sysdlg::headless::ResetPrintDialogs(); }
    PrintBench(const PrintBench&) = delete;
    PrintBench& operator=(const PrintBench&) = delete;

    bool ok() const { return ok_; }
    const std::string& failure() const { return failure_; }

    size_t PrintAll() {
        sysdlg::PrintChoice choice;
        choice.printToFile = true;
        choice.filePath = program_.scratch() + "/bench.pdf";
        choice.replaceConfirmed = true;
        choice.copies = kBenchCopies;
        sysdlg::headless::QueuePrintDialogStep({false, choice});
        const size_t pages = PrintDocument(view_).pagesDrawn.size();
        sysdlg::headless::ResetPrintDialogs();
        return pages;
    }

    // The same pages, the same painter, image surfaces instead of PDF pages.
    size_t PaintAll() {
        const PrintViewState kept = PrepareViewForPrinting(view_);
        size_t pages = 0;
        for (int page = 0; page < kBenchPages * kBenchCopies; ++page) {
            const int index = page % kBenchPages;
            platform::BitmapHandle image =
                gfx::CreateImageBitmap(static_cast<int>(kLetterWidthInches * kScreenDpi),
                                       static_cast<int>(kLetterHeightInches * kScreenDpi));
            platform::DcHandle dc = gfx::CreateWindowContext(image);
            State().drawing.PrintDC = dc;
            if (page == 0) InitViewMetrics(view_);
            ShowPageInView(view_, index);
            view_->pageOrigin[0] = view_->pageOrigin[1] = kLogicalOrigin;
            State().display.painter.paintRect =
                PaintArea{kLogicalOrigin, kLogicalOrigin, view_->PageRight, view_->PageBottom};
            State().display.painter.paintRectActive = 1;
            BeginViewDraw(view_);
            DrawScoreContents(view_);
            EndViewDraw(view_);
            State().drawing.PrintDC = {};
            gfx::DeleteContext(dc);
            gfx::DeleteObject(image);
            ++pages;
        }
        RestoreViewAfterPrinting(view_, kept);
        return pages;
    }

  private:
    bench::HeadlessProgram program_;
    ScoreView* view_ = nullptr;
    bool ok_ = false;
    std::string failure_ = "the score did not reach 100 pages";
};

void BM_PrintPages(benchmark::State& state) {
    PrintBench bench;
    if (!bench.ok()) {
        state.SkipWithError(bench.failure().c_str());
        return;
    }
    for (auto _ : state)
        if (bench.PrintAll() != kBenchPages * kBenchCopies)
            state.SkipWithError("a page was not printed");
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_PrintPages)->Unit(benchmark::kMillisecond);

void BM_PrintPages_Baseline(benchmark::State& state) {
    PrintBench bench;
    if (!bench.ok()) {
        state.SkipWithError(bench.failure().c_str());
        return;
    }
    for (auto _ : state)
        if (bench.PaintAll() != kBenchPages * kBenchCopies)
            state.SkipWithError("a page was not painted");
    state.SetLabel("baseline");
}
BENCHMARK(BM_PrintPages_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
