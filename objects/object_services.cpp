// Services of the score-object classes used by the score model. The repeat-ending
// list is built only by the repeat-ending class, which does not exist yet.
#include "objects/object_services.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {

namespace {

constexpr int kMaxListObjects = 64 * 1024;
constexpr int kLongestEnding = 127;  // measures an ending may cover

// The first repeat ending in the cell lists of a measure, staves in order; null none.
const RepeatEndingObject* FirstEndingOfMeasure(ScoreDocument* document, int measure) {
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* object = cell != nullptr ? cell->objects.get() : nullptr;
        for (int i = 0; object != nullptr && i < kMaxListObjects; ++i, object = object->next.get())
            if (object->type == TypeCode(ObjectType::RepeatEnding)) return AsRepeatEnding(object);
    }
    return nullptr;
}

}  // namespace

void FreeRepeatEndingList(ScoreDocument* /*document*/) {
    // provisional: the repeat-ending list is never built until the repeat-ending
    // class exists; there is nothing to free.
}

const RepeatEndingRange* FindRepeatEndingAtMeasure(ScoreDocument* document, ScoreView* /*view*/,
                                                   int measure) {
    // provisional: the repeat-ending class keeps the document's list of ranges; until
    // it exists the ranges are read from the cells each time, with the list's answer:
    // of the ranges holding the measure, the one that starts last (the list runs from
    // the highest first measure down), only the first ending of a measure counting.
    static RepeatEndingRange found;
    if (document == nullptr || measure < 1) return nullptr;
    for (int first = std::min<int>(measure, document->header.measureCount); first >= 1 && first > measure - kLongestEnding; --first) {
        const RepeatEndingObject* ending = FirstEndingOfMeasure(document, first);
        if (ending == nullptr) continue;
        const int last = std::max(first, first + ending->span - 1);
        if (last < measure) continue;
        found.firstMeasure = static_cast<int16_t>(first);
        found.lastMeasure = static_cast<int16_t>(last);
        return &found;
    }
    return nullptr;
}

}  // namespace ql
