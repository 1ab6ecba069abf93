// What follows a clef or key change on the score's layout: the current system's
// measure widths from the new signs, every page reformatted from the one holding the
// change, the beat maps rebuilt and the linked views invalidated. A view without a
// current page (a score not laid out yet) only invalidates.
#pragma once

namespace ql {

struct ScoreView;

void RelayoutAfterSignatureChange(ScoreView* view, int measure);

}  // namespace ql
