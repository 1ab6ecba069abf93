// Services of the score-object classes used by the score model. The repeat-ending
// list is built only by the repeat-ending class, which does not exist yet.
#include "objects/object_services.h"

namespace ql {

void FreeRepeatEndingList(ScoreDocument* /*document*/) {
    // provisional: the repeat-ending list is never built until the repeat-ending
    // class exists; there is nothing to free.
}

}  // namespace ql
