// The score the transposition, respelling and key-change benchmarks share: 1,000
// measures on 4 staves, four quarter notes per measure (positions cycling, every
// sixth note with an accidental), keys C, G and F in turn, treble clef on staves
// 1-2 and bass on 3-4. Made once per benchmark and freed with it. Also the pass
// that transposes every staff a major second up or down, and the benchmark loop of
// such passes. Header only: benchmarks are single files.
#pragma once

#include <benchmark/benchmark.h>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/transpose/transpose.h"
#include "platform/ui/headless.h"

namespace ql::bench_keyed {

inline constexpr int kMeasures = 1000;
inline constexpr int kStaves = 4;
inline constexpr int kNotesPerMeasure = 4;
inline constexpr int kQuarterTicks = 1024;
inline constexpr uint8_t kQuarter = CodeOf(DurationCode::Quarter);
inline constexpr int kMajorSecondSharps = 2;  // two fifths up: a major second
inline constexpr int kKeyCycle = 3;
inline constexpr int kPositionCycle = 9;
inline constexpr int kCodeCycle = 6;

// Whether the view stands on the first page (edits then refresh its layout) or on
// no page (nothing is laid out in the measured loop).
enum class ViewPage { First, None };

class KeyedScore {
  public:
    explicit KeyedScore(ViewPage page) {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        RegisterAccidentalClass();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = CreateDocument(doc_, view_, nullptr) == doc_ && Build(page);
    }
    ~KeyedScore() {
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }
    KeyedScore(const KeyedScore&) = delete;
    KeyedScore& operator=(const KeyedScore&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }
    MeasureCell* Cell(int staff, int measure) const {
        return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    }

    // Every staff up a major second into the key two sharps higher (sign 1), or
    // down again (sign -1), through TransposeBySemitones.
    void TransposeEveryStaff(int sign) {
        for (int staff = 1; staff <= kStaves; ++staff) {
            TransposeRequest request;
            request.staff = staff;
            request.firstMeasure = 1;
            request.lastMeasure = kMeasures + 1;
            request.newKey = CellKey(*Cell(staff, 1)) + sign * kMajorSecondSharps;
            request.direction = sign > 0 ? TransposeDirection::Up : TransposeDirection::Down;
            TransposeBySemitones(view_, request);
        }
    }

  private:
    bool Build(ViewPage page) {
        doc_->header.measureCount = kMeasures;
        doc_->header.staffCount = kStaves;
        view_->currentPage = page == ViewPage::First ? doc_->firstPage : nullptr;
        if (page == ViewPage::First) view_->currentSystem = doc_->firstPage->firstSystem.get();
        for (int s = 0; s <= kStaves; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            if (staff == nullptr || !IsStaffComplete(staff)) return false;
            doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        }
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = 1; m <= kMeasures; ++m)
                if (!FillCell(staff, m)) return false;
        return true;
    }
    bool FillCell(int staff, int m) {
        const int keys[kKeyCycle] = {CodeOf(KeyCode::C), CodeOf(KeyCode::G), CodeOf(KeyCode::F)};
        MeasureCell* cell = Cell(staff, m);
        if (cell == nullptr) return false;
        const int clef = staff > 2 ? CodeOf(ClefKind::Bass) : CodeOf(ClefKind::Treble);
        cell->clefKey = static_cast<uint8_t>(clef | keys[m % kKeyCycle] << kKeyNibbleShift);
        for (int i = 0; i < kNotesPerMeasure; ++i) {
            const int position = -((m + i) % kPositionCycle);
            EventRecord* note =
                AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(i * kQuarterTicks), kQuarter,
                                static_cast<uint8_t>(position));
            if (note == nullptr) return false;
            SetNoteAccidentalCode(*note, (m * 7 + i) % kCodeCycle == 1 ? 1 : 0);
        }
        return true;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

// The transposition benchmark on a new score: every staff up a major second, then
// back down, in turn.
inline void RunTransposePasses(benchmark::State& state, ViewPage page) {
    KeyedScore score(page);
    if (!score.ok()) {
        state.SkipWithError("score not built");
        return;
    }
    int sign = 1;
    for (auto _ : state) {
        score.TransposeEveryStaff(sign);
        sign = -sign;
    }
}

}  // namespace ql::bench_keyed
