// The range of a clef, key or time change on one staff (see change_range.h).
#include "staves/change_range.h"

#include <algorithm>

#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

namespace {

// Measures the walk may pass the score's end by, and where the range then ends.
constexpr int kWalkPastEnd = 2;
constexpr int kEndPastScore = 5;
// Bounds the walk of a damaged object list that loops.
constexpr int kMaxCellObjects = 64 * 1024;
constexpr int kTimeBeatsShift = 8;

int CellValue(const MeasureCell* cell, ChangeWhat what) {
    if (cell == nullptr) return -1;
    switch (what) {
    case ChangeWhat::Clef: return CellClef(*cell);
    case ChangeWhat::Key: return CellKey(*cell);
    case ChangeWhat::Time: break;
    }
    return (cell->beats << kTimeBeatsShift) | cell->beatUnit;
}

int ValueAt(const MeasureCell* cell, ChangeWhat what, int tick) {
    if (cell == nullptr) return -1;
    if (what == ChangeWhat::Clef) return ClefAtTick(cell, tick);
    if (what == ChangeWhat::Key) return KeySignatureAtTick(cell, tick);
    return CellValue(cell, what);
}

bool CellHoldsEvents(MeasureCell* cell) {
    if (cell == nullptr) return false;
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (GetVoiceFirstEvent(cell, voice) != nullptr) return true;
    return false;
}

// The tick of the change object of the cell that ends the range: the earliest one
// after `afterTick` whose value differs from `value`; -1 when there is none.
int ChangeObjectTick(const MeasureCell* cell, ChangeWhat what, int value, int afterTick) {
    if (cell == nullptr || what == ChangeWhat::Time) return -1;
    const ObjectType type = what == ChangeWhat::Clef ? ObjectType::Clef : ObjectType::KeySignature;
    const ScoreObject* head = cell->objects.get();
    const ScoreObject* o = head != nullptr ? head->next.get() : nullptr;
    int found = -1;
    for (int i = 0; o != nullptr && i < kMaxCellObjects; ++i, o = o->next.get()) {
        if (o->type != TypeCode(type) || o->subtype != SubtypeCode(ObjectSubtype::MeasureTimeList))
            continue;
        const int objectValue =
            what == ChangeWhat::Clef ? ClefKindOfObject(o) : KeyCodeOfObject(o);
        const int tick = SignatureTickOfObject(o);
        if (objectValue != value && tick > afterTick && (found < 0 || tick < found)) found = tick;
    }
    return found;
}

}  // namespace

ChangeRange ComputeChangeRange(ScoreDocument* document, ChangeWhat what, ChangeRangeMode mode,
                               int staff, int startMeasure, int startTick, int endMeasure) {
    ChangeRange range;
    if (document == nullptr) return range;
    const int count = document->header.measureCount;
    const int pastEnd = count + kEndPastScore;
    range.last = startMeasure;
    if (startMeasure > count + kWalkPastEnd) return ChangeRange{0, pastEnd, 0, startMeasure};
    const int value = ValueAt(ExistingMeasureCell(document, staff, startMeasure), what, startTick);
    range.end = pastEnd;
    for (int k = std::max(startMeasure, 0); k <= count + kWalkPastEnd; ++k) {
        if (mode == ChangeRangeMode::Through && k >= endMeasure) {
            range.end = endMeasure;
            break;
        }
        MeasureCell* cell = ExistingMeasureCell(document, staff, k);
        if (mode == ChangeRangeMode::UpToChange && k > startMeasure && CellValue(cell, what) != value) {
            range.end = k;
            break;
        }
        if (CellHoldsEvents(cell)) {
            range.notes = -1;
            range.last = k + 1;
        }
        if (mode != ChangeRangeMode::UpToChange) continue;
        const int tick = ChangeObjectTick(cell, what, value, k == startMeasure ? startTick : -1);
        if (tick >= 0) {
            range.end = k;
            range.endTick = tick;
            break;
        }
    }
    return range;
}

}  // namespace ql
