// Object clean-ups the score model's release by type calls: the tuplet's label (a text
// box's text goes with its class, objects/text_box; a picture's cache with its class,
// objects/picture). What else these objects hold lives in their records (freed by the
// caller) or, for a picture's bytes, in the document.
#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/text/text_object.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"
#include "platform/gfx/objects.h"

namespace ql {

void DestroyTupletBody(ScoreObject* object) {
    if (object == nullptr) return;
    // provisional: the tuplet class (its interfaces and group table) is not built; its
    // label is a text object whose string and caches go with it.
    DestroyTextObject(&AsTuplet(object)->text);
}

void FreeArea(ScoreObject* object) {
    FreeStaticRecord(kTransientStaticPool, object);
}

}  // namespace ql
