// The document's prototype objects (module ITEM): one object per type code whose
// class is registered, built in the document's pools.
#include "core/objects/class_table.h"
#include "core/memory/pool.h"
#include "core/objects/score_object.h"
#include "files/default_objects.h"

namespace ql {

int BuildDefaultObjects(ScoreView* /*view*/, ScoreObject** prototypes, PoolSet pools) {
    // provisional: the object classes register themselves as they are built; a type
    // without a registered class gets no prototype yet (its slot stays null).
    ScopedPoolSet scope(pools);
    for (int type = 0; type < kObjectTypeCount; ++type) {
        prototypes[type] = nullptr;
        if (FindObjectType(static_cast<uint8_t>(type)).construct == nullptr) continue;
        prototypes[type] = ConstructObject(static_cast<uint8_t>(type));
        if (prototypes[type] == nullptr) return 0;
    }
    return 1;
}

}  // namespace ql
