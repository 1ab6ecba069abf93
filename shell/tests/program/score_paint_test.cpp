// An opened score is painted in its window at once: the window's image holds the
// page (its edge at least), not the blank of a window nobody painted.
#include <gtest/gtest.h>

#include <cairo.h>

#include "core/model/grid_records.h"
#include "core/model/view.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "core/units/units.h"
#include "display/zoom.h"
#include "layout/page/page_layout_resources.h"
#include "platform/gfx/dc_access.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/window_pictures.h"

namespace ql {
namespace {

using ScorePaintTest = testing::ProgramFixture;

TEST_F(ScorePaintTest, AnOpenedScoreIsPaintedInItsWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("painted.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    win::UpdateWindow(view->ViewWindow);
    EXPECT_GT(testing::DarkWindowPixels(view->ViewWindow), 500) << "the page is drawn";
}

// File > New builds a score in C major and shows it in a window of its own, painted.
TEST_F(ScorePaintTest, NewOpensAPaintedScoreWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(CountOpenViews(), 0);
    ui::headless::SetDialogScript(new_manuscript_dialog::kNewManuscriptDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kFileNew, 0));
    ASSERT_EQ(CountOpenViews(), 1);
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->ViewWindow);
    const MeasureCell* cell = ExistingMeasureCell(view->document, 1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->clefKey >> kKeyNibbleShift, kCMajorKeyCode) << "no sharps or flats";
    win::UpdateWindow(view->ViewWindow);
    EXPECT_GT(testing::DarkWindowPixels(view->ViewWindow), 500);
    cairo_surface_write_to_png(gfx::BitmapSurfaceForDisplay(win::GetWindowImage(view->ViewWindow)),
                               QL_TEST_OUTPUT_DIR "/new_score_window.png");
}

// A new score's view has its score's units per inch from the start, as an opened
// one has: the zoom readout names a resolution, and it is the one printing uses.
TEST_F(ScorePaintTest, ANewScoresViewHasItsUnitsPerInch) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::SetDialogScript(new_manuscript_dialog::kNewManuscriptDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kFileNew, 0));
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(view, nullptr);
    EXPECT_DOUBLE_EQ(view->UnitsPerInch, UnitsPerInch(*view->document));
    EXPECT_GT(view->UnitsPerInch, 0.0);
    const std::string readout = ZoomStatusText(view);
    EXPECT_EQ(readout.find("(0 DPI)"), std::string::npos) << readout;
    // A second view of the score has them too.
    ScoreView* second = OpenViewOfDocument(view);
    ASSERT_NE(second, nullptr);
    EXPECT_DOUBLE_EQ(second->UnitsPerInch, view->UnitsPerInch);
}

}  // namespace
}  // namespace ql
