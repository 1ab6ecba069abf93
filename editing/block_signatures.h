// The measure facts the block clipboard compares: a measure's time signature (its
// first staff's cell) and whether a measure is empty on every staff.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct MeasureCell;

// The cell of a staff and measure of the document, looked up in its own pools
// without making one; null when there is none.
MeasureCell* FindBlockCell(ScoreDocument* document, int staff, int measure);
// Numerator and denominator bytes of the two measures' first cells are equal; a
// measure without cells compares equal to anything.
bool SameTimeSignature(ScoreDocument* a, int measureA, ScoreDocument* b, int measureB);
// No staff of the measure has an event or rest in any voice.
bool MeasureVoicesEmpty(ScoreDocument* document, int measure);
// Writes the time signature into every cell the measure has, staff 0 included: a
// measure has one time signature on all its staves.
void GiveMeasureSignature(ScoreDocument* document, int measure, uint8_t beats, uint8_t beatUnit);

}  // namespace ql
