// Tool-palette operations the score model calls before the palettes are built.
#include "editing/tools.h"

namespace ql {

void LayoutPagersToolbar(ScoreView* /*view*/) {
    // provisional: the page band of the toolbar is not built yet.
}

void UpdatePagersToolbar(ScoreView* /*view*/) {
    // provisional: the page band of the toolbar is not built yet; nothing to update.
}

}  // namespace ql
