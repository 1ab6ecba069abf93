// The staff-band move of a dragged slur (see slur_staff_band.h). The view's system,
// staff and measure are restored afterwards.
#include "objects/curves/slur_staff_band.h"

#include <algorithm>

#include "core/model/grid.h"
#include "core/model/events.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "objects/curves/curve_objects.h"

namespace ql {
namespace {

constexpr int32_t kStaffHeight = 512;     // four spaces of 128
constexpr int32_t kBandMargin = 128;      // a staff space around the lines and notes
constexpr int32_t kNoteReach = 512;       // notes this far outside the ends count
constexpr int kVoices = 4;
constexpr int kMaxChain = 4096;

enum class Bend { None, Up, Down };

Bend BendOf(const LogicalPoint* p) {
    const int32_t highEnd = std::min(p[0].y, p[3].y), lowEnd = std::max(p[0].y, p[3].y);
    if (p[1].y < highEnd && p[2].y < highEnd) return Bend::Up;
    if (p[1].y > lowEnd && p[2].y > lowEnd) return Bend::Down;
    return Bend::None;
}

struct Band {
    int32_t top;
    int32_t bottom;
};

// The staff's lines and the notes of the view's current cell near the slur.
Band NoteBand(ScoreView* view, const LogicalPoint* p) {
    Band band{view->staffY - kBandMargin, view->staffY + kStaffHeight + kBandMargin};
    MeasureCell* cell = view->currentCell;
    if (cell == nullptr) return band;
    const int32_t left = std::min(p[0].x, p[3].x) - kNoteReach, right = std::max(p[0].x, p[3].x) + kNoteReach;
    for (int voice = 0; voice < kVoices; ++voice) {
        EventRecord* e = GetVoiceFirstEvent(cell, voice);
        for (int i = 0; e != nullptr && i < kMaxChain; ++i, e = NextEvent(e)) {
            if (IsHeadSentinel(*e)) continue;
            const LogicalPoint at = GetEventPosition(e, view);
            if (at.x < left || at.x > right) continue;
            band.top = std::min(band.top, at.y - kBandMargin);
            band.bottom = std::max(band.bottom, at.y + kBandMargin);
        }
    }
    return band;
}

struct StaffPlace {
    ScoreSystem* system = nullptr;
    int staff = 0;
    int measure = 0;
};

// The staff below (or above) the view's current one, across a system's edge.
StaffPlace NeighbourStaff(ScoreView* view, bool below) {
    ScoreSystem* system = view->currentSystem;
    const int staves = view->document->header.staffCount;
    const int staff = view->currentStaff + (below ? 1 : -1);
    if (staff >= 1 && staff <= staves) return {system, staff, view->currentMeasure};
    ScoreSystem* next = below ? system->next.get() : system->previous.get();
    if (next == nullptr) return {};
    return {next, below ? 1 : staves, below ? next->firstMeasure : next->lastMeasure};
}

}  // namespace

bool MoveSlurAcrossStaffBand(SlurObject* slur, ScoreView* view, const LogicalPoint* points,
                             LocationRecord* location) {
    const Bend bend = BendOf(points);
    if (bend == Bend::None || view == nullptr || view->document == nullptr || location->location.measure == 0)
        return false;
    ScoreSystem* saved = view->currentSystem;
    const int savedStaff = view->currentStaff, savedMeasure = view->currentMeasure;
    auto* system = Ref32<ScoreSystem>(location->location.position).get();
    if (system == nullptr) return false;
    SetCurrentSystemAndMeasureQuick(view, system, location->location.staff, location->location.measure);
    const Band band = NoteBand(view, points);
    const bool below = bend == Bend::Up && points[0].y > band.bottom && points[3].y > band.bottom;
    const bool above = bend == Bend::Down && points[0].y < band.top && points[3].y < band.top;
    const StaffPlace target = below || above ? NeighbourStaff(view, below) : StaffPlace{};
    bool moved = false;
    if (target.system != nullptr) {
        SetCurrentSystemAndMeasureQuick(view, target.system, target.staff, target.measure);
        LocateGlobals& keep = State().locate;
        const uint8_t keepSystem = keep.KeepSystem, keepStaff = keep.KeepStaff;
        keep.KeepSystem = keep.KeepStaff = 1;
        EncodeAnchors(view, location, slur->header.subtype, reinterpret_cast<ObjectLocation*>(slur->body.points),
                      points, kSlurPoints);
        keep.KeepSystem = keepSystem;
        keep.KeepStaff = keepStaff;
        moved = true;
    }
    SetCurrentSystemAndMeasureQuick(view, saved, savedStaff, savedMeasure);
    return moved;
}

}  // namespace ql
