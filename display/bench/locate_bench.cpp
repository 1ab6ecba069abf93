// Locator benchmarks.
// Pointer move: SetLocationFromPoint plus FindEventUnderPointer over a grid of
// points on the last page of a 4-staff score of 1,000 measures, against the same on
// a score of 20 measures (the same page content: 5 systems of 4 measures, quarter
// notes). Target: within 1.2x; the cost is bounded by the current page.
// Decoding: DecodeAnchors of 2,000 time anchors on one page, against the least any
// decoder must read for them: MeasureSlotX plus a beat-map read per anchor.
// Target: at most 2x.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

constexpr int kStaves = 4;
constexpr int kPerSystem = 4;
constexpr int kSystemsPerPage = 5;
constexpr uint8_t kQuarter = 10;
constexpr int kQuarterTicks = 1024;
constexpr int kAnchors = 2000;
constexpr int kPointColumns = 64;
constexpr int kPointRows = 16;
constexpr int kPositionCycle = 9;

class LocateScore {
  public:
    explicit LocateScore(int measures) {
        std::vector<int> pages(measures / (kPerSystem * kSystemsPerPage), kSystemsPerPage);
        ok_ = beatmap_score::Build(doc_, view_, kStaves, pages, kPerSystem);
        if (!ok_) return;
        view_->pageView = 1;
        ScorePage* last = doc_->firstPage;
        while (last->next) last = last->next.get();
        view_->currentPage = last;
        view_->currentSystem = last->firstSystem.get();
        ok_ = Fill(last->firstMeasure, last->lastMeasure);
        UpdateBeatMaps(view_, 1);
        State().locate.ForceLocationUpdate = 1;
        SetCurrentMeasure(view_, 1, last->firstMeasure);
        State().locate.ForceLocationUpdate = 0;
    }
    LocateScore(const LocateScore&) = delete;
    LocateScore& operator=(const LocateScore&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }

  private:
    // Quarter notes in voice 0 of every staff of the measures of the shown page.
    bool Fill(int first, int last) {
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = first; m <= last; ++m) {
                MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m);
                if (cell == nullptr) return false;
                for (int t = 0, i = 0; t < beatmap_score::kWholeMeasure; t += kQuarterTicks, ++i)
                    if (AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(t), kQuarter,
                                        static_cast<uint8_t>(i % kPositionCycle)) == nullptr)
                        return false;
            }
        return true;
    }

    beatmap_score::Session session_;
    ScoreView* view_ = session_.view;
    ScoreDocument* doc_ = session_.document;
    bool ok_ = false;
};

// Points spread over the page's systems.
std::vector<LogicalPoint> PagePoints(const ScoreView* view) {
    std::vector<LogicalPoint> points;
    const ScoreSystem* first = view->currentPage->firstSystem.get();
    const int32_t top = first->y;
    const int32_t height = beatmap_score::kSystemPitch * kSystemsPerPage;
    for (int r = 0; r < kPointRows; ++r)
        for (int c = 0; c < kPointColumns; ++c)
            points.push_back(LogicalPoint{first->x + c * 150, top + r * height / kPointRows});
    return points;
}

void RunPointerMove(benchmark::State& state) {
    LocateScore score(static_cast<int>(state.range(0)));
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreView* view = score.view();
    const std::vector<LogicalPoint> points = PagePoints(view);
    size_t i = 0;
    for (auto _ : state) {
        const LogicalPoint p = points[i++ % points.size()];
        view->pointerPoint = p;
        SetLocationFromPoint(view, p);
        benchmark::DoNotOptimize(FindEventUnderPointer(view));
    }
    state.SetLabel("target <= 1.2x");
}
// Growth: the larger score measured against the smaller one as its baseline.
void BM_PointerMove(benchmark::State& state) { RunPointerMove(state); }
BENCHMARK(BM_PointerMove)->Arg(1000);
void BM_PointerMove_Baseline(benchmark::State& state) {
    RunPointerMove(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_PointerMove_Baseline)->Arg(20);

std::vector<ObjectLocation> TimeAnchors() {
    std::mt19937 rng(2000);
    std::vector<ObjectLocation> anchors(kAnchors);
    for (ObjectLocation& a : anchors) {
        const uint16_t words[4] = {static_cast<uint16_t>(rng() % kPerSystem),
                                   static_cast<uint16_t>((rng() % 256) * 16),
                                   static_cast<uint16_t>(rng() % 64),
                                   static_cast<uint16_t>(rng() % 512)};
        std::memcpy(&a, words, sizeof words);
    }
    return anchors;
}

void BM_DecodeAnchors(benchmark::State& state) {
    LocateScore score(20);
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    std::vector<ObjectLocation> anchors = TimeAnchors();
    std::vector<LogicalPoint> out(kAnchors);
    for (auto _ : state) {
        DecodeAnchors(score.view(), 0, anchors.data(), out.data(), kAnchors);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_DecodeAnchors);

void BM_DecodeAnchors_Baseline(benchmark::State& state) {
    LocateScore score(20);
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreView* view = score.view();
    const std::vector<ObjectLocation> anchors = TimeAnchors();
    std::vector<LogicalPoint> out(kAnchors);
    for (auto _ : state) {
        for (int i = 0; i < kAnchors; ++i) {
            uint16_t w[4];
            std::memcpy(w, &anchors[i], sizeof w);
            const int slot = view->currentSlot + w[0];
            out[i] = LogicalPoint{MeasureSlotX(view, view->currentSystem, slot) +
                                      SlotTickToX(view, view->currentSystem, slot, w[1]) +
                                      static_cast<int16_t>(w[2]),
                                  view->staffY + static_cast<int16_t>(w[3])};
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_DecodeAnchors_Baseline);

}  // namespace
}  // namespace ql
