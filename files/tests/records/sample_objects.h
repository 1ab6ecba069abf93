// Sample objects of every stored type, built through the class table in the current
// pool set with the parts that make their records interesting: texts with strings,
// MIDI data, a picture's bytes, endpoints and anchors.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreDocument;
struct ScoreObject;

namespace testing_files {

// Every code the record writer stores, and the selection code the reader accepts.
const std::vector<uint8_t>& StoredTypeCodes();

// A filled object of the type (null when its class is not registered).
ScoreObject* MakeSampleObject(ScoreDocument* document, uint8_t type);

}  // namespace testing_files
}  // namespace ql
