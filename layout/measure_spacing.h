// Measure widths and spacing lists of the layout engine (module FMTMEAS): the
// measure table's records, the width of a measure from its spacing list and stretch
// factor, the justification of a system by duration classes, and the respacing of
// one measure after an edit. The score model, the note and staff editors and the
// beat map call these; the layout engine owns how widths are computed.
//
// Ownership: records passed in are borrowed; spacing lists live in the document's
// pool 2 and belong to their measure record. Widths, factors and lists are stored in
// files, so they are computed with the integer steps given at each operation.
// Spacing-list internals: layout/spacing/spacing_list.h.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreSystem;
struct MeasureRecord;
struct FitLookups;

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

// ---- The measure table ----

// A measure record cleared (ClearMeasureRecord) is in core/model/grid.h.

// Display numbers of the records after the measure count continue the sequence:
// previous number + previous extra + 1; their extra counts become 0.
void RebuildMeasureIndex(ScoreDocument* document);

// The last measure (from the count down to 1) in which any staff's cell holds
// something; 0 when the whole score is empty.
int LastUsedMeasure(ScoreDocument* document);

// Adds one measure at the end: the cells of the new spare measure (count + 5) for
// every staff, its record cleared, the count raised, and the spare record given the
// length of the time signature in force, its width and its number. Refused at
// MeasureLimit (notice and beep). 1 on success, 0 when refused or out of memory.
int AppendMeasureRecord(ScoreDocument* document);
// Takes appended measures back down to `count` measures: the spare cells and
// records made for the measures above it are freed, the four spares after `count`
// kept; nothing when the count is not above `count`.
void DropAppendedMeasures(ScoreDocument* document, int count);

// ---- Widths ----

// Brings a measure's width up to date from its spacing list and factor, stores it
// and returns it (1..65530). A list entry at or past the length ends the list there;
// neighbours that touch with one value are merged; a damaged list is freed and the
// factor used; entries equal to the factor are dropped.
uint16_t MeasureWidth(ScoreDocument* document, int measure);

// Rescales the factor and every spacing value by new / old width (a width of 0 is
// first reset to the default spacing); no factor below 4096 / length in a measure of
// 512 ticks or more. Marks the document modified.
void SetMeasureWidth(ScoreDocument* document, ScoreView* view, int measure, int width);

// SetMeasureWidth(width + delta) on a measure of the view's document, when that is
// at least 1; returns the part of the delta that could not be applied (0 when
// nothing was done).
int AdjustMeasureWidth(ScoreView* view, int measure, int delta);

// Sets a measure's width and marks the document modified; in page view its system
// is placed between the margins again.
void ResetMeasureSpacing(ScoreDocument* document, ScoreView* view, int measure, int width);

// Gives the column's ticks the column's spacing value: SetSpanSpacing with old =
// the column's current width and new = its width at the given value.
void BuildMeasureSpacing(ScoreDocument* document, int measure, const SpacingEntry* column);

// Stores MeasureWidth into every measure of the system; returns the last width.
int RefreshSystemMeasureWidths(ScoreDocument* document, ScoreSystem* system);

// ---- Spacing lists ----

// Gives the stretch span.time .. span.time + span.ticksToNext its own spacing: fills
// the list's gaps with the factor, splits the entries at the span's bounds and
// scales those inside by newWidth / oldWidth (when both are at least 32), clamped to
// 4..65530 and raised by 1 when a widening would leave them unchanged. False when the
// pool ran out.
bool SetSpanSpacing(ScoreDocument* document, int measure, const SpacingEntry& span,
                    int32_t oldWidth, int32_t newWidth);

// Widens the stretch from one position to another from the current distance to the
// needed one, rebuilds the measure's slot and stores its width; with `rescale` the
// measure is scaled back to its previous width afterwards.
void WidenSpan(ScoreView* view, int measure, int from, int to, int32_t current, int32_t needed,
               bool rescale);

// ---- Justification and respacing ----

// Engraver spacing of one system by duration classes (measures first..last of the
// system): spacing lists from the notes, one unit for the shortest class and a
// ratio per class step, target the margins' distance. Returns 1.
int JustifySystem(ScoreView* view, ScoreSystem* system);

// Room for accidental columns, clefs and keys in one measure of a system. Without
// `apply` only tells whether room is needed; with it, widens. 1 when room was (or
// would be) added.
int FitMeasure(ScoreView* view, ScoreSystem* system, int measure, bool apply);
// The same, with the lookups kept over the measures a caller fits in a row
// (FitLookups, layout/spacing/voice_columns.h).
int FitMeasure(ScoreView* view, ScoreSystem* system, int measure, bool apply, FitLookups& lookups);

// Respaces the view's current measure after an edit: 0 unchanged, 1 changed, 2
// changed with its width allowed to change. With `freeOldList` the replaced list is
// freed; otherwise the caller gets it back through the record it kept.
int RespaceMeasure(ScoreView* view, bool freeOldList);

// After an edit in the view's current measure: respaces it, fits its accidentals when
// "SpaceAccidentals" is on, and with `redraw` redraws it. `spread` stands for
// "SpreadSpaceChanges" during the call. Non-zero when the widths changed (1 when the
// measure was redrawn here).
int RefreshMeasureWidths(ScoreView* view, bool spread, bool redraw);

// After an edit of a measure's notes: every time of the measure keeps its own column
// (KeepColumnsApart, layout/spacing/column_room.h), crowded columns taking room from
// its long values; a measure whose columns cannot fit its width widens and its system
// is placed between the margins again. With `redraw` the views are drawn again. True
// when the spacing changed.
bool KeepEditedColumnsApart(ScoreView* view, int measure, bool redraw);

// Redraws a respaced measure: in mode 1 the old spacing (list and factor) is drawn
// away in the selection colours and the new one drawn; in any other mode the system is
// redrawn. An old list that is not the measure's current one is freed.
void RedrawRespacedMeasure(ScoreView* view, RecordHandle oldList, uint16_t oldFactor, int mode);

// ---- Pages ----

// Page view: formats every system of the view's current page (FormatSystem) with
// "SpaceAccidentals" and "SpreadSpaceChanges" on, and reports in the status bar.
void FormatPage(ScoreView* view);
// FormatPage on every page of the score; the current page and location come back.
void FormatAllPages(ScoreView* view);

}  // namespace ql
