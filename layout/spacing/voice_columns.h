// Room for what stands in front of each chord of one voice (FitVoiceColumns): its
// accidental columns, a clef or key change just before it, and a grace offset.
//
// For each chord: needed = accidental spacing x (columns + 1) + a quarter of the black
// head width + half the black head width + the grace offset + the clef or key width.
// A chord after the first column has the room between the previous chord's x and its
// own; when that is less than needed the stretch between the two is widened
// (WidenSpan). The chord at tick 0 instead needs the measure's lead to be at least
// spacing x columns + clef or key + grace offset. Without `apply` nothing changes
// but the accidentals' offsets; the result says whether room is needed.
#pragma once

#include <cstdint>

#include "core/constants.h"
#include "core/memory/block_resolver.h"

namespace ql {

struct ScoreView;
struct ScoreSystem;
struct EventRecord;
struct MeasureCell;
struct CellHandleArray;
struct ScoreDocument;

// What the fitting (FitMeasure) looks up events and cells with. A caller fitting
// several measures of one document in a row keeps one for all of them: nothing the
// fitting does releases a block of either pool or changes a staff's cell array.
// One kept over other work is revalidated before each run of fittings.
struct FitLookups {
    BlockResolver<EventRecord> events{kEventRecordPool};
    BlockResolver<MeasureCell> cells{kMeasureCellPool};
    // The cell arrays of staves 1 .. staffCellsRead (a staff's number indexes it).
    static constexpr int kStaffCellsKept = 256;
    const CellHandleArray* staffCells[kStaffCellsKept];
    int staffCellsRead = 0;

    // Blocks released or moved since are dropped and the staves' cell arrays read
    // again; false when the current set changed (a new one must be made).
    bool Revalidate() {
        staffCellsRead = 0;
        return events.Revalidate() && cells.Revalidate();
    }
};

// Room a grace offset takes per step of the chord's (negative) offset byte.
constexpr int32_t kGraceUnitsPerStep = 16;

// The width that a clef or key change placed strictly between two ticks of the cell
// takes: the widest key signature, or (when there is one) the widest clef's glyph.
int32_t ClefOrKeyWidthBetween(ScoreDocument& document, MeasureCell* cell, int after, int before);

// Whether the cell's object list holds a clef or a key signature (at any tick).
bool CellHasClefOrKey(const MeasureCell* cell);

// True when no chord of the voice from its first event can need room: no note has an
// accidental and no note at tick 0 has a grace offset. In a cell without a clef or
// key (CellHasClefOrKey) FitVoiceColumns then finds nothing and changes nothing. A
// chain of kMaxChainLength events or more (a loop) counts as needing room.
bool VoiceNeedsNoRoom(const EventRecord* first, BlockResolver<EventRecord>& events);

// One voice of one staff of one measure, from its first event; `oldWidth` is the
// measure's width before fitting and `widening` the room added so far (grown here).
bool FitVoiceColumns(ScoreView* view, EventRecord* first, ScoreSystem* system, int staff,
                     int measure, int32_t oldWidth, int32_t& widening, bool apply);

}  // namespace ql
