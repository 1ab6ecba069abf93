// Transposition and respelling benchmarks over one score of 1,000 measures on 4
// staves (four quarter notes per measure, with accidentals and several keys).
// Transpose: the whole score up a major second into the key two sharps higher (then
// back down, alternately) through TransposeBySemitones, staff by staff. Respell: every cell's
// pitches parked, its key changed (C and G alternately) and respelled. The baseline of both, in the
// same run: one pass calling NoteToMidiKey on every note. Target: at most 3x the baseline.
#include <benchmark/benchmark.h>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/respell/respell.h"
#include "notes/transpose/transpose.h"
#include "platform/ui/headless.h"
#include "shell/preference_defaults.h"

namespace ql {
namespace {

constexpr int kMeasures = 1000;
constexpr int kStaves = 4;
constexpr int kNotesPerMeasure = 4;
constexpr int kQuarterTicks = 1024;
constexpr uint8_t kQuarter = CodeOf(DurationCode::Quarter);
constexpr int kMajorSecondSharps = 2;  // two fifths up: a major second
constexpr int kKeyCycle = 3;
constexpr int kPositionCycle = 9;
constexpr int kCodeCycle = 6;

// The score, made once per benchmark and freed with it.
class TransposeSession {
  public:
    TransposeSession() {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        RegisterAccidentalClass();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = CreateDocument(doc_, view_, nullptr) == doc_ && Build();
    }
    ~TransposeSession() {
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }
    TransposeSession(const TransposeSession&) = delete;
    TransposeSession& operator=(const TransposeSession&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }

    MeasureCell* Cell(int staff, int measure) const {
        return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    }

    // The baseline: the key of every note under its cell's clef and key.
    int SumOfKeys() const {
        int sum = 0;
        for (int staff = 1; staff <= kStaves; ++staff) {
            const StaffRecord* record = StaffRecordOf(doc_, staff);
            for (int m = 1; m <= kMeasures; ++m) {
                MeasureCell* cell = Cell(staff, m);
                for (EventRecord* n = GetVoiceFirstEvent(cell, 0); n != nullptr; n = NextEvent(n))
                    sum += NoteToMidiKey(record, *n, CellClef(*cell), CellKey(*cell));
            }
        }
        return sum;
    }

  private:
    bool Build() {
        doc_->header.measureCount = kMeasures;
        doc_->header.staffCount = kStaves;
        view_->currentPage = doc_->firstPage;
        view_->currentSystem = doc_->firstPage->firstSystem.get();
        for (int s = 0; s <= kStaves; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            if (staff == nullptr || !IsStaffComplete(staff)) return false;
            doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        }
        const int keys[kKeyCycle] = {CodeOf(KeyCode::C), CodeOf(KeyCode::G), CodeOf(KeyCode::F)};
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = 1; m <= kMeasures; ++m) {
                MeasureCell* cell = Cell(staff, m);
                if (cell == nullptr) return false;
                const int clef = staff > 2 ? CodeOf(ClefKind::Bass) : CodeOf(ClefKind::Treble);
                cell->clefKey = static_cast<uint8_t>(clef | keys[m % kKeyCycle] << kKeyNibbleShift);
                for (int i = 0; i < kNotesPerMeasure; ++i) {
                    const int position = -((m + i) % kPositionCycle);
                    EventRecord* note =
                        AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(i * kQuarterTicks),
                                        kQuarter, static_cast<uint8_t>(position));
                    if (note == nullptr) return false;
                    SetNoteAccidentalCode(*note, (m * 7 + i) % kCodeCycle == 1 ? 1 : 0);
                }
            }
        return true;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void BM_Transpose(benchmark::State& state) {
    TransposeSession session;
    if (!session.ok()) {
        state.SkipWithError("score not built");
        return;
    }
    // Up a major second into the key two sharps higher, then back down.
    int sign = 1;
    for (auto _ : state) {
        for (int staff = 1; staff <= kStaves; ++staff) {
            TransposeRequest request;
            request.staff = staff;
            request.firstMeasure = 1;
            request.lastMeasure = kMeasures + 1;
            request.newKey = CellKey(*session.Cell(staff, 1)) + sign * kMajorSecondSharps;
            request.direction = sign > 0 ? TransposeDirection::Up : TransposeDirection::Down;
            TransposeBySemitones(session.view(), request);
        }
        sign = -sign;
    }
    state.SetLabel("target <= 3x");
}
BENCHMARK(BM_Transpose)->Unit(benchmark::kMillisecond);

void BM_Respell(benchmark::State& state) {
    TransposeSession session;
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

void BM_Transpose_Baseline(benchmark::State& state) {
    TransposeSession session;
    if (!session.ok()) {
        state.SkipWithError("score not built");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(session.SumOfKeys());
    state.SetLabel("baseline");
}
BENCHMARK(BM_Transpose_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
