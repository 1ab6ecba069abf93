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

namespace {

// Room of the dots of a repeat sign beside its lines.
constexpr int kRepeatDotsRoom = 88;
// Leading space of a start-repeat barline.
constexpr int kStartRepeatLead = 96;
// An end-section barline stands this much into the thick line's room.
constexpr int kEndSectionInset = 8;

// The measure's record when its barline takes room in the system, else null.
const MeasureRecord* SpacedBarline(ScoreDocument* document, const ScoreSystem* system,
                                   int measure) {
    if (document == nullptr || system == nullptr || measure == system->firstMeasure) return nullptr;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || (record->flags & kMeasureBarlineHidden) != 0) return nullptr;
    return record;
}

}  // namespace

int TrailSpaceWith(const SignWidths& w, ScoreDocument* document, const ScoreSystem* system,
                   int measure) {
    const MeasureRecord* record = SpacedBarline(document, system, measure);
    if (record == nullptr) return 0;
    const int thickHalfGap = w.thickBar + w.halfThinBar + w.doubleGap;
    switch (static_cast<BarlineType>(BarlineTypeOf(*record))) {
        case BarlineType::Double:
            return w.thickBar;
        case BarlineType::BeginSection:
            return thickHalfGap;
        case BarlineType::EndSection:
            return thickHalfGap - kEndSectionInset;
        case BarlineType::Thick:
            return w.doubleGap;
        case BarlineType::StartRepeat:
            return thickHalfGap;
        case BarlineType::EndRepeat:
        case BarlineType::BothRepeats:
            return thickHalfGap + kRepeatDotsRoom;
        default:
            return 0;
    }
}

int LeadSpaceWith(const SignWidths& w, ScoreDocument* document, const ScoreSystem* system,
                  int measure) {
    const MeasureRecord* record = SpacedBarline(document, system, measure);
    if (record == nullptr || measure > system->lastMeasure) return 0;
    return LeadSpaceInsideSystem(w, *record);
}

int LeadSpaceInsideSystem(const SignWidths& w, const MeasureRecord& record) {
    if ((record.flags & kMeasureBarlineHidden) != 0) return 0;
    switch (static_cast<BarlineType>(BarlineTypeOf(record))) {
        case BarlineType::StartRepeat:
            return kStartRepeatLead;
        case BarlineType::BothRepeats:
            return w.thickBar + w.halfThinBar + kRepeatDotsRoom;
        default:
            return 0;
    }
}

// At slot 1 (a system's start) every key is shown as it is and nothing is cancelled.
KeyChange KeyChangeWith(RowCells& cells, int slot, int measure, int notFirst) {
    KeyChange change;
    const bool systemStart = slot <= 1 || notFirst == 0;
    const CellSigns* at = cells.Staves(measure);
    const CellSigns* before = systemStart ? nullptr : cells.Staves(measure - 1);
    for (int i = 0; i < cells.staffCount(); ++i) {
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
