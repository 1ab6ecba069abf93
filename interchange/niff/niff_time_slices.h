// Time slices of a NIFF import: the measure chain, found by the starts the file
// gives, the current tick within a measure, and the barline word each measure
// start takes from the barlines and repeats given before it.
#pragma once

#include <cstdint>

#include "interchange/niff/niff_frame.h"

namespace ql::niff {

struct NiffImportState;

inline constexpr char kNiffMeasuresPastLimit[] = "measures past the measure limit";
inline constexpr char kNiffRepeatSymbols[] = "repeat symbols";
inline constexpr char kNiffDroppedNotes[] = "notes past the fourth voice";
inline constexpr char kNiffDroppedGraces[] = "grace notes without a free voice";

// A measure's barline word (repeat byte high, two barline codes low) from the
// word it had and what the file gave before its start; `thickTag` is tag 21.
uint16_t NiffBarlineWord(uint16_t word, const NiffBarlineMarks& marks, int thickTag);

// Ticks of a file's rational: 4,096 a whole, 0 when the denominator is not above 0
// or the numerator is negative.
int32_t NiffRationalTicks(int numerator, int denominator);

// The index of the node whose start (in whole notes) is `start`, -1 when no node
// has it.
long FindNiffMeasureNode(const NiffFrame& frame, double start);

// Closes the current staff's open measure: its length rounded up to 128 ticks, the
// staff shown in the system, and the system and page reaching its number. Nothing
// when no measure is open, or when nothing followed its start (a closing measure
// start of a staff).
void CloseNiffMeasure(NiffImportState& import);

// After the main pass: the nodes at the chain's end that only mark where the
// staves' last measures ended (a measure start with nothing after it, past every
// system's measures) go, so the chain holds the file's measures and no more. A
// node that holds music, or that a mark or a sign change names, stays. The
// barline of the first node dropped is the barline after the last measure.
void DropNiffClosingStarts(NiffFrame& frame);

}  // namespace ql::niff
