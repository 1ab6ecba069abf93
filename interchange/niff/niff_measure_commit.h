// The measures a NIFF import read, put into the new document: as many measures as
// the file's chain, each with its length and barline word, the time signature in
// every staff's cells, and the measures a system holds.
#pragma once

#include "interchange/niff/niff_frame.h"

namespace ql::niff {

struct NiffImportState;

// The number of measures most of the file's systems hold (the later count on a
// tie); 1 for a file without systems.
int NiffMeasuresPerSystem(const NiffFrame& frame);

// Extends the document to the chain's measures and writes each measure record's
// length (the longer of the time signature's and the measure's own, rounded to
// 128 ticks) and barline word, and each measure's time signature (the derived one
// when the file gave none), clefs and keys into its staves' cells.
void WriteNiffMeasures(NiffImportState& import);

// Places every closed staff measure's voices into the document's cells: the notes
// as event chains with their chords, stems, dots and beam links, the file's rests
// and the gap rests in the voices' element lists. Events that cannot be had are
// counted and left out.
void CommitNiffMeasure(NiffImportState& import);

}  // namespace ql::niff
