// Beat-map benchmarks.
// Build: the map of a page of 12 systems x 4 measures x 4 staves of dense sixteenths
// (UpdateBeatMaps with relayout), against the least any builder must read: one walk
// over the same voice chains summing EventDurationTicks. Target: at most 4x.
// Growth: rebuilding the row of one system after a one-note edit (a note's step
// changed), on a page of 2 and of 24 systems (4 staves of sixteenths), and in a
// score of 10 and of 1,000 measures (one staff of sixteenths: more would pass the
// event pool at 1,000 measures); only the edited row is rebuilt. Target: the same
// cost within 1.2x.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

constexpr uint8_t kSixteenth = 8;
constexpr int kBuildStaves = 4;
constexpr int kBuildMeasuresPerSystem = 4;
constexpr int kGrowthStaves = 1;  // 1,000 measures of sixteenths: 16,000 notes
constexpr int kGrowthMeasuresPerSystem = 5;
constexpr int kGrowthSystemsPerPage = 12;
constexpr int kFollowingPageSystems = 24;
constexpr int kStepCycle = 9;

// A score built for the view, its cells filled with notes of one value; freed with it.
class BenchScore {
  public:
    BenchScore(int staves, const std::vector<int>& pages, int perSystem, uint8_t value) {
        ok_ = beatmap_score::Build(doc_, view_, staves, pages, perSystem) && Fill(value);
    }
    BenchScore(const BenchScore&) = delete;
    BenchScore& operator=(const BenchScore&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }
    // Makes a page (0 = page 1) and one of its systems current; returns the system.
    ScoreSystem* Show(int page, int index) {
        ScorePage* p = doc_->firstPage;
        for (int i = 0; i < page && p != nullptr; ++i) p = p->next.get();
        ScoreSystem* system = p != nullptr ? p->firstSystem.get() : nullptr;
        for (int i = 0; i < index && system != nullptr; ++i) system = system->next.get();
        view_->currentPage = p;
        view_->currentSystem = system;
        return system;
    }

  private:
    bool Fill(uint8_t value) {
        const int ticks = 1 << value;
        for (int staff = 1; staff <= doc_->header.staffCount; ++staff)
            for (int m = 1; m <= doc_->header.measureCount; ++m) {
                MeasureCell* cell = ExistingMeasureCell(doc_, staff, m);
                for (int t = 0, i = 0; t < beatmap_score::kWholeMeasure; t += ticks, ++i)
                    if (AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(t), value,
                                        static_cast<uint8_t>(i % kStepCycle)) == nullptr)
                        return false;
            }
        return true;
    }

    beatmap_score::Session session_;
    ScoreView* view_ = session_.view;
    ScoreDocument* doc_ = session_.document;
    bool ok_ = false;
};

std::vector<int> PagesOfSystems(int systems) {
    std::vector<int> pages;
    for (; systems > 0; systems -= kGrowthSystemsPerPage)
        pages.push_back(std::min(systems, kGrowthSystemsPerPage));
    return pages;
}

void BM_BeatMapBuild(benchmark::State& state) {
    BenchScore score(kBuildStaves, {static_cast<int>(state.range(0))}, kBuildMeasuresPerSystem,
                     kSixteenth);
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    score.Show(0, 0);
    for (auto _ : state) benchmark::DoNotOptimize(UpdateBeatMaps(score.view(), 1));
    state.SetLabel("target <= 4x");
}
BENCHMARK(BM_BeatMapBuild)->Arg(12)->Unit(benchmark::kMicrosecond);

void BM_BeatMapBuild_Baseline(benchmark::State& state) {
    BenchScore score(kBuildStaves, {static_cast<int>(state.range(0))}, kBuildMeasuresPerSystem,
                     kSixteenth);
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreDocument* doc = score.document();
    for (auto _ : state) {
        int64_t ticks = 0;
        for (int staff = 1; staff <= doc->header.staffCount; ++staff)
            for (int m = 1; m <= doc->header.measureCount; ++m) {
                MeasureCell* cell = ExistingMeasureCell(doc, staff, m);
                for (int voice = 0; voice < kVoiceCount; ++voice) {
                    const EventRecord* event = GetVoiceFirstEvent(cell, voice);
                    for (int n = 0;
                         event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength;
                         ++n, event = NextEvent(event))
                        ticks += EventDurationTicks(*event);
                }
            }
        benchmark::DoNotOptimize(ticks);
    }
}
BENCHMARK(BM_BeatMapBuild_Baseline)->Arg(12)->Unit(benchmark::kMicrosecond);

// A one-note edit in the first measure of a system, then that system's row rebuilt.
void RebuildRowAfterEdit(benchmark::State& state, BenchScore& score, int page, int index) {
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreSystem* system = score.Show(page, index);
    UpdateBeatMaps(score.view(), 1);
    score.Show(page, index);
    EventRecord* note =
        GetVoiceFirstEvent(ExistingMeasureCell(score.document(), 1, system->firstMeasure), 0);
    for (auto _ : state) {
        note->step = static_cast<uint8_t>(note->step ^ 1);
        benchmark::DoNotOptimize(BuildStaffBeatMap(score.view(), 0));
    }
    state.SetLabel("target <= 1.2x");
}

// The page of N systems is followed by a page of 24, so that the edited row (the
// page's first system) reaches its 27 slots whatever N is: only the page differs.
void RunBeatMapRowRebuild_PageSystems(benchmark::State& state) {
    const int systems = static_cast<int>(state.range(0));
    BenchScore score(kBuildStaves, {systems, kFollowingPageSystems}, kBuildMeasuresPerSystem,
                     kSixteenth);
    RebuildRowAfterEdit(state, score, 0, 0);
}
// Growth: the larger score measured against the smaller one as its baseline.
void BM_BeatMapRowRebuild_PageSystems(benchmark::State& state) { RunBeatMapRowRebuild_PageSystems(state); }
BENCHMARK(BM_BeatMapRowRebuild_PageSystems)->Arg(24)->Unit(benchmark::kMicrosecond);
void BM_BeatMapRowRebuild_PageSystems_Baseline(benchmark::State& state) {
    RunBeatMapRowRebuild_PageSystems(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_BeatMapRowRebuild_PageSystems_Baseline)->Arg(2)->Unit(benchmark::kMicrosecond);

// The whole score differs: a 10-measure score leaves its middle row fewer measures
// to reach (up to the count + 4) than a 1,000-measure one.
void RunBeatMapRowRebuild_ScoreMeasures(benchmark::State& state) {
    const int systems = static_cast<int>(state.range(0)) / kGrowthMeasuresPerSystem;
    const std::vector<int> pages = PagesOfSystems(systems);
    BenchScore score(kGrowthStaves, pages, kGrowthMeasuresPerSystem, kSixteenth);
    const int page = static_cast<int>(pages.size()) / 2;
    RebuildRowAfterEdit(state, score, page, pages[page] / 2);
}
// Growth: the larger score measured against the smaller one as its baseline.
void BM_BeatMapRowRebuild_ScoreMeasures(benchmark::State& state) { RunBeatMapRowRebuild_ScoreMeasures(state); }
BENCHMARK(BM_BeatMapRowRebuild_ScoreMeasures)->Arg(1000)->Unit(benchmark::kMicrosecond);
void BM_BeatMapRowRebuild_ScoreMeasures_Baseline(benchmark::State& state) {
    RunBeatMapRowRebuild_ScoreMeasures(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_BeatMapRowRebuild_ScoreMeasures_Baseline)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
