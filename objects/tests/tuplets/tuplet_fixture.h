// Fixture of the tuplet tests: the spanner tests' score (one staff, one system of
// four measures) with helpers that enter notes and rests carrying tuplet bytes.
#pragma once

#include <cstdint>

#include "core/model/event_record.h"
#include "objects/tests/spanners/spanner_fixture.h"

namespace ql::testing_tuplets {

struct Ratio {
    uint8_t kind = 1;
    uint8_t ratio = 0;   // kind 1: the table index; kind 2: first << 4 | second
    uint8_t nested = 0;  // first << 4 | second of the outer ratio
};
constexpr Ratio kTriplet{1, 0, 0};
constexpr Ratio kNone{0, 0, 0};
constexpr int16_t kStemUp = -448;
constexpr int16_t kStemDown = 448;

class TupletTest : public testing_spanners::SpannerTest {
  protected:
    void SetUp() override;
    // A note of voice 0 at `tick` with a duration code, dots and stem.
    EventRecord* Note(int tick, uint8_t code, Ratio ratio, int dots = 0, int16_t stem = kStemUp,
                      int position = -4);
    // A rest of voice 0.
    ScoreObject* RestAt(int tick, uint8_t code, Ratio ratio);
    // `count` eighth triplets from `tick` (three notes each); the first note.
    EventRecord* Triplets(int tick, int count, int16_t stem = kStemUp);
};

}  // namespace ql::testing_tuplets
