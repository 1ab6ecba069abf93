// Staff groups and staff facts the display derives from the score grid.
// Group walks: from a staff that joins its neighbour on one side, the walk moves
// that way while the next staff joins back (barline connection, brace or bracket, by
// the accessors of staves/staff_group_bits.h); it never leaves 1..staff count, and a
// joining bit that points out of the score (upward on staff 1, downward on the last
// staff) joins nothing, and is cleared where a walk meets it while painting. The clef and key in force at the end
// of a measure are the cell's start values unless its object list holds a change:
// then the change with the greatest tick, the first in list order among equal ticks.
#include "display/staff_groups.h"

#include <utility>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/painter.h"
#include "layout/page_chain.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/signature_fields.h"
#include "staves/staff_group_bits.h"
#include "staves/staff_scaling.h"

namespace ql {

namespace {

// Bounds the walk of a damaged object list that loops.
constexpr int kMaxCellObjects = 64 * 1024;

using SignatureCode = uint8_t (*)(const ScoreObject*);

constexpr int kUpward = -1;
constexpr int kDownward = 1;
constexpr int kLineSpacing = kFiveLineStaffUnits / 4;
constexpr int kFullStaffLines = 5;
// Staff types 1..4 stand one line spacing higher than a five-line staff.
constexpr int kLastRaisedType = 4;
// Lines missing at the top of a staff of 0..4 lines, against a five-line frame.
constexpr int kTopLinesMissing[kFullStaffLines] = {0, 1, 2, 1, 0};

int StaffCountOf(const ScoreView* view) {
    return view != nullptr && view->document != nullptr ? view->document->header.staffCount : 0;
}

int TopLinesMissing(int type) {
    return type < kFullStaffLines ? kTopLinesMissing[type] : kFullStaffLines - type;
}

int ScaledLength(int length, double scale) {
    return scale > 0.0 ? ScaledValue(length, scale) : length;
}

StaffRecord* GroupStaff(ScoreView* view, int staff) {
    if (staff < 1 || staff > StaffCountOf(view)) return nullptr;
    return StaffRecordOf(view->document, staff);
}

// Clears a joining bit that points past the first or the last staff. Only while
// painting (the repair then never counts as an edit); a walk outside a paint reads
// such a bit as joining nothing and writes no record.
void ClearStrayBits(StaffRecord& record, int staff, int count, GroupKind kind) {
    if (!IsPaintingGuardSet()) return;
    if (staff == 1 && JoinsStaffAbove(record, kind)) SetJoinsStaffAbove(record, kind, false);
    if (staff == count && JoinsStaffBelow(record, kind)) SetJoinsStaffBelow(record, kind, false);
}

bool JoinsToward(const StaffRecord& record, GroupKind kind, int direction) {
    return direction == kUpward ? JoinsStaffAbove(record, kind) : JoinsStaffBelow(record, kind);
}

// The staff at one end of a staff's group; the staff itself when it does not join.
int WalkGroup(ScoreView* view, int staff, GroupKind kind, int direction) {
    const int count = StaffCountOf(view);
    StaffRecord* record = GroupStaff(view, staff);
    if (record == nullptr) return staff;
    ClearStrayBits(*record, staff, count, kind);
    if (!JoinsToward(*record, kind, direction)) return staff;
    int current = staff;
    for (int next = staff + direction; next >= 1 && next <= count; next += direction) {
        StaffRecord* neighbour = GroupStaff(view, next);
        if (neighbour == nullptr) break;
        ClearStrayBits(*neighbour, next, count, kind);
        if (!JoinsToward(*neighbour, kind, -direction)) break;
        current = next;
    }
    return current;
}

// The range without the staves at its ends that the current system does not show.
std::pair<int, int> TrimHidden(ScoreView* view, int first, int last) {
    while (first < last && !IsStaffShownInSystem(view, first)) ++first;
    while (last > first && !IsStaffShownInSystem(view, last)) --last;
    return {first, last};
}

// A node of a cell's list that may be read: a record of the score being worked on
// (the usual case, one check) or of another open score. Only a paint checks: it
// walks lists the user may have damaged and reports them once; the editing and
// layout paths walk the lists they keep sound, at the speed they need.
bool IsReadableNode(const ScoreObject* object) {
    if (!IsPaintingGuardSet()) return true;
    return SoundObjectBytesInSet(CurrentPoolSet(), object) != 0 || IsObjectOfAnOpenScore(object);
}

// The code of the last change of `type` in the cell's list, or `start` when none.
int LastChangeInCell(const MeasureCell& cell, ObjectType type, SignatureCode codeOf, int start) {
    const ScoreObject* head = cell.objects.get();
    if (head == nullptr || !IsReadableNode(head)) return start;
    const ScoreObject* object = head->next.get();
    int code = start;
    int latestTick = -1;
    for (int i = 0; object != nullptr && i < kMaxCellObjects; ++i, object = object->next.get()) {
        // A damaged link ends the walk (the painter reports it).
        if (!IsReadableNode(object)) break;
        if (object->type != TypeCode(type)) continue;
        const int tick = SignatureTickOfObject(object);
        if (tick > latestTick) {
            latestTick = tick;
            code = codeOf(object);
        }
    }
    return code;
}

}  // namespace

bool IsStaffShownInSystem(const ScoreView* view, int staff) {
    const ScoreSystem* system = view != nullptr ? view->currentSystem : nullptr;
    const int8_t* flags = system != nullptr ? StaffFlagsOf(system) : nullptr;
    if (flags == nullptr || staff < 1 || staff > StaffCountOf(view)) return false;
    return (static_cast<uint8_t>(flags[staff]) & pages::kHiddenStaff) == 0;
}

int FirstStaffOfBarGroup(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Barline, kUpward);
}
int LastStaffOfBarGroup(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Barline, kDownward);
}
int FirstStaffOfBrace(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Brace, kUpward);
}
int LastStaffOfBrace(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Brace, kDownward);
}

int FirstStaffOfBracket(ScoreView* view, int staff, bool skipHidden) {
    const int first = WalkGroup(view, staff, GroupKind::Bracket, kUpward);
    if (!skipHidden) return first;
    return TrimHidden(view, first, WalkGroup(view, staff, GroupKind::Bracket, kDownward)).first;
}
int LastStaffOfBracket(ScoreView* view, int staff, bool skipHidden) {
    const int last = WalkGroup(view, staff, GroupKind::Bracket, kDownward);
    if (!skipHidden) return last;
    return TrimHidden(view, WalkGroup(view, staff, GroupKind::Bracket, kUpward), last).second;
}

void StaffLineOffsets(ScoreView* view, int firstStaff, int secondStaff, int* top, int* bottom) {
    const StaffRecord* upper = GroupStaff(view, firstStaff);
    const StaffRecord* lower = GroupStaff(view, secondStaff);
    const double scale = view != nullptr ? ViewScale(view) : 0.0;
    const int upperType = upper != nullptr ? StaffLineCount(*upper) : kFullStaffLines;
    const int lowerType = lower != nullptr ? StaffLineCount(*lower) : kFullStaffLines;
    if (top != nullptr) *top = ScaledLength(kLineSpacing * TopLinesMissing(upperType), scale);
    if (bottom != nullptr) {
        const bool raised = lowerType >= 1 && lowerType <= kLastRaisedType;
        *bottom = raised ? ScaledLength(-kLineSpacing, scale) : 0;
    }
}

bool StaffHasNoVoices(const MeasureCell* cell) {
    if (cell == nullptr) return true;
    auto* readable = const_cast<MeasureCell*>(cell);  // read only: the lookups take no const
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (GetVoiceFirstEvent(readable, voice) != nullptr) return false;
    return true;
}

int KeyAtCellEnd(const MeasureCell& cell) {
    return LastChangeInCell(cell, ObjectType::KeySignature, &KeyCodeOfObject,
                            cell.clefKey >> kKeyNibbleShift);
}

int ClefAtCellEnd(const MeasureCell& cell) {
    return LastChangeInCell(cell, ObjectType::Clef, &ClefKindOfObject,
                            cell.clefKey & kClefNibbleMask);
}

// A measure without a cell has the values a new cell would take.
int KeyAtMeasureEnd(ScoreDocument* document, int staff, int measure) {
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    return cell != nullptr ? KeyAtCellEnd(*cell) : CurrentCellDefaults().key;
}

int ClefAtMeasureEnd(ScoreDocument* document, int staff, int measure) {
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    return cell != nullptr ? ClefAtCellEnd(*cell) : CurrentCellDefaults().clef;
}

}  // namespace ql
