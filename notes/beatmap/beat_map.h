// The beat map (module BEATMAP): turns a time inside a measure into an x. For each
// system of the view's current page (the scroll view: its one system) it records
// where every measure slot and its start-of-measure signs stand and the x of every
// 16-tick position of the slot's measure; readers look an x up by one index. The
// fields live in the view (core/model/beat_map_record.h).
//
// Method, for one system row:
//  1. Row buffers (AllocateBeatMapRows): each row's buffer holds, one after the
//     other, a (length / 16) + 2 entry array per measure of its system; buffers
//     grow when a row needs more and never shrink (BuildBeatMapMeasures points the
//     slots into them).
//  2. Start-of-measure layout (ComputeMeasureLayout): which signs a measure shows
//     (clef, cancelling naturals, key, time) and where each stands, from the
//     barline's own space (BarlineLeadSpace/BarlineTrailSpace) and the sign widths.
//  3. Slot positions: slotX of slot k is the end of slot k - 1 (its contentX plus
//     its content width, trailing margin and trailSpace); contentX = slotX plus the
//     signs and the measure's leading margin.
//  4. Tick array (BuildBeatMapSlot): entry 0 is 0; the measure's spacing list gives
//     x per 16 ticks over its columns, the stretch factor over the gaps; each piece
//     continues from the last entry written, so x never falls inside a measure.
//     The entry of the closing barline (tick = length) is not written.
// Every x is clamped to 0..32,767 relative to the system's left edge. Known
// limitation: a factor below 256 (one unit per 16 ticks) gives equal neighbouring
// entries, e.g. factor 128 over 64 ticks: 0, 0, 1, 1.
//
// Bad input: a measure length of 0 or above 32,768 ticks gives the slot its signs
// and no tick entries; a spacing list that goes back in time, reaches past the
// measure, loops or names a dead record ends where it stopped being valid; a voice
// chain that breaks or loops ends at the last valid event (kMaxChainLength). A
// build writes nothing outside the map except what the steps name (the measure's
// width and a dead spacing handle, the scroll system's last measure, the selection's
// redraw request).
#pragma once

#include <cstdint>
#include <memory>

namespace ql {

struct ScoreView;
struct ScoreSystem;
struct ScoreDocument;
namespace beatmap {
struct SignMemoTable;
}

// Rebuilds the beat maps after an edit that changed measure geometry. Scroll view
// (not while printing or rendering the clipboard): the scroll system, relaid out;
// returns 1. Otherwise every system of the current page, the first build passing
// `redraw` as its relayout; returns 0. Without a current page: the "BEATMAP" notice
// box and 0; without staves: 0 silently.
int UpdateBeatMaps(ScoreView* view, int redraw);

// Builds the view's current system row (scroll view: the scroll system). With
// relayout the row buffers and slot arrays are laid out first. 1, or 0 without staves.
int BuildStaffBeatMap(ScoreView* view, int relayout);

// The same for the current system of the current page. 0 without staves, without
// a page, on a master page, or when the system's row is above 24.
int BuildBeatMapPageMode(ScoreView* view, int relayout);

// For placing the current system between the margins: the slot positions of its own
// measures only (slot 1 to its measure count), as a page-mode build lays them out,
// each measure's width brought up to date as the tick arrays' build does; no tick
// arrays, no slots past the system, no placement, no redraw request. 1, or 0 where
// BuildBeatMapPageMode builds nothing.
int LayOutSystemSlots(ScoreView* view);

// Lays out the tick array of one slot of the current system; returns the measure's
// content width (0 for slot 28 or above).
int BuildBeatMapSlot(ScoreView* view, int slot);

// Sizes the row buffers of the current page for `rows` rows (at most 26): bit 1 of
// the result when some slot's measure length changed, bit 2 when a buffer was
// reallocated.
int AllocateBeatMapRows(ScoreView* view, int rows);
// Points every slot of the current page's rows into the buffers; returns 1.
int BuildBeatMapMeasures(ScoreView* view);
// The beat-position set-up of a page with `systems` systems: AllocateBeatMapRows
// with systems + 2 rows. A result above 1 means a buffer was reallocated (run
// BuildBeatMapMeasures).
int ComputeMeasureBeatPositions(ScoreView* view, int systems);

// The start-of-measure layout of a measure in a system (measure 0 or below: the
// system's first measure + 1). Offsets are from the slot's opening barline;
// firstBeat is the x of tick 0 (marginX plus the measure's leading margin). Also
// writes the slot's flags.
struct MeasureLayout {
    int32_t leadX = 0;       // first sign after the barline
    int32_t keyX = 0;        // key signature
    int32_t timeX = 0;       // just after the time signature
    int32_t marginX = 0;     // where the leading margin begins
    int32_t trailSpace = 0;  // end of content to the closing barline
    int32_t cancelX = 0;     // cancelling naturals; negative before the barline
    int32_t firstBeat = 0;   // marginX + the measure's leading margin
    uint32_t flags = 0;      // the slot's kSlotNo* bits (a whole word: eight words copy as
                             // two whole 16-byte moves, which later reads can forward from)
};
MeasureLayout ComputeMeasureLayout(ScoreView* view, const ScoreSystem* system, int measure,
                                   int notFirst);

// Space a measure's barline takes before itself (trailing) and after itself
// (leading); both 0 at the system's first measure and for a hidden barline, the
// leading space also past the system's last measure.
int BarlineTrailSpace(ScoreDocument* document, const ScoreSystem* system, int measure);
int BarlineLeadSpace(ScoreDocument* document, const ScoreSystem* system, int measure);

// A key change at a measure over all staves: whether some staff changes key (at
// slot 1 only the count counts), the most naturals a staff must cancel, the most
// accidentals of a new key, and the signs to place (naturals and key when the
// naturals follow the barline, the key alone otherwise).
struct KeyChange {
    int changed = 0;
    int naturals = 0;
    int count = 0;
    int total = 0;
};
KeyChange KeyChangeMetrics(ScoreView* view, int slot, int measure, int notFirst);

// After a build: every tuplet mark attached to an event of the system that was not
// placed by hand is laid out again (its ResetState).
void RefreshTupletsOfSystem(ScoreSystem* system, ScoreView* view);

// For one layout pass that makes no tuplet marks (a reformat of many pages): the
// scope asks once whether the current pool set holds any tuplet mark at all, and
// while it holds none RefreshTupletsOfSystem skips its walk. The answer stays true
// for the scope because layout never makes a mark; a different current set is
// walked as usual. Scopes nest.
class TupletRefreshScope {
  public:
    TupletRefreshScope();
    ~TupletRefreshScope();
    TupletRefreshScope(const TupletRefreshScope&) = delete;
    TupletRefreshScope& operator=(const TupletRefreshScope&) = delete;

  private:
    const void* savedSet_;
    bool savedNone_;
};

// For one layout pass that changes none of the signs a measure shows (no cell, clef,
// key, time signature, barline, measure flag, measure or staff count changes; widths,
// leads, trails and spacing may change): the signs a measure shows in a later slot of
// a row (slot 2 on) depend on the measure alone, and where they stand on its system
// only through whether the measure lies past the system's end; those of a system's
// first measure depend on the system only through the flags every staff of it has.
// So each is worked out once and every row that reaches the measure again takes it.
// A change of measure or staff count inside the scope sets the memo aside. Scopes
// nest; the innermost serves one document.
class SignLayoutScope {
  public:
    explicit SignLayoutScope(const ScoreDocument* document);
    ~SignLayoutScope();
    SignLayoutScope(const SignLayoutScope&) = delete;
    SignLayoutScope& operator=(const SignLayoutScope&) = delete;

  private:
    std::unique_ptr<beatmap::SignMemoTable> memo_;  // owned; the innermost scope's is in use
    beatmap::SignMemoTable* saved_;                 // the enclosing scope's, put back at the end
};

// Readers. The x of a tick in a slot of a system, relative to the slot's contentX:
// a multiple of 16 reads its entry, other ticks interpolate between neighbours;
// ticks past the last entry written take that entry; 0 when the slot has no array.
int SlotTickToX(const ScoreView* view, const ScoreSystem* system, int slot, int tick);
// The same in the view's current slot of its current system.
int BeatMapTickToX(ScoreView* view, int tick);
// The x of tick 0 of a slot (clamped to 1..27): its contentX plus the system's x.
int32_t MeasureSlotX(ScoreView* view, const ScoreSystem* system, int slot);

}  // namespace ql
