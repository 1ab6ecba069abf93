// Cross-staff notes: a note of one staff drawn on its neighbour (flags bit 10; stemWord
// bit 15 picks the staff above, else the one below). Its position on the other staff
// (the cross-staff byte, in that staff's steps) is what stays put; its own position is
// worked out from it and the staves' present distance, so that the note keeps its line
// of the other staff when the staves move apart. Its pitch is read from the other
// staff (the cached position with that staff's clef and key) and never changes here.
//
// Own position = cached position - (own staff offset - other staff offset) / 64.
#include <cstdint>

#include "core/constants.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"

namespace ql::notedraw {

namespace {

constexpr int kLowestStoredPosition = INT8_MIN;
constexpr int kHighestStoredPosition = INT8_MAX;

bool FitsPosition(int position) {
    return position >= kLowestStoredPosition && position <= kHighestStoredPosition &&
           static_cast<uint8_t>(static_cast<int8_t>(position)) != kNoCrossStaffPosition;
}

}  // namespace

CrossStaffTarget CrossStaffTargetOf(const ScoreView* view, const EventRecord& note) {
    CrossStaffTarget target;
    const ScoreSystem* system = view->currentSystem;
    const uint16_t* offsets = system != nullptr ? StaffOffsetsOf(system) : nullptr;
    const int count = view->document != nullptr ? view->document->header.staffCount : 0;
    const int staff = view->currentStaff;
    if (offsets == nullptr || staff < 1 || staff > count) return target;
    const bool above = (note.stemWord & kStemCrossStaffAbove) != 0;
    const int other = above ? staff - 1 : staff + 1;
    if (other < 1 || other > count) return target;
    target.staff = other;
    target.bottomY = system->y + offsets[other];
    target.stepsBetween = (static_cast<int>(offsets[staff]) - offsets[other]) / kUnitsPerStaffStep;
    return target;
}

int DrawnPosition(const ScoreView* view, const EventRecord& note) {
    if (!IsCrossStaff(note) || note.crossStaffPosition == kNoCrossStaffPosition)
        return SignedStep(note);
    const CrossStaffTarget target = CrossStaffTargetOf(view, note);
    const int own = static_cast<int8_t>(note.crossStaffPosition) - target.stepsBetween;
    return target.staff != 0 && FitsPosition(own) ? own : SignedStep(note);
}

}  // namespace ql::notedraw

namespace ql {

int32_t ArticulationYForNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr || note == nullptr) return 0;
    const notedraw::CrossStaffTarget target = notedraw::CrossStaffTargetOf(view, *note);
    if (!IsCrossStaff(*note) || target.staff == 0) return notedraw::BottomLineY(view);
    const int position = SignedStep(*note) + target.stepsBetween;
    if (notedraw::FitsPosition(position)) SetNotePosition(*note, position);
    return target.bottomY;
}

void CrossStaffPositionForDraw(ScoreView* view, EventRecord* note) {
    if (view == nullptr || note == nullptr || !IsCrossStaff(*note)) return;
    const notedraw::CrossStaffTarget target = notedraw::CrossStaffTargetOf(view, *note);
    if (target.staff == 0) return;
    if (note->crossStaffPosition == kNoCrossStaffPosition) {
        const int cached = SignedStep(*note) + target.stepsBetween;
        if (notedraw::FitsPosition(cached))
            note->crossStaffPosition = static_cast<uint8_t>(static_cast<int8_t>(cached));
        return;
    }
    const int own = static_cast<int8_t>(note->crossStaffPosition) - target.stepsBetween;
    if (notedraw::FitsPosition(own) && own != SignedStep(*note)) SetNotePosition(*note, own);
}

}  // namespace ql
