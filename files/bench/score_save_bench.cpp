// Saving a score of 8 staves (normal mode: temporary file, fsync, verification by
// reading every record back, backup, rename) against a baseline in the same run that
// does the same file work with plain bytes: one write of the same byte count to a
// temporary file, fsync, a read back, the previous file kept by a link, the rename,
// the folder's fsync and the rename of the kept file to the backup's name.
// And the save at 3,000 against 30,000 notes, for how it grows with the score.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "files/bench/sixteenths_score.h"

namespace ql {
namespace {

using namespace bench_files;

constexpr char kFolderPrefix[] = "ql-save-bench";

void RunSaves(benchmark::State& state, int notes) {
    SixteenthsScore score(notes, kFolderPrefix);
    if (!score.Ok() || !score.Save()) {
        state.SkipWithError("the score could not be built or saved");
        return;
    }
    for (auto _ : state)
        if (!score.Save()) state.SkipWithError("a save failed");
    state.counters["notes"] = score.Notes();
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(score.Path()));
}

void BM_SaveScoreFile(benchmark::State& state) {
    RunSaves(state, kLargeScoreNotes);
    state.SetLabel("target <= 6x");
}
BENCHMARK(BM_SaveScoreFile)->Unit(benchmark::kMillisecond);

// The saved file's byte count written to a temporary file and fsynced, read back,
// then put in place as a save does: the previous file linked under a holding name,
// the temporary file renamed over it, the folder fsynced, the holding name renamed
// to the backup's.
void BM_SaveScoreFile_Baseline(benchmark::State& state) {
    SixteenthsScore score(kLargeScoreNotes, kFolderPrefix);
    if (!score.Ok() || !score.Save()) {
        state.SkipWithError("the score could not be built or saved");
        return;
    }
    const std::vector<char> bytes(std::filesystem::file_size(score.Path()), 'x');
    std::vector<char> back(bytes.size());
    const std::string temporary = score.Folder() + "/baseline.tmp";
    const std::string target = score.Folder() + "/baseline.ql";
    const std::string holding = score.Folder() + "/baseline.hold";
    const std::string backup = score.Folder() + "/baseline.BAK";
    std::filesystem::copy_file(score.Path(), target);
    for (auto _ : state) {
        int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = out >= 0 && ::write(out, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                  ::fsync(out) == 0;
        if (out >= 0) ::close(out);
        int in = ::open(temporary.c_str(), O_RDONLY);
        ok = ok && in >= 0 && ::read(in, back.data(), back.size()) == static_cast<ssize_t>(back.size());
        if (in >= 0) ::close(in);
        ok = ok && ::link(target.c_str(), holding.c_str()) == 0;
        ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
        int folder = ::open(score.Folder().c_str(), O_RDONLY | O_DIRECTORY);
        ok = ok && folder >= 0 && ::fsync(folder) == 0;
        if (folder >= 0) ::close(folder);
        ok = ok && std::rename(holding.c_str(), backup.c_str()) == 0;
        if (!ok) state.SkipWithError("the baseline's file operations failed");
        benchmark::DoNotOptimize(back.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.SetLabel("baseline");
}
BENCHMARK(BM_SaveScoreFile_Baseline)->Unit(benchmark::kMillisecond);

// Growth: 30,000 notes against 3,000 as the baseline.
void BM_SaveScoreGrowth(benchmark::State& state) {
    RunSaves(state, kLargeScoreNotes);
    state.SetLabel("target <= 12x");
}
BENCHMARK(BM_SaveScoreGrowth)->Unit(benchmark::kMillisecond);

void BM_SaveScoreGrowth_Baseline(benchmark::State& state) {
    RunSaves(state, kSmallScoreNotes);
    state.SetLabel("baseline");
}
BENCHMARK(BM_SaveScoreGrowth_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
