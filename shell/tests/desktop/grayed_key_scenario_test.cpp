// A key runs only what its menu item would: Ctrl+S on a new, unchanged score,
// whose Save is grayed, opens no file chooser.
#include <optional>
#include <set>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

using GrayedKeyScenario = MusicBesidePalettes;

TEST_F(GrayedKeyScenario, CtrlSOnAnUnchangedScoreRunsNothing) {
    ASSERT_TRUE(NewScoreWithMain().has_value());
    const std::set<unsigned long> before = ShownWindowIds();
    PressInFrame("ctrl+s");  // File > Save is grayed: nothing has changed
    x_.Settle(Millis{1500});
    const std::optional<ShownWindow> came = WindowCameSince(before);
    EXPECT_FALSE(came.has_value()) << "Ctrl+S opened \"" << (came ? came->title : "") << "\"";
    if (came) x_.PressKey("Escape");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
