// The page's extent in score units (PageRight, PageBottom of the view) from the
// document's paper choice, unit and orientation; the scroll ranges follow it.
#pragma once

#include "core/model/score_document.h"

namespace ql {

// A page extent that would fall below the logical origin is replaced by this.
constexpr int32_t kMinimumPageExtent = -26624;

// Width and height of the document's paper in inches (orientation applied).
void PaperInches(const ScoreDocument& document, double* width, double* height);
// Sets the page unit of a table paper from its row, the view's PageRight and
// PageBottom (each at least kMinimumPageExtent and at most the logical maximum),
// then its scroll ranges.
void PaperSizeOf(ScoreView* view);
// Only the view's PageRight and PageBottom, leaving the document as it is (a score
// being read is laid out against them before it is shown).
void PageExtentOf(ScoreView* view);

}  // namespace ql
