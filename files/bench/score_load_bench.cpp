// Saving and loading a score of 8 staves and 30,000 notes (SaveScoreFile, then
// LoadScoreFile into a new view and document, which is then freed) against a
// baseline in the same run: writing the same byte count to a file, fsync, and
// reading it back. Loading alone against the plain read back. And save plus load at
// 30,000 against 3,000 notes, for how it grows with the score.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>  // mkdtemp
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "files/read/score_reader.h"
#include "files/score_file.h"
#include "notes/accidentals/accidental.h"
#include "notes/rests/rest.h"
#include "objects/stored_classes.h"
#include "platform/ui/headless.h"
#include "shell/preference_defaults.h"

namespace ql {
namespace {

constexpr int kStaves = 8;
constexpr int kNotesPerMeasure = 16;  // sixteenths fill a 4/4 measure
constexpr uint8_t kSixteenth = 8;
constexpr int kSixteenthTicks = 256;
constexpr int kStepCycle = 9;
constexpr int kLargeScoreNotes = 30000;
constexpr int kSmallScoreNotes = 3000;

// A score of `notes` notes (whole measures, beamed in pairs) saved in a folder of
// its own; everything is released by the destructor.
class LoadBenchScore {
  public:
    explicit LoadBenchScore(int notes) {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterAccidentalClass();
        RegisterRestClass();
        RegisterStoredObjectClasses();
        State().files.QuietRead = 1;
        char pattern[] = "/tmp/ql-load-bench-XXXXXX";
        folder_ = mkdtemp(pattern) != nullptr ? pattern : "";
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = !folder_.empty() && CreateDocument(doc_, view_, nullptr) == doc_ && Fill(notes);
        doc_->path = folder_ + "/score.ql";
        ok_ = ok_ && SaveScoreFile(doc_, view_) != 0;
    }
    ~LoadBenchScore() {
        FreeView(view_);
        FreeDocument(doc_);
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
        ResetProgramState();
        ResetObjectClassTable();
    }
    LoadBenchScore(const LoadBenchScore&) = delete;
    LoadBenchScore& operator=(const LoadBenchScore&) = delete;

    bool Ok() const { return ok_; }
    bool Save() { return SaveScoreFile(doc_, view_) != 0; }
    // Loads the saved file and frees what was loaded.
    bool Load() {
        ScoreLoad load = LoadScoreFile(doc_->path);
        const bool loaded = load.code == 0;
        FreeLoadedScore(load);
        SetCurrentPoolSet(doc_->pools);
        return loaded;
    }
    std::string Folder() const { return folder_; }
    size_t Bytes() const { return std::filesystem::file_size(doc_->path); }

  private:
    bool Fill(int notes) {
        ScopedPoolSet pools(doc_->pools);
        const int measures = (notes + kStaves * kNotesPerMeasure - 1) / (kStaves * kNotesPerMeasure);
        doc_->header.staffCount = kStaves;
        doc_->header.measureCount = static_cast<uint16_t>(measures);
        for (int s = 0; s <= kStaves; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            if (staff == nullptr) return false;
            doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        }
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= measures; ++m) {
                MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, s), doc_, m);
                if (cell == nullptr) return false;
                for (int i = 0; i < kNotesPerMeasure; ++i)
                    if (AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(i * kSixteenthTicks), kSixteenth,
                                        static_cast<uint8_t>(i % kStepCycle)) == nullptr)
                        return false;
            }
        return true;
    }

    std::string folder_;
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void RunSaveAndLoad(benchmark::State& state, int notes) {
    LoadBenchScore score(notes);
    if (!score.Ok()) {
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
    if (!score.Ok()) {
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
    if (!score.Ok()) {
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
