// Saving and loading a score of 8 staves and 30,000 notes (SaveScoreFile, then
// LoadScoreFile into a new view and document, which is then freed) against a
// baseline in the same run: writing the same byte count to a file, fsync, and
// reading it back. Loading alone against the plain read back. And save plus load at
// 30,000 against 3,000 notes, for how it grows with the score.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/state.h"
#include "files/bench/sixteenths_score.h"
#include "files/read/score_reader.h"

namespace ql {
namespace {

using namespace bench_files;

// The score saved (reads quiet), and loaded again into a new view and document
// that are freed at once.
class LoadBenchScore : public SixteenthsScore {
  public:
    explicit LoadBenchScore(int notes) : SixteenthsScore(notes, "ql-load-bench") {
        State().files.QuietRead = 1;
        ok_ = Ok() && Save();
    }
    bool Saved() const { return ok_; }
    bool Load() {
        ScoreLoad load = LoadScoreFile(Path());
        const bool loaded = load.code == 0;
        FreeLoadedScore(load);
        SetCurrentPoolSet(document()->pools);
        return loaded;
    }

  private:
    bool ok_ = false;
};

void RunSaveAndLoad(benchmark::State& state, int notes) {
    LoadBenchScore score(notes);
    if (!score.Saved()) {
        state.SkipWithError("the score could not be built or saved");
        return;
    }
    for (auto _ : state)
        if (!score.Save() || !score.Load()) state.SkipWithError("a save or a load failed");
    state.counters["bytes"] = static_cast<double>(score.Bytes());
}

// The plain file operations on the saved file's byte count: optionally a write and
// fsync, then a read back.
void RunPlainBytes(benchmark::State& state, bool write) {
    LoadBenchScore score(kLargeScoreNotes);
    if (!score.Saved()) {
        state.SkipWithError("the score could not be built or saved");
        return;
    }
    const std::vector<char> bytes(score.Bytes(), 'x');
    std::vector<char> back(bytes.size());
    const std::string path = score.Folder() + "/plain.ql";
    int seed = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ready = seed >= 0 && ::write(seed, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (seed >= 0) ::close(seed);
    if (!ready) state.SkipWithError("the plain file could not be written");
    for (auto _ : state) {
        bool ok = true;
        if (write) {
            int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ok = out >= 0 && ::write(out, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                 ::fsync(out) == 0;
            if (out >= 0) ::close(out);
        }
        int in = ::open(path.c_str(), O_RDONLY);
        ok = ok && in >= 0 && ::read(in, back.data(), back.size()) == static_cast<ssize_t>(back.size());
        if (in >= 0) ::close(in);
        if (!ok) state.SkipWithError("the plain file operations failed");
        benchmark::DoNotOptimize(back.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_SaveAndLoadScore(benchmark::State& state) {
    RunSaveAndLoad(state, kLargeScoreNotes);
    state.SetLabel("target <= 8x");
}
BENCHMARK(BM_SaveAndLoadScore)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadScore_Baseline(benchmark::State& state) {
    RunPlainBytes(state, true);
    state.SetLabel("baseline");
}
BENCHMARK(BM_SaveAndLoadScore_Baseline)->Unit(benchmark::kMillisecond);

void BM_LoadScore(benchmark::State& state) {
    LoadBenchScore score(kLargeScoreNotes);
    if (!score.Saved()) {
        state.SkipWithError("the score could not be built or saved");
        return;
    }
    for (auto _ : state)
        if (!score.Load()) state.SkipWithError("a load failed");
    state.counters["bytes"] = static_cast<double>(score.Bytes());
    state.SetLabel("target <= 12x");
}
BENCHMARK(BM_LoadScore)->Unit(benchmark::kMillisecond);

void BM_LoadScore_Baseline(benchmark::State& state) {
    RunPlainBytes(state, false);
    state.SetLabel("baseline");
}
BENCHMARK(BM_LoadScore_Baseline)->Unit(benchmark::kMillisecond);

// Growth: 30,000 notes against 3,000 as the baseline.
void BM_SaveAndLoadGrowth(benchmark::State& state) {
    RunSaveAndLoad(state, kLargeScoreNotes);
    state.SetLabel("target <= 12x");
}
BENCHMARK(BM_SaveAndLoadGrowth)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadGrowth_Baseline(benchmark::State& state) {
    RunSaveAndLoad(state, kSmallScoreNotes);
    state.SetLabel("baseline");
}
BENCHMARK(BM_SaveAndLoadGrowth_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
