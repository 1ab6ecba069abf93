// Score-file stream fixtures shared by the writer's and the reader's tests: two
// scores built through the program's constructors with every stored field set to a
// chosen value, and the bytes of their ".ql" streams assembled by hand in the
// stream's order, one field per line with its offset and meaning. Writing a built
// score gives its bytes, the scroll view's galley system excepted (it belongs to
// the view, not to the score; the fixtures hold zeros there). Reading the bytes
// should give back the built score.
//
// The one-staff score: 1 staff without a label, 1 measure (so "STIK" holds two
// records), one empty cell, page 1 with one system, no objects but the margins of
// page 1 and the two masters.
//
// The full score: 3 staves, 6 measures on two pages (measures 1-3 and 4-6, one system
// each), two port names, labels on staves 1 and 3 (the second with an empty text,
// stored as "no name"), spacing entries in measures 1 and 4, two beamed notes (the
// first with an accidental and two attached objects) and a note in voice 2 of
// another cell, rests in two voices, and one object of every stored type code: the
// cell lists of staff 1 measure 2, staff 2 measure 3 and staff 3 measure 4, the first
// note's attachments (an articulation and a tuplet with its curve), page 1's list
// after its margin (a text box, a guide line and a picture with data), the margins of
// every page, and the first note's accidental (stored as the note's accidental word).
// The lists are in stream_fixture_objects.h.
//
// Both: the header holds stale values the writer corrects (page count 9, system
// counts 5); every font slot is set, and "FONT" lists slots 1-23.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ql {

struct ScoreDocument;
struct ScoreView;

namespace testing_files {

// The full score's counts.
constexpr int kFullScoreStaves = 3;
constexpr int kFullScoreMeasures = 6;
constexpr int kFullScorePages = 2;

// Where the scroll view's galley system lies in both streams (after the prologue, the
// header and two port names), and its size: record, S staff offsets, S flag bytes.
constexpr size_t kFullScoreGalleyAt = 26 + 2 + 264 + 2 + 2 * 34;
constexpr size_t kFullScoreGalleyBytes = 16 + 2 * kFullScoreStaves + kFullScoreStaves;
constexpr size_t kOneStaffGalleyBytes = 16 + 2 + 1;

// Each builder takes a document that CreateDocument has just made for the view (one
// staff-less page with one system, the two master pages) and needs the document's
// pools current. False when a record could not be had.
bool BuildOneStaffScore(ScoreDocument* document, ScoreView* view);
bool BuildFullScore(ScoreDocument* document, ScoreView* view);

// The hand-assembled streams.
std::vector<uint8_t> OneStaffStream();
std::vector<uint8_t> FullScoreStream();

}  // namespace testing_files
}  // namespace ql
