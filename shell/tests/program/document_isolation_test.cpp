// Two open scores never see each other's records: a saved score opened, a new one
// made beside it, the windows cascaded and the first one activated and painted draws
// exactly what it draws with the other score closed, and no drawing notice comes up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/document_context.h"
#include "core/model/grid_records.h"
#include "core/model/view.h"
#include "core/state.h"
#include "files/score_file.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using DocumentIsolationTest = testing::ProgramFixture;
namespace iso = testing::isolation;

// Open a saved score, File > New > OK, Window > Cascade, click the first score's
// window: its paint is the paint it gets alone.
TEST_F(DocumentIsolationTest, ANewScoreBesideAnOpenedOneLeavesItsDrawingAlone) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = iso::SaveTwoStaffScore(scratch / "first.ql");
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* first = FindViewByPath(path);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(iso::NewScoreFromMenu(1), nullptr);
    ASSERT_EQ(CountOpenDocuments(), 2);
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kCascade, 0));
    win::ActivateMdiChild(Frame().mdiClient, first->ViewWindow);
    const std::vector<uint32_t> shared = iso::PaintedPixels(first);
    EXPECT_EQ(iso::DrawNoticeCount(), 0) << "a drawing notice came up";
    // The same paint with the new score closed.
    for (platform::WindowHandle child : win::MdiChildrenInZOrder(Frame().mdiClient))
        if (GetScoreViewOfWindow(child) != first) ForceCloseScoreWindow(child);
    ASSERT_EQ(CountOpenDocuments(), 1);
    EXPECT_TRUE(shared == iso::PaintedPixels(first)) << "the first score drew differently beside the new one";
}

}  // namespace
}  // namespace ql
