// The read context of object bodies (see object_read_context.h).
#include "files/records/object_read_context.h"

#include "core/model/score_document.h"
#include "core/state.h"
#include "files/score_file.h"

namespace ql {

ObjectReadContext CurrentReadContext(ScoreView* view, bool keep) {
    ObjectReadContext context;
    context.view = view;
    context.document = view != nullptr ? view->document : nullptr;
    context.version = State().files.FileVersion;
    context.keep = keep;
    context.ownerTime = State().files.AttachedObjectTime;
    return context;
}

bool ReadBodyBytes(uint8_t* out, uint32_t count) {
    return ReadScoreBytes(out, count) != 0;
}

}  // namespace ql
