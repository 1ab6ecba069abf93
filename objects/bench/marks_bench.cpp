// Painting the marks: 2,000 dynamics, 2,000 tempo marks (symbol and number), 2,000
// hairpins and 2,000 chord symbols (diagram and name) spread over the cells of one
// page (10 staves x 4 measures), each drawn through its class into the score
// window's image at zoom 8, against a baseline twin in the same run that draws
// 2,000 plain glyphs at the same points straight onto the context: each mark's own
// symbol in its own font (the dynamic's glyph, the tempo mark's beat unit, the
// chord's diagram character), one run each; for hairpins a dynamic's glyph.
// Every text mark is checked to stand where its baseline glyph is drawn.
// Targets: dynamics <= 1.5x, hairpins <= 2x, tempo marks <= 3x, chord symbols <= 5x.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/setting_values.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/chord/chord_class.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/object_services.h"
#include "objects/stored_classes.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"
#include "platform/tests/win/plain_window.h"
#include "platform/text/text_out.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 8;
constexpr int kStaves = 10;
constexpr int kMeasures = 4;
constexpr int kMarks = 2000;
constexpr int kPerCell = kMarks / (kStaves * kMeasures);
constexpr int32_t kAboveStaff = -256;    // marks stand above their staff
constexpr uint16_t kHairpinBaselineGlyph = 165;  // a dynamic's glyph
constexpr int kWindowWidth = 1800;
constexpr int kWindowHeight = 1400;
constexpr int kQualities = 16;

// A page of ten staves whose cells hold the marks of one type; freed with it.
class MarksBench {
  public:
    explicit MarksBench(ObjectType type) : type_(type) {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterStoredObjectClasses();
        ResetPreferenceDefaults();
        ResetMarkTools();
        window_ = ::ql::testing::OpenPlainWindow("QLMarksBench", kWindowWidth, kWindowHeight);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        const auto font = sys::ProgramFolder() / "Glyphora.ttf";
        ok_ = std::filesystem::exists(font) && CreateMusicFonts() && CreateColourSets() &&
              beatmap_score::Build(doc_, view_, kStaves, {1}, kMeasures) && Prepare();
    }
    ~MarksBench() {
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }
    MarksBench(const MarksBench&) = delete;
    MarksBench& operator=(const MarksBench&) = delete;

    bool ok() const { return ok_; }

    // Every mark through its class, cell by cell, as the painter's object pass does.
    void DrawMarks() {
        BeginViewDraw(view_);
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int measure = 1; measure <= kMeasures; ++measure) {
                SetCurrentMeasure(view_, staff, measure);
                MeasureCell* cell = view_->currentCell;
                ScoreObject* object = cell != nullptr && cell->objects ? cell->objects.get()->next.get() : nullptr;
                for (; object != nullptr; object = object->next.get()) ClassOf(object).Draw(object, view_);
            }
        EndViewDraw(view_);
    }

    // The baseline: each mark's symbol, in its font, at the mark's point.
    void DrawGlyphs() {
        BeginViewDraw(view_);
        platform::DcHandle dc = view_->ViewDC;
        const platform::FontHandle previous = gfx::SelectObject(dc, glyphFont_);
        const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
        for (size_t i = 0; i < points_.size(); ++i)
            text::TextOutA(dc, gfx::Point{points_[i].x, points_[i].y}, std::string_view(&glyphs_[i], 1));
        gfx::SetTextAlign(dc, align);
        gfx::SelectObject(dc, previous);
        EndViewDraw(view_);
    }

  private:
    bool Prepare() {
        for (int slot = 0; slot < kScoreFontCount; ++slot)
            if (std::optional<QuickFontRecord> font = ParseQuickFont(BuiltInQuickFont(slot), static_cast<uint8_t>(slot)))
                doc_->fonts[slot] = *font;
        view_->ViewWindow = window_;
        view_->pageView = 1;
        view_->zoom = kZoom;
        InitViewMetrics(view_);
        UpdateBeatMaps(view_, 1);
        // Dynamics and tempo marks stand in the music symbols style, chord diagrams
        // in the fret-symbol style.
        glyphFont_ = type_ == ObjectType::Chord ? CreateTextStyleFont(view_, 0) : State().drawing.MusicFont65;
        if (!glyphFont_) return false;
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int measure = 1; measure <= kMeasures; ++measure)
                if (!FillCell(staff, measure)) return false;
        return static_cast<int>(points_.size()) == kMarks;
    }

    ScoreObject* Make(ScoreView* view, int index) {
        ScoreObject* object = ConstructObject(TypeCode(type_));
        if (object == nullptr) return nullptr;
        switch (type_) {
            case ObjectType::Dynamic: ConstructDynamicForView(object, view); break;
            case ObjectType::Tempo: ConstructTempoForView(object, view); break;
            case ObjectType::Chord:
                AsChordSymbol(object)->chord.quality = static_cast<uint8_t>(index % kQualities);
                SetGuitarChordGlyph(object);
                break;
            default: break;
        }
        return object;
    }

    bool FillCell(int staff, int measure) {
        SetCurrentMeasure(view_, staff, measure);
        MeasureCell* cell = view_->currentCell;
        ScoreObject* list = cell != nullptr ? GetOrCreateCellObjectList(cell) : nullptr;
        if (list == nullptr) return false;
        const ScoreSystem* system = view_->currentSystem;
        const int32_t left = MeasureSlotX(view_, system, view_->currentSlot);
        // The cell's marks are spread evenly inside its measure.
        const int32_t step = (MeasureSlotX(view_, system, view_->currentSlot + 1) - left) / (kPerCell + 1);
        const int32_t top = system->y + StaffOffsetsOf(system)[staff];
        for (int i = 0; i < kPerCell; ++i) {
            ScoreObject* object = Make(view_, i);
            if (object == nullptr) return false;
            const LogicalPoint at{left + step * (i + 1), top + kAboveStaff};
            SetCurrentMeasure(view_, staff, measure);
            InsertObjectAfter(list, object);
            if (type_ == ObjectType::Hairpin) {
                EncodeHairpinShape(AsHairpin(object), view_, HairpinTemplate(at, i % 2 == 1));
                glyphs_.push_back(static_cast<char>(kHairpinBaselineGlyph));
            } else {
                // Kept in the cell's own measure, wherever in it the point lies.
                EncodeTimeAnchors(view_, &at, &AsTextObject(object)->body.location, 1);
                if (TextObjectAnchorPoint(object, view_) != at) return false;
                glyphs_.push_back(static_cast<char>(AsTextObject(object)->body.string));
            }
            points_.push_back(at);
        }
        return true;
    }

    ObjectType type_;
    win::WindowHandle window_{};
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    std::vector<LogicalPoint> points_;
    std::vector<char> glyphs_;  // the baseline's glyph at each point
    platform::FontHandle glyphFont_{};
    bool ok_ = false;
};

void RunMarks(benchmark::State& state, ObjectType type, const char* target) {
    MarksBench bench(type);
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.DrawMarks();  // fonts and caches made once
    for (auto _ : state) bench.DrawMarks();
    state.SetLabel(target);
}

void RunGlyphs(benchmark::State& state, ObjectType type) {
    MarksBench bench(type);
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.DrawGlyphs();
    for (auto _ : state) bench.DrawGlyphs();
    state.SetLabel("baseline");
}

void BM_PaintDynamics(benchmark::State& state) { RunMarks(state, ObjectType::Dynamic, "target <= 1.5x"); }
void BM_PaintDynamics_Baseline(benchmark::State& state) { RunGlyphs(state, ObjectType::Dynamic); }
void BM_PaintHairpins(benchmark::State& state) { RunMarks(state, ObjectType::Hairpin, "target <= 2x"); }
void BM_PaintHairpins_Baseline(benchmark::State& state) { RunGlyphs(state, ObjectType::Hairpin); }
void BM_PaintTempoMarks(benchmark::State& state) { RunMarks(state, ObjectType::Tempo, "target <= 3x"); }
void BM_PaintTempoMarks_Baseline(benchmark::State& state) { RunGlyphs(state, ObjectType::Tempo); }
void BM_PaintChordSymbols(benchmark::State& state) { RunMarks(state, ObjectType::Chord, "target <= 5x"); }
void BM_PaintChordSymbols_Baseline(benchmark::State& state) { RunGlyphs(state, ObjectType::Chord); }
BENCHMARK(BM_PaintDynamics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintDynamics_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintHairpins)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintHairpins_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTempoMarks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTempoMarks_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintChordSymbols)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintChordSymbols_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql
