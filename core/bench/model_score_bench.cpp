// Building and destroying a full score: a new document of two staves whose event
// pool is filled with notes (about 32,500, the most the 15-bit handles allow), then
// destroyed. Counters: notes made and the arena's peak bytes while the score lived.
#include <benchmark/benchmark.h>

#include "core/memory/arena.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/state.h"
#include "core/tests/model/full_score.h"
#include "core/model/view.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

void BM_BuildAndDestroyFullScore(benchmark::State& state) {
    ResetProgramState();
    ui::headless::ResetUi();
    const size_t arenaAtStart = ArenaBytesInUse();
    size_t peak = 0;
    int notes = 0;
    for (auto _ : state) {
        ScoreView* view = InitView(AllocView());
        ScoreDocument* doc = AllocDocument();
        if (CreateDocument(doc, view, nullptr) == nullptr || !full_score::BuildStaves(doc, view, full_score::kMeasures)) {
            state.SkipWithError("the score could not be built");
            break;
        }
        view->currentMeasureLength = DefaultMeasureTicks();
        notes = full_score::FillUntilRefused(view, doc);
        peak = std::max(peak, ArenaBytesInUse() - arenaAtStart);
        FreeView(view);
        FreeDocument(doc);
        ui::headless::ResetUi();  // drop the recorded low-memory box and beeps
    }
    state.counters["notes"] = notes;
    state.counters["arena_peak_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    ResetProgramState();
}
BENCHMARK(BM_BuildAndDestroyFullScore)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
