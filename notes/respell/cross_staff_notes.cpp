// Cross-staff notes brought into their own staff's positions for a rewrite and
// taken back out after it (see cross_staff_notes.h).
#include "notes/respell/cross_staff_notes.h"

#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar_notes.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

namespace {

constexpr int kNoClef = -1;  // a clef code that ShiftPositionForClef leaves alone
constexpr int kFirstStaff = 1;
constexpr int kHighestPosition = 127;

// A position kept inside the stored byte, clear of the none value.
int ClampPosition(int position) {
    return position <= kNoStaffPosition ? kNoStaffPosition + 1
                                        : (position > kHighestPosition ? kHighestPosition : position);
}

// The staff a cross-staff note is drawn on, or 0 when that staff does not exist.
int NeighbourStaff(const ScoreView* view, const EventRecord& note, int staff) {
    const bool above = (note.stemWord & kStemCrossStaffAbove) != 0;
    const int neighbour = above ? staff - 1 : staff + 1;
    const int count = view->document != nullptr ? view->document->header.staffCount : 0;
    return neighbour >= kFirstStaff && neighbour <= count ? neighbour : 0;
}

// Seven steps down (positions grow downwards) for the staff below, up for above.
int StaffOffset(const EventRecord& note) {
    return (note.stemWord & kStemCrossStaffAbove) != 0 ? -kCrossStaffSteps : kCrossStaffSteps;
}

int NeighbourClefAt(ScoreView* view, int neighbour, int measure, int tick) {
    const MeasureCell* cell = ExistingMeasureCell(view->document, neighbour, measure);
    return cell != nullptr ? ClefAtTick(cell, tick) : kNoClef;
}

// Calls `action` for each cross-staff note of the voice whose neighbour exists.
template <typename Action>
void ForEachCrossStaffNote(ScoreView* view, MeasureCell* cell, int staff, int voice, Action action) {
    EventRecord* head = GetVoiceHead(cell, voice);
    int count = 0;
    for (EventRecord* note = NextEvent(head); head != nullptr && note != nullptr && count < kMaxChainLength;
         note = NextEvent(note), ++count) {
        if (!IsCrossStaff(*note)) continue;
        const int neighbour = NeighbourStaff(view, *note, staff);
        if (neighbour != 0) action(*note, neighbour);
    }
}

}  // namespace

int CountCrossStaffNotes(ScoreView* view, MeasureCell* cell, int staff, int measure, int voice,
                         int onlyNeighbour) {
    if (view == nullptr || cell == nullptr) return 0;
    int set = 0;
    ForEachCrossStaffNote(view, cell, staff, voice, [&](EventRecord& note, int neighbour) {
        if (onlyNeighbour != 0 && neighbour != onlyNeighbour) return;
        int there = static_cast<int8_t>(note.crossStaffPosition);
        if (there == kNoStaffPosition) there = 0;
        const int shifted = ShiftPositionForClef(there, NeighbourClefAt(view, neighbour, measure, note.time),
                                                 ClefAtTick(cell, note.time));
        SetNotePosition(note, ClampPosition(shifted + StaffOffset(note)));
        ++set;
    });
    return set;
}

void UpdateCrossStaffNotes(ScoreView* view, MeasureCell* cell, int staff, int measure, int voice) {
    if (view == nullptr || cell == nullptr) return;
    ForEachCrossStaffNote(view, cell, staff, voice, [&](EventRecord& note, int neighbour) {
        const int own = ClampPosition(NotePosition(note) - StaffOffset(note));
        SetNotePosition(note, own);
        int there = ShiftPositionForClef(own, ClefAtTick(cell, note.time),
                                         NeighbourClefAt(view, neighbour, measure, note.time));
        if (there == kNoStaffPosition) there = 0;
        note.crossStaffPosition = static_cast<uint8_t>(static_cast<int8_t>(there));
    });
}

}  // namespace ql
