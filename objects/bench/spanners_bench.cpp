// Spanner and slur benchmarks, each against its baseline twin in the same run.
// Painting 2,000 slurs (filled bands: flattening both curves and filling the
// outline, split at the system's end) against 2,000 plain filled polygons with the
// same point counts on the same surface. Target: at most 2x.
// Painting 2,000 octave lines (dashed line with hooks and the label's sign) against
// 2,000 plain four-point dashed polylines plus one glyph each. Target: at most 1.5x.
// Building the repeat-ending list of 500 and of 1,000 measures on 8 staves with 50
// endings: one pass over the cells, so the larger score costs about twice the
// smaller (target: within 20 % of 2x). A score holds at most 1,024 measures, so the
// pair is 500 and 1,000. 10,000 lookups in a built list against one
// build: the lookups cost less.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/draw/draw_polyline.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/bench/paint_scene.h"
#include "objects/curves/curve_interface.h"
#include "objects/object_services.h"
#include "objects/spanners/repeat_ending_list.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/stored_classes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"

namespace ql {
namespace {

constexpr int kSlurs = 2000;
constexpr int kStaves = 8;
constexpr int kEndings = 50;
constexpr int kLookups = 10000;
constexpr int kMeasuresPerSystem = 4;
constexpr int kSystemsPerPage = 5;
constexpr int32_t kSlurLength = 640;
constexpr int32_t kSlurHeight = -256;
constexpr int32_t kSlurThickness = 24;
constexpr uint16_t kOctaveGlyph = 229;

// A score whose view paints into an image.
class PaintScene : public bench::PaintScene {
  public:
    explicit PaintScene(int staves = 1, int pages = 1)
        : bench::PaintScene(staves, std::vector<int>(pages, kSystemsPerPage), kMeasuresPerSystem) {}
};

LogicalPoint SlurStart(int i) {
    return LogicalPoint{kLogicalOrigin + 512 + (i % 8) * 900, kLogicalOrigin + 512 + (i / 8) * 8};
}

// Page-list slurs of the default upward shape.
std::vector<ScoreObject*> MakeSlurs(ScoreView* view) {
    std::vector<ScoreObject*> slurs;
    for (int i = 0; i < kSlurs; ++i) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Slur));
        if (object == nullptr) break;
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        LogicalPoint points[kSlurPoints];
        DefaultCurveShape(view->document, kSlurLength, 0, kSlurHeight, kSlurThickness, points, AsSlur(object)->body.inner);
        for (LogicalPoint& p : points) p = LogicalPoint{p.x + SlurStart(i).x, p.y + SlurStart(i).y};
        EncodePageAnchors(view, reinterpret_cast<ObjectLocation*>(AsSlur(object)->body.points), points, kSlurPoints);
        slurs.push_back(object);
    }
    return slurs;
}

void BM_PaintSlurs(benchmark::State& state) {
    PaintScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    const std::vector<ScoreObject*> slurs = MakeSlurs(scene.view());
    BeginViewDraw(scene.view());
    for (auto _ : state)
        for (ScoreObject* slur : slurs) ClassOf(slur).Draw(slur, scene.view());
    EndViewDraw(scene.view());
    for (ScoreObject* slur : slurs) ReleaseObjectByType(scene.document(), slur);
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_PaintSlurs);

void BM_PaintSlurs_Baseline(benchmark::State& state) {
    PaintScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    // The same outlines, flattened once: each slur's band as one polygon.
    std::vector<std::vector<gfx::Point>> bands;
    const std::vector<ScoreObject*> slurs = MakeSlurs(scene.view());
    BeginViewDraw(scene.view());
    for (ScoreObject* slur : slurs) {
        ClassOf(slur).Draw(slur, scene.view());
        const CurveBuffer& buffer = LastCurveBuffer();
        bands.emplace_back(buffer.points, buffer.points + buffer.count);
    }
    for (ScoreObject* slur : slurs) ReleaseObjectByType(scene.document(), slur);
    const platform::DcHandle dc = scene.view()->ViewDC;
    for (auto _ : state)
        for (const auto& band : bands) gfx::Polygon(dc, band.data(), static_cast<int>(band.size()));
    EndViewDraw(scene.view());
    state.SetLabel("baseline");
}
BENCHMARK(BM_PaintSlurs_Baseline);

LogicalPoint OctaveStart(int i) {
    return LogicalPoint{kLogicalOrigin + 512 + (i % 4) * 2400, kLogicalOrigin + 512 + (i / 4) * 8};
}

void BM_PaintOctaveLines(benchmark::State& state) {
    PaintScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    ScoreView* view = scene.view();
    std::vector<ScoreObject*> lines;
    for (int i = 0; i < kSlurs; ++i) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Octave));
        if (object == nullptr) break;
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        TextObject* label = AsTextObject(object);
        label->body.flags |= kTextMusicGlyph;
        label->body.string = kOctaveGlyph;
        SpannerInterface* spanner = SpannerOf(object);
        spanner->endpoint.style = 1;
        const LogicalPoint at = OctaveStart(i);
        const LogicalPoint line[2] = {at, {at.x + 2048, at.y}};
        EncodePageAnchors(view, reinterpret_cast<ObjectLocation*>(&spanner->endpoint.start), line, 2);
        spanner->endpoint.endHook = 128;
        EncodePageAnchors(view, &label->body.location, &at, 1);
        lines.push_back(object);
    }
    BeginViewDraw(view);
    for (auto _ : state)
        for (ScoreObject* line : lines) ClassOf(line).Draw(line, view);
    EndViewDraw(view);
    for (ScoreObject* line : lines) ReleaseObjectByType(scene.document(), line);
    state.SetLabel("target <= 1.5x");
}
BENCHMARK(BM_PaintOctaveLines);

void BM_PaintOctaveLines_Baseline(benchmark::State& state) {
    PaintScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    ScoreView* view = scene.view();
    const char glyph[2] = {static_cast<char>(kOctaveGlyph), '\0'};
    BeginViewDraw(view);
    const platform::DcHandle dc = view->ViewDC;
    for (auto _ : state)
        for (int i = 0; i < kSlurs; ++i) {
            const LogicalPoint at = OctaveStart(i);
            const gfx::Point path[4] = {{at.x, at.y}, {at.x, at.y}, {at.x + 2048, at.y}, {at.x + 2048, at.y + 128}};
            DrawPolylineWithPen(view, path, 4, gfx::PenStyle::Dot, 0, true);
            text::TextOutA(dc, gfx::Point{at.x, at.y}, std::string_view(glyph, 1));
        }
    EndViewDraw(view);
    state.SetLabel("baseline");
}
BENCHMARK(BM_PaintOctaveLines_Baseline);

// A score of `measures` measures on 8 staves, every cell made, with 50 endings
// spread over it (some on lower staves of a measure that already has one).
class EndingScene {
  public:
    explicit EndingScene(int measures) : scene_(kStaves, measures / (kMeasuresPerSystem * kSystemsPerPage)) {
        if (!scene_.ok()) return;
        ScoreDocument* doc = scene_.document();
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = 1; m <= measures; ++m)
                if (GetOrCreateMeasureCell(StaffRecordOf(doc, staff), doc, m) == nullptr) return;
        for (int i = 0; i < kEndings; ++i) {
            const int measure = 1 + i * (measures / kEndings);
            ScoreObject* ending = ConstructObject(TypeCode(ObjectType::RepeatEnding));
            if (ending == nullptr) return;
            AsRepeatEnding(ending)->span = 2;
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, 1 + i % kStaves), doc, measure);
            InsertObjectAfter(cell->objects.get(), ending);
        }
        ok_ = true;
    }
    bool ok() const { return ok_; }
    ScoreDocument* document() { return scene_.document(); }

  private:
    PaintScene scene_;
    bool ok_ = false;
};

void BuildList(benchmark::State& state, int measures) {
    EndingScene scene(measures);
    if (!scene.ok()) return state.SkipWithError("the score could not be built");
    for (auto _ : state) {
        FreeRepeatEndingList(scene.document());
        benchmark::DoNotOptimize(GetRepeatEndingList(scene.document()));
    }
}

void BM_BuildRepeatEndingList_1000Measures(benchmark::State& state) {
    BuildList(state, 1000);
    state.SetLabel("target: 2x the 500-measure build, within 20 %");
}
BENCHMARK(BM_BuildRepeatEndingList_1000Measures);

void BM_BuildRepeatEndingList_1000Measures_Baseline(benchmark::State& state) {
    BuildList(state, 500);
    state.SetLabel("baseline");
}
BENCHMARK(BM_BuildRepeatEndingList_1000Measures_Baseline);

void BM_RepeatEndingLookups(benchmark::State& state) {
    EndingScene scene(1000);
    if (!scene.ok()) return state.SkipWithError("the score could not be built");
    GetRepeatEndingList(scene.document());
    for (auto _ : state)
        for (int i = 0; i < kLookups; ++i)
            benchmark::DoNotOptimize(FindRepeatEndingAtMeasure(scene.document(), nullptr, 1 + i % 1000));
    state.SetLabel("target < 1x: 10,000 lookups against one build");
}
BENCHMARK(BM_RepeatEndingLookups);

void BM_RepeatEndingLookups_Baseline(benchmark::State& state) {
    BuildList(state, 1000);
    state.SetLabel("baseline");
}
BENCHMARK(BM_RepeatEndingLookups_Baseline);

}  // namespace
}  // namespace ql
