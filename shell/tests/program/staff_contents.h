// What a score's first staff holds in a measure, for the import tests: its objects
// of a type, and its note at a tick.
#pragma once

#include <vector>

#include "core/constants.h"

namespace ql {
struct ScoreDocument;
struct ScoreObject;
struct EventRecord;
}  // namespace ql

namespace ql::testing {

// The objects of a type in the first staff's measure.
std::vector<ScoreObject*> ObjectsOf(ScoreDocument* document, int measure, ObjectType type);
// The first staff's event at the tick of the measure, in any voice; null when none.
EventRecord* NoteAt(ScoreDocument* document, int measure, int tick);

}  // namespace ql::testing
