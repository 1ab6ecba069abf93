// Room around barlines and key changes: the space a measure's barline takes before
// itself (trailing, added to the previous measure) and after itself (leading, before
// the measure's first sign), and what a key change at a measure has to show.
#include <algorithm>

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql::beatmap {

int TrailSpaceWith(const SignWidths& w, ScoreDocument* document, const ScoreSystem* system,
                   int measure) {
    if (document == nullptr) return 0;
    return TrailSpaceOf(w, system, measure, MeasureRecordOf(document, measure));
}

int LeadSpaceWith(const SignWidths& w, ScoreDocument* document, const ScoreSystem* system,
                  int measure) {
    if (document == nullptr) return 0;
    return LeadSpaceOf(w, system, measure, MeasureRecordOf(document, measure));
}

// At slot 1 (a system's start) every key is shown as it is and nothing is cancelled.
KeyChange KeyChangeWith(RowCells& cells, int slot, int measure, int notFirst) {
    const bool systemStart = slot <= 1 || notFirst == 0;
    const CellSigns* at = cells.Staves(measure);
    const CellSigns* before = systemStart ? nullptr : cells.Staves(measure - 1);
    return KeyChangeOf(at, before, cells.staffCount(), systemStart);
}

KeyChange KeyChangeOf(const CellSigns* at, const CellSigns* before, int staves, bool systemStart) {
    KeyChange change;
    for (int i = 0; i < staves; ++i) {
        if (!at[i].present) continue;
        const int key = at[i].key;
        change.count = std::max(change.count, KeyAccidentalCount(key));
        if (systemStart) continue;
        const int previous = before[i].keyAtEnd;
        if (previous == key) continue;
        change.changed = 1;
        change.naturals = std::max(change.naturals, KeyCancelNaturals(previous, key));
    }
    if (systemStart) change.changed = 1;
    change.total = State().notes.KeyCancelLeftOfBar == kNaturalsAfterBar
                       ? change.naturals + change.count
                       : change.count;
    return change;
}

}  // namespace ql::beatmap

namespace ql {

int BarlineTrailSpace(ScoreDocument* document, const ScoreSystem* system, int measure) {
    if (document == nullptr) return 0;
    return beatmap::TrailSpaceWith(beatmap::ReadSignWidths(*document), document, system, measure);
}

int BarlineLeadSpace(ScoreDocument* document, const ScoreSystem* system, int measure) {
    if (document == nullptr) return 0;
    return beatmap::LeadSpaceWith(beatmap::ReadSignWidths(*document), document, system, measure);
}

KeyChange KeyChangeMetrics(ScoreView* view, int slot, int measure, int notFirst) {
    if (view == nullptr || view->document == nullptr) return KeyChange{};
    beatmap::RowCells cells(view->document, measure);
    return beatmap::KeyChangeWith(cells, slot, measure, notFirst);
}

}  // namespace ql
