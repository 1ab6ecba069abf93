// Building and destroying a full score: a new document of two staves whose event
// pool is filled with notes (about 32,500, the most the 15-bit handles allow), then
// destroyed. Counters: notes made and the arena's peak bytes while the score lived.
#include <benchmark/benchmark.h>

#include "core/arena.h"
#include "core/document.h"
#include "core/events.h"
#include "core/grid.h"
#include "core/state.h"
#include "core/view.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

constexpr int kMeasures = 200;
constexpr int kNotesPerVoice = 128;
constexpr uint8_t kShortValue = 5;  // 32 ticks
constexpr int kShortTicks = 32;
constexpr int kStepCycle = 9;

// Staff records for staves 0..staffCount, cells through the spare measures.
bool BuildStaves(ScoreDocument* doc, ScoreView* view) {
    doc->header.measureCount = kMeasures;
    for (int s = 0; s <= doc->header.staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
        if (staff == nullptr || !IsStaffComplete(staff)) return false;
        doc->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
    return true;
}

// Notes into the first voice of successive cells until the pool refuses one.
int FillScore(ScoreDocument* doc, ScoreView* view) {
    int notes = 0;
    for (int m = 1; m <= kMeasures; ++m) {
        for (int s = 1; s <= doc->header.staffCount; ++s) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, s), doc, m);
            for (int i = 0; i < kNotesPerVoice; ++i) {
                if (AddEventToVoice(view, cell, 0, static_cast<uint16_t>(i * kShortTicks),
                                    kShortValue, static_cast<uint8_t>(i % kStepCycle)) == nullptr)
                    return notes;
                ++notes;
            }
        }
    }
    return notes;
}

void BM_BuildAndDestroyFullScore(benchmark::State& state) {
    ResetProgramState();
    ui::headless::ResetUi();
    const size_t arenaAtStart = ArenaBytesInUse();
    size_t peak = 0;
    int notes = 0;
    for (auto _ : state) {
        ScoreView* view = InitView(AllocView());
        ScoreDocument* doc = AllocDocument();
        if (CreateDocument(doc, view, nullptr) == nullptr || !BuildStaves(doc, view)) {
            state.SkipWithError("the score could not be built");
            break;
        }
        view->currentMeasureLength = DefaultMeasureTicks();
        notes = FillScore(doc, view);
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
