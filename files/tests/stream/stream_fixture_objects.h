// The objects of the stream fixtures' full score: one object of each stored type,
// every stored field set to a chosen value, and its record written by hand.
#pragma once

#include <cstdint>
#include <vector>

#include "files/tests/files_fixture.h"

namespace ql {

struct ScoreDocument;
struct ScoreObject;

namespace testing_files {

// Where the full score keeps one object of each stored type: three cell lists, the
// first note's attachments (after its accidental) and page 1's list (after its margin).
inline const std::vector<uint8_t> kStaff1Measure2Types = {4, 5, 7, 8, 9, 10, 14, 15, 18};
inline const std::vector<uint8_t> kStaff2Measure3Types = {21, 22, 24, 25, 39, 46, 47};
inline const std::vector<uint8_t> kStaff3Measure4Types = {48, 49, 50};
inline const std::vector<uint8_t> kAttachedTypes = {26, 51};
inline const std::vector<uint8_t> kPage1Types = {6, 52, 53};

// The pool a short text takes (a label's or a text box's: bits 0-3 of its style word).
constexpr uint8_t kShortTextPool = 2;

// The object of a stored type with its fields set; null when it cannot be made.
// The document's pools must be current.
ScoreObject* MakeFixtureObject(ScoreDocument* document, uint8_t type);
// Sets the stored fields of an object made elsewhere (a page's margin object); false
// when a part of it cannot be had.
bool FillFixtureObject(ScoreDocument* document, ScoreObject* object);

// Its record as the writer stores it in a list whose mode gives `subtype`.
void FixtureObjectRecord(HandBytes& bytes, uint8_t type, uint8_t subtype);

}  // namespace testing_files
}  // namespace ql
