// The memo of a SignLayoutScope (beat_map.h): per measure, the signs it shows in a
// later slot of a row and its start-of-measure layout for the three cases a row can
// meet (the measure starting its system, a later slot inside its system, a later slot
// past the system's end), for one document while its measure and staff counts stay as
// they were when the scope began.
#include <vector>

#include "core/model/document.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql {

SignLayoutScope::SignLayoutScope(const ScoreDocument* document)
    : memo_(std::make_unique<beatmap::SignMemoTable>()), saved_(nullptr) {
    if (document != nullptr) {
        memo_->document = document;
        memo_->measureCount = document->header.measureCount;
        memo_->staffCount = document->header.staffCount;
    }
    saved_ = beatmap::g_innermostSignMemo;
    beatmap::g_innermostSignMemo = memo_.get();
}

SignLayoutScope::~SignLayoutScope() {
    beatmap::g_innermostSignMemo = saved_;
}

}  // namespace ql

namespace ql::beatmap {

SignMemoTable* g_innermostSignMemo = nullptr;

void MakeSignMemoEntries(SignMemoTable& table) {
    table.entries.assign(MaxMeasures, MeasureSignMemo{});
}

}  // namespace ql::beatmap
