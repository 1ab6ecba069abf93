// Where the pointer goes after a typed note: just after the note while the measure
// has room left (320 units on, or onto the item that already starts there), else to
// the start of the next measure of the system. With "Auto roll notes" off the pointer
// stays where it was unless the note came from MIDI.
#include <algorithm>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_record.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_entry.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace {

constexpr int kMeasureEndTicks = 17;    // a note ending this close fills the measure
constexpr int32_t kGapAfterNote = 320;  // view units between a note and the pointer
constexpr int32_t kNextMeasureInset = 128;

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

}  // namespace

void ScrollToNoteCursor(ScoreView* view, int time, int ticks) {
    if (view == nullptr || view->currentCell == nullptr) return;
    const int length = view->currentMeasureLength;
    if (time + ticks < length - kMeasureEndTicks) {
        if (!FollowsEntry()) return;
        const int32_t slotX = CurrentSlotX(view);
        const int32_t x = slotX + BeatMapTickToX(view, time);
        const int32_t gap = SomethingStartsAt(view, time + ticks) ? 0 : kGapAfterNote;
        const int32_t lastX = slotX + BeatMapTickToX(view, length - 1);
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
