// Lengthening a measure for an entered item, as far as rest placing needs it.
#include "notes/entry/measure_extend.h"

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

namespace {

constexpr int kLongestMeasure = 65535;

int ActiveVoiceOf(const ScoreView* view) {
    constexpr int kVoices = 4;
    for (int voice = 0; voice < kVoices; ++voice)
        if ((view->voiceMask & (1 << voice)) != 0) return voice;
    return 0;
}

}  // namespace

// provisional: note entry is not built; this lengthens the measure record, rebuilds
// the staff's beat map and the view's cached length, which is what a caller needs to
// insert its item. The width refit of the system (measure width, system width
// balance, respacing, status text) comes with note entry.
int ExtendMeasureToFit(ScoreView* view, int ticksNeeded) {
    if (view == nullptr || view->document == nullptr) return 0;
    MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    if (record == nullptr) return 0;
    const int free = TicksLeftInVoice(view->currentCell, view, ActiveVoiceOf(view));
    const int length = record->lengthTicks + (ticksNeeded - free);
    if (length > kLongestMeasure || length < record->lengthTicks) return 0;
    record->lengthTicks = static_cast<uint16_t>(length);
    BuildStaffBeatMap(view, 1);
    view->currentMeasureLength = length;
    return 1;
}

}  // namespace ql
