// Writer-made NIFF scores for the import tests: a setup section (information,
// writer, parts, string table) and pages of systems of staves, with texts.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "interchange/niff/niff_writer.h"

namespace ql::niff::testing {

struct NiffScoreShape {
    std::vector<int> partStaves{1};
    std::string writer = "Test writer";
    int pages = 1;
    int systemsPerPage = 1;
    bool systemHeaders = true;  // without, a page's staff headers begin its one system
    // Staves of each system, in part order; those past every part's staves are
    // written as the last part's.
    int stavesPerSystem = 1;
    bool partTags = true;  // each staff header names its part (tags 32 and 47)
    bool pageText = false;     // a text anchored on the page header on every page
    bool measureText = false;  // a text without a placement after each staff header
    int staffHeight = 256;     // file units; tag 17 of every staff header
    // Measures of each system, each a measure-start slice (at k/1 whole notes for
    // the score's measure k, written as (k*n)/n on the staff's n-th slot) with an
    // event slice at 1/4; 0 writes no time slices.
    int measuresPerSystem = 0;
    bool trailingMeasureStart = false;  // a measure start after each staff's last
    std::vector<uint8_t> barlines;      // barline types before each later measure
    std::vector<std::pair<int, int>> repeats;  // repeat (code, kind) before them
    bool thickBarline = false;          // tag 21 on each later measure start
    // In each measure: a quarter rest at its start and, at 1/4, a stem with a
    // beam and an eighth chord of two notes, and a stem-down quarter at 3/4.
    bool notes = false;
    // With notes: an accidental, an articulation, an ornament and a lyric on the
    // chord's notes; a dynamic, a chord symbol, a tempo mark, pedal marks (one down
    // and up, one bracket over the measure), measure numbering and a staff group.
    bool marks = false;
    // With notes: in each measure a hairpin and an ending from its start to 3/4, a
    // slur from the beamed chord to the quarter, a one-chord tuplet on the beamed
    // chord, the quarter tied to the next measure's, and an octave sign over each
    // pair of measures; IDs differ by staff.
    bool spanners = false;
};

// String-table offsets of the part names ("Part 1", "Part 2", ...), the page
// text and the staff text.
uint32_t PartNameOffset(int part);
inline constexpr uint32_t kPageTextOffset = 1;
inline constexpr uint32_t kStaffTextOffset = 7;

std::vector<uint8_t> WriteNiffScore(const NiffScoreShape& shape);

// Opens a score of one part on one staff up to its staff header: the setup list
// with the part, then the data list's page, system and staff headers. The caller
// writes the staff's chunks and closes the data list and the form.
void BeginOneStaffScore(NiffWriter& out);

}  // namespace ql::niff::testing
