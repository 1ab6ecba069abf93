// The NIFF chunks that span several events: slurs, ties, hairpins, octave signs,
// repeat endings and tuplets. Each node of a spanner is a chunk with the file's ID
// (tag 18) and, at the first node, the number of nodes (tag 28); the handlers
// collect the nodes in the spanner table and, at the last, leave a request that
// the builder turns into the score object once the notes are in the document.
// Damaged references (no ID, a last node that never comes, an end before its
// start, an end on another staff, a spanner from a note to itself) are skipped and
// counted in the import report.
#pragma once

#include <cstdint>

#include <vector>

#include "interchange/niff/niff_frame.h"
#include "interchange/niff/niff_reader.h"

namespace ql::niff {

struct NiffImportState;

inline constexpr char kNiffSpannerTableFull[] = "spanners lost to a full spanner table";
inline constexpr char kNiffSpannersWithoutId[] = "spanners without an ID";
inline constexpr char kNiffSpannersUnended[] = "spanners whose last node never came";
inline constexpr char kNiffSpannersReversed[] = "spanners that end before they start";
inline constexpr char kNiffSpannersAcrossStaves[] = "spanners that end on another staff";
inline constexpr char kNiffSpannersToThemselves[] = "slurs and ties from a note to itself";
inline constexpr char kNiffLinesWithoutLength[] = "hairpins and octave signs that end where they start";
inline constexpr char kNiffSpannersOutsideMeasures[] = "spanners outside any measure";
inline constexpr char kNiffTiesUnended[] = "ties without an end note";
inline constexpr char kNiffTiesWithoutNote[] = "ties without a note";
inline constexpr char kNiffTupletsWithoutRatio[] = "tuplets without a ratio or a note count";
inline constexpr char kNiffTupletsRatioRounded[] = "tuplets of a number above 15 (played in the nearest ratio the score holds)";

// The record of `type` whose ID is `id`; else the first free one, cleared; when
// every record is busy record 0 is taken over (counted), and a tuplet or slur that
// referred to it is forgotten.
int FindNiffSpanner(NiffImportState& import, NiffSpannerType type, int id);

// Chunk handlers of the main pass.
int ReadNiffSlur(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffTie(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffHairpin(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffOctaveSign(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffEnding(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffTuplet(NiffChunkContext& context, const uint8_t* fixedPart);

// A stem starts a new note group: no tuplet and no slur IDs are current.
void ResetNiffNoteReferences(NiffImportState& import);
// A measure start ends every tuplet (tuplets never continue across a barline).
void EndNiffTuplets(NiffImportState& import);

// What a note or rest event takes from the spanners as it is built: its serial,
// and the current tuplet's ratio (notes only). The tuplet's actual and normal
// numbers, 0 for none, are returned for the note value.
struct NiffEventTuplet {
    int actual = 0;
    int normal = 0;
};
NiffEventTuplet TakeNiffEventReferences(NiffImportState& import, NiffEvent& event);
// An event's ticks from its note value, dots and tuplet ratio; at least 1.
int32_t NiffEventTicks(const NiffEvent& event);
// After a note event is built: for the first event of a stem group, its place in
// the current tuplet (the mark at the middle note) and the slurs whose IDs are
// current that start or end at it.
void ClaimNiffSpanners(NiffImportState& import, const NiffEvent& event, bool firstOfGroup);

// The close of a staff's measure: the voices that notes tied from earlier
// measures ask for, and then, with the voices known, the tie requests of the
// measure's notes and the notes left waiting on the staff's list.
std::vector<NiffTiedVoice> NiffTiedVoices(const NiffImportState& import, int staff);
void MatchNiffTies(NiffImportState& import, int staff, const NiffStaffMeasure& measure);

// The end of the main pass: records and tied notes still waiting are counted.
void CountUnendedNiffSpanners(NiffImportState& import);

}  // namespace ql::niff
