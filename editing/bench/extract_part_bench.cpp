// Benchmarks of Extract Part: a part of all 16 staves of a score of 1,000 measures
// (a quarter note in every cell), against the same part of a score of 250 measures
// in the same run. The part is made, laid out and freed in each iteration; the
// freeing is not timed. The work grows with the measures: target at most 4.5x the
// baseline for four times the measures.
#include <benchmark/benchmark.h>

#include "core/state.h"
#include "editing/part_extraction.h"
#include "editing/part_extraction_resources.h"
#include "editing/tests/marquee_score.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

constexpr int kStaves = 16;
constexpr int kPerSystem = 5;
constexpr int kLargeMeasures = 1000;
constexpr int kSmallMeasures = 250;

// The part window Extract Part made, if any.
ScoreView* PartView() {
    for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
        if (v->document != nullptr && v->document->path == kPartWindowName) return v;
    return nullptr;
}

// Runs the command on a score of `measures` measures; an error when the part
// does not hold them all.
void RunExtractPart(benchmark::State& state, int measures) {
    marquee_score::MarqueeScore score(kStaves, measures / kPerSystem, kPerSystem);
    bool ok = score.ok();
    for (int s = 1; ok && s <= kStaves; ++s)
        for (int m = 1; ok && m <= measures; ++m) ok = score.Note(s, m, 0, 0, s % 8) != nullptr;
    if (!ok) return state.SkipWithError("the score could not be built");
    RegisterPartExtractionResources();
    ui::headless::SetDialogScript(extract_part_dialog::kDialog,
                                  [](ui::headless::DialogDriver& dialog) { dialog.Click(ui::kIdOk); });
    int made = 0;
    for (auto _ : state) {
        ExtractStaves(score.view(), 1, kStaves);
        state.PauseTiming();
        ScoreView* part = PartView();
        made = part != nullptr ? part->document->header.measureCount : 0;
        if (part != nullptr) {
            ScoreDocument* document = part->document;
            FreeView(part);
            FreeDocument(document);
        }
        State().documents.ActiveView = score.view();
        state.ResumeTiming();
        if (made < measures) break;
    }
    ui::headless::SetDialogScript(extract_part_dialog::kDialog, {});
    if (made < measures) return state.SkipWithError("the part was not made whole");
    state.counters["measures"] = measures;
}

void BM_ExtractPart(benchmark::State& state) {
    RunExtractPart(state, static_cast<int>(state.range(0)));
    state.SetLabel("target <= 4.5x");
}
BENCHMARK(BM_ExtractPart)->Arg(kLargeMeasures)->Unit(benchmark::kMillisecond);

void BM_ExtractPart_Baseline(benchmark::State& state) {
    RunExtractPart(state, static_cast<int>(state.range(0)));
    state.SetLabel("baseline");
}
BENCHMARK(BM_ExtractPart_Baseline)->Arg(kSmallMeasures)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
