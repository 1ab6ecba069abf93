// Placing systems between the page margins: the end of a system's slots is told
// from the row of its last build while the widths are scaled, so a formatted
// system must leave the row and the widths that a fresh build confirms.
#include <vector>

#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "notes/beatmap/beat_map.h"

namespace ql::testing_layout {
namespace {

constexpr uint8_t kProportionalSpacing = 0;
constexpr uint8_t kEngraverSpacing = 2;

// The slot positions of a system's row and the widths of its measures.
std::vector<int> RowAndWidths(ScoreView* view, const ScoreSystem* system) {
    std::vector<int> out;
    const BeatMap& map = view->beatMap;
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    for (int slot = 1; slot <= slots; ++slot) {
        const int cell = BeatMapCell(system->number, slot);
        out.insert(out.end(), {map.slotX[cell], map.marginX[cell], map.contentX[cell], map.trailSpace[cell]});
    }
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m)
        out.push_back(MeasureRecordOf(view->document, m)->width);
    return out;
}

class SystemPlacementTest : public PageFormatTest {
  protected:
    // Formats the system, then builds its row afresh (the build places the system
    // again) and returns both states.
    std::pair<std::vector<int>, std::vector<int>> FormatThenRebuild(ScoreSystem* system) {
        FormatSystem(view_, doc_->firstPage, system);
        const std::vector<int> formatted = RowAndWidths(view_, system);
        view_->currentPage = doc_->firstPage;
        view_->currentSystem = system;
        BuildBeatMapPageMode(view_, 0);
        return {formatted, RowAndWidths(view_, system)};
    }
};

TEST_F(SystemPlacementTest, FormattedSystemLeavesTheRowAFreshBuildConfirms) {
    NewScore(2, 4, 4);
    ScoreSystem* system = SystemAt(0, 1);
    ASSERT_NE(system, nullptr);
    PageMargins margins;
    ASSERT_TRUE(GetPageMargins(doc_->firstPage, &margins));
    const int room = view_->PageRight - margins.logical[2] - kLogicalOrigin - margins.logical[0];
    // Engraver spacing (placed, justified, placed again) and proportional widths,
    // each with and without accidental fitting.
    for (const uint8_t mode : {kEngraverSpacing, kProportionalSpacing}) {
        for (const uint8_t fitting : {uint8_t{1}, uint8_t{0}}) {
            State().layout.SpacingMode = mode;
            State().program.SpaceAccidentals = fitting;
            const auto [formatted, rebuilt] = FormatThenRebuild(system);
            EXPECT_EQ(formatted, rebuilt) << "mode " << int{mode} << " fitting " << int{fitting};
            // The closing barline stands on the right margin.
            const int slots = system->lastMeasure - system->firstMeasure + 1;
            const int cell = BeatMapCell(system->number, slots);
            const MeasureRecord* last = MeasureRecordOf(doc_, system->lastMeasure);
            EXPECT_NEAR(view_->beatMap.contentX[cell] + view_->beatMap.trailSpace[cell] + last->width +
                            last->trail,
                        room, slots);
        }
    }
}

}  // namespace
}  // namespace ql::testing_layout
