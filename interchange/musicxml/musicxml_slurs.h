// Slurs that go from one staff of a part to another. The score keeps a slur on
// one staff, and the NIFF writer keeps each staff's open slurs apart: such a slur
// is left out of the model before writing, so its number is free again on both
// staves for the slurs that follow.
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
