// Slurs the model cannot keep as the file gives them. A slur that goes from one
// staff of a part to another: the score keeps a slur on one staff, and the NIFF
// writer keeps each staff's open slurs apart, so such a slur is left out of the
// model before writing and its number is free again on both staves for the slurs
// that follow. Slurs to and from grace notes are kept: a grace note's slur ends
// come in time order at its place before (or after) its note.
#pragma once

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

inline constexpr char kSlursAcrossStaves[] = "slur across staves";

// Pairs each part's slur starts and stops by number in time order (a stop before a
// start at the same time) and removes both ends of every pair whose ends lie on
// different staves, counting each such slur once. Unpaired ends are left as they
// are.
void DropSlursAcrossStaves(MxlScore& score, ImportReport& skipped);

}  // namespace ql::musicxml
