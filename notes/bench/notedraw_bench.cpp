// Note-drawing benchmarks.
// Page: the notes of one dense page (10 staves x 6 systems x 4 measures of beamed
// sixteenth chords, each chord a note with a sharp and one without) drawn into the
// score window's image at zoom 8, against a baseline in the same run that draws the
// same glyphs, lines, bars and beam polygons (taken from the draw-call log of one
// page) directly through platform/gfx and platform/text. Target: at most 2.5x.
// Growth: drawing one measure of a staff of beamed eighth chords in a score of 10
// and of 1,000 measures. Target: the same cost within 1.2x.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "notes/accidentals/accidental.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw_test_seam.h"
#include "notes/drawing/note_redraw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/stems/stems.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/sys/folders.h"
#include "platform/tests/win/plain_window.h"
#include "platform/text/text_out.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using notedraw::test_seam::InkCall;
using notedraw::test_seam::InkKind;

constexpr int kKeyC = 7;
constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 8;
constexpr uint16_t kSeparation = 640;  // staves close together: a page of 10 fits
constexpr int32_t kSystemGap = 1024;
constexpr int kPageStaves = 10;
constexpr int kPageSystems = 6;
constexpr int kPageMeasuresPerSystem = 4;
constexpr int kGrowthMeasuresPerSystem = 5;
constexpr int kGrowthSystemsPerPage = 10;
constexpr int kChordStepCycle = 5;
constexpr uint8_t kSixteenth = 8;
constexpr uint8_t kEighth =
    9;  // the growth scores: 1,000 measures of sixteenths would not fit pool 4
constexpr int32_t kMarginUnits = 512;

// A score for the view with its fonts and metrics, every cell filled with beamed
// sixteenth chords; freed with it.
class DrawBench {
  public:
    DrawBench(int staves, const std::vector<int>& pages, int perSystem, uint8_t value)
        : value_(value) {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        RegisterAccidentalClass();
        RegisterRestClass();
        ResetPreferenceDefaults();
        ProgramPreferences().key = kKeyC;
        ProgramPreferences().header.newScoreBlock.staffSeparation = kSeparation;
        OpenWindow();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        const auto font = sys::ProgramFolder() / "Glyphora.ttf";
        ok_ = std::filesystem::exists(font) && CreateMusicFonts() &&
              beatmap_score::Build(doc_, view_, staves, pages, perSystem) && Prepare(staves);
    }
    ~DrawBench() {
        notedraw::test_seam::SetInkLog(nullptr);
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
    }
    DrawBench(const DrawBench&) = delete;
    DrawBench& operator=(const DrawBench&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }

    // The notes of every staff of the measures of the current page.
    void DrawPage() {
        BeginViewDraw(view_);
        const ScorePage* page = view_->currentPage;
        for (int m = page->firstMeasure; m <= page->lastMeasure; ++m) DrawMeasure(m);
        EndViewDraw(view_);
    }
    void DrawMeasure(int measure) {
        for (int staff = 1; staff <= doc_->header.staffCount; ++staff) {
            const NoteDrawLocation location(view_, staff, measure);
            if (location.IsDrawable()) DrawStaffNotesAllVoices(view_, view_->currentCell);
        }
    }
    void DrawOneMeasure(int measure) {
        BeginViewDraw(view_);
        DrawMeasure(measure);
        EndViewDraw(view_);
    }

  private:
    void OpenWindow() {
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", 64, 64);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
    }

    // Metrics, systems spaced for their staves, the window sized to the first page,
    // the beat maps, and the notes.
    bool Prepare(int staves) {
        auto metric = [&](EngravingMetric m, uint16_t v) {
            doc_->internalDistances[static_cast<int>(m)] = v;
        };
        metric(EngravingMetric::BeamWid, 60);
        metric(EngravingMetric::BeamSep, 96);
        metric(EngravingMetric::StemWid, 12);
        metric(EngravingMetric::StaffLineWid, 12);
        metric(EngravingMetric::Accident, 102);
        const int32_t pitch = staves * kSeparation + kSystemGap;
        for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
            int32_t y = kLogicalOrigin + kSystemGap;
            for (ScoreSystem* s = page->firstSystem.get(); s != nullptr;
                 s = s->next.get(), y += pitch)
                s->y = y;
        }
        view_->ViewWindow = window_;
        view_->zoom = kZoom;
        InitViewMetrics(view_);
        UpdateBeatMaps(view_, 1);
        ScoreSystem* last = view_->currentPage->firstSystem.get();
        while (last->next.get() != nullptr) last = last->next.get();
        const int slots = last->lastMeasure - last->firstMeasure + 1;
        const int32_t right = MeasureSlotX(view_, last, slots + 1) + kMarginUnits;
        const int32_t bottom = last->y + pitch + kMarginUnits;
        auto device = [](int32_t v) { return (v - kLogicalOrigin) * kZoom / kUnitsPerStaffSpace; };
        win::MoveWindow(window_, win::Rect{0, 0, device(right), device(bottom)}, false);
        InitViewMetrics(view_);
        return Fill();
    }

    bool FillCell(int staff, int measure) {
        const NoteDrawLocation location(view_, staff, measure);
        MeasureCell* cell = view_->currentCell;
        if (cell == nullptr) return false;
        std::vector<EventRecord*> group;
        const int ticks = 1 << value_;
        const size_t perBeat = static_cast<size_t>(kTicksPerQuarter / ticks);
        for (int i = 0; i * ticks < beatmap_score::kWholeMeasure; ++i) {
            const int step = -6 + i % kChordStepCycle;
            const auto time = static_cast<uint16_t>(i * ticks);
            EventRecord* sharp =
                AddEventToVoice(view_, cell, 0, time, value_, static_cast<uint8_t>(step));
            EventRecord* plain =
                AddEventToVoice(view_, cell, 0, time, value_, static_cast<uint8_t>(step + 2));
            if (sharp == nullptr || plain == nullptr) return false;
            SetNoteAccidentalCode(*sharp, CodeOf(AccidentalCode::Sharp));
            NewAccidentalForNote(view_, sharp);
            group.push_back(GetFirstEventOfChord(sharp));
            if (group.size() < perBeat) continue;
            for (size_t k = 0; k < group.size(); ++k) {
                group[k]->beamPrev = k > 0 ? HandleOfEvent(group[k - 1]) : RecordHandle{};
                group[k]->beamNext =
                    k + 1 < group.size() ? HandleOfEvent(group[k + 1]) : RecordHandle{};
            }
            group.clear();
        }
        RestemMeasureRange(view_, staff, staff, measure, measure);
        return true;
    }

    bool Fill() {
        for (int staff = 1; staff <= doc_->header.staffCount; ++staff)
            for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
                view_->currentPage = page;
                for (int m = page->firstMeasure; m <= page->lastMeasure; ++m)
                    if (!FillCell(staff, m)) return false;
            }
        view_->currentPage = doc_->firstPage;
        view_->currentSystem = doc_->firstPage->firstSystem.get();
        return true;
    }

    uint8_t value_;
    win::WindowHandle window_{};
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

std::vector<int> PagesOf(int systems, int perPage) {
    std::vector<int> pages;
    for (; systems > 0; systems -= perPage) pages.push_back(std::min(systems, perPage));
    return pages;
}

void BM_NotesPage(benchmark::State& state) {
    DrawBench bench(kPageStaves, {kPageSystems}, kPageMeasuresPerSystem, kSixteenth);
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.DrawPage();  // the first drawing makes nothing new: every sign exists
    for (auto _ : state) bench.DrawPage();
    state.SetLabel("target <= 2.5x");
}
BENCHMARK(BM_NotesPage)->Unit(benchmark::kMillisecond);

// The same glyphs, lines, bars and polygons, straight onto the context.
void ReplayCalls(platform::DcHandle dc, const std::vector<InkCall>& calls) {
    gfx::TextAlign align = gfx::GetTextAlign(dc);
    for (const InkCall& call : calls) {
        switch (call.kind) {
            case InkKind::Glyph: {
                if (call.align != align) {
                    gfx::SetTextAlign(dc, call.align);
                    align = call.align;
                }
                const char code = static_cast<char>(call.code);
                text::TextOutA(dc, call.points[0], std::string_view(&code, 1));
                break;
            }
            case InkKind::Line:
            case InkKind::PenLine:
                gfx::MoveTo(dc, call.points[0]);
                gfx::LineTo(dc, call.points[1]);
                break;
            case InkKind::Bar:
                gfx::PatternBlit(dc,
                                 gfx::Rect{call.points[0].x, call.points[0].y, call.points[1].x,
                                           call.points[1].y},
                                 gfx::RasterOp::PatternCopy);
                break;
            case InkKind::Polygon:
                gfx::Polygon(dc, call.points, call.pointCount);
                break;
        }
    }
}

void BM_NotesPage_Baseline(benchmark::State& state) {
    DrawBench bench(kPageStaves, {kPageSystems}, kPageMeasuresPerSystem, kSixteenth);
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.DrawPage();
    std::vector<InkCall> calls;
    notedraw::test_seam::SetInkLog(&calls);
    bench.DrawPage();
    notedraw::test_seam::SetInkLog(nullptr);
    ScoreView* view = bench.view();
    for (auto _ : state) {
        BeginViewDraw(view);
        ReplayCalls(view->ViewDC, calls);
        EndViewDraw(view);
    }
    state.counters["calls"] = static_cast<double>(calls.size());
}
BENCHMARK(BM_NotesPage_Baseline)->Unit(benchmark::kMillisecond);

// One measure (measure 2, every staff) of a score of N measures.
void RunNotesMeasure_ScoreMeasures(benchmark::State& state) {
    const int systems = static_cast<int>(state.range(0)) / kGrowthMeasuresPerSystem;
    DrawBench bench(1, PagesOf(systems, kGrowthSystemsPerPage), kGrowthMeasuresPerSystem, kEighth);
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.DrawOneMeasure(2);
    for (auto _ : state) bench.DrawOneMeasure(2);
    state.SetLabel("target <= 1.2x");
}
// Growth: the larger score measured against the smaller one as its baseline.
void BM_NotesMeasure_ScoreMeasures(benchmark::State& state) { RunNotesMeasure_ScoreMeasures(state); }
BENCHMARK(BM_NotesMeasure_ScoreMeasures)->Arg(1000)->Unit(benchmark::kMicrosecond);
void BM_NotesMeasure_ScoreMeasures_Baseline(benchmark::State& state) {
    RunNotesMeasure_ScoreMeasures(state);
    state.SetLabel("baseline");
}
BENCHMARK(BM_NotesMeasure_ScoreMeasures_Baseline)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
