// The tool palettes on a desktop with a window manager that puts a title bar above
// every window: they stay above the frame they belong to.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/scene_pictures.h"
#include "shell/tests/desktop/window_manager.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

int PixelsOf(const ScreenPicture& picture, uint32_t colour) {
    return static_cast<int>(std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                          [&](uint32_t p) { return (p & 0xFFFFFF) == colour; }));
}

class PalettesUnderManagerScenario : public DesktopScenario {
protected:
    // The manager's window around a program's window: the smallest window shown that
    // holds it and is larger (its title bar and the window); the window itself
    // when the manager gave it none.
    ShownWindow ManagerFrameOf(const ShownWindow& client) const {
        ShownWindow frame = client;
        int64_t area = -1;
        for (const ShownWindow& w : x_.Windows()) {
            const int64_t size = static_cast<int64_t>(w.width) * w.height;
            const bool holds = w.x <= client.x && w.y <= client.y && w.x + w.width >= client.x + client.width &&
                               w.y + w.height >= client.y + client.height;
            if (!holds || w.overrideRedirect || size <= static_cast<int64_t>(client.width) * client.height) continue;
            if (area < 0 || size < area) {
                area = size;
                frame = w;
            }
        }
        frame.title = client.title;
        return frame;
    }
    // The position of the window in the stacking order (higher is above): the
    // windows are listed from the bottom of the stack up.
    int StackPlace(const ShownWindow& window) const {
        const std::vector<ShownWindow> all = x_.Windows();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].id == window.id) return static_cast<int>(i);
        return -1;
    }
    bool StartUnderManager(const std::vector<std::string>& arguments = {}) {
        x_.Settle();
        return StartProgram(arguments).has_value();
    }
};

// A score opened at the start, then a click in it under a manager that raises the
// frame as the pointer goes into it: the palettes belong to the frame and stand
// above it again.
TEST_F(PalettesUnderManagerScenario, AClickInTheScoreBringsThePalettesAboveTheFrameAgain) {
    TitlingWindowManager manager(display_.Name(), home_->Root(), TitlingWindowManager::Raising::kOnEnter);
    ASSERT_TRUE(StartUnderManager());
    ASSERT_TRUE(manager.Runs()) << "the window manager did not start";
    NewScore("2");
    const fs::path score = home_->Documents() / "two.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    EXPECT_EQ(Quit(), 0);
    ASSERT_TRUE(StartUnderManager({score.string()}));
    ASSERT_TRUE(x_.WaitForWindow("two.ql")) << "the file did not open";
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    ASSERT_TRUE(main) << "no Main palette";
    x_.Settle(Millis{1000});
    // From the palette into the score, where the manager raises the frame.
    const ShownWindow frame = Frame();
    x_.MovePointer(main->x + main->width / 2, main->y + main->height / 2);
    x_.Settle(Millis{500});
    x_.MovePointer(frame.x + frame.width / 3, BarsBottom() + (frame.y + frame.height - BarsBottom()) / 2);
    x_.Settle(Millis{500});
    x_.Click(frame.x + frame.width / 3, BarsBottom() + (frame.y + frame.height - BarsBottom()) / 2);
    x_.Settle(Millis{1500});
    const ShownWindow palette = *x_.WindowTitledNow("Main");
    EXPECT_GT(StackPlace(ManagerFrameOf(palette)), StackPlace(ManagerFrameOf(Frame()))) << "the frame stands above Main";
    EXPECT_GT(PixelsOf(x_.Grab(palette), kPressedColour), 20 * 20) << "the Main palette is hidden by the frame";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
