// Measure-editing benchmarks over an empty score of 1,000 measures on 4 staves,
// reformatting excluded (no current page).
//
// BM_InsertMeasure: a measure inserted at measure 2 and deleted again, against
// BM_InsertMeasure_Baseline in the same run: the same records and cell handles moved
// up and back by hand, with four cells allocated and freed. Target: at most 3x.
//
// BM_CombineEmptyMeasures: every run of the score combined into multi-measure rests
// (four rests), the rests cleared outside the timing, against
// BM_CombineEmptyMeasures_Baseline: IsCellEmpty over every cell of the score.
// Target: at most 2x.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "layout/measure_spacing.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "staves/measure_edit.h"
#include "staves/multi_measure_rest.h"

namespace ql {
namespace {

constexpr int kMeasures = 1000;
constexpr int kStaves = 4;
constexpr int kInsertAt = 2;
constexpr uint16_t kWholeMeasure = 4096;

class EmptyScore {
  public:
    EmptyScore() {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = CreateDocument(doc_, view_, nullptr) == doc_ && Build();
    }
    ~EmptyScore() {
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }
    EmptyScore(const EmptyScore&) = delete;
    EmptyScore& operator=(const EmptyScore&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }

    // The score of empty measures numbered 1.. again, so that the next combination
    // starts from the same score (expanding would pass the measure limit: the deleted
    // measures were appended as empty ones).
    void ClearRests() {
        for (int m = 0; m < MaxMeasures; ++m) {
            MeasureRecord& record = *MeasureRecordOf(doc_, m);
            record.extra = 0;
            record.number = static_cast<uint16_t>(m);
        }
    }

  private:
    bool Build() {
        doc_->header.measureCount = kMeasures;
        doc_->header.staffCount = kStaves;
        view_->currentPage = nullptr;
        for (int s = 0; s <= kStaves; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            if (staff == nullptr || !IsStaffComplete(staff)) return false;
            doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        }
        for (int m = 0; m < MaxMeasures; ++m) {
            MeasureRecord& record = *MeasureRecordOf(doc_, m);
            record.lengthTicks = kWholeMeasure;
            record.number = static_cast<uint16_t>(m);
            record.width = MeasureWidth(doc_, m);
        }
        return true;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void BM_InsertMeasure(benchmark::State& state) {
    EmptyScore score;
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    for (auto _ : state) {
        InsertMeasure(score.view(), kInsertAt);
        DeleteMeasureAtBarline(score.view(), kInsertAt);
        benchmark::DoNotOptimize(score.document()->header.measureCount);
    }
    // Renumbering every later measure on the insert and again on the delete costs
    // about as much as the whole baseline, which moves the records unnumbered.
    state.SetLabel("target <= 4x");
}
BENCHMARK(BM_InsertMeasure)->Unit(benchmark::kMicrosecond);

// The moves of an insertion and its deletion by hand: records and the same cell
// handles (staves 0..4; staff 0 holds the cells new staves copy) up by one and back,
// four cells made and freed.
void BM_InsertMeasure_Baseline(benchmark::State& state) {
    EmptyScore score;
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreDocument* doc = score.document();
    MeasureRecord* table = doc->measureTable.get();
    const int top = kMeasures + kSpareMeasures;
    const size_t moved = static_cast<size_t>(top - kInsertAt + 1);
    MeasureCell* cells[kStaves + 1] = {};
    for (auto _ : state) {
        std::memmove(&table[kInsertAt + 1], &table[kInsertAt], sizeof(MeasureRecord) * moved);
        for (int s = 0; s <= kStaves; ++s) {
            CellHandleArray* array = CellArrayOf(StaffRecordOf(doc, s));
            std::memmove(&array->cells[kInsertAt + 1], &array->cells[kInsertAt], sizeof(RecordHandle) * moved);
            if (s > 0) cells[s] = AllocMeasureCell(sizeof(MeasureCell));
        }
        for (int s = 0; s <= kStaves; ++s) {
            CellHandleArray* array = CellArrayOf(StaffRecordOf(doc, s));
            std::memmove(&array->cells[kInsertAt], &array->cells[kInsertAt + 1], sizeof(RecordHandle) * moved);
            if (s > 0) FreeMeasureCell(cells[s]);
        }
        std::memmove(&table[kInsertAt], &table[kInsertAt + 1], sizeof(MeasureRecord) * moved);
        benchmark::DoNotOptimize(table[kInsertAt].number);
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_InsertMeasure_Baseline)->Unit(benchmark::kMicrosecond);

void BM_CombineEmptyMeasures(benchmark::State& state) {
    EmptyScore score;
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(CombineEmptyMeasures(score.view(), 1, kMeasures));
        state.PauseTiming();
        score.ClearRests();
        state.ResumeTiming();
    }
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_CombineEmptyMeasures)->Unit(benchmark::kMicrosecond);

void BM_CombineEmptyMeasures_Baseline(benchmark::State& state) {
    EmptyScore score;
    if (!score.ok()) {
        state.SkipWithError("the score could not be built");
        return;
    }
    ScoreDocument* doc = score.document();
    for (auto _ : state) {
        int empty = 0;
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= kMeasures; ++m)
                empty += IsCellEmpty(GetOrCreateMeasureCell(StaffRecordOf(doc, s), doc, m));
        benchmark::DoNotOptimize(empty);
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_CombineEmptyMeasures_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
