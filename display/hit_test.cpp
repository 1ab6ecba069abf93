// Pointer hit tests of notes: boxes around each head that grow pass by pass, the
// voices of the current staff and then of the staves next to it.
#include "display/hit_test.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "display/anchors.h"
#include "display/locate_internal.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"

namespace ql {

using namespace locate;

namespace {

constexpr int32_t kHitStep = 32;
constexpr int32_t kWidthLimit = 116;
constexpr int32_t kHeightLimit = 96;
constexpr uint16_t kSmallHead = 0x20;
constexpr uint16_t kMediumHead = 0x10;
constexpr int32_t kHeadHalfWidths[3] = {76, 58, 47};
constexpr uint16_t kOtherSideBit = 0x8000;
constexpr int32_t kNudgeUnits = 16;
constexpr uint8_t kMaxVoiceMask = 15;

int32_t HitStep(const ScoreView* view) {
    const double scale = ViewScale(view);
    return scale > 0.0 ? static_cast<int32_t>(kHitStep * scale) : kHitStep;
}

// Head sizes a pass of half-sizes (w, h) still tests.
bool TestedInPass(const EventRecord& event, int32_t w, int32_t h) {
    const uint16_t size = event.flags & kEventSizeClassMask;
    if (size == kSmallHead && w >= 58 && h >= 48) return false;
    if (size == kMediumHead && w >= 87 && h >= 72) return false;
    return true;
}

EventRecord* OnePass(ScoreView* view, EventRecord* first, int32_t w, int32_t h) {
    const LogicalPoint p = view->pointerPoint;
    int n = 0;
    for (EventRecord* e = first; e != nullptr && n < kMaxChainLength; e = NextEvent(e), ++n) {
        if (!TestedInPass(*e, w, h)) continue;
        const LogicalPoint at = GetEventPosition(e, view);
        if (p.x >= at.x - w && p.x < at.x + w && p.y >= at.y - h && p.y < at.y + h) return e;
    }
    return nullptr;
}

bool VoiceAllowed(int voice) {
    const LocateGlobals& g = Switches();
    return g.VoiceFilterMode == 1 || g.VoiceFilterMask == 0 || (g.VoiceFilterMask >> voice) & 1;
}

// The first voice, then the other shown voices, of the current staff.
EventRecord* SearchStaff(ScoreView* view) {
    const int first = FirstSelectedVoice(view);
    if (EventRecord* e = HitTestVoiceEvents(view, first)) return e;
    for (int v = 0; v < kLocateVoices; ++v) {
        if (v == first || !IsVoiceShown(view, v)) continue;
        if (EventRecord* e = HitTestVoiceEvents(view, v)) return e;
    }
    return nullptr;
}

constexpr int32_t kRestTolerances[] = {32, 64, 96};

// A rest of one voice inside its box at a tolerance, r relative to the slot's content
// start and the staff (y unscaled).
ScoreObject* RestAt(ScoreView* view, int voice, LogicalPoint r, int32_t t) {
    int n = 0;
    for (ScoreObject* e = GetVoiceFirstElement(view->currentCell, voice);
         e != nullptr && n < rests::kMaxVoiceElements; e = rests::NextElement(e), ++n) {
        const RestBody* body = RestBodyOf(e);
        if (body == nullptr) continue;
        const int32_t ex = TimeToX(view, body->tick) + GetRestXOffset(e);
        const int32_t ey = body->position * kStaffStepUnits;
        if (r.x >= ex - t && r.x < ex + 2 * view->PixelUnitsX + t && r.y >= ey - t && r.y < ey + t)
            return e;
    }
    return nullptr;
}

ScoreObject* SearchRests(ScoreView* view, int voice, LogicalPoint r) {
    Switches().HitVoice = static_cast<uint8_t>(voice);
    for (int32_t t : kRestTolerances)
        if (ScoreObject* e = RestAt(view, voice, r, t)) return e;
    return nullptr;
}

}  // namespace

int FindVoiceOfElement(MeasureCell* cell, const ScoreObject* element, int hint) {
    if (cell == nullptr || element == nullptr) return 0;
    for (int k = -1; k < kLocateVoices; ++k) {
        const int v = k < 0 ? std::clamp(hint, 0, kLocateVoices - 1) : k;
        int n = 0;
        for (ScoreObject* e = GetVoiceFirstElement(cell, v);
             e != nullptr && n < rests::kMaxVoiceElements; e = rests::NextElement(e), ++n)
            if (e == element) return v;
    }
    return 0;
}

ScoreObject* FindElementInMeasure(ScoreView* view) {
    if (view == nullptr || view->currentCell == nullptr || view->currentSystem == nullptr)
        return nullptr;
    LogicalPoint r = view->pointerPoint;
    PointsToCurrentMeasureOffsets(view, &r, 1);
    const int first = FirstSelectedVoice(view);
    if (ScoreObject* e = SearchRests(view, first, r)) return e;
    for (int v = 0; v < kLocateVoices; ++v) {
        if (v == first || !VoiceAllowed(v) || GetVoiceFirstElement(view->currentCell, v) == nullptr)
            continue;
        if (ScoreObject* e = SearchRests(view, v, r)) return e;
    }
    return nullptr;
}

LogicalPoint GetEventPosition(EventRecord* event, ScoreView* view) {
    if (event == nullptr || view == nullptr) return {};
    const int size = (event->flags & kEventSizeClassMask) >> 4;
    const int32_t w = ZoomX(view, kHeadHalfWidths[std::min(size, 2)]);
    int32_t x = BeatMapTickToX(view, event->time) + CurrentSlotX(view) +
                event->nudge * kNudgeUnits + w;
    if (event->word2 & kOtherSideBit) x += (event->flags & kEventStemFlag) ? 2 * w : -2 * w;
    return LogicalPoint{x, PositionY(view, NotePosition(*event))};
}

int FirstSelectedVoice(const ScoreView* view) {
    const uint8_t mask = view != nullptr ? view->voiceMask : 0;
    if (mask == 0 || mask > kMaxVoiceMask) return 0;
    for (int v = 0; v < kLocateVoices; ++v)
        if ((mask >> v) & 1) return v;
    return 0;
}

int FindVoiceOfEvent(MeasureCell* cell, const EventRecord* event, int hint) {
    if (cell == nullptr || event == nullptr) return 0;
    for (int k = -1; k < kLocateVoices; ++k) {
        const int v = k < 0 ? std::clamp(hint, 0, kLocateVoices - 1) : k;
        int n = 0;
        for (EventRecord* e = GetVoiceFirstEvent(cell, v); e != nullptr && n < kMaxChainLength;
             e = NextEvent(e), ++n)
            if (e == event) return v;
    }
    return 0;
}

EventRecord* HitTestVoiceEvents(ScoreView* view, int voice) {
    if (view == nullptr || view->currentCell == nullptr) return nullptr;
    EventRecord* first = GetVoiceFirstEvent(view->currentCell, voice);
    if (first == nullptr) return nullptr;
    Switches().HitVoice = static_cast<uint8_t>(voice);
    const int32_t s = std::max(1, HitStep(view));
    int32_t w = s;
    int32_t h = s;
    for (;;) {
        if (EventRecord* e = OnePass(view, first, w, h)) return e;
        if (w < kWidthLimit)
            w += s;
        else if (h >= kHeightLimit)
            return nullptr;
        if (h < kHeightLimit) h += s;
    }
}

EventRecord* HitTestSelectedVoice(ScoreView* view) {
    return HitTestVoiceEvents(view, FirstSelectedVoice(view));
}

EventRecord* HitTestAnyVoice(ScoreView* view) {
    const int first = FirstSelectedVoice(view);
    if (EventRecord* e = HitTestVoiceEvents(view, first)) return e;
    for (int v = 0; v < kLocateVoices; ++v) {
        if (v == first || (Switches().VoiceFilterMode != 1 && !VoiceAllowed(v))) continue;
        if (EventRecord* e = HitTestVoiceEvents(view, v)) return e;
    }
    return nullptr;
}

EventRecord* FindEventUnderPointer(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (EventRecord* e = SearchStaff(view)) return e;
    const int start = view->currentStaff;
    const int measure = view->currentMeasure;
    if (start >= 2 && IsStaffShown(view, view->currentSystem, start - 1)) {
        ApplyLocation(view, start - 1, measure);
        if (EventRecord* e = SearchStaff(view)) return e;
    }
    if (start < StaffCountOf(view) && IsStaffShown(view, view->currentSystem, start + 1)) {
        ApplyLocation(view, start + 1, measure);
        if (EventRecord* e = SearchStaff(view)) return e;
    }
    return nullptr;
}

}  // namespace ql
