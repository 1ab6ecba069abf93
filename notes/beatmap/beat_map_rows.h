// The rows of a view's beat map (internal to the beat-map module): which system
// each row holds, the page and system a build works on, and the relayout of every
// row's buffer and slot arrays.
#pragma once

#include <array>

#include "core/model/beat_map_record.h"

namespace ql {
struct ScoreView;
struct ScorePage;
struct ScoreSystem;
}  // namespace ql

namespace ql::beatmap {

// One row of the map: the measure of its slot 1, how many slots have measures of
// their own (the rest share the following row's arrays), and that following row.
struct RowPlan {
    int row = 0;
    int firstMeasure = 0;
    int ownSlots = 0;
    int followRow = -1;
};

// The rows of a page, in page order of its systems, then the row of the next
// page's first system, then (unless the page is the first or a master page) the
// row of the previous page's last system. Rows at or above `rowLimit` are left out.
struct RowPlans {
    std::array<RowPlan, kBeatMapRows> rows{};
    int count = 0;
    int nextPageRow = -1;    // -1 when left out
    int nextPageIndex = -1;  // its index in rows
};
RowPlans PlanRows(ScoreView* view, ScorePage* page, int rowLimit);

// The page and the system the map of a view is built for: the scroll view's own
// page and system (unless printing or rendering the clipboard), else the current
// page and system.
bool IsScrollBuild(const ScoreView* view);
ScorePage* MapPage(const ScoreView* view);

// The most systems any page of the view's document has.
int MostSystemsOnAnyPage(const ScoreView* view);

// True when the slots of the system's allocated row were laid out for measures of
// other lengths than the system's (the row last held another page's system).
bool SystemRowLengthsChanged(const ScoreView* view, const ScoreSystem* system);

// The rows already allocated grown for the page shown and pointed at its systems'
// measures (no walk of the other pages).
void RepointRows(ScoreView* view);

// AllocateBeatMapRows for every page's worth of rows, then BuildBeatMapMeasures.
void RelayoutRows(ScoreView* view);

}  // namespace ql::beatmap
