// The desktop session ending under the program: with a saved score changed since,
// the display goes away; the program writes the score's autosave copy beside it,
// leaves the score's file as it was saved, and ends with code 1.
#include <filesystem>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

TEST_F(DesktopScenario, TheDisplayGoneLeavesACopyOfTheChangedScore) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    fs::create_directories(home_->Documents());
    const fs::path score = home_->Documents() / "lost.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    const uintmax_t saved = fs::file_size(score);
    InsertPage();
    x_.Close();
    display_.Stop();
    EXPECT_EQ(program_->WaitForExit(), 1);
    EXPECT_TRUE(fs::exists(home_->Documents() / "lost.AUT")) << "no copy of the changed score";
    EXPECT_EQ(fs::file_size(score), saved);
}

}  // namespace
}  // namespace ql::desktop
