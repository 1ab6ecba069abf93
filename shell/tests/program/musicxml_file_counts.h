// The measures, staves and notes of a MusicXML file counted two ways, for the
// corpus tests: read from the file's elements with the XML parser alone (not the
// program's reader), and counted in the score the file imported into.
#pragma once

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ql {
struct ScoreView;
}

namespace ql::testing {

struct MusicXmlCounts {
    int measures = 0;
    int staves = 0;
    int notes = 0;   // every head of a chord, each note of a tie, cue notes (held small)
    int graces = 0;  // grace notes
    // The marks on notes: the children of <articulations>, <technical> and
    // <ornaments>, and the fermatas of <notations> (and of <barline>, which the
    // score has none of).
    int marks = 0;
    int dynamics = 0;  // the children of <dynamics>
    bool operator==(const MusicXmlCounts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MusicXmlCounts& counts);

// The file's counts: measures are the <measure> elements of the first part
// (partwise) or of the score (timewise), staves each part's largest <staves> (1
// without one), notes the <note> elements without <rest>, those with <grace> apart.
// A file the parser refuses counts what came before the fault, with a test failure.
MusicXmlCounts MusicXmlFileCounts(const std::vector<uint8_t>& bytes);

// The words of the file's credits on its pages up to `pages` (of two or more ASCII
// letters and digits; other characters part them), read with the XML parser alone.
std::set<std::string> MusicXmlCreditWords(const std::vector<uint8_t>& bytes, int pages);

// The words of every page's texts, parted as MusicXmlCreditWords parts them.
std::set<std::string> PageTextWords(ScoreView* view);

// The score's measures and staves, the notes of every staff and voice by size, the
// marks on them (the staccato and tenuto of a note's own and the articulations and
// ornaments attached to it), the dynamics of its measures, and the notes, grace notes and marks the import's box
// said it left out (a mark by its element's name, as `file` names them).
MusicXmlCounts ImportedScoreCounts(ScoreView* view);

// The element names of the marks on notes a conversion may say it left out.
const std::set<std::string>& NoteMarkNames();
// What a conversion's report says it left out of those marks and of the dynamics
// ("dynamic" and the element's name), as counts to add to a score's.
MusicXmlCounts SaidLeftOut(const std::vector<std::pair<std::string, int>>& report);

}  // namespace ql::testing
