// Printing benchmarks: a score's pages printed to a PDF file through the whole
// print run (dialog, "Printing ..." box, page loop, the finished file), against
// the same pages painted through the same painter into image surfaces of a letter
// page at the screen's resolution, in the same run. BM_PrintPages: a new score of
// 50 pages in two copies (target at most 2x); BM_PrintScorePdf: the generated
// 22-part orchestral score of the MusicXML import benchmark, imported through the
// converter (target at most 1.5x).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "display/painter.h"
#include "display/print_view_state.h"
#include "interchange/bench/musicxml_scores.h"
#include "interchange/musicxml/musicxml_import.h"
#include "layout/page/page_layout_resources.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"
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

constexpr int kNewScorePages = 50;  // as many as a new score can be given
constexpr int kNewScoreCopies = 2;
constexpr int kOrchestraParts = 22;
constexpr int kOrchestraMeasures = 44;
constexpr int kScreenDpi = 96;
constexpr double kLetterWidthInches = 8.5;
constexpr double kLetterHeightInches = 11.0;

enum class BenchScore { NewScore, Orchestra };

// The program started headless with the score to print: a new score grown to 50
// pages, or the generated orchestral score imported from its MusicXML file.
class PrintBench {
  public:
    explicit PrintBench(BenchScore score) {
        if (!program_.started()) {
            failure_ = program_.failure();
            return;
        }
        if (score == BenchScore::NewScore)
            OpenNewScore();
        else
            ImportOrchestra();
    }
    ~PrintBench() { sysdlg::headless::ResetPrintDialogs(); }
    PrintBench(const PrintBench&) = delete;
    PrintBench& operator=(const PrintBench&) = delete;

    bool ok() const { return ok_; }
    int pages() const { return pages_ * copies_; }
    const std::string& failure() const { return failure_; }

    size_t PrintAll() {
        sysdlg::PrintChoice choice;
        choice.printToFile = true;
        choice.filePath = program_.scratch() + "/bench.pdf";
        choice.replaceConfirmed = true;
        choice.copies = copies_;
        sysdlg::headless::QueuePrintDialogStep({false, choice});
        const size_t pages = PrintDocument(view_).pagesDrawn.size();
        sysdlg::headless::ResetPrintDialogs();
        return pages;
    }

    // The same pages, the same painter, image surfaces instead of PDF pages.
    size_t PaintAll() {
        const PrintViewState kept = PrepareViewForPrinting(view_);
        size_t pages = 0;
        for (int page = 0; page < pages_ * copies_; ++page) {
            const int index = page % pages_;
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
    void OpenNewScore() {
        ui::headless::SetDialogScript(new_manuscript_dialog::kNewManuscriptDialog,
                                      [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
        win::SendMessage(Frame().window, win::Message::Command,
                         win::MakeCommandWord(cmd::kFileNew, 0));
        view_ = State().documents.ActiveView;
        if (view_ == nullptr) {
            failure_ = "File New made no view";
            return;
        }
        for (int index = view_->document->header.pageCount; index < kNewScorePages; ++index)
            ShowPageInView(view_, index);
        pages_ = view_->document->header.pageCount;
        copies_ = kNewScoreCopies;
        ok_ = pages_ == kNewScorePages;
        if (!ok_) failure_ = "the score has " + std::to_string(pages_) + " pages";
    }

    void ImportOrchestra() {
        const std::filesystem::path path =
            sys::TemporaryFolder() / ("ql-bench-" + std::to_string(::getpid()) + "-print.xml");
        std::ofstream(path, std::ios::binary) << musicxml::PartwiseScore(kOrchestraMeasures, kOrchestraParts);
        view_ = ImportMusicXml(path);
        std::filesystem::remove(path);
        if (view_ == nullptr) {
            failure_ = "the score was not imported";
            return;
        }
        pages_ = view_->document->header.pageCount;
        ok_ = pages_ > 1;
        if (!ok_) failure_ = "the score has " + std::to_string(pages_) + " page";
    }

    bench::HeadlessProgram program_;
    ScoreView* view_ = nullptr;
    int pages_ = 0;
    int copies_ = 1;
    bool ok_ = false;
    std::string failure_;
};

void PrintEveryPage(benchmark::State& state, BenchScore score, const char* target) {
    PrintBench bench(score);
    if (!bench.ok()) {
        state.SkipWithError(bench.failure().c_str());
        return;
    }
    for (auto _ : state)
        if (bench.PrintAll() != static_cast<size_t>(bench.pages())) state.SkipWithError("a page was not printed");
    state.counters["pages"] = bench.pages();
    state.SetLabel(target);
}

void PaintEveryPage(benchmark::State& state, BenchScore score) {
    PrintBench bench(score);
    if (!bench.ok()) {
        state.SkipWithError(bench.failure().c_str());
        return;
    }
    for (auto _ : state)
        if (bench.PaintAll() != static_cast<size_t>(bench.pages())) state.SkipWithError("a page was not painted");
    state.counters["pages"] = bench.pages();
    state.SetLabel("baseline");
}

void BM_PrintPages(benchmark::State& state) { PrintEveryPage(state, BenchScore::NewScore, "target <= 2x"); }
BENCHMARK(BM_PrintPages)->Unit(benchmark::kMillisecond);

void BM_PrintPages_Baseline(benchmark::State& state) { PaintEveryPage(state, BenchScore::NewScore); }
BENCHMARK(BM_PrintPages_Baseline)->Unit(benchmark::kMillisecond);

void BM_PrintScorePdf(benchmark::State& state) { PrintEveryPage(state, BenchScore::Orchestra, "target <= 1.5x"); }
BENCHMARK(BM_PrintScorePdf)->Unit(benchmark::kMillisecond);

void BM_PrintScorePdf_Baseline(benchmark::State& state) { PaintEveryPage(state, BenchScore::Orchestra); }
BENCHMARK(BM_PrintScorePdf_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
