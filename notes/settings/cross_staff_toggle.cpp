// provisional: the notes tool's cross-staff toggle (with the conversion of the step
// between the two staves' clefs and the voice's bookkeeping) belongs to the note
// entry code, which is not built yet; until then the toggle flips the cross-staff
// bit of the chord's notes in the same state and leaves their position on the other
// staff to be worked out when they are next drawn (kNoCrossStaffPosition).
#include "notes/settings/cross_staff_toggle.h"

#include "core/model/events.h"
#include "notes/drawing/note_fields.h"

namespace ql {

void ApplyCrossStaffToggle(ScoreView* /*view*/, EventRecord* note) {
    if (note == nullptr) return;
    const bool wasCross = IsCrossStaff(*note);
    EventRecord* member = GetFirstEventOfChord(note);
    for (int i = 0; member != nullptr && i < kMaxChainLength; ++i) {
        if (IsCrossStaff(*member) == wasCross) {
            member->flags = static_cast<uint16_t>(member->flags ^ kNoteCrossStaff);
            member->crossStaffPosition = kNoCrossStaffPosition;
        }
        if (IsLastOfChord(member)) break;
        member = NextEvent(member);
    }
}

}  // namespace ql
