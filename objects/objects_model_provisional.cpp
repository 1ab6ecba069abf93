// Object clean-ups the score model's release by type calls before the object
// classes are built. Until a class exists, no object of it can hold a string, a
// bitmap or a tuplet part, so there is nothing to release beyond its record, which
// the caller frees.
#include "core/constants.h"
#include "core/memory/pool.h"
#include "objects/object_services.h"

namespace ql {

void DestroyTextBox(ScoreObject* /*object*/) {
    // provisional: the text-box class (and its pooled string) is not built yet.
}

void DestroyTupletBody(ScoreObject* /*object*/) {
    // provisional: the tuplet class is not built yet.
}

void DestroyPicture(ScoreObject* /*object*/) {
    // provisional: the picture class (and its cached bitmap) is not built yet.
}

void FreeArea(ScoreObject* object) {
    FreeStaticRecord(kTransientStaticPool, object);
}

}  // namespace ql
