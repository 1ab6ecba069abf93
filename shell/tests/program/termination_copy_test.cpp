// The copy a termination signal leaves of a new score opens as the score that was
// written: its engraving metrics, its staves and its cells.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/model/engraving_metrics.h"
#include "core/model/grid_records.h"
#include "core/model/view.h"
#include "core/settings/metrics_table.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/program/termination_signals.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using TerminationCopyTest = testing::ProgramFixture;

// File > New > OK, an edit, then the signal: "untitled_NEW.AUT" holds the new
// score's metrics (none 0, the staff lines thin) and its second staff's clef and key.
TEST_F(TerminationCopyTest, ANewScoresCopyReopensWithItsMetrics) {
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Path());
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = testing::isolation::NewScoreFromMenu(2);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(testing::isolation::StepClefAndKey(view, 2, 1, -3), 2);
    ScoreDocument* document = view->document;
    uint16_t metrics[kPageDistanceCount];
    std::copy(std::begin(document->internalDistances), std::end(document->internalDistances), metrics);
    const uint8_t clefKey = ExistingMeasureCell(document, 2, 1)->clefKey;
    win::PostMessage(Frame().window, kTerminationMessage, 15);
    EXPECT_EQ(win::RunMessageLoop(), kTerminationExitCode);
    running_ = false;
    const std::filesystem::path copy = scratch / "untitled_NEW.AUT";
    std::filesystem::current_path(saved);
    ASSERT_TRUE(std::filesystem::exists(copy));
    // The program started again opens it.
    ResetFrame();
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(OpenScorePath(copy.string()));
    ScoreView* opened = FindViewByPath(copy.string());
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    for (int word = 0; word < kPageDistanceCount; ++word)
        EXPECT_EQ(opened->document->internalDistances[word], metrics[word]) << "metric " << word;
    const int line = EngravingMetricOf(*opened->document, EngravingMetric::StaffLineWid);
    EXPECT_GT(line, 0);
    EXPECT_LT(line, 32) << "staff lines thinner than a quarter space";
    EXPECT_EQ(opened->document->header.staffCount, 2);
    const MeasureCell* cell = ExistingMeasureCell(opened->document, 2, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->clefKey, clefKey);
}

}  // namespace
}  // namespace ql
