// Where the pointer goes after a typed note: just after the note while the measure
// has room left (320 units on, or onto the item that already starts there; the view
// scrolls on and the system is re-spaced when the note nears the edge or the
// measure's end), else to the start of the next measure of the system. With "Auto
// roll notes" off the pointer stays where it was unless the note came from MIDI.
#include <algorithm>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_record.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "layout/measure_format.h"
#include "notes/entry/entry_internal.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_entry.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace {

constexpr int kMeasureEndTicks = 17;    // a note ending this close fills the measure
constexpr int32_t kGapAfterNote = 320;  // view units between a note and the pointer
constexpr int32_t kNextMeasureInset = 128;
constexpr int32_t kLookAhead = 1024;     // room the view keeps right of the note
constexpr int32_t kRoomBeforeEnd = 321;  // less room than this re-spaces the system

bool FollowsEntry() {
    const NotesGlobals& notes = State().notes;
    return notes.NoteTools.autoRollNotes != 0 || notes.NoteEntry.fromMidi != 0;
}

// True when an event or voice element of the active voice starts at the tick.
bool SomethingStartsAt(ScoreView* view, int tick) {
    const int voice = EntryVoice(view);
    EventRecord* e = GetVoiceFirstEvent(view->currentCell, voice);
    for (int i = 0; e != nullptr && i < kMaxChainLength; ++i, e = NextEvent(e))
        if (e->time == tick) return true;
    ScoreObject* element = GetVoiceFirstElement(view->currentCell, voice);
    for (int i = 0; element != nullptr && i < kMaxChainLength; ++i, element = element->next.get())
        if (ElementTime(element) == tick) return true;
    return false;
}

bool IsLastMeasureOfSystem(const ScoreView* view) {
    const ScoreSystem* system = view->currentSystem;
    return system == nullptr || view->currentMeasure >= system->lastMeasure;
}

// The note's x: the view scrolls one step when its right edge is not kLookAhead
// beyond it, and the system is re-spaced when less than kRoomBeforeEnd is left
// between the note and the measure's last tick.
int32_t NoteXMadeVisible(ScoreView* view, int time, int length) {
    int32_t x = CurrentSlotX(view) + BeatMapTickToX(view, time);
    if (view->pageView == 0 && view->visibleRect.right < x + kLookAhead) {
        ScrollViewStep(view, 1);
        x = CurrentSlotX(view) + BeatMapTickToX(view, time);
    }
    const int32_t lastX = CurrentSlotX(view) + BeatMapTickToX(view, length - 1);
    if (lastX - x < kRoomBeforeEnd && view->currentPage != nullptr && view->currentSystem != nullptr) {
        {
            entry::SpaceAccidentalsOff off;
            FormatSystem(view, view->currentPage, view->currentSystem);
        }
        ComputeViewScrollRanges(view);
        x = CurrentSlotX(view) + BeatMapTickToX(view, time);
    }
    return x;
}

}  // namespace

void ScrollToNoteCursor(ScoreView* view, int time, int ticks) {
    if (view == nullptr || view->currentCell == nullptr) return;
    const int length = view->currentMeasureLength;
    if (time + ticks < length - kMeasureEndTicks) {
        if (!FollowsEntry()) return;
        const int32_t x = NoteXMadeVisible(view, time, length);
        const int32_t gap = SomethingStartsAt(view, time + ticks) ? 0 : kGapAfterNote;
        const int32_t lastX = CurrentSlotX(view) + BeatMapTickToX(view, length - 1);
        MovePointerToPoint(view, std::min(x + gap, lastX), view->pointerPoint.y);
        return;
    }
    view->voiceChain = GetVoiceFirstEvent(view->currentCell, EntryVoice(view));
    if (FollowsEntry() && !IsLastMeasureOfSystem(view)) AdvanceToNextMeasure(view);
}

void AdvanceToNextMeasure(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return;
    if (view->pageView != 0 && view->currentMeasure >= view->document->header.measureCount) return;
    const int32_t y = view->pointerPoint.y;
    SetCurrentMeasure(view, view->currentStaff, view->currentMeasure + 1);
    MovePointerToPoint(view, CurrentSlotX(view) + kNextMeasureInset, y);
}

}  // namespace ql
