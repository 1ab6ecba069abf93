// After a system row is built, its tuplet marks are laid out again: every event of
// every voice of every staff and measure of the system is visited, and each tuplet
// mark attached to it that was not placed by hand (its layout byte, the high byte of
// its text flags, below 128) gets its ResetState with the view. The view's location
// moves to the mark's staff and measure for the call and is put back afterwards.
// Voice chains end at a head sentinel, at a link that does not resolve, or after
// kMaxChainLength events (a chain that loops). Inside a TupletRefreshScope that
// found no tuplet mark among the records attachments live in, nothing is walked.
#include <algorithm>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql {

namespace {

// A tuplet mark whose layout byte has this bit was placed by hand.
constexpr uint16_t kTupletPlacedByHand = 0x8000;
// Bounds the walk of an event's attachment chain.
constexpr int kMaxAttachments = 1024;

// Moves the view's location to the events being walked, once, and back at the end.
class LocationKeeper {
  public:
    explicit LocationKeeper(ScoreView* view)
        : view_(view), staff_(view->currentStaff), measure_(view->currentMeasure) {}
    ~LocationKeeper() {
        if (moved_) SetCurrentMeasureQuick(view_, staff_, measure_);
    }
    LocationKeeper(const LocationKeeper&) = delete;
    LocationKeeper& operator=(const LocationKeeper&) = delete;
    void MoveTo(int staff, int measure) {
        if (moved_ && view_->currentStaff == staff && view_->currentMeasure == measure) return;
        SetCurrentMeasureQuick(view_, staff, measure);
        moved_ = true;
    }

  private:
    ScoreView* view_;
    int staff_;
    int measure_;
    bool moved_ = false;
};

bool IsTupletToRelay(const ScoreObject& object) {
    if (object.type != TypeCode(ObjectType::Tuplet)) return false;
    return (AsTextObject(&object)->body.flags & kTupletPlacedByHand) == 0;
}

void RelayTupletsOf(const EventRecord* event, ScoreView* view, LocationKeeper& location, int staff,
                    int measure) {
    ScoreObject* object = GetEventAttachment(event);
    for (int i = 0; object != nullptr && i < kMaxAttachments; ++i, object = object->next.get()) {
        if (!IsTupletToRelay(*object)) continue;
        location.MoveTo(staff, measure);
        ClassOf(object).ResetState(object, view);
    }
}

void RelayTupletsOfCell(MeasureCell* cell, ScoreView* view, LocationKeeper& location, int staff,
                        int measure) {
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        const EventRecord* event = GetVoiceFirstEvent(cell, voice);
        for (int n = 0; event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength; ++n) {
            RelayTupletsOf(event, view, location, staff, measure);
            event = NextEvent(event);
        }
    }
}

// Whether the current set holds a tuplet mark an event can reach: attachments are
// records of the text-object pool, so with no tuplet among its live records the
// walk below has nothing to do. Other records of the pool are read as objects too;
// one that happens to carry the tuplet's type code only costs the walk.
bool MayHoldTuplets() {
    return AnyLiveRecordOf(kTextObjectPool, [](const void* record) {
        return static_cast<const ScoreObject*>(record)->type == TypeCode(ObjectType::Tuplet);
    });
}

// What the innermost TupletRefreshScope found: the descriptors of the set it asked
// about (null outside any scope) and whether that set holds no tuplet mark.
const void* g_scannedSet = nullptr;
bool g_scannedSetHasNone = false;

bool IsKnownFreeOfTuplets() {
    return g_scannedSet != nullptr && g_scannedSetHasNone && g_scannedSet == CurrentPoolSet().pools;
}

}  // namespace

TupletRefreshScope::TupletRefreshScope()
    : savedSet_(g_scannedSet), savedNone_(g_scannedSetHasNone) {
    g_scannedSet = CurrentPoolSet().pools;
    g_scannedSetHasNone = !MayHoldTuplets();
}

TupletRefreshScope::~TupletRefreshScope() {
    g_scannedSet = savedSet_;
    g_scannedSetHasNone = savedNone_;
}

void RefreshTupletsOfSystem(ScoreSystem* system, ScoreView* view) {
    if (system == nullptr || view == nullptr || view->document == nullptr) return;
    if (IsKnownFreeOfTuplets()) return;
    ScoreDocument* document = view->document;
    LocationKeeper location(view);
    const int last = std::min<int>(system->lastMeasure, beatmap::LastReachableMeasure(*document));
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        for (int measure = system->firstMeasure; measure <= last; ++measure)
            if (MeasureCell* cell = ExistingMeasureCell(document, staff, measure))
                RelayTupletsOfCell(cell, view, location, staff, measure);
}

}  // namespace ql
