// Spacing benchmarks on a score of four staves of mixed note values.
//
// BM_FullRespacing: every spacing list, width and system justification of a
// 1,000-measure score (systems of four measures), against BM_FullRespacing_Baseline
// in the same run: one walk over every event chain of the score summing
// EventDurationTicks. Target: at most 6x the baseline.
//
// BM_RefreshMeasureWidths/1000 against BM_RefreshMeasureWidths_Baseline/20: a one-note edit in the middle measure (a
// note's value changed) and RefreshMeasureWidths, in a 20- and a 1,000-measure score.
// It touches only its measure and its system, so both cost the same. Target: within
// 1.2x.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/tests/model/full_score.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "platform/ui/headless.h"

#include "layout/bench/mixed_score.h"

namespace ql {
namespace {

using namespace bench_layout;


void BM_FullRespacing(benchmark::State& state) {
    MixedScore score(kFullMeasures);
    if (!score.valid()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    std::vector<ScoreSystem> systems(kFullMeasures / kMeasuresPerSystem);
    for (size_t i = 0; i < systems.size(); ++i) {
        systems[i].firstMeasure = static_cast<uint16_t>(1 + i * kMeasuresPerSystem);
        systems[i].lastMeasure = static_cast<uint16_t>((i + 1) * kMeasuresPerSystem);
    }
    for (auto _ : state) {
        for (ScoreSystem& system : systems) JustifySystem(score.view(), &system);
        benchmark::DoNotOptimize(MeasureRecordOf(score.document(), kFullMeasures)->width);
    }
    state.SetLabel("target <= 6x");
}
BENCHMARK(BM_FullRespacing)->Unit(benchmark::kMillisecond);

void BM_FullRespacing_Baseline(benchmark::State& state) {
    MixedScore score(kFullMeasures);
    if (!score.valid()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreDocument* document = score.document();
    for (auto _ : state) {
        int64_t ticks = 0;
        for (int m = 1; m <= kFullMeasures; ++m)
            for (int s = 1; s <= kStaves; ++s) {
                MeasureCell* cell = FindMeasureCell(document, s, m);
                for (int v = 0; v < kVoiceCount; ++v)
                    for (EventRecord* e = GetVoiceFirstEvent(cell, v); e != nullptr; e = NextEvent(e))
                        ticks += EventDurationTicks(*e);
            }
        benchmark::DoNotOptimize(ticks);
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_FullRespacing_Baseline)->Unit(benchmark::kMillisecond);

void RunRefreshMeasureWidths(benchmark::State& state) {
    const int measures = static_cast<int>(state.range(0));
    MixedScore score(measures);
    if (!score.valid()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreView* view = score.view();
    ScoreDocument* document = score.document();
    const int middle = measures / 2;
    ScoreSystem* system = document->firstPage->firstSystem.get();
    system->firstMeasure = static_cast<uint16_t>(middle - 1);
    system->lastMeasure = static_cast<uint16_t>(middle + 2);
    view->currentPage = document->firstPage;
    view->currentSystem = system;
    view->currentStaff = 1;
    view->currentMeasure = middle;
    view->currentCell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, middle);
    EventRecord* note = GetVoiceFirstEvent(view->currentCell, 0);
    const uint8_t codes[2] = {note->duration, static_cast<uint8_t>(note->duration - 1)};
    int flip = 0;
    for (auto _ : state) {
        note->duration = codes[flip ^= 1];
        benchmark::DoNotOptimize(RefreshMeasureWidths(view, false, true));
    }
    state.SetLabel("target <= 1.2x");
}
// Growth: the larger score measured against the smaller one as its baseline.
void BM_RefreshMeasureWidths(benchmark::State& state) { RunRefreshMeasureWidths(state); }
BENCHMARK(BM_RefreshMeasureWidths)->Arg(1000)->Unit(benchmark::kMicrosecond);
void BM_RefreshMeasureWidths_Baseline(benchmark::State& state) {
    RunRefreshMeasureWidths(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_RefreshMeasureWidths_Baseline)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
