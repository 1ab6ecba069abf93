// Taking lines, bars and four-cornered shapes (beams, the pieces of a tie's curve)
// off the paper. As with a glyph, the shape is not drawn again in the paper colour:
// the box around it, widened by a device pixel on every side, is filled with the
// paper and noted in the open paper-box log, so that what else lay there (staff
// lines, other notes) can be drawn again whole inside it, each pixel once.
#pragma once

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

// The box through the logical points a and b (either order), widened by a device
// pixel on every side, in logical units; false when the context cannot map it.
bool WidenedPaperRect(platform::DcHandle dc, gfx::Point a, gfx::Point b, gfx::Rect* out);
// Fills that box with the paper and notes it; false when nothing was filled.
bool FillBoxWithPaper(platform::DcHandle dc, gfx::Point a, gfx::Point b);
// A quadrilateral whose corners run 0-1 along one long edge and 3-2 along the other
// (a beam bar, a piece of a tie), filled as a row of boxes across its length, each
// no taller than the shape is thick plus its slope over the box, so that a slanted
// beam takes little more than itself off the paper.
void FillQuadWithPaper(platform::DcHandle dc, const gfx::Point corners[4]);

}  // namespace ql
