// Measure widths and spacing lists of the layout engine (module FMTMEAS).
// The score model calls these when a measure is created, edited or nudged; the
// layout engine owns how widths are computed. Ownership: records passed in are
// borrowed; spacing lists live in the document's pool 2.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreSystem;
struct MeasureRecord;

// One column of a measure's spacing list: an 8-byte record of pool 2.
#pragma pack(push, 1)
struct SpacingEntry {
    uint16_t next;         // handle of the next entry, 0 at the end
    uint16_t time;         // time position in ticks
    uint16_t ticksToNext;  // duration to the next column in ticks
    uint16_t xPer16Ticks;  // unsigned 8.8 fixed point, once the measure is spaced
};
#pragma pack(pop)
static_assert(sizeof(SpacingEntry) == 8, "SpacingEntry is an 8-byte pool-2 record");

// Zero-fills a measure record but keeps lengthTicks, width and restMeasureCount;
// stretch := the program's proportional width factor; with distances given,
// the lead and trail margins take their first two words.
void ClearMeasureRecord(MeasureRecord* record, const uint16_t* distances);

// Brings a measure's content width up to date and returns it.
uint16_t MeasureWidth(ScoreDocument* document, int measure);

// Sets the width to width + delta through the width setter; returns the part of
// delta left unapplied, or 0 with nothing changed when the width would drop below 1.
int AdjustMeasureWidth(ScoreSystem* system, int measure, int delta, int flag);

// Applies a new width to a measure.
void ResetMeasureSpacing(ScoreDocument* document, ScoreView* view, int measure, int width);

// Rebuilds a measure's spacing list, taking the given column into account.
void BuildMeasureSpacing(ScoreDocument* document, int measure, const SpacingEntry* column);

// After an edit in the current measure: respaces it, optionally fits it and
// re-places its system. Non-zero when it redrew the measure itself.
int RefreshMeasureWidths(ScoreView* view, bool redraw, bool force);

// Recomputes the width of every measure of a system.
void RefreshSystemMeasureWidths(ScoreDocument* document, ScoreSystem* system);

}  // namespace ql
