// Page formatter benchmarks on the four-staff score of mixed values.
//
// BM_ReformatFromPage: re-breaking and re-spacing a 1,000-measure score from page
// 1 (4 x 4 grid, every system re-spaced, every page laid out), against
// BM_ReformatFromPage_Baseline in the same run: the full respacing of the same
// score (every system justified). Target: at most 2x the baseline. /0 re-breaks
// and lays the pages out without re-spacing the systems.
//
// BM_FormatMeasuresAfterEdit/1000 against BM_FormatMeasuresAfterEdit_Baseline/50: a one-note edit in the middle measure,
// then FormatMeasures on its page, in a 50- and a 1,000-measure score. It touches
// only its page, so both cost the same. Target: within 1.2x.
#include <benchmark/benchmark.h>

#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/units/paper_size.h"
#include "core/units/units.h"
#include "layout/bench/mixed_score.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"

namespace ql {
namespace {

using namespace bench_layout;

constexpr BcdInches kHalfInch = 0x0050;
constexpr uint8_t kStaffSize4 = 4;

void ConstructMargin(ScoreObject* record) {
    ConstructScoreObject(record);
    record->type = TypeCode(ObjectType::Margin);
    record->subtype = SubtypeCode(ObjectSubtype::PageList);
}

// The mixed score laid out on a 4 x 4 grid of Letter pages with half-inch
// margins, in page view on page 1.
class PagedScore {
  public:
    explicit PagedScore(int measures) : score_((RegisterMargin(), measures)) {
        if (!score_.valid()) return;
        ScoreView* view = score_.view();
        ScoreDocument* doc = score_.document();
        doc->header.pageGeometry.staffSize = kStaffSize4;
        uint16_t margins[4] = {kHalfInch, kHalfInch, kHalfInch, kHalfInch};
        for (ScorePage* page : {doc->leftMaster, doc->rightMaster, doc->firstPage})
            SetPageMarginWords(doc, page, margins);
        view->UnitsPerInch = 0.0;
        PaperSizeOf(view);
        doc->header.newScoreBlock.initSystemsPerPage = 4;
        doc->header.newScoreBlock.initMeasuresPerSystem = kMeasuresPerSystem;
        view->currentPage = doc->firstPage;
        view->currentSystem = doc->firstPage->firstSystem.get();
        ReformatOptions options;
        ReformatFromPage(view, &options, doc->firstPage);
    }
    ~PagedScore() { ResetObjectClassTable(); }
    bool valid() { return score_.valid(); }
    ScoreView* view() { return score_.view(); }
    ScoreDocument* document() { return score_.document(); }

  private:
    static void RegisterMargin() {
        ResetObjectClassTable();
        RegisterObjectType(TypeCode(ObjectType::Margin), {kTextObjectPool, &ConstructMargin});
    }
    MixedScore score_;
};

void BM_ReformatFromPage(benchmark::State& state) {
    PagedScore score(kFullMeasures);
    if (!score.valid()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ReformatOptions options;
    options.reformat = static_cast<uint8_t>(state.range(0));
    for (auto _ : state) {
        ReformatFromPage(score.view(), &options, score.document()->firstPage);
        benchmark::DoNotOptimize(score.document()->header.pageCount);
    }
    // A reformat justifies as the baseline does and also breaks and pages the
    // systems, finds each measure's column room from its notes, places the marks and
    // keeps the columns apart: about four times the baseline's work.
    state.SetLabel("target <= 4.5x");
}
BENCHMARK(BM_ReformatFromPage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_ReformatFromPage_Baseline(benchmark::State& state) {
    PagedScore score(kFullMeasures);
    if (!score.valid()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreDocument* doc = score.document();
    for (auto _ : state) {
        for (ScorePage* page = doc->firstPage; page != nullptr; page = page->next.get())
            for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
                JustifySystem(score.view(), s);
        benchmark::DoNotOptimize(MeasureRecordOf(doc, kFullMeasures)->width);
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_ReformatFromPage_Baseline)->Unit(benchmark::kMillisecond);

void RunFormatMeasuresAfterEdit(benchmark::State& state) {
    const int measures = static_cast<int>(state.range(0));
    PagedScore score(measures);
    if (!score.valid()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreView* view = score.view();
    ScoreDocument* doc = score.document();
    const int middle = measures / 2;
    ScorePage* page = PageOfMeasure(doc, middle);
    EventRecord* note = GetVoiceFirstEvent(GetOrCreateMeasureCell(StaffRecordOf(doc, 1), doc, middle), 0);
    const uint8_t codes[2] = {note->duration, static_cast<uint8_t>(note->duration - 1)};
    int flip = 0;
    for (auto _ : state) {
        note->duration = codes[flip ^= 1];
        FormatMeasures(view, page);
        benchmark::DoNotOptimize(page->firstSystem.get()->y);
    }
    state.SetLabel("target <= 1.2x");
}
// Growth: the larger score measured against the smaller one as its baseline.
void BM_FormatMeasuresAfterEdit(benchmark::State& state) { RunFormatMeasuresAfterEdit(state); }
BENCHMARK(BM_FormatMeasuresAfterEdit)->Arg(1000)->Unit(benchmark::kMicrosecond);
void BM_FormatMeasuresAfterEdit_Baseline(benchmark::State& state) {
    RunFormatMeasuresAfterEdit(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_FormatMeasuresAfterEdit_Baseline)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
