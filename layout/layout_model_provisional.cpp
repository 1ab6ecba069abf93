// Layout operations the score model calls before the layout engine is built.
#include "layout/measure_format.h"
#include "layout/page_format.h"

namespace ql {

int BuildInitialScoreLayout(ScoreView* /*view*/) {
    // provisional: the page formatter is not built; no layout is made, and the
    // result says so.
    return 0;
}

void FormatMeasures(ScoreView* /*view*/, ScorePage* /*page*/) {
    // provisional: the measure formatter is not built; measures keep their widths.
}

}  // namespace ql
