// The score objects of a NIFF import's spanner requests, made once the notes are
// in the document and the pages laid out: ties through the tie command's own
// service, slurs fitted to their notes, hairpins, octave lines, repeat endings and
// tuplet marks, and pedal brackets. One factory per type; a request whose notes or measures cannot be
// found, whose end lies before its start, or whose notes the tie service does not
// join, is skipped and counted in the import report.
#pragma once

#include <string>

namespace ql {
struct EventRecord;
}

namespace ql::niff {

struct NiffImportState;
struct NiffSlurRequest;
struct NiffLineRequest;
struct NiffTupletRequest;
struct NiffTieRequest;
struct NiffPlacedEvent;
struct NiffMark;

inline constexpr char kNiffUnmadeTies[] = "ties whose notes do not follow each other";
inline constexpr char kNiffUnplacedSpanners[] = "spanners whose notes or measures are missing";
inline constexpr char kNiffUnmadeObjects[] = "spanners that could not be made";
inline constexpr char kNiffTupletMarks[] = "tuplet marks";

// The builder placed the event of `serial` (from the file's note) in the document.
void RecordNiffPlacedEvent(NiffImportState& import, int serial, EventRecord* event, int staff, int measure,
                           int voice);

// Whether a tie between these notes goes above them: the side the file gave (1
// above, 2 below); else below in a lower voice; else above in the upper voice of a
// staff another voice shares (`sharedStaff`), clear of the lower voice's notes; else
// above when either note lies on or above the middle line while a stem points down,
// or when both notes lie high (or neither stem points up) and the start's stem
// points down from on or above the middle line; else below.
bool NiffTieGoesAbove(int side, const NiffPlacedEvent& start, const NiffPlacedEvent& end, bool sharedStaff = false);

// Every request of the import, in the order ties, slurs, lines, tuplet marks.
void MakeNiffSpanners(NiffImportState& import);

// The factories.
void MakeNiffTie(NiffImportState& import, const NiffTieRequest& request);
void MakeNiffSlur(NiffImportState& import, const NiffSlurRequest& request);
void MakeNiffHairpin(NiffImportState& import, const NiffLineRequest& request);
void MakeNiffOctaveLine(NiffImportState& import, const NiffLineRequest& request);
// A repeat ending over the measures of the request, with its numbers and hooks; one
// whose nodes were placed on one page goes among that page's items, where playback
// and the tie logic, which look for endings in the measures, do not see it.
void MakeNiffRepeatEnding(NiffImportState& import, const NiffLineRequest& request);
void MakeNiffTupletMark(NiffImportState& import, const NiffTupletRequest& request);
// Once the pages and the measures' texts stand: each repeat ending of a staff's
// measures raised (never lowered) until its hooks and number stand a space above
// everything else the staff holds in the ending's system (high notes, the marks on
// them, texts and chord symbols, lines).
void RaiseNiffEndingsAboveTheirStaves(NiffImportState& import);
// A pedal bracket (the wickette) from the mark's measure and tick to its detail's
// end, with the hooks of its height, the document's line width and the end style,
// linked into the start measure's object list; a bracket anchored to the page goes
// among that page's items, from its page point to the end's.
void MakeNiffPedalBracket(NiffImportState& import, const NiffMark& mark);
// The tuplet number `digits` over `note` (the view located at its measure), with
// bracket style 0, 1 or 2.
void AttachNiffTupletMark(NiffImportState& import, EventRecord* note, const std::string& digits, int bracket);

}  // namespace ql::niff
