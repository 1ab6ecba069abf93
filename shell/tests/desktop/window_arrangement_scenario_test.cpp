// Score windows on a desktop with a window manager: whatever the arrangement
// (tiled, cascaded, a new score among them, the others closed), every score
// window shows its paper and staves; Cascade sets the windows one below and to
// the right of the other.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/window_manager.h"

namespace ql::desktop {
namespace {

// The caption colour of the active score window.
bool IsActiveCaption(uint32_t rgb) {
    const int red = static_cast<int>(rgb >> 16 & 0xFF), blue = static_cast<int>(rgb & 0xFF);
    return blue > 0x60 && red < 0x40;
}

class WindowArrangementScenario : public DesktopScenario {
protected:
    // The frame's area below its bars, pictured once it stopped changing, with the
    // floating palettes (and the manager's bars above them) whited out: their rows
    // of buttons are no staff lines.
    ScreenPicture ScoreArea(const std::string& name) {
        constexpr int kManagerBar = 30;  // at least the manager's title bar and border
        const ShownWindow frame = Frame();
        const int top = BarsBottom();
        ScreenPicture picture = SettledPicture(
            x_, [&] { return x_.Grab(frame.x, top, frame.width, frame.y + frame.height - top); }, Millis{3000});
        WritePng(picture, TestOutputFolder() / ("arrangement_" + name + ".png"));
        for (const char* title : {"Main", "Staff Tools", "Notes", "Graphics", "Text & Symbols", "Performance"}) {
            const std::optional<ShownWindow> palette = x_.WindowTitledNow(title);
            if (!palette) continue;
            const int bottom = std::min(picture.height, palette->y + palette->height + 2 - top);
            const int right = std::min(picture.width, palette->x + palette->width + 2 - frame.x);
            for (int y = std::max(0, palette->y - kManagerBar - top); y < bottom; ++y)
                for (int x = std::max(0, palette->x - 2 - frame.x); x < right; ++x)
                    picture.pixels[static_cast<size_t>(y) * picture.width + x] = 0xFFFFFF;
        }
        return picture;
    }
    // The staves found in each of `columns` equal columns of the score area, read
    // in the left half of each, where the floating palettes at the right mostly do
    // not stand.
    static std::vector<size_t> StavesByColumn(const ScreenPicture& picture, int columns) {
        std::vector<size_t> counts;
        for (int i = 0; i < columns; ++i) {
            const int left = picture.width * i / columns;
            counts.push_back(StavesOfFirstSystem(picture, left, left + picture.width / columns / 2).size());
        }
        return counts;
    }
    // The top-left corner of the active window's caption in the picture's left half
    // (the palettes' chosen buttons, at the right, are of the same blue).
    static std::pair<int, int> ActiveCaptionCorner(const ScreenPicture& picture) {
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width / 2; ++x)
                if (IsActiveCaption(picture.At(x, y))) return {x, y};
        return {-1, -1};
    }
    void Press(std::string_view stroke) {
        PressInFrame(stroke);
        x_.Settle(Millis{400});
    }
    // File > New with one staff, among windows that are not maximised (the frame's
    // title does not name it): done once the dialog is gone.
    void NewOneStaffScore() {
        ChooseMenuItem('f', 'n');
        const std::optional<ShownWindow> dialog = x_.WaitForWindow("New Manuscript");
        ASSERT_TRUE(dialog) << "File > New showed no dialog";
        x_.PointAt(*dialog);
        x_.TypeText("1");
        x_.PressKey("Return");
        ASSERT_TRUE(x_.WaitUntilGone("New Manuscript"));
        x_.Settle(Millis{400});
    }
};

TEST_F(WindowArrangementScenario, EveryScoreWindowShowsItsScoreInEveryArrangement) {
    TitlingWindowManager manager(display_.Name(), home_->Root());
    x_.Settle();
    ASSERT_TRUE(manager.Runs()) << "the window manager did not start";
    ASSERT_TRUE(StartProgram());
    NewScore("3");
    NewScore("2");
    Press("shift+F3");
    EXPECT_EQ(StavesByColumn(ScoreArea("two_tiled"), 2), (std::vector<size_t>{2, 3}));
    // A score made new while the others are tiled shows on top of them; tiled
    // again, each third shows its score.
    NewOneStaffScore();
    EXPECT_GT(StavesOfFirstSystem(ScoreArea("new_among_tiled"), 0, 300).size(), 0u);
    Press("shift+F3");
    for (const size_t staves : StavesByColumn(ScoreArea("three_tiled"), 3)) EXPECT_GT(staves, 0u);
    // Cascade moves the active window, last of the stack, below and right of the others.
    const std::pair<int, int> tiled = ActiveCaptionCorner(ScoreArea("before_cascade"));
    Press("shift+F5");
    const ScreenPicture cascaded = ScoreArea("cascaded");
    const std::pair<int, int> corner = ActiveCaptionCorner(cascaded);
    EXPECT_NE(corner, tiled) << "Cascade left the active window where it was";
    EXPECT_GT(corner.first, 20);
    EXPECT_GT(corner.second, 20);
    EXPECT_GT(StavesOfFirstSystem(cascaded, corner.first, corner.first + 300).size(), 0u);
    // A new score among the cascade, then the others closed: it shows alone.
    NewOneStaffScore();
    EXPECT_GT(StavesOfFirstSystem(ScoreArea("new_among_cascade"), 0, 400).size(), 0u);
    for (int closed = 0; closed < 3; ++closed) {
        Press("ctrl+F6");
        ChooseMenuItem('f', 'c');
        x_.Settle(Millis{400});
    }
    EXPECT_GT(StavesOfFirstSystem(ScoreArea("others_closed"), 0, 400).size(), 0u);
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
