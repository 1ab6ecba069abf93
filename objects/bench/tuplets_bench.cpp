// Tuplet benchmarks, each against its baseline twin in the same run.
// The group scan over one voice of 1,200 members (400 triplets of 64ths, every tenth
// a 5:4 member with a triplet nested in it), read in tables of 40 groups, against a
// plain walk over the same notes and rests in time order. Target: at most 5x; the
// 2,400-member voice costs about twice the 1,200 one (linear).
// Painting 2,000 tuplet marks of style 1 (bracket and number) against 2,000 plain
// four-point polylines plus one glyph each. Target: at most 2x. The marks lie in the
// page's list so that only their drawing is measured.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/draw/draw_polyline.h"
#include "core/draw/draw_surface.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "notes/rests/rest.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/bench/paint_scene.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/stored_classes.h"
#include "objects/tuplets/tuplet.h"
#include "objects/tuplets/tuplet_groups.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"

namespace ql {
namespace {

constexpr int kMembers = 1200;
constexpr int kVoiceTicks = 64800;   // the members spread over one long measure's ticks
constexpr uint8_t kSixtyFourth = 6;
constexpr int kNestedEvery = 10;     // every tenth triplet: a 5:4 member, then the triplet nested
constexpr int kRestEvery = 7;        // every seventh member is a rest
constexpr int kMarks = 2000;
constexpr int32_t kBracketWidth = 1024;
constexpr int32_t kHook = 85;

// A one-staff score whose voice 0 of measure 1 holds `members` members.
class VoiceScene {
  public:
    explicit VoiceScene(int members) {
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterStoredObjectClasses();
        RegisterRestClass();
        ok_ = beatmap_score::Build(session_.document, session_.view, 1, {1}, 4);
        if (!ok_) return;
        SetCurrentMeasure(session_.view, 1, 1);
        cell_ = session_.view->currentCell;
        ScoreObject* list = GetOrCreateVoiceElementList(cell_, 0);
        ScoreObject* lastRest = list;
        for (int i = 0; i < members && ok_; ++i) {
            const int triplet = i / 3;
            const bool nested = triplet % kNestedEvery == kNestedEvery - 1;
            const uint8_t kind = nested && i % 3 == 0 ? 2 : 1;
            const uint8_t ratio = kind == 2 ? 0x54 : 0;
            const uint8_t outer = nested && i % 3 != 0 ? 0x54 : 0;
            const uint16_t time = static_cast<uint16_t>(i * (kVoiceTicks / members));
            if (i % kRestEvery == kRestEvery - 1) {
                ScoreObject* rest = AllocRestRecord();
                ok_ = rest != nullptr;
                if (!ok_) break;
                RestBody* body = RestBodyOf(rest);
                body->tick = time, body->code = kSixtyFourth;
                body->tupletKind = kind, body->tupletValue = ratio, body->extraRatio = outer;
                InsertObjectAfter(lastRest, rest);
                lastRest = rest;
                continue;
            }
            EventRecord* note = AddEventToVoice(session_.view, cell_, 0, time, kSixtyFourth, 0);
            ok_ = note != nullptr;
            if (!ok_) break;
            note->tupletKind = kind, note->tupletRatio = ratio, note->outerRatio = outer;
        }
    }
    bool ok() const { return ok_; }
    MeasureCell* cell() const { return cell_; }

  private:
    beatmap_score::Session session_;
    MeasureCell* cell_ = nullptr;
    bool ok_ = false;
};

// The whole voice, 40 groups at a time.
int ScanWholeVoice(MeasureCell* cell) {
    TupletGroupTable table = ScanTupletGroups(cell, 0);
    int groups = table.count;
    while (table.full) {
        table = ContinueTupletScan(table);
        groups += table.count;
    }
    return groups;
}

void BM_TupletGroupScan(benchmark::State& state) {
    VoiceScene scene(static_cast<int>(state.range(0)));
    if (!scene.ok()) return state.SkipWithError("the voice could not be built");
    for (auto _ : state) benchmark::DoNotOptimize(ScanWholeVoice(scene.cell()));
    state.SetLabel("target <= 5x");
}
BENCHMARK(BM_TupletGroupScan)->Arg(kMembers)->Arg(2 * kMembers);

// Notes chord by chord and rests, merged by time, their lengths summed.
void BM_TupletGroupScan_Baseline(benchmark::State& state) {
    VoiceScene scene(static_cast<int>(state.range(0)));
    if (!scene.ok()) return state.SkipWithError("the voice could not be built");
    for (auto _ : state) {
        EventRecord* note = GetVoiceFirstEvent(scene.cell(), 0);
        ScoreObject* rest = GetVoiceFirstElement(scene.cell(), 0);
        int ticks = 0;
        while (note != nullptr || rest != nullptr) {
            if (note != nullptr && (rest == nullptr || note->time < ElementTime(rest))) {
                if (IsFirstOfChord(note)) ticks += EventDurationTicks(*note);
                note = NextEvent(note);
            } else {
                ticks += ElementDurationTicks(rest);
                rest = rest->next.get();
            }
        }
        benchmark::DoNotOptimize(ticks);
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_TupletGroupScan_Baseline)->Arg(kMembers)->Arg(2 * kMembers);

// A score whose view paints into an image.
class PaintScene : public bench::PaintScene {
  public:
    PaintScene() : bench::PaintScene(1, {1}, 4) {}
};

LogicalPoint MarkStart(int i) {
    return LogicalPoint{kLogicalOrigin + 512 + (i % 6) * 1600, kLogicalOrigin + 512 + (i / 6) * 8};
}

void BM_PaintTupletMarks(benchmark::State& state) {
    PaintScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    ScoreView* view = scene.view();
    std::vector<ScoreObject*> marks;
    for (int i = 0; i < kMarks; ++i) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Tuplet));
        if (object == nullptr) break;
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        TupletObject* tuplet = AsTuplet(object);
        SetTupletStyle(tuplet, kTupletBracket);
        tuplet->text.body.string = '3';
        const LogicalPoint at = MarkStart(i);
        const LogicalPoint line[2] = {at, {at.x + kBracketWidth, at.y}};
        EncodePageAnchors(view, reinterpret_cast<ObjectLocation*>(&tuplet->spanner.endpoint.start), line, 2);
        tuplet->spanner.endpoint.startHook = tuplet->spanner.endpoint.endHook = kHook;
        EncodePageAnchors(view, &tuplet->text.body.location, &at, 1);
        marks.push_back(object);
    }
    BeginViewDraw(view);
    for (auto _ : state)
        for (ScoreObject* mark : marks) ClassOf(mark).Draw(mark, view);
    EndViewDraw(view);
    for (ScoreObject* mark : marks) ReleaseObjectByType(scene.document(), mark);
    state.SetLabel("target <= 2x");
}
BENCHMARK(BM_PaintTupletMarks);

void BM_PaintTupletMarks_Baseline(benchmark::State& state) {
    PaintScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    ScoreView* view = scene.view();
    BeginViewDraw(view);
    const platform::DcHandle dc = view->ViewDC;
    for (auto _ : state)
        for (int i = 0; i < kMarks; ++i) {
            const LogicalPoint at = MarkStart(i);
            const gfx::Point path[4] = {{at.x, at.y + kHook}, {at.x, at.y}, {at.x + kBracketWidth, at.y}, {at.x + kBracketWidth, at.y + kHook}};
            DrawPolylineWithPen(view, path, 4, gfx::PenStyle::Solid, 0, true);
            text::TextOutA(dc, gfx::Point{at.x, at.y}, std::string_view("3", 1));
        }
    EndViewDraw(view);
    state.SetLabel("baseline");
}
BENCHMARK(BM_PaintTupletMarks_Baseline);

}  // namespace
}  // namespace ql
