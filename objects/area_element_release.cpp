// The release of a staff, area or measure element object, which the score model's
// release by type calls: the record goes back to the transient static pool it was
// taken from (pool 1). Such an object holds nothing outside its record.
#include "core/constants.h"
#include "core/memory/pool.h"
#include "objects/object_services.h"

namespace ql {

void FreeArea(ScoreObject* object) {
    FreeStaticRecord(kTransientStaticPool, object);
}

}  // namespace ql
