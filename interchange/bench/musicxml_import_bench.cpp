// The whole MusicXML import but the final reformat: the converter program as a
// child process writing its NIFF file, then both NIFF passes and the builder (no
// document), for a score of about 1 MB (200 measures, BM_MusicXmlImport) against
// one of about 250 KB (50 measures, BM_MusicXmlImport_Baseline). Target: at most
// 4.5x the time (linear).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/state.h"
#include "interchange/bench/musicxml_scores.h"
#include "interchange/byte_source.h"
#include "interchange/musicxml/musicxml_import.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "platform/sys/child_process.h"
#include "platform/sys/file_io.h"
#include "platform/sys/folders.h"
#include "platform/ui/headless.h"

namespace ql::musicxml {
namespace {

// A scratch file of the temporary folder, removed at the end.
struct ScratchFile {
    explicit ScratchFile(const char* suffix) {
        path = (sys::TemporaryFolder() / ("ql-bench-XXXXXX" + std::string(suffix))).native();
        const int descriptor = ::mkstemps(path.data(), static_cast<int>(std::string(suffix).size()));
        if (descriptor >= 0) ::close(descriptor);
    }
    ~ScratchFile() { ::unlink(path.c_str()); }
    std::string path;
};

void RunImport(benchmark::State& state, int measures) {
    ResetProgramState();
    const ScratchFile xml(".xml");
    const ScratchFile niff(".nif");
    std::ofstream(xml.path, std::ios::binary) << PartwiseScore(measures);
    const std::filesystem::path converter = sys::ProgramFolder() / kConverterProgram;
    size_t made = 0;
    for (auto _ : state) {
        const sys::ChildOutcome outcome = sys::RunChildProcess(converter, {"--output", niff.path, xml.path});
        if (!outcome.exited || outcome.status != 0) {
            state.SkipWithError("the converter did not convert the score");
            break;
        }
        ui::headless::ResetUi();
        niff::NiffImportState import;
        const niff::NiffReadResult read = niff::ReadNiffPasses(import, [&] {
            return ByteSource::FromFile(sys::OpenFileForRead(niff.path, sys::FileShare::ReadWrite, nullptr));
        });
        if (read.read) niff::BuildScoreFromNiff(import);
        made = import.frame.measures.size();
        niff::ReleaseNiffImport(import);
    }
    state.counters["measures"] = static_cast<double>(made);
}

void BM_MusicXmlImport(benchmark::State& state) {
    RunImport(state, static_cast<int>(state.range(0)));
    state.SetLabel("target <= 4.5x");
}
BENCHMARK(BM_MusicXmlImport)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_MusicXmlImport_Baseline(benchmark::State& state) {
    RunImport(state, static_cast<int>(state.range(0)));
    state.SetLabel("baseline");
}
BENCHMARK(BM_MusicXmlImport_Baseline)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql::musicxml
