// Spacing at an item of the current measure: the distance from the previous column
// (the latest item of any voice that starts more than kSameColumnTicks before it) to
// the item is widened or narrowed by one eighth (at most kLargestStep units; the
// larger move a quarter, at most twice that), written into the measure's spacing list
// as the spacing of the ticks between the two columns. Then the measure's width and
// beat map follow, the views showing the measure are painted again, and the pointer
// stands just beside the item at its new place. A whole focused note steps instead
// the span from it to the end of its beam group, by one eighth of that span with no cap.
#include <algorithm>
#include <cstdlib>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/units/voice_masks.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_spacing.h"
#include "notes/beatmap/beat_map.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace {

constexpr int kVoices = 4;
constexpr int kSameColumnTicks = 17;
constexpr int32_t kLargestStep = 76;
constexpr int kStepDivisor = 8;
constexpr int kLargerStepDivisor = 4;
constexpr int32_t kPointerBeside = 38;
constexpr int kWidthSlack = 2;  // width changes up to this leave the system's layout
constexpr int kMeasureEndInset = 16;  // a span reaching the barline stops this short of it

// The latest time before `tick` - kSameColumnTicks of every voice's events and rests.
int PreviousColumnTime(MeasureCell* cell, int tick) {
    int best = -1;
    for (int v = 0; v < kVoices; ++v) {
        EventRecord* e = GetVoiceFirstEvent(cell, v);
        for (int i = 0; e != nullptr && !IsHeadSentinel(*e) && i < kMaxChainLength; ++i, e = NextEvent(e))
            if (e->time < tick - kSameColumnTicks) best = std::max<int>(best, e->time);
        ScoreObject* r = GetVoiceFirstElement(cell, v);
        for (int i = 0; r != nullptr && i < kMaxChainLength; ++i, r = r->next.get()) {
            const int time = ElementTime(r);
            if (time < tick - kSameColumnTicks) best = std::max(best, time);
        }
    }
    return best;
}

int32_t SpacingStep(int32_t distance, bool larger) {
    const int32_t step = larger ? std::min(distance / kLargerStepDivisor, 2 * kLargestStep)
                                : std::min(distance / kStepDivisor, kLargestStep);
    return std::max<int32_t>(step, 1);
}

// The measure's width from its new list; a change beyond the slack lays the system's
// row out again, else the slot's tick array alone is rebuilt.
void FollowWidth(ScoreView* view) {
    MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    const int oldWidth = record != nullptr ? record->width : 0;
    const int width = MeasureWidth(view->document, view->currentMeasure);
    if (std::abs(width - oldWidth) > kWidthSlack) {
        BuildStaffBeatMap(view, 1);
    } else {
        BuildBeatMapSlot(view, view->currentSlot);
    }
}

// A respaced measure moves its notes, and a width change beyond the slack moves the
// system's later measures too: this view and its linked views are painted again.
void ShowRespacedMeasure(ScoreView* view) {
    InvalidateLinkedViews(view);
}

// Where the span of a note's beam group ends: the last chord's end, kept
// kMeasureEndInset ticks inside the measure when it reaches the barline.
int BeamGroupSpanEnd(ScoreView* view, EventRecord* note) {
    const int end = note->time + GetBeamGroupLastEvent(note);
    return end >= view->currentMeasureLength ? end - kMeasureEndInset : end;
}

}  // namespace

int NudgeNoteSpacing(ScoreView* view, EventRecord* note, int n) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr || note == nullptr) return 0;
    const int end = BeamGroupSpanEnd(view, note);
    const int ticks = end - note->time;
    const int32_t distance = BeatMapTickToX(view, end) - BeatMapTickToX(view, note->time);
    if (ticks <= 0 || distance <= 0) return 0;
    const int32_t step = std::max<int32_t>(distance / kStepDivisor, 1);
    const int32_t wanted = std::max<int32_t>(1, distance + (n >= 1 ? step : -step));
    const SpacingEntry span{0, static_cast<uint16_t>(note->time), static_cast<uint16_t>(ticks), 0};
    if (!SetSpanSpacing(view->document, view->currentMeasure, span, distance, wanted)) return 0;
    SetDocumentModified(view->document);
    if (State().notes.RebuildLinkedBeatMaps != 0) {
        BuildBeatMapsOnLinkedViews(view, 1);
    } else {
        FollowWidth(view);
    }
    ShowRespacedMeasure(view);
    if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
    return 1;
}

ColumnPoint TimeToSystemX(ScoreView* view, int tick) {
    const int time = view != nullptr && view->currentCell != nullptr ? PreviousColumnTime(view->currentCell, tick) : -1;
    if (time < 0) return ColumnPoint{0, CurrentSlotX(view) + BeatMapTickToX(view, 0)};
    return ColumnPoint{time, CurrentSlotX(view) + BeatMapTickToX(view, time)};
}

void NudgeEventSpacing(ScoreView* view, int tick, int direction, bool larger) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr || direction == 0) return;
    const ColumnPoint previous = TimeToSystemX(view, tick);
    const int32_t x = CurrentSlotX(view) + BeatMapTickToX(view, tick);
    const int32_t distance = x - previous.x;
    const int ticks = tick - previous.time;
    if (ticks <= 0 || distance <= 0) return;
    const int32_t wanted = std::max<int32_t>(1, distance + (direction > 0 ? 1 : -1) * SpacingStep(distance, larger));
    const SpacingEntry span{0, static_cast<uint16_t>(previous.time), static_cast<uint16_t>(ticks), 0};
    if (!SetSpanSpacing(view->document, view->currentMeasure, span, distance, wanted)) return;
    SetDocumentModified(view->document);
    FollowWidth(view);
    ShowRespacedMeasure(view);
    if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
    const bool left = view->pointerPoint.x < x;
    const int32_t newX = CurrentSlotX(view) + BeatMapTickToX(view, tick);
    MovePointerToPoint(view, newX + (left ? -kPointerBeside : kPointerBeside), view->pointerPoint.y);
}

void NarrowSpacingAtCursor(ScoreView* view) {
    if (view == nullptr || view->currentCell == nullptr) return;
    NudgeEventSpacing(view, ItemTimeAtCursor(view), -1, false);
}

void WidenSpacingAtCursor(ScoreView* view) {
    if (view == nullptr || view->currentCell == nullptr) return;
    NudgeEventSpacing(view, ItemTimeAtCursor(view), 1, false);
}

// The first event of the view's current voice at or after the tick under the
// pointer, else the last one before it; the pointer's tick when the voice is empty.
// The other voices are not looked at: the spacing keys work on the voice entered.
int ItemTimeAtCursor(ScoreView* view) {
    const int tick = XToTime(view, view->pointerPoint.x);
    int after = -1;
    int before = -1;
    EventRecord* e = GetVoiceFirstEvent(view->currentCell, CurrentVoiceOf(*view));
    for (int i = 0; e != nullptr && !IsHeadSentinel(*e) && i < kMaxChainLength; ++i, e = NextEvent(e)) {
        if (e->time >= tick && (after < 0 || e->time < after)) after = e->time;
        if (e->time < tick) before = std::max<int>(before, e->time);
    }
    return after >= 0 ? after : before >= 0 ? before : tick;
}

}  // namespace ql
