// What the score model asks of the layout above it: a new score's first layout,
// formatting a page's measures, and building the beat maps again, with the systems
// placed anew or left where they stand. The layout fills the table when the program
// starts (layout/layout_services_install.h); until then, as in a program built
// without the layout, each call does nothing and gives 0.
//
// The calls are in namespace `layout`, under the names the layout gives them.
#pragma once

#include <cstdint>

namespace ql {

struct ScorePage;
struct ScoreSystem;
struct ScoreView;

struct LayoutServices {
    int (*buildInitialScoreLayout)(ScoreView* view) = nullptr;
    void (*formatMeasures)(ScoreView* view, ScorePage* page) = nullptr;
    int (*updateBeatMaps)(ScoreView* view, int redraw) = nullptr;
    int (*updateBeatMapsInPlace)(ScoreView* view, int redraw) = nullptr;
    int32_t (*measureSlotX)(ScoreView* view, const ScoreSystem* system, int slot) = nullptr;
};

void SetLayoutServices(const LayoutServices& services);

namespace layout {

// Lays out a new score: measure count := systems per page x measures per system,
// a staff record for every staff, page 1 with its systems. Non-zero on success.
int BuildInitialScoreLayout(ScoreView* view);
// Formats the measures of one page: beat maps of all staves, then the page's
// systems unless the document's layout-lock byte is set.
void FormatMeasures(ScoreView* view, ScorePage* page);
// Rebuilds the beat maps after an edit that changed measure geometry (scroll view:
// the scroll system, relaid out, 1; otherwise every system of the current page, 0).
int UpdateBeatMaps(ScoreView* view, int redraw);
// The same, every system left where it stands and its measures as wide as they are:
// for a document put back as it was (undo), whose systems were placed when it was.
int UpdateBeatMapsInPlace(ScoreView* view, int redraw);
// The x of tick 0 of a slot (clamped to 1..27): its contentX plus the system's x.
int32_t MeasureSlotX(ScoreView* view, const ScoreSystem* system, int slot);

}  // namespace layout
}  // namespace ql
