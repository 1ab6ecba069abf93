// Benchmarks of the block paste: 200 measures of 8 staves, four quarter notes in
// every cell, pasted behind themselves in the same score, against copying the same
// 1,600 cells one by one with the cell copy the paste is built on, in the same run.
// Undo is suspended in both, so the figures compare the copying. Target: at most 3x
// the baseline.
#include <benchmark/benchmark.h>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "editing/block_clipboard.h"
#include "editing/block_edit.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

constexpr int kStaves = 8;
constexpr int kMeasures = 200;
constexpr int kSystems = 100;  // of four measures: room for the block and its copy
constexpr int kPerSystem = 4;
constexpr int kQuarter = 1024;

class BlockBench {
  public:
    BlockBench() {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = beatmap_score::Build(doc_, view_, kStaves, {kSystems}, kPerSystem);
        for (int s = 1; ok_ && s <= kStaves; ++s)
            for (int m = 1; ok_ && m <= kMeasures; ++m)
                for (int beat = 0; ok_ && beat < 4; ++beat)
                    ok_ = AddEventToVoice(view_, Cell(s, m), 0, static_cast<uint16_t>(beat * kQuarter), 10,
                                          static_cast<uint8_t>(beat)) != nullptr;
    }
    ~BlockBench() {
        ClearBlockClipboard();
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }
    BlockBench(const BlockBench&) = delete;
    BlockBench& operator=(const BlockBench&) = delete;

    bool ok() const { return ok_; }
    MeasureCell* Cell(int staff, int measure) const {
        return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    }
    int Paste() {
        State().blockClipboard.source = BlockSource{doc_, 1, kStaves, 0, 1, kMeasures};
        SetCurrentMeasureQuick(view_, 1, kMeasures + 1);
        return BlockPaste(view_);
    }
    int CopyCells() {
        const BlockCellCopy copy{doc_, doc_, view_, 0};
        int ok = 1;
        for (int m = 1; m <= kMeasures; ++m)
            for (int s = 1; s <= kStaves; ++s) ok &= ReplaceCellContents(copy, Cell(s, m), Cell(s, kMeasures + m));
        return ok;
    }

  private:
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void BM_BlockPaste200MeasuresOf8Staves(benchmark::State& state) {
    BlockBench bench;
    if (!bench.ok()) {
        state.SkipWithError("no score");
        return;
    }
    ScopedUndoSuspension suspended;
    for (auto _ : state) benchmark::DoNotOptimize(bench.Paste());
}
BENCHMARK(BM_BlockPaste200MeasuresOf8Staves)->Unit(benchmark::kMillisecond);

void BM_CellCopies1600Cells(benchmark::State& state) {
    BlockBench bench;
    if (!bench.ok()) {
        state.SkipWithError("no score");
        return;
    }
    ScopedUndoSuspension suspended;
    for (auto _ : state) benchmark::DoNotOptimize(bench.CopyCells());
}
BENCHMARK(BM_CellCopies1600Cells)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
