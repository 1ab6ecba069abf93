// Saving a score of 8 staves (normal mode: temporary file, fsync, verification by
// reading every record back, backup, rename) against a baseline in the same run: one
// write of the same byte count to a temporary file, fsync, rename and a read back.
// And the save at 3,000 against 30,000 notes, for how it grows with the score.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>  // mkdtemp
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/text/text_object.h"
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
constexpr uint8_t kSixteenth = 8;     // 256 ticks
constexpr int kSixteenthTicks = 256;
constexpr int kStepCycle = 9;
constexpr int kLargeScoreNotes = 30000;
constexpr int kSmallScoreNotes = 3000;

// A saved score of `notes` notes (rounded up to whole measures) in a folder of its
// own; everything is released by the destructor.
class BenchScore {
  public:
    explicit BenchScore(int notes) {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterAccidentalClass();
        RegisterRestClass();
        RegisterStoredObjectClasses();
        char pattern[] = "/tmp/ql-save-bench-XXXXXX";
        folder_ = mkdtemp(pattern) != nullptr ? pattern : "";
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = !folder_.empty() && CreateDocument(doc_, view_, nullptr) == doc_ && Fill(notes);
        doc_->path = folder_ + "/score.ql";
    }
    ~BenchScore() {
        FreeView(view_);
        FreeDocument(doc_);
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
        ResetProgramState();
        ResetObjectClassTable();
    }
    BenchScore(const BenchScore&) = delete;
    BenchScore& operator=(const BenchScore&) = delete;

    bool Ok() const { return ok_; }
    int Notes() const { return notes_; }
    bool Save() { return SaveScoreFile(doc_, view_) != 0; }
    std::string Folder() const { return folder_; }
    std::string Path() const { return doc_->path; }

  private:
    bool Fill(int notes) {
        ScopedPoolSet pools(doc_->pools);
        int measures = (notes + kStaves * kNotesPerMeasure - 1) / (kStaves * kNotesPerMeasure);
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
                for (int i = 0; i < kNotesPerMeasure; ++i, ++notes_)
                    if (AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(i * kSixteenthTicks), kSixteenth,
                                        static_cast<uint8_t>(i % kStepCycle)) == nullptr)
                        return false;
            }
        return true;
    }

    std::string folder_;
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    int notes_ = 0;
    bool ok_ = false;
};

void RunSaves(benchmark::State& state, int notes) {
    BenchScore score(notes);
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

// One write of the saved file's byte count, fsync, rename and a read back.
void BM_SaveScoreFile_Baseline(benchmark::State& state) {
    BenchScore score(kLargeScoreNotes);
    if (!score.Ok() || !score.Save()) {
        state.SkipWithError("the score could not be built or saved");
        return;
    }
    const std::vector<char> bytes(std::filesystem::file_size(score.Path()), 'x');
    std::vector<char> back(bytes.size());
    const std::string temporary = score.Folder() + "/baseline.tmp";
    const std::string target = score.Folder() + "/baseline.ql";
    for (auto _ : state) {
        int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = out >= 0 && ::write(out, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                  ::fsync(out) == 0;
        if (out >= 0) ::close(out);
        ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
        int in = ::open(target.c_str(), O_RDONLY);
        ok = ok && in >= 0 && ::read(in, back.data(), back.size()) == static_cast<ssize_t>(back.size());
        if (in >= 0) ::close(in);
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
