// Transposition and respelling benchmarks over one score of 1,000 measures on 4
// staves (four quarter notes per measure, with accidentals and several keys).
// Transpose: the whole score up a major second into the key two sharps higher (then
// back down, alternately) through TransposeBySemitones, staff by staff. Respell: every cell's
// pitches parked, its key changed (C and G alternately) and respelled. The baseline of both, in the
// same run: one pass calling NoteToMidiKey on every note. Target: at most 3x the baseline.
#include <benchmark/benchmark.h>

#include "notes/bench/keyed_score.h"
#include "notes/pitch/pitch.h"
#include "notes/respell/respell.h"

namespace ql {
namespace {

using namespace bench_keyed;

// The baseline: the key of every note under its cell's clef and key.
int SumOfKeys(const KeyedScore& score) {
    int sum = 0;
    for (int staff = 1; staff <= kStaves; ++staff) {
        const StaffRecord* record = StaffRecordOf(score.document(), staff);
        for (int m = 1; m <= kMeasures; ++m) {
            MeasureCell* cell = score.Cell(staff, m);
            for (EventRecord* n = GetVoiceFirstEvent(cell, 0); n != nullptr; n = NextEvent(n))
                sum += NoteToMidiKey(record, *n, CellClef(*cell), CellKey(*cell));
        }
    }
    return sum;
}

void BM_Transpose(benchmark::State& state) {
    RunTransposePasses(state, ViewPage::First);
    state.SetLabel("target <= 3x");
}
BENCHMARK(BM_Transpose)->Unit(benchmark::kMillisecond);

void BM_Respell(benchmark::State& state) {
    KeyedScore session(ViewPage::First);
    if (!session.ok()) {
        state.SkipWithError("score not built");
        return;
    }
    const int keys[2] = {CodeOf(KeyCode::G), CodeOf(KeyCode::C)};
    int round = 0;
    for (auto _ : state) {
        const int key = keys[round++ % 2];
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = 1; m <= kMeasures; ++m) {
                MeasureCell* cell = session.Cell(staff, m);
                ParkCellPitches(nullptr, cell);
                cell->clefKey = static_cast<uint8_t>(CellClef(*cell) | key << kKeyNibbleShift);
                RespellCellFromParkedPitches(session.view(), cell);
            }
    }
    state.SetLabel("target <= 3x");
}
BENCHMARK(BM_Respell)->Unit(benchmark::kMillisecond);

// Reading every note's MIDI key: the baseline of both the transposition and the
// respelling.
void NoteKeysBaseline(benchmark::State& state) {
    KeyedScore session(ViewPage::First);
    if (!session.ok()) {
        state.SkipWithError("score not built");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(SumOfKeys(session));
    state.SetLabel("baseline");
}

void BM_Transpose_Baseline(benchmark::State& state) { NoteKeysBaseline(state); }
BENCHMARK(BM_Transpose_Baseline)->Unit(benchmark::kMillisecond);

void BM_Respell_Baseline(benchmark::State& state) { NoteKeysBaseline(state); }
BENCHMARK(BM_Respell_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
