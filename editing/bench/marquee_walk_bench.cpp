// The marquee's note walk over a full page: 16 staves, two systems of four measures,
// four voices of four quarter notes in every measure, the marquee over the whole
// page. The baseline, in the same run: a plain loop over the same cells and events,
// standing the view on each cell and testing each head's place against the same
// rectangle. Target: the walk at most 2x the baseline.
#include <benchmark/benchmark.h>

#include "editing/marquee_walk.h"
#include "editing/tests/marquee_score.h"

namespace ql {
namespace {

constexpr int kStaves = 16;
constexpr int kSystems = 2;
constexpr int kPerSystem = 4;
constexpr int kMeasures = kSystems * kPerSystem;
constexpr int kVoices = 4;
constexpr int kBeats = 4;
constexpr RecordRect kWholePage{kLogicalOrigin, kLogicalOrigin, 32767, 32767};

bool Fill(const marquee_score::MarqueeScore& score) {
    for (int s = 1; s <= kStaves; ++s)
        for (int m = 1; m <= kMeasures; ++m)
            for (int v = 0; v < kVoices; ++v)
                for (int beat = 0; beat < kBeats; ++beat)
                    if (score.Note(s, m, v, beat * marquee_score::kQuarterTicks, -2 * v) == nullptr)
                        return false;
    return true;
}

bool Inside(const RecordRect& r, const LogicalPoint& p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

void BM_MarqueeNoteWalk(benchmark::State& state) {
    marquee_score::MarqueeScore score(kStaves, kSystems, kPerSystem);
    if (!score.ok() || !Fill(score)) {
        state.SkipWithError("score not built");
        return;
    }
    ScoreView* view = score.view();
    view->voiceMask = 0;
    SetMarqueeWalkRectangle(&kWholePage);
    int64_t found = 0;
    for (auto _ : state) {
        for (EventRecord* e = MarqueeNoteWalk(view, kWalkStart); e != nullptr;
             e = MarqueeNoteWalk(view, kWalkNext))
            ++found;
    }
    SetMarqueeWalkRectangle(nullptr);
    if (found != int64_t{state.iterations()} * kStaves * kMeasures * kVoices * kBeats)
        state.SkipWithError("the walk missed notes");
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_MarqueeNoteWalk)->Unit(benchmark::kMicrosecond);

void BM_MarqueeNoteWalk_Baseline(benchmark::State& state) {
    marquee_score::MarqueeScore score(kStaves, kSystems, kPerSystem);
    if (!score.ok() || !Fill(score)) {
        state.SkipWithError("score not built");
        return;
    }
    ScoreView* view = score.view();
    int64_t found = 0;
    for (auto _ : state) {
        for (int m = 1; m <= kMeasures; ++m)
            for (int s = 1; s <= kStaves; ++s) {
                SetCurrentMeasureQuick(view, s, m);
                for (int v = 0; v < kVoices; ++v)
                    for (EventRecord* e = GetVoiceFirstEvent(view->currentCell, v); e != nullptr;
                         e = NextEvent(e))
                        if (Inside(kWholePage, GetEventPosition(e, view))) ++found;
            }
    }
    benchmark::DoNotOptimize(found);
    state.SetLabel("baseline");
}
BENCHMARK(BM_MarqueeNoteWalk_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
