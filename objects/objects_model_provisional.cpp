// Object clean-ups the score model's release by type calls (a tuplet's label goes with
// its class, objects/tuplets; a text box's text with its class, objects/text_box; a
// picture's cache with its class, objects/picture). What else these objects hold
// lives in their records (freed by the caller) or, for a picture's bytes, in the
// document.
#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/text/text_object.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"
#include "platform/gfx/objects.h"

namespace ql {

void FreeArea(ScoreObject* object) {
    FreeStaticRecord(kTransientStaticPool, object);
}

}  // namespace ql
