// The cross-staff toggle of a note's chord (the X key). On: the position on the other
// staff = the step shifted from the own clef to the other staff's clef at the note's
// tick, and the step = that position less the steps between the two staves. Off: the
// step = the stored position shifted back from the other clef to the own clef; the
// position becomes "not worked out" and both marks are cleared.
#include "core/constants.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar_notes.h"
#include "notes/drawing/note_fields.h"
#include "notes/entry/note_edits.h"
#include "notes/pitch/pitch.h"
#include "notes/stems/stems.h"

namespace ql {

namespace {

constexpr int kMiddleLineOrHigher = -3;  // steps below this stand on or above the middle line
constexpr int kUnitsPerStep = 64;
constexpr uint32_t kAlertBeep = 0;

struct OtherStaff {
    int staff = 0;
    int stepsBetween = 0;  // (own offset - other offset) / 64
    int ownClef = 0;
    int otherClef = 0;
};

OtherStaff OtherStaffOf(ScoreView* view, const EventRecord& note, bool above) {
    OtherStaff other;
    const int staff = view->currentStaff;
    const int count = view->document->header.staffCount;
    const int target = above ? staff - 1 : staff + 1;
    const uint16_t* offsets = view->currentSystem != nullptr ? StaffOffsetsOf(view->currentSystem) : nullptr;
    MeasureCell* cell = ExistingMeasureCell(view->document, target, view->currentMeasure);
    if (target < 1 || target > count || offsets == nullptr || cell == nullptr) return other;
    other.staff = target;
    other.stepsBetween = (static_cast<int>(offsets[staff]) - offsets[target]) / kUnitsPerStep;
    other.ownClef = ClefAtTick(view->currentCell, note.time);
    other.otherClef = ClefAtTick(cell, note.time);
    return other;
}

// Ruling of the neighbour: above for a note on the middle line or higher when a staff
// above exists, else below when one exists, else above.
bool ChooseAbove(const ScoreView* view, const EventRecord& note) {
    const int staff = view->currentStaff;
    if (SignedStep(note) < kMiddleLineOrHigher && staff > 1) return true;
    return staff >= view->document->header.staffCount;
}

void CrossOn(EventRecord& note, const OtherStaff& other, bool above) {
    const int position = ShiftPositionForClef(SignedStep(note), other.ownClef, other.otherClef);
    note.crossStaffPosition = static_cast<uint8_t>(static_cast<int8_t>(position));
    note.step = static_cast<uint8_t>(static_cast<int8_t>(position - other.stepsBetween));
    note.flags |= kNoteCrossStaff;
    note.stemWord = static_cast<uint16_t>(above ? note.stemWord | kStemCrossStaffAbove
                                                : note.stemWord & ~kStemCrossStaffAbove);
}

void CrossOff(EventRecord& note, const OtherStaff& other) {
    const int stored = note.crossStaffPosition == kNoCrossStaffPosition
                           ? SignedStep(note) + other.stepsBetween
                           : static_cast<int8_t>(note.crossStaffPosition);
    note.step = static_cast<uint8_t>(static_cast<int8_t>(ShiftPositionForClef(stored, other.otherClef, other.ownClef)));
    note.crossStaffPosition = kNoCrossStaffPosition;
    note.flags &= static_cast<uint16_t>(~kNoteCrossStaff);
    note.stemWord &= static_cast<uint16_t>(~kStemCrossStaffAbove);
}

}  // namespace

int ToggleCrossStaffNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return 0;
    if (view->document->header.staffCount < 2) {
        PlayAlertBeep(kAlertBeep);
        return 0;
    }
    const bool wasCross = (note->flags & kNoteCrossStaff) != 0;
    const bool above = wasCross ? (note->stemWord & kStemCrossStaffAbove) != 0 : ChooseAbove(view, *note);
    const OtherStaff other = OtherStaffOf(view, *note, above);
    if (other.staff == 0) {
        PlayAlertBeep(kAlertBeep);
        return 0;
    }
    EventRecord* first = GetFirstEventOfChord(note);
    EventRecord* m = first;
    for (int i = 0; m != nullptr && m->time == first->time && i < kMaxChainLength; ++i, m = NextEvent(m)) {
        if (((m->flags & kNoteCrossStaff) != 0) != wasCross) continue;
        if (wasCross) {
            CrossOff(*m, other);
        } else {
            CrossOn(*m, other, above);
        }
    }
    UpdateBeamForNote(view, note);
    SetDocumentModified(view->document);
    return 1;
}

}  // namespace ql
