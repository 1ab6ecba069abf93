// The tuplet groups of one voice of a measure cell: a scan over its notes (chord by
// chord) and rests in time order that gathers runs of members carrying the same
// ratio into groups, nested groups by recursion, and finding the group of a note
// with the side its mark goes on. The table is a value the scan returns; groups past
// its 40 entries get no automatic placement (their notes keep their durations).
//
// Counting: a group starts at a member with a tuplet kind, takes the ratio's first
// number as the units to fill and the member's duration code as the unit. A dotted
// member counts in halves (per dot the unit is halved, the number to fill doubled and
// the count 2 x count + 1). A following member with the same three bytes adds its
// length in units: a longer one counts 2 per code step, a shorter one first halves
// the group's unit (count and number to fill doubled). The number to fill doubles
// while the count exceeds it; the group ends when the count reaches it, when the
// next member differs, or at the end of the voice. For example a quarter followed by
// an eighth of a triplet ends with unit eighth, count 3 and 6 to fill.
#pragma once

#include <array>
#include <cstdint>

namespace ql {

struct EventRecord;
struct MeasureCell;
struct ScoreObject;
struct ScoreView;

constexpr int kTupletGroupLimit = 40;

struct TupletGroup {
    EventRecord* firstNote = nullptr;  // chord heads of the first and last member chords
    EventRecord* lastNote = nullptr;
    ScoreObject* firstRest = nullptr;
    ScoreObject* lastRest = nullptr;
    int unitCode = 0;     // duration code of the counting unit
    int toFill = 0;       // units that complete the group
    int startTime = 0;    // ticks from the measure start
    int lastTime = 0;     // time of the last member
    int unitTicks = 0;    // the unit's length under the group's ratio
    int groupTicks = 0;   // the whole group's length
    int stemsUp = 0;      // member chords with stems up and down
    int stemsDown = 0;
    int members = 0;      // notes (chords) and rests, a nested group's members included
    int count = 0;        // units counted
    uint8_t kind = 0;     // 1 table ratio, 2 free ratio
    uint8_t ratio = 0;    // the stored ratio byte
    uint8_t nested = 0;   // the stored nested byte
    int first = 0;        // the ratio's numbers
    int second = 0;
    bool contained = false;  // scanned inside an outer group
};

// Where a scan stopped: the next chord and the next rest it had not taken (null at
// the voice's end). Valid while the voice is not edited.
struct TupletScanPosition {
    EventRecord* note = nullptr;
    ScoreObject* rest = nullptr;
};

struct TupletGroupTable {
    std::array<TupletGroup, kTupletGroupLimit> groups{};
    int count = 0;
    bool full = false;          // the scan stopped at the 40th group
    TupletScanPosition next{};  // where a following scan goes on when full
};

// The groups of one voice (0..3) of a cell, in the order they start (an outer group
// before the groups nested in it).
TupletGroupTable ScanTupletGroups(MeasureCell* cell, int voice);
// The groups after those of a full table: a caller reads a long voice in tables of
// 40 (the cap only limits one table).
TupletGroupTable ContinueTupletScan(const TupletGroupTable& previous);

// The group of a note and the side its mark goes on: -1 above (stems up), -2 above
// with some stems down, 1 below (stems down), 2 below with some stems up.
struct TupletGroupOfNote {
    bool found = false;
    TupletGroup group{};
    int voice = 0;
    int side = -1;
    EventRecord* firstChord = nullptr;  // the outer note of each end chord on the side
    EventRecord* lastChord = nullptr;
};

// The note must carry a ratio whose first number is not 0. Its voice is found among
// the four voices of the view's current cell (else the view's first selected voice);
// the first group whose time range holds the note and whose nested byte equals the
// note's, or which is not nested, is taken.
TupletGroupOfNote FindTupletGroupOfNote(ScoreView* view, EventRecord* note);

// The side of a group from its stem counts (see above).
int TupletSideOf(const TupletGroup& group);

}  // namespace ql
