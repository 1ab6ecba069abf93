// MeasureWidth over a list held in memory, for a caller that builds a measure's list
// before writing it: the same tidying and width as MeasureWidth gives the stored list,
// without writing entries that the tidying frees at once.
#pragma once

#include <cstddef>
#include <span>

#include "layout/spacing/spacing_list.h"

namespace ql {

// Tidies `pieces` (in order, without overlap, each at least one tick long) as
// MeasureWidth tidies a stored list under the record's length and factor, stores the
// width in the record and returns how many pieces are left at the front of `pieces`:
// the list to write. The record's own list is not read or changed.
size_t SettleMeasurePieces(MeasureRecord& record, std::span<SpacingPiece> pieces);

}  // namespace ql
