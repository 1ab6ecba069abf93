// Transcribing a stream of note messages into a score: 20,000 events against 2,000
// of the same kind in the same run (complexity bound: at most 12x the time). Each
// event list is four-note chords on every quarter over two staves in 4/4, each note
// held a little under its beat, so every measure holds chords, rests are few and
// nothing is tied; the whole road is timed: streaming, analysis, writing the
// measures, ties and tuplet marks. The score is emptied between passes untimed.
#include <benchmark/benchmark.h>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "notes/accidentals/accidental.h"
#include "notes/rests/rest.h"
#include "notes/ties/ties.h"
#include "objects/stored_classes.h"
#include "platform/ui/headless.h"
#include "sequencer/transcription_measures.h"
#include "sequencer/transcription_stream.h"

namespace ql {
namespace {

constexpr int kStaves = 2;
constexpr int kEventsPerChord = 8;  // four note-ons, four note-offs
constexpr int kChordKeys[] = {48, 55, 64, 72};
constexpr int32_t kBeat = 1024;
constexpr int32_t kHeld = 960;

class TranscribeScene {
  public:
    TranscribeScene() {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        ResetProgramOptions();
        RegisterStoredObjectClasses();
        RegisterAccidentalClass();
        RegisterRestClass();
        RegisterTieClass();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = CreateDocument(doc_, view_, nullptr) == doc_ && Build();
    }
    ~TranscribeScene() {
        ResetTranscription();
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }
    TranscribeScene(const TranscribeScene&) = delete;
    TranscribeScene& operator=(const TranscribeScene&) = delete;

    bool ok() const { return ok_; }

    // Empties the measures and the history, and readies the streaming state.
    void Clear() {
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= doc_->header.measureCount; ++m)
                ClearMeasureCell(GetOrCreateMeasureCell(StaffRecordOf(doc_, s), doc_, m), doc_);
        ClearUndoHistory(doc_);
        ResetTranscription();
        ResetTranscriptionWritten();
        for (int s = 1; s <= kStaves; ++s) StartTranscriptionStaff(view_, s, 1);
    }

    // Streams `events` messages (chords alternating between the staves) and writes
    // the measures; the number of measures used.
    int Transcribe(int events) {
        TranscriptionInput& in = TranscriptionInputs();
        const int chords = events / kEventsPerChord;
        for (int c = 0; c < chords; ++c) {
            for (int staff = 1; staff <= kStaves; ++staff) Feed(staff, c == 0 ? 0 : kBeat - kHeld, 0x90, c);
            for (int staff = 1; staff <= kStaves; ++staff) Feed(staff, kHeld, 0x80, c);
        }
        (void)in;
        const int last = std::max(LastRawMeasure(1), LastRawMeasure(2));
        TranscribeMeasureGroups(view_, 1, kStaves, 1, last, false);
        FinishTranscribedMeasures(view_, 0, 1, kStaves, 1, last);
        return last;
    }

  private:
    // Two notes of the chord per staff: each staff plays half of the four keys.
    void Feed(int staff, int32_t delta, uint8_t status, int chord) {
        TranscriptionInput& in = TranscriptionInputs();
        for (int k = 0; k < 2; ++k) {
            in.staff = staff;
            in.delta = k == 0 ? delta : 0;
            in.status = status;
            in.data[0] = static_cast<uint8_t>(kChordKeys[(staff - 1) * 2 + k] + chord % 5);
            in.data[1] = status == 0x90 ? 80 : 0;
            in.length = 2;
            TranscribeRecordedNotes(view_);
            TranscribeRecordedStaff(view_);
        }
    }

    bool Build() {
        doc_->header.staffCount = kStaves;
        doc_->header.measureCount = 1;
        view_->currentPage = nullptr;
        for (int s = 0; s <= kStaves; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            if (staff == nullptr || !IsStaffComplete(staff)) return false;
            doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        }
        return true;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void RunTranscribe(benchmark::State& state, int events) {
    TranscribeScene scene;
    if (!scene.ok()) return state.SkipWithError("the score could not be built");
    int measures = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Clear();
        state.ResumeTiming();
        measures = scene.Transcribe(events);
    }
    state.counters["measures"] = measures;
    state.counters["events"] = events;
}

void BM_Transcribe(benchmark::State& state) {
    RunTranscribe(state, static_cast<int>(state.range(0)));
    state.SetLabel("target <= 12x");
}
BENCHMARK(BM_Transcribe)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_Transcribe_Baseline(benchmark::State& state) {
    RunTranscribe(state, static_cast<int>(state.range(0)));
    state.SetLabel("baseline");
}
BENCHMARK(BM_Transcribe_Baseline)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
