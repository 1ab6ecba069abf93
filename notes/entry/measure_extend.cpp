// Lengthening the current measure so that an entered note or rest fits ("Auto extend
// measure"): the new length, the staff's beat map, the measure's width, the width
// handed back by the other measures of the system so that the system keeps its
// total, the respacing and the status readout of the new length.
#include "notes/entry/measure_extend.h"

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/page_record.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "layout/measure_spacing.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/entry_internal.h"
#include "notes/entry/note_entry.h"

namespace ql {

namespace {

constexpr int kLongestMeasure = 65535;
// A width below this is not a width: the measure starts again from the default factor.
constexpr int kNarrowestWidth = 128;
// In a system of several measures one sixteenth of the growth stays with the system.
constexpr int kSharedGrowthShift = 4;
constexpr char kLengthReadout[] = "4096ths =";

// Spreads `delta` over the system's measures other than `measure`, the remainder on
// the last of them.
void GiveWidthToSystem(ScoreView* view, int measure, int delta) {
    const ScoreSystem* system = view->currentSystem;
    if (system == nullptr || delta == 0) return;
    const int others = system->lastMeasure - system->firstMeasure;
    if (others <= 0) return;
    int left = delta;
    int seen = 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        if (m == measure) continue;
        ++seen;
        const int share = seen == others ? left : delta / others;
        left -= share - AdjustMeasureWidth(view, m, share);
    }
}

// Step 3 and 4: the measure's new width, and the system's share of the change.
void RefitWidth(ScoreView* view, MeasureRecord* record, int measure) {
    ScoreDocument* document = view->document;
    const int oldWidth = record->width;
    int width = MeasureWidth(document, measure);
    if (width < kNarrowestWidth) {
        const uint16_t factor = ProgramPreferences().DefaultStretchFactor;
        record->stretch = factor;
        record->width = factor;
        width = factor;
    }
    int delta = width - oldWidth;
    const ScoreSystem* system = view->currentSystem;
    if (system != nullptr && system->lastMeasure > system->firstMeasure)
        delta -= delta >> kSharedGrowthShift;
    if (delta != 0) GiveWidthToSystem(view, measure, -delta);
}

}  // namespace

int ExtendMeasureToFit(ScoreView* view, int ticksNeeded) {
    if (view == nullptr || view->document == nullptr) return 0;
    const int measure = view->currentMeasure;
    MeasureRecord* record = MeasureRecordOf(view->document, measure);
    if (record == nullptr) return 0;
    const int free = TicksLeftInVoice(view->currentCell, view, EntryVoice(view));
    const int length = record->lengthTicks + (ticksNeeded - free);
    if (length > kLongestMeasure || length < record->lengthTicks) return 0;
    record->lengthTicks = static_cast<uint16_t>(length);
    BuildStaffBeatMap(view, 1);
    view->currentMeasureLength = length;
    RefitWidth(view, record, measure);
    entry::RespaceForEntry(view);
    EndFocus(view, 1);
    SetStatusTextNumber(0, kLengthReadout, length);
    return 1;
}

}  // namespace ql
