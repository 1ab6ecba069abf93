// Spacing benchmarks on a score of four staves of mixed note values.
//
// BM_FullRespacing: every spacing list, width and system justification of a
// 1,000-measure score (systems of four measures), against BM_FullRespacing_Baseline
// in the same run: one walk over every event chain of the score summing
// EventDurationTicks. Target: at most 6x the baseline.
//
// BM_RefreshMeasureWidths/20 and /1000: a one-note edit in the middle measure (a
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
#include "core/state.h"
#include "core/tests/model/full_score.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "platform/ui/headless.h"
#include "shell/preference_defaults.h"

namespace ql {
namespace {

constexpr int kStaves = 4;
constexpr int kFullMeasures = 1000;
constexpr int kMeasuresPerSystem = 4;
constexpr int kMeasureTicks = 4096;

// Bars of (time, duration code, dots) cycling over the measures and staves.
struct Value {
    int time;
    int code;
    int dots;
};
const std::vector<std::vector<Value>> kPatterns = {
    {{0, 12, 0}},
    {{0, 10, 0}, {1024, 10, 0}, {2048, 10, 0}, {3072, 10, 0}},
    {{0, 11, 0}, {2048, 10, 0}, {3072, 10, 0}},
    {{0, 9, 0}, {512, 9, 0}, {1024, 9, 0}, {1536, 9, 0}, {2048, 9, 0}, {2560, 9, 0}, {3072, 9, 0}, {3584, 9, 0}},
    {{0, 10, 0}, {1024, 9, 0}, {1536, 9, 0}, {2048, 11, 0}},
    {{0, 11, 1}, {3072, 10, 0}},
    {{0, 8, 0}, {256, 8, 0}, {512, 8, 0}, {768, 8, 0}, {1024, 10, 0}, {2048, 11, 0}},
};

// A score of kStaves staves of `measures` measures filled with the patterns.
class MixedScore {
  public:
    explicit MixedScore(int measures) {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetPreferenceDefaults();
        view_ = InitView(AllocView());
        document_ = AllocDocument();
        valid_ = CreateDocument(document_, view_, nullptr) != nullptr;
        if (!valid_) return;
        document_->header.staffCount = kStaves;
        valid_ = full_score::BuildStaves(document_, view_, measures);
        for (int m = 1; valid_ && m <= measures; ++m) {
            MeasureRecordOf(document_, m)->lengthTicks = kMeasureTicks;
            for (int s = 1; valid_ && s <= kStaves; ++s) Fill(s, m, kPatterns[(m + s) % kPatterns.size()]);
        }
        view_->pageView = 1;
        view_->currentPage = nullptr;  // the justification's target is the measures' total
    }
    ~MixedScore() {
        FreeView(view_);
        FreeDocument(document_);
        ResetProgramState();
        ui::headless::ResetUi();
    }
    bool valid() const { return valid_; }
    ScoreView* view() { return view_; }
    ScoreDocument* document() { return document_; }

  private:
    void Fill(int staff, int measure, const std::vector<Value>& values) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document_, staff), document_, measure);
        view_->currentMeasureLength = kMeasureTicks;
        for (const Value& v : values) {
            EventRecord* note = AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(v.time),
                                                static_cast<uint8_t>(v.code), static_cast<uint8_t>(staff));
            if (note == nullptr) {
                valid_ = false;
                return;
            }
            note->word2 = static_cast<uint16_t>((note->word2 & ~kEventDotsMask) | v.dots);
        }
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* document_ = nullptr;
    bool valid_ = false;
};

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
    state.SetLabel("target <= 6x");
}
BENCHMARK(BM_FullRespacing_Baseline)->Unit(benchmark::kMillisecond);

void BM_RefreshMeasureWidths(benchmark::State& state) {
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
BENCHMARK(BM_RefreshMeasureWidths)->Arg(20)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
