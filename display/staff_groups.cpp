// Barline and brace groups of a staff, and the clef and key in force at the end of
// a measure (the start value of the measure cell, unless the cell's object list
// holds a clef or key change: then the change with the greatest tick, the first in
// list order among equal ticks).
#include "display/staff_groups.h"

#include "core/model/grid.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "staves/signature_fields.h"

namespace ql {

namespace {

// Bounds the walk of a damaged object list that loops.
constexpr int kMaxCellObjects = 64 * 1024;

using SignatureCode = uint8_t (*)(const ScoreObject*);

// The code of the last change of `type` in the cell's list, or `start` when none.
int LastChangeInCell(const MeasureCell& cell, ObjectType type, SignatureCode codeOf, int start) {
    const ScoreObject* head = cell.objects.get();
    const ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
    int code = start;
    int latestTick = -1;
    for (int i = 0; object != nullptr && i < kMaxCellObjects; ++i, object = object->next.get()) {
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

// provisional: the group links of the staff records are read by the staff-grid
// painter, which is not built; until then every staff is reported as a group of
// its own (first and last staff are the staff itself).
int FirstStaffOfBarGroup(ScoreView* /*view*/, int staff) {
    return staff;
}
int LastStaffOfBarGroup(ScoreView* /*view*/, int staff) {
    return staff;
}
int FirstStaffOfBrace(ScoreView* /*view*/, int staff) {
    return staff;
}
int LastStaffOfBrace(ScoreView* /*view*/, int staff) {
    return staff;
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
