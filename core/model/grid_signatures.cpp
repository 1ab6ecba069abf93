// The clef and key in force at a tick of a measure cell: the cell's nibbles give the
// value at the start of the measure, and Clef or KeySignature objects of the cell's
// list (time-anchored, subtype 0) change it from their tick on. An object at the
// very tick asked for does not count yet: it is in force only after that tick.
#include "core/constants.h"
#include "core/model/grid.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"

namespace ql {

namespace {

// Bounds the walk of a damaged list that loops.
constexpr int kMaxCellObjects = 64 * 1024;

// Whether an object of the cell's list is a change of `type` the readers count.
bool IsSignatureChange(const ScoreObject* o, ObjectType type) {
    return o->type == TypeCode(type) && o->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList);
}

// The first object of the cell's list (after its head), or null.
const ScoreObject* FirstCellObject(const MeasureCell* cell) {
    const ScoreObject* head = cell->objects.get();
    return head != nullptr ? head->next.get() : nullptr;
}

// The latest object of `type` before `tick` (the first among equal ticks), or null.
const ScoreObject* LatestChangeBefore(const MeasureCell* cell, ObjectType type, int tick) {
    const ScoreObject* found = nullptr;
    int foundTick = -1;
    const ScoreObject* o = FirstCellObject(cell);
    for (int i = 0; o != nullptr && i < kMaxCellObjects; ++i, o = o->next.get()) {
        if (!IsSignatureChange(o, type)) continue;
        const int at = SignatureTickOfObject(o);
        if (at < tick && at > foundTick) {
            found = o;
            foundTick = at;
        }
    }
    return found;
}

// Tick 0 and a cell without objects always give the cell's own value.
bool OnlyTheCellCounts(const MeasureCell* cell, int tick) {
    return tick == 0 || !cell->objects;
}

}  // namespace

uint8_t ClefAtTick(const MeasureCell* cell, int tick) {
    if (cell == nullptr) return 0;
    const uint8_t own = cell->clefKey & kClefNibbleMask;
    if (OnlyTheCellCounts(cell, tick)) return own;
    const ScoreObject* change = LatestChangeBefore(cell, ObjectType::Clef, tick);
    return change != nullptr ? ClefKindOfObject(change) : own;
}

uint8_t KeySignatureAtTick(const MeasureCell* cell, int tick) {
    if (cell == nullptr) return 0;
    const uint8_t own = static_cast<uint8_t>(cell->clefKey >> kKeyNibbleShift);
    if (OnlyTheCellCounts(cell, tick)) return own;
    const ScoreObject* change = LatestChangeBefore(cell, ObjectType::KeySignature, tick);
    return change != nullptr ? KeyCodeOfObject(change) : own;
}

bool CellChangesSignatures(const MeasureCell* cell) {
    if (cell == nullptr || !cell->objects) return false;
    const ScoreObject* o = FirstCellObject(cell);
    for (int i = 0; o != nullptr && i < kMaxCellObjects; ++i, o = o->next.get())
        if (IsSignatureChange(o, ObjectType::Clef) || IsSignatureChange(o, ObjectType::KeySignature))
            return true;
    return false;
}

}  // namespace ql
