// The first staff's objects and events of a measure, for the import tests.
#include "shell/tests/program/staff_contents.h"

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"

namespace ql::testing {

std::vector<ScoreObject*> ObjectsOf(ScoreDocument* document, int measure, ObjectType type) {
    std::vector<ScoreObject*> found;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, measure);
    for (ScoreObject* object = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr;
         object != nullptr; object = object->next.get())
        if (object->type == TypeCode(type)) found.push_back(object);
    return found;
}

EventRecord* NoteAt(ScoreDocument* document, int measure, int tick) {
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, measure);
    for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice)
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e))
            if (!IsHeadSentinel(*e) && e->time == tick) return e;
    return nullptr;
}

}  // namespace ql::testing
