// NIFF import speed: both passes and the builder (no document, so no final
// reformat) over writer-made scores of 2,000 measures x 8 staves against 500
// (target: at most 4.5x the time, linear); and the close of one staff's measure
// of 64 chords against one of 16 (target: at most 20x, no worse than quadratic).
#include <benchmark/benchmark.h>

#include <vector>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_voices.h"
#include "interchange/niff/niff_writer.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

constexpr int kStaves = 8;
constexpr int kMeasuresPerSystem = 4;
constexpr int kSystemsPerPage = 8;

// Each measure of each staff: four beats, each a stem with a beamed pair of
// two-note eighth chords.
void WriteMeasure(NiffWriter& out, int measure) {
    out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure), 1)});
    out.EndChunk();
    for (int eighth = 0; eighth < 8; ++eighth) {
        out.BeginChunk("tmsl", {2, NiffField::Rational(static_cast<int16_t>(eighth), 8)});
        out.EndChunk();
        out.BeginChunk("stem");
        out.EndChunk();
        out.BeginChunk("beam", {eighth % 2 == 0 ? 0 : 1, eighth % 2 == 0 ? 1 : 0});
        out.Tag(18, {eighth / 2});
        out.EndChunk();
        for (int step : {eighth % 4, eighth % 4 + 2}) {
            out.BeginChunk("note", {0, step, NiffField::Rational(1, 8)});
            out.EndChunk();
        }
    }
}

std::vector<uint8_t> WriteScore(int measures) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    for (int part = 0; part < kStaves; ++part) {
        out.BeginChunk("part", {part, 0, 0, 1, part, -1, 0});
        out.EndChunk();
    }
    out.EndList();
    out.BeginList("data");
    for (int first = 0; first < measures; first += kMeasuresPerSystem * kSystemsPerPage) {
        out.BeginList("page");
        out.BeginChunk("pghd");
        out.EndChunk();
        for (int system = first; system < first + kMeasuresPerSystem * kSystemsPerPage && system < measures;
             system += kMeasuresPerSystem) {
            out.BeginChunk("syhd");
            out.EndChunk();
            for (int staff = 0; staff < kStaves; ++staff) {
                out.BeginChunk("sthd");
                out.Tag(32, {staff});
                out.EndChunk();
                for (int m = system; m < system + kMeasuresPerSystem && m < measures; ++m) WriteMeasure(out, m);
            }
        }
        out.EndList();
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

void RunImport(benchmark::State& state, int measures) {
    ResetProgramState();
    const std::vector<uint8_t> bytes = WriteScore(measures);
    size_t made = 0;
    for (auto _ : state) {
        ui::headless::ResetUi();
        NiffImportState import;
        const NiffReadResult read = ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); });
        if (read.read) BuildScoreFromNiff(import);
        made = import.frame.measures.size();
        ReleaseNiffImport(import);
    }
    state.counters["measures"] = static_cast<double>(made);
}

void BM_NiffImport(benchmark::State& state) {
    RunImport(state, static_cast<int>(state.range(0)));
    state.SetLabel("target <= 4.5x");
}
BENCHMARK(BM_NiffImport)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_NiffImport_Baseline(benchmark::State& state) {
    RunImport(state, static_cast<int>(state.range(0)));
    state.SetLabel("baseline");
}
BENCHMARK(BM_NiffImport_Baseline)->Arg(500)->Unit(benchmark::kMillisecond);

// Chords of one staff's measure: two lines, one stem up and one down, whose
// chords alternate in pitch, each chord two notes.
std::vector<NiffEvent> MeasureOfChords(int chords) {
    std::vector<NiffEvent> events;
    const int32_t step = 4096 / (chords / 2);
    for (int i = 0; i < chords; ++i) {
        const bool up = i % 2 == 0;
        for (int note = 0; note < 2; ++note) {
            NiffEvent event;
            event.tick = (i / 2) * step;
            event.duration = step;
            event.code = 6;
            event.position = (up ? -6 : 0) - (i % 5) - note * 2;
            event.direction = up ? -1 : 1;
            events.push_back(event);
        }
    }
    return events;
}

void RunClose(benchmark::State& state, int chords) {
    const std::vector<NiffEvent> events = MeasureOfChords(chords);
    for (auto _ : state) {
        NiffStaffMeasure measure;
        benchmark::DoNotOptimize(BuildNiffChords(events, 4096, measure));
    }
}

void BM_BuildNiffChords(benchmark::State& state) {
    RunClose(state, static_cast<int>(state.range(0)));
    state.SetLabel("target <= 20x");
}
BENCHMARK(BM_BuildNiffChords)->Arg(64);

void BM_BuildNiffChords_Baseline(benchmark::State& state) {
    RunClose(state, static_cast<int>(state.range(0)));
    state.SetLabel("baseline");
}
BENCHMARK(BM_BuildNiffChords_Baseline)->Arg(16);

}  // namespace
}  // namespace ql::niff
