// The MusicXML import as the user runs it, timed in real time: the converter
// program as a child process writing its NIFF file, the NIFF import into a new
// score window and the layout of its pages, for a generated 22-part score of about
// 1.2 MB (BM_MusicXmlScoreImport), against reading and parsing the same file in
// this process (BM_MusicXmlScoreImport_Baseline). Target: at most 3.5x the
// baseline, which was 60 ms on the machine where it was set (a Release build:
// baseline 17 ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "interchange/bench/musicxml_scores.h"
#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_import.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "platform/sys/folders.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "shell/bench/headless_program.h"
#include "shell/program/score_windows.h"

namespace ql::musicxml {
namespace {

constexpr int kParts = 22;
constexpr int kMeasures = 44;  // about 1.2 MB of partwise text in 22 parts

// The score's file in the temporary folder, removed at the end.
struct ScoreFile {
    ScoreFile() {
        path = (sys::TemporaryFolder() / ("ql-bench-" + std::to_string(::getpid()) + "-orchestra.xml")).native();
        const std::string text = PartwiseScore(kMeasures, kParts);
        bytes = text.size();
        std::ofstream(path, std::ios::binary) << text;
    }
    ~ScoreFile() { ::unlink(path.c_str()); }
    std::string path;
    size_t bytes = 0;
};

void BM_MusicXmlScoreImport(benchmark::State& state) {
    const ScoreFile file;
    const bench::HeadlessProgram program;
    if (!program.started()) {
        state.SkipWithError(program.failure().c_str());
        return;
    }
    int measures = 0, staves = 0;
    for (auto _ : state) {
        ScoreView* view = ImportMusicXml(file.path);
        state.PauseTiming();
        if (view == nullptr) {
            state.SkipWithError("the score was not imported");
            break;
        }
        measures = view->document->header.measureCount;
        staves = view->document->header.staffCount;
        ForceCloseScoreWindow(view->ViewWindow);
        win::PumpMessages();
        ui::headless::ResetUi();
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(file.bytes);
    state.counters["measures"] = measures;
    state.counters["staves"] = staves;
    state.SetLabel("target <= 3.5x");
}
BENCHMARK(BM_MusicXmlScoreImport)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_MusicXmlScoreImport_Baseline(benchmark::State& state) {
    const ScoreFile file;
    size_t parts = 0;
    for (auto _ : state) {
        std::ifstream in(file.path, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        MxlScore score;
        ImportReport skipped;
        std::string error;
        if (!ReadMusicXml(bytes, score, skipped, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        parts = score.parts.size();
    }
    state.counters["bytes"] = static_cast<double>(file.bytes);
    state.counters["parts"] = static_cast<double>(parts);
    state.SetLabel("baseline");
}
BENCHMARK(BM_MusicXmlScoreImport_Baseline)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql::musicxml
