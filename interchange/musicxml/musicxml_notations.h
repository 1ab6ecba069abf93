// The marks a MusicXML note carries inside <notations> that the NIFF file writes
// on the note: articulations, the playing signs of <technical> and the ornaments,
// each as the NIFF code the importer places (an `artc` or an `ornm` chunk), and
// the arpeggio sign. What has no NIFF code is left for the reader to count. Also
// the look of a tuplet's mark.
#pragma once

#include <string_view>
#include <vector>

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

// The parents whose children are such marks.
bool IsNoteMarkGroup(std::string_view parent);

// Adds the codes of mark `name` (a child of `parent`) to the note; `longMark` is
// its long="yes" (a long inverted mordent). False when NIFF has no code for it.
bool AddNoteMark(MxlNote& note, std::string_view parent, std::string_view name, bool longMark);

// The look of a tuplet's mark as the NIFF grouping code the import reads: the
// number with a straight bracket (bracket="yes"), with a curve (and
// line-shape="curved"), the number alone (bracket="no"), or no mark (no bracket
// and show-number="none"); 0, the number alone, when the file does not say. The
// score shows the first number of the ratio only, and no bracket without it:
// what it shows otherwise is counted. Attributes absent are null.
inline constexpr int kTupletNumberAlone = 1;
inline constexpr int kTupletCurve = 2;
inline constexpr int kTupletBracket = 5;
inline constexpr int kTupletUnmarked = 8;
int TupletLook(const char* bracket, const char* lineShape, const char* showNumber, const char* showType,
               ImportReport& skipped);

}  // namespace ql::musicxml
