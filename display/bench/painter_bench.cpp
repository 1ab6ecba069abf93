// Score painter benchmarks.
// Full page: one page of a dense 10-staff score (two systems of four measures, four
// quarter notes with some accidentals per measure and staff, barlines, measure
// numbers, clefs) painted at zoom 16 into the score window's image. Its baseline in
// the same run is BM_PaintFullPage_Baseline, the platform's page drawn at zoom 16 (staff lines,
// stems, glyphs, beams and strings of a page straight through platform/gfx). Target:
// at most 3x.
// Growth: the measure column repainted after a one-note edit, in a 20-measure and a
// 1,000-measure score. Targets: at most a tenth of the full page, and the two within
// 1.2x of each other.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/ui/status_bar_notes.h"
#include "display/linked_views.h"
#include "display/painter.h"
#include "display/system_drawing.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_redraw.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/gfx/mapping.h"
#include "platform/sys/folders.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int kKeyC = 7;
constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 16;
constexpr int kStaves = 10;
constexpr int kSystems = 2;
constexpr int kPerSystem = 4;
constexpr int kNotesPerMeasure = 4;
constexpr uint16_t kQuarterTicks = 1024;
constexpr uint8_t kQuarter = 10;
constexpr int32_t kStaffPitch = 1024;
constexpr int kWindowWidth = 2100;  // a letter page at zoom 16
constexpr int kWindowHeight = 2750;
constexpr int kSmallScoreMeasures = 20;
constexpr int kLargeScoreMeasures = 1000;

// A score of `measures` measures (two systems a page) in a window, painted at zoom 16.
class PaintBench {
  public:
    explicit PaintBench(int measures) {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        ProgramPreferences().key = kKeyC;
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", kWindowWidth, kWindowHeight);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        const int pages = (measures + kSystems * kPerSystem - 1) / (kSystems * kPerSystem);
        ok_ = std::filesystem::exists(sys::ProgramFolder() / "Glyphora.ttf") &&
              CreateMusicFonts() &&
              beatmap_score::Build(doc_, view_, kStaves, std::vector<int>(pages, kSystems),
                                   kPerSystem) &&
              Prepare();
    }
    ~PaintBench() {
        EndViewDrawAll(view_);
        RestoreHiddenEmptyStavesOf(doc_);
        ReleaseCharsetText();
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
    }
    PaintBench(const PaintBench&) = delete;
    PaintBench& operator=(const PaintBench&) = delete;

    bool ok() const { return ok_; }
    void PaintPage() { PaintInvalidArea(win::GetClientRect(window_)); }
    // The edited measure's column invalidated and painted through the window's paint
    // cycle (a context clipped to the invalid area), as the score window paints it.
    void RepaintEditedMeasure() {
        SetCurrentSystemAndMeasure(view_, doc_->firstPage->firstSystem.get(), 1, 2, true);
        InvalidateCurrentCell(view_, false);
        PaintInvalidArea(win::GetUpdateRect(window_));
    }
    void PaintInvalidArea(const win::Rect& rect) {
        win::InvalidateRect(window_, &rect, true);
        PaintScoreWindow(view_);
    }

  private:
    bool Prepare() {
        doc_->internalDistances[static_cast<int>(EngravingMetric::StaffLineWid)] = 12;
        doc_->internalDistances[static_cast<int>(EngravingMetric::BarLineWid)] = 12;
        for (int m = 0; m < MaxMeasures; ++m)
            MeasureRecordOf(doc_, m)->number = static_cast<uint16_t>(m);
        for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
            ScoreSystem* system = page->firstSystem.get();
            for (int i = 0; i < page->systemCount && system != nullptr;
                 ++i, system = system->next.get()) {
                system->y = kLogicalOrigin + 2 * kStaffPitch + i * (kStaves + 1) * kStaffPitch;
                for (int s = 1; s <= kStaves; ++s)
                    StaffOffsetsOf(system)[s] = static_cast<uint16_t>(s * kStaffPitch);
            }
        }
        view_->ViewWindow = window_;
        view_->pageView = 1;
        view_->zoom = kZoom;
        InitViewMetrics(view_);
        UpdateBeatMaps(view_, 1);
        const int lastOnPage = doc_->firstPage->lastMeasure;
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = 1; m <= lastOnPage; ++m) {
                const NoteDrawLocation location(view_, staff, m);
                MeasureCell* cell = ExistingMeasureCell(doc_, staff, m);
                if (cell == nullptr) return false;
                for (int i = 0; i < kNotesPerMeasure; ++i)
                    if (AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(i * kQuarterTicks),
                                        kQuarter, static_cast<uint8_t>((m + i) % 7)) == nullptr)
                        return false;
            }
        UpdateBeatMaps(view_, 1);
        return true;
    }

    win::WindowHandle window_{};
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

void BM_PaintFullPage(benchmark::State& state) {
    PaintBench bench(kSystems * kPerSystem);
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.PaintPage();
    for (auto _ : state) bench.PaintPage();
    state.SetLabel("target <= 3x");
}
BENCHMARK(BM_PaintFullPage)->Unit(benchmark::kMillisecond);

// The argument is the score's measure count: the large score against the small one.
void RepaintEditedMeasure(benchmark::State& state) {
    PaintBench bench(static_cast<int>(state.range(0)));
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.PaintPage();
    for (auto _ : state) bench.RepaintEditedMeasure();
}

void BM_RepaintEditedMeasure(benchmark::State& state) {
    RepaintEditedMeasure(state);
    state.SetLabel("target <= 1.2x; and <= full page / 10");
}
BENCHMARK(BM_RepaintEditedMeasure)->Arg(kLargeScoreMeasures)->Unit(benchmark::kMillisecond);

void BM_RepaintEditedMeasure_Baseline(benchmark::State& state) {
    RepaintEditedMeasure(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_RepaintEditedMeasure_Baseline)->Arg(kSmallScoreMeasures)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
