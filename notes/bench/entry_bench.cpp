// Note-entry benchmarks.
// Growth: entering one eighth (its respacing, re-beaming and redraw calls) into an
// empty measure in the middle of a 1,000-measure score of 4 staves, with undo capture
// suspended, against the same entry in a 10-measure score as its baseline. Entry
// touches only its measure and its system. Target: within 1.3x. The note is deleted
// again outside the timing.
// Undo: the same entry as one undoable edit (the Notes tool's Place), against the
// undo capture alone of an edit of one note of the same score. Target: at most 1.5x.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_delete.h"
#include "notes/entry/note_entry.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/beatmap/beatmap_score.h"

namespace ql {
namespace {

constexpr int kStaves = 4;
constexpr int kPerSystem = 5;
constexpr int kSystemsPerPage = 10;
constexpr int kEntryStep = -3;
constexpr int kBlackHeadGlyph = 72;
constexpr int32_t kBlackHead = 150;
constexpr int32_t kVisibleEdge = 32000;

// A score of `measures` measures on pages of ten 5-measure systems, the view on the
// middle measure's system, staff 1, its beat map built.
class EntryScore {
  public:
    explicit EntryScore(int measures) {
        RegisterNotesHandlerClass();
        std::vector<int> pages;
        for (int systems = measures / kPerSystem; systems > 0; systems -= kSystemsPerPage)
            pages.push_back(std::min(systems, kSystemsPerPage));
        ok_ = beatmap_score::Build(doc_, view_, kStaves, pages, kPerSystem);
        if (!ok_) return;
        beatmap_score::SetAdvance(doc_, kBlackHeadGlyph, kBlackHead);
        view_->visibleRect = gfx::Rect{kLogicalOrigin, kLogicalOrigin, kVisibleEdge, kVisibleEdge};
        measure_ = measures / 2 + 1;
        Locate();
        UpdateBeatMaps(view_, 1);
        ClearUndoHistory(doc_);
    }
    EntryScore(const EntryScore&) = delete;
    EntryScore& operator=(const EntryScore&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }
    // Back on the measure, the pointer at its first tick.
    void Locate() {
        ScoreSystem* system = SystemOfMeasureInScore(view_, measure_);
        if (system != nullptr) SetCurrentSystemAndMeasureQuick(view_, system, 1, measure_);
        view_->pointerPoint = LogicalPoint{CurrentSlotX(view_) + BeatMapTickToX(view_, 0),
                                           PositionY(view_, kEntryStep)};
    }
    EventRecord* FirstNote() { return GetVoiceFirstEvent(view_->currentCell, 0); }

  private:
    beatmap_score::Session session_;
    ScoreView* view_ = session_.view;
    ScoreDocument* doc_ = session_.document;
    int measure_ = 1;
    bool ok_ = false;
};

void RunGrowth(benchmark::State& state) {
    EntryScore score(static_cast<int>(state.range(0)));
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScopedUndoSuspension suspended;
    for (auto _ : state) {
        benchmark::DoNotOptimize(InsertNoteAtCursor(score.view()));
        state.PauseTiming();
        score.Locate();
        DeleteNote(score.view(), score.FirstNote(), false, 0);
        score.Locate();
        state.ResumeTiming();
    }
}
// Growth: the 1,000-measure score measured against the 10-measure one as its baseline.
void BM_EntryGrowth(benchmark::State& state) {
    RunGrowth(state);
    state.SetLabel("target <= 1.3x");
}
BENCHMARK(BM_EntryGrowth)->Arg(1000)->Unit(benchmark::kMicrosecond);
void BM_EntryGrowth_Baseline(benchmark::State& state) {
    RunGrowth(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_EntryGrowth_Baseline)->Arg(10)->Unit(benchmark::kMicrosecond);

// The Notes tool's click: entry inside its undoable edit.
void BM_EntryUndo(benchmark::State& state) {
    EntryScore score(static_cast<int>(state.range(0)));
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    const ScoreObjectClass* handler = FindObjectClass(ClassOfType(ObjectType::Note));
    for (auto _ : state) {
        handler->CreateAtClick(nullptr, score.view());
        state.PauseTiming();
        score.Locate();
        DeleteNoteAndFollow(score.view(), score.FirstNote());
        score.Locate();
        state.ResumeTiming();
    }
    state.SetLabel("target <= 1.5x");
}
BENCHMARK(BM_EntryUndo)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The capture alone: one note of the measure changed inside an undoable edit.
void BM_EntryUndo_Baseline(benchmark::State& state) {
    EntryScore score(static_cast<int>(state.range(0)));
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreView* view = score.view();
    InsertNoteAtCursor(view);
    score.Locate();
    EventRecord* note = score.FirstNote();
    for (auto _ : state) {
        UndoStep step(score.document(), view, UndoKind::Note, TypeCode(ObjectType::Note), UndoVerb::Change);
        note->velocity = static_cast<int8_t>(note->velocity ^ 1);
        SetDocumentModified(score.document());
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_EntryUndo_Baseline)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
