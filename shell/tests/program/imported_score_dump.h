// A text dump of an imported score, for the import tests: per staff its lines and
// per measure the measure's length, clef, key and time, each voice's events with
// their values, steps, accidentals, tuplets, beam and tie links, attachments and
// rests, and the cell's objects; then each page's systems and texts.
#pragma once

#include <string>

namespace ql {
struct ScoreDocument;
}

namespace ql::testing {

// Per staff its line count ("staff S lines N"), and per measure: "staff S measure M length L clef C key K time B/U" (U the
// beat unit's code; "hidden" after it when the measure does not show it), each voice's notes as tick:value.dots@step with "grace" and
// its offset for a grace note, "head" and the kind of a head not plain, "stacc" and "ten" for the staccato and tenuto
// bits, the accidental, tuplet kind/ratio, "b" for a beam link before and after, "t" for a
// tie start and end, and the attached objects (lyrics as text/verse, others as
// their type), then its rests as "rest tick:code.dots"; then the cell's object
// types. Per page: its systems as first-last
// measure and its texts.
std::string ImportedScoreDump(ScoreDocument* document);

}  // namespace ql::testing
