// Staff insertion: a staff inserted before staff 2 of a laid-out score of 1,000
// measures (10 pages of 10 systems of 10 measures) on 4 staves, removed again outside
// the timing; baseline in the same run: 1,000 cells made with GetOrCreateMeasureCell
// for a staff whose cells were freed outside the timing. Target: at most 2x.
//
// Key-change benchmark over one score of 1,000 measures on 4 staves (four quarter
// notes per measure, some with accidentals, keys C, G and F in turn). Key change: the
// key at measure 1 of every staff changed through the end of the piece keeping the
// pitches (SetMeasureKey, G and C in turn). Reference, in the same run and on the same
// notes: the whole score transposed up a major second into the key two sharps higher
// (and back) through TransposeBySemitones, staff by staff. Target: at most 1.5x.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar_notes.h"
#include "notes/bench/keyed_score.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "staves/key_changes.h"
#include "staves/staff_manage.h"

namespace ql {
namespace {

using namespace bench_keyed;

constexpr int kPastTheEnd = kMeasures + 5;

void BM_KeyChangeKeepPitches(benchmark::State& state) {
    KeyedScore session(ViewPage::None);
    if (!session.ok()) {
        state.SkipWithError("score not built");
        return;
    }
    const int keys[2] = {CodeOf(KeyCode::G), CodeOf(KeyCode::C)};
    int round = 0;
    for (auto _ : state) {
        KeyRangeChange change;
        change.firstMeasure = 1;
        change.endMeasure = kPastTheEnd;
        change.key = keys[round++ % 2];
        change.keepPitches = true;
        for (int staff = 1; staff <= kStaves; ++staff) {
            change.staff = staff;
            SetMeasureKey(session.view(), change);
        }
    }
    state.SetLabel("target <= 1.5x");
}
BENCHMARK(BM_KeyChangeKeepPitches)->Unit(benchmark::kMillisecond);

void BM_KeyChangeKeepPitches_Baseline(benchmark::State& state) {
    RunTransposePasses(state, ViewPage::None);
    state.SetLabel("baseline");
}
BENCHMARK(BM_KeyChangeKeepPitches_Baseline)->Unit(benchmark::kMillisecond);

constexpr int kLaidOutPages = 10;
constexpr int kSystemsPerPage = 10;
constexpr int kMeasuresPerSystem = 10;

// The laid-out score of the staff benchmarks, freed with its session.
class StaffSession : public beatmap_score::Session {
  public:
    StaffSession() {
        const std::vector<int> pages(kLaidOutPages, kSystemsPerPage);
        ok = beatmap_score::Build(document, view, kStaves, pages, kMeasuresPerSystem);
    }
    bool ok = false;
};

void BM_InsertStaff(benchmark::State& state) {
    StaffSession session;
    if (!session.ok) {
        state.SkipWithError("score not built");
        return;
    }
    for (auto _ : state) {
        if (InsertStaves(session.view, kInsertStaffBefore, 2) != 1) state.SkipWithError("refused");
        state.PauseTiming();
        RemoveStaff(session.view, 2);
        state.ResumeTiming();
    }
    state.SetLabel("target <= 2x the cell baseline");
}
BENCHMARK(BM_InsertStaff)->Unit(benchmark::kMillisecond);

void BM_InsertStaff_Baseline(benchmark::State& state) {
    StaffSession session;
    if (!session.ok) {
        state.SkipWithError("score not built");
        return;
    }
    StaffRecord* staff = StaffRecordOf(session.document, 1);
    CellHandleArray* cells = CellArrayOf(staff);
    for (auto _ : state) {
        state.PauseTiming();
        for (int m = 1; m <= kMeasures; ++m) {
            FreeMeasureCell(ExistingMeasureCell(session.document, 1, m));
            cells->cells[m] = RecordHandle{};
        }
        state.ResumeTiming();
        for (int m = 1; m <= kMeasures; ++m)
            benchmark::DoNotOptimize(GetOrCreateMeasureCell(staff, session.document, m));
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_InsertStaff_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
