// Importing a Standard MIDI File: a 2,000-measure file of four staff tracks and a
// conductor track (BM_ImportSmf) against the 200-measure file made the same way
// (BM_ImportSmf_Baseline) in the same run; target: at most 12x the baseline. The
// whole import is timed: the new score, reading, transcription, analysis and the
// pages. A score holds at most MaxMeasures - 8 measures: the notes past that are
// read and dropped. BM_ReadSmf reads every event of the 2,000-measure file through
// the byte layer alone, for comparison.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "interchange/bench/import_program.h"
#include "interchange/import_commands.h"
#include "interchange/smf/smf_format.h"
#include "interchange/smf/smf_reader.h"
#include "platform/sys/folders.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql {
namespace {

constexpr int kStaffTracks = 4;
constexpr int kDivision = 480;
constexpr uint8_t kKeys[kStaffTracks][4] = {{72, 74, 76, 77}, {60, 64, 67, 65}, {55, 57, 59, 60}, {36, 43, 40, 38}};

void PutVlq(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[smf::kMaxVlqBytes];
    const size_t count = smf::EncodeVlq(value, bytes);
    out.insert(out.end(), bytes, bytes + count);
}

void PutChunk(std::vector<uint8_t>& out, const std::vector<uint8_t>& data) {
    const uint8_t head[8] = {'M', 'T', 'r', 'k', static_cast<uint8_t>(data.size() >> 24),
                             static_cast<uint8_t>(data.size() >> 16), static_cast<uint8_t>(data.size() >> 8),
                             static_cast<uint8_t>(data.size())};
    out.insert(out.end(), head, head + 8);
    out.insert(out.end(), data.begin(), data.end());
}

// Four quarter notes a measure on each staff track, with running status.
std::vector<uint8_t> MakeFile(int measures) {
    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, kStaffTracks + 1,
                              static_cast<uint8_t>(kDivision >> 8), static_cast<uint8_t>(kDivision & 0xFF)};
    PutChunk(file, {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
                    0x00, 0xFF, 0x2F, 0x00});
    for (int t = 0; t < kStaffTracks; ++t) {
        std::vector<uint8_t> track{0x00, static_cast<uint8_t>(0x90 | t)};
        for (int m = 0; m < measures; ++m) {
            for (int beat = 0; beat < 4; ++beat) {
                const uint8_t key = static_cast<uint8_t>(kKeys[t][beat] + m % 3);
                if (m + beat > 0) PutVlq(track, 30);
                track.insert(track.end(), {key, 80});
                PutVlq(track, kDivision - 30);
                track.insert(track.end(), {key, 0});
            }
        }
        track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
        PutChunk(file, track);
    }
    return file;
}

std::string WriteFixture(int measures) {
    const std::string path =
        (sys::TemporaryFolder() / ("ql_bench_" + std::to_string(getpid()) + "_" + std::to_string(measures) + ".mid"))
            .string();
    const std::vector<uint8_t> bytes = MakeFile(measures);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Imports the file at `path` once an iteration (the file is removed after).
void RunImportOf(benchmark::State& state, const std::string& path) {
    PrepareImportProgram();
    int made = 0;
    for (auto _ : state) {
        ui::headless::SetDialogScript(import_options_dialog::kDialog,
                                      [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
        ScoreView* view = ImportFileByExtension(path);
        state.PauseTiming();
        if (view == nullptr) {
            state.SkipWithError("the file was not imported");
            break;
        }
        made = view->document->header.measureCount;
        {
            ScopedDocumentContext context(view);
            ScoreDocument* document = view->document;
            FreeView(view);
            FreeDocument(document);
        }
        ui::headless::ResetUi();
        state.ResumeTiming();
    }
    state.counters["measures"] = made;
    ResetProgramState();
    ResetObjectClassTable();
    std::remove(path.c_str());
}

void RunImport(benchmark::State& state, int measures) { RunImportOf(state, WriteFixture(measures)); }

void BM_ImportSmf(benchmark::State& state) {
    RunImport(state, 2000);
    state.SetLabel("target <= 12x");
}
BENCHMARK(BM_ImportSmf)->Unit(benchmark::kMillisecond);

void BM_ImportSmf_Baseline(benchmark::State& state) { RunImport(state, 200); }
BENCHMARK(BM_ImportSmf_Baseline)->Unit(benchmark::kMillisecond);

// One staff track of 16 keys in 4/4: held from the first beat to the end of the
// last measure, or struck at every barline and released at the next.
constexpr int kHeldKeys = 16;

std::vector<uint8_t> MakeHeldFile(int measures, bool held) {
    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2,
                              static_cast<uint8_t>(kDivision >> 8), static_cast<uint8_t>(kDivision & 0xFF)};
    PutChunk(file, {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> track{0x00, 0x90};
    const uint32_t bar = 4 * kDivision;
    for (int m = 0; m < (held ? 1 : measures); ++m) {
        for (int k = 0; k < kHeldKeys; ++k) {
            if (m + k > 0) PutVlq(track, 0);
            track.insert(track.end(), {static_cast<uint8_t>(40 + 3 * k), 80});
        }
        for (int k = 0; k < kHeldKeys; ++k) {
            PutVlq(track, k == 0 ? (held ? bar * static_cast<uint32_t>(measures) : bar) : 0);
            track.insert(track.end(), {static_cast<uint8_t>(40 + 3 * k), 0});
        }
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    PutChunk(file, track);
    return file;
}

// Writes a file of the temporary folder named after the process and `name`; its path.
std::string WriteBenchFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (sys::TemporaryFolder() / ("ql_bench_" + std::to_string(getpid()) + name)).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

void RunHeldImport(benchmark::State& state, bool held) {
    const int measures = static_cast<int>(state.range(0));
    RunImportOf(state, WriteBenchFile(held ? "_held.mid" : "_struck.mid", MakeHeldFile(measures, held)));
}

// 16 notes held for 1,000 measures (tied on at every barline) against the same
// notes struck in every measure; target: at most 2x the struck notes.
void BM_HeldNotesImport(benchmark::State& state) {
    RunHeldImport(state, true);
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_HeldNotesImport)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_HeldNotesImport_Baseline(benchmark::State& state) { RunHeldImport(state, false); }
BENCHMARK(BM_HeldNotesImport_Baseline)->Arg(1000)->Unit(benchmark::kMillisecond);

// One staff track: a quarter note, then `count` texts ("Text 1", "Text 2"...) `apart`
// ticks from one another, from the note's start.
std::vector<uint8_t> MakeTextsFile(int count, uint32_t apart) {
    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2,
                              static_cast<uint8_t>(kDivision >> 8), static_cast<uint8_t>(kDivision & 0xFF)};
    PutChunk(file, {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> track{0x00, 0x90, 60, 80};
    for (int i = 1; i <= count; ++i) {
        const std::string text = "Text " + std::to_string(i);
        PutVlq(track, i == 1 ? 0 : apart);
        track.insert(track.end(), {0xFF, 0x01, static_cast<uint8_t>(text.size())});
        track.insert(track.end(), text.begin(), text.end());
    }
    track.insert(track.end(), {0x00, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
    PutChunk(file, track);
    return file;
}

// Texts all at one tick against the same texts an eighth apart (each then stands
// at its own time); target: at most 3x.
void BM_ImportTextsAtOneTime(benchmark::State& state) {
    RunImportOf(state, WriteBenchFile("_texts_together.mid", MakeTextsFile(static_cast<int>(state.range(0)), 0)));
    state.SetLabel("target <= 3x");
}
BENCHMARK(BM_ImportTextsAtOneTime)->Arg(1000)->Arg(2000)->Arg(3000)->Unit(benchmark::kMillisecond);

void BM_ImportTextsAtOneTime_Baseline(benchmark::State& state) {
    RunImportOf(state,
                WriteBenchFile("_texts_apart.mid", MakeTextsFile(static_cast<int>(state.range(0)), kDivision / 2)));
}
BENCHMARK(BM_ImportTextsAtOneTime_Baseline)->Arg(1000)->Arg(2000)->Arg(3000)->Unit(benchmark::kMillisecond);

// The byte layer alone: every event of the 2,000-measure file from memory.
void BM_ReadSmf(benchmark::State& state) {
    const std::vector<uint8_t> bytes = MakeFile(2000);
    size_t events = 0;
    for (auto _ : state) {
        smf::SmfOpenStatus status = smf::SmfOpenStatus::Ok;
        std::unique_ptr<smf::MidiFileReader> file = smf::OpenMidiBytes(bytes, &status);
        smf::MidiFileEvent event;
        events = 0;
        while (std::unique_ptr<smf::MidiTrack> track = smf::ReadTrackHeader(*file))
            while (smf::ReadTrackEvent(*track, &event) == smf::TrackReadResult::Event) ++events;
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_ReadSmf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
