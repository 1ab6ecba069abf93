// Spanners that start on the previous page's last system and run on past it: when a
// page's first system is painted, the parts that continue onto it are drawn there.
// The previous page's last system is chained before the shown one for the draw and
// given the beat-map row the rows keep for it, then everything is put back.
#include <algorithm>
#include <cstring>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/painter.h"
#include "display/painter_internal.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "objects/curves/curve_objects.h"
#include "objects/hairpin/hairpin.h"
#include "objects/spanners/spanner_objects.h"

namespace ql::painter {

namespace {

constexpr int kMaxSystemsWalked = 256;
constexpr int kMaxListNodes = 1 << 16;

ScoreSystem* LastSystemOfPage(ScorePage* page) {
    ScoreSystem* last = nullptr;
    int n = 0;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && n < kMaxSystemsWalked;
         s = s->next.get(), ++n)
        last = s;
    return last;
}

template <typename Record>
bool ReadRecord(const ScoreObject* object, size_t room, Record* out) {
    if (room < sizeof(Record)) return false;
    std::memcpy(out, object, sizeof(Record));
    return true;
}

int MostOf(const AnchorPoint* points, int count) {
    int most = 0;
    for (int i = 0; i < count; ++i) most = std::max<int>(most, points[i].coarse[0]);
    return most;
}

int MostOfEndpoint(const SpannerEndpoint& endpoint) {
    const AnchorPoint ends[2] = {endpoint.start, endpoint.end};
    return MostOf(ends, 2);
}

// The furthest measure offset among a time-anchored spanner's end anchors (each
// relative to its cell's measure): a slur's four points, a hairpin's three, the two
// ends of a pedal bracket, a repeat ending or an octave line. -1 for anything else.
int FurthestEndOffset(const ScoreObject* object, size_t room) {
    if (object->subtype != static_cast<uint8_t>(ObjectSubtype::MeasureTimeList)) return -1;
    switch (static_cast<ObjectType>(object->type)) {
        case ObjectType::Slur: {
            SlurObject slur;
            return ReadRecord(object, room, &slur) ? MostOf(slur.body.points, kSlurPoints) : -1;
        }
        case ObjectType::Hairpin: {
            HairpinObject hairpin;
            return ReadRecord(object, room, &hairpin) ? MostOf(hairpin.points, kHairpinPoints) : -1;
        }
        case ObjectType::PedalBracket: {
            Wickette wickette;
            return ReadRecord(object, room, &wickette) ? MostOfEndpoint(wickette.spanner.endpoint)
                                                       : -1;
        }
        case ObjectType::RepeatEnding: {
            RepeatEndingObject ending;
            return ReadRecord(object, room, &ending) ? MostOfEndpoint(ending.spanner.endpoint) : -1;
        }
        case ObjectType::Octave: {
            TextSpanner line;
            return ReadRecord(object, room, &line) ? MostOfEndpoint(line.spanner.endpoint) : -1;
        }
        default:
            return -1;
    }
}

// Draws (or, with `draw` false, only looks for) the spanners of the system's cells
// on the staff whose ends run past the system's last measure. True when one is found.
bool VisitSpannersRunningPast(ScoreView* view, ScoreSystem* system, int staff, bool draw) {
    bool found = false;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
        if (cell == nullptr) continue;
        bool placed = false;
        int count = 0;
        for (ScoreObject* object = cell->objects.get(); object != nullptr; object = object->next.get()) {
            const size_t room = SoundObjectBytes(view->document, object);
            if (room == 0 || ++count > kMaxListNodes) break;
            const int offset = FurthestEndOffset(object, room);
            if (offset < 0 || measure + offset <= system->lastMeasure) continue;
            found = true;
            if (!draw) return true;
            if (!placed) SetCurrentSystemAndMeasure(view, system, staff, measure, true);
            placed = true;
            ClassOf(object).Draw(object, view);
        }
    }
    return found;
}

}  // namespace

void DrawContinuedSpanners(ScoreView* view, int staff, int measure) {
    ScoreDocument* document = view->document;
    ScorePage* page = view->currentPage;
    ScoreSystem* shown = view->currentSystem;
    if (document == nullptr || page == nullptr || shown == nullptr || page->pageNumber < 0 ||
        page == document->firstPage || page->firstSystem.get() != shown)
        return;
    ScorePage* previous = page->previous.get();
    if (previous == nullptr || previous->pageNumber < 0 || previous->lastMeasure != measure - 1)
        return;
    ScoreSystem* last = LastSystemOfPage(previous);
    const int row = page->systemCount + 1;
    if (last == nullptr || last->lastMeasure != measure - 1 || row >= kBeatMapRows ||
        row >= view->beatMap.rowsAllocated)
        return;
    if (!VisitSpannersRunningPast(view, last, staff, false)) return;

    const uint16_t counter = document->changeCounter;
    const uint8_t number = last->number;
    const bool pageView = view->pageView;
    const int32_t only = State().layout.ContinuationOnly;
    const Ref32<ScoreSystem> lastNext = last->next;
    const Ref32<ScoreSystem> shownPrevious = shown->previous;

    // The row is laid out as when its own page is painted, under the number the
    // rows keep for the previous page's last system.
    view->currentPage = previous;
    last->number = static_cast<uint8_t>(row);
    SetCurrentSystemAndMeasure(view, last, staff, last->firstMeasure, true);
    BuildBeatMapPageMode(view, 0);

    last->next = Ref32<ScoreSystem>::To(shown);
    shown->previous = Ref32<ScoreSystem>::To(last);
    view->pageView = true;
    State().layout.ContinuationOnly = 1;
    VisitSpannersRunningPast(view, last, staff, true);

    State().layout.ContinuationOnly = only;
    view->pageView = pageView;
    shown->previous = shownPrevious;
    last->next = lastNext;
    last->number = number;
    view->currentPage = page;
    document->changeCounter = counter;
    SetCurrentSystemAndMeasure(view, shown, staff, measure, true);
}

}  // namespace ql::painter
