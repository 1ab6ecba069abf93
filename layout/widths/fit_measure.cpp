// FitMeasure: room for accidental columns, clefs and keys in one measure of a system,
// voice by voice on every staff (FitVoiceColumns). Without "SpreadSpaceChanges" the
// measure is scaled back to its width before the fitting and keeps its lead.
#include <cstdlib>
#include <optional>

#include "core/memory/block_resolver.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"
#include "layout/spacing/voice_columns.h"
#include "layout/widths/width_support.h"

namespace ql {

namespace {

// A fitted measure is scaled back when its width moved by this much or more.
constexpr int32_t kRescaleThreshold = 3;

// FindMeasureCell through the fitting's lookups.
MeasureCell* CellOfStaff(ScoreDocument* document, int staff, int measure, FitLookups& lookups) {
    const CellHandleArray* array = nullptr;
    if (staff >= 1 && staff < FitLookups::kStaffCellsKept) {
        for (int& read = lookups.staffCellsRead; read < staff; ++read)
            lookups.staffCells[read + 1] = CellArrayOf(StaffRecordOf(document, read + 1));
        array = lookups.staffCells[staff];
    } else {
        array = CellArrayOf(StaffRecordOf(document, staff));
    }
    if (array == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    return lookups.cells.Find(array->cells[measure]);
}

}  // namespace

int FitMeasure(ScoreView* view, ScoreSystem* system, int measure, bool apply) {
    FitLookups lookups;
    return FitMeasure(view, system, measure, apply, lookups);
}

int FitMeasure(ScoreView* view, ScoreSystem* system, int measure, bool apply, FitLookups& lookups) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    const int32_t width = record->width;
    const int16_t lead = record->lead;
    // Taken at the first voice that is probed: nothing before it reports or moves
    // the view's location.
    std::optional<SpacingOperation> operation;
    std::optional<ViewLocationScope> location;
    bool changed = false;
    int32_t widening = 0;
    BlockResolver<EventRecord>& events = lookups.events;
    // A probe reads the cell alone; the view's location moves to a staff (and is put
    // back at the end) only for the fitting applied there. Most voices have no sign
    // at all: they are told by one walk over their notes, and the probe (which
    // would find nothing and change nothing) is left out.
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = CellOfStaff(document, staff, measure, lookups);
        if (cell == nullptr) continue;
        const bool signs = CellHasClefOrKey(cell);
        bool located = false;
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            const EventRecord* head = cell->voices[voice] ? events.Find(cell->voices[voice]) : nullptr;
            EventRecord* first = head != nullptr ? events.Find(head->next) : nullptr;
            if (first == nullptr || (!signs && VoiceNeedsNoRoom(first, events))) continue;
            if (!operation) {
                operation.emplace();
                location.emplace(view);
            }
            int32_t probe = 0;
            if (!FitVoiceColumns(view, first, system, staff, measure, width, probe, false))
                continue;
            if (!apply) return 1;
            if (!located) MoveViewLocation(view, system, staff, measure);
            located = true;
            changed = FitVoiceColumns(view, first, system, staff, measure, width, widening, true) ||
                      changed;
        }
    }
    if (changed && State().layout.SpreadSpaceChanges == 0) {
        const int32_t fitted = MeasureWidth(document, measure);
        if (std::abs(width - fitted) >= kRescaleThreshold && width >= 1)
            SetMeasureWidth(document, view, measure, width);
        record->lead = lead;
        RebuildMeasureSlot(view, measure);
    }
    if (!changed) return 0;
    SetDocumentModified(document);
    return 1;
}

}  // namespace ql
