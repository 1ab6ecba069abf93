// The tool palettes on a desktop with a window manager that puts a title bar above
// every window: they stay above the frame they belong to, their title bars cover no
// other palette, they leave the score's scroll bar free, they come back where the
// user moved them at the next start, and their title bars show their titles whole.
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

constexpr int kVerticalScrollBarWidth = 16;  // the score window's, at the frame's right edge
// The palettes that show with a score, Main first.
constexpr const char* kShownPalettes[] = {"Main", "Staff Tools", "Notes", "Graphics", "Text & Symbols", "Performance"};

bool Overlap(const ShownWindow& a, const ShownWindow& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

std::string Place(const ShownWindow& w) {
    std::ostringstream text;
    text << w.title << " " << w.width << "x" << w.height << " at " << w.x << "," << w.y;
    return text.str();
}

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
    // The palettes shown with a score, each once it came.
    std::vector<ShownWindow> ShownPalettes() const {
        std::vector<ShownWindow> shown;
        for (const char* title : kShownPalettes)
            if (const std::optional<ShownWindow> palette = x_.WindowTitled(title)) shown.push_back(*palette);
        return shown;
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

// At a first start the manager's title bar above each palette covers no other
// palette (a column too long for the upper two thirds of the screen goes on in a
// second one), and no palette stands over the score window's vertical scroll bar.
TEST_F(PalettesUnderManagerScenario, NoTitleBarCoversAPaletteAndNoPaletteTheScrollBar) {
    TitlingWindowManager manager(display_.Name(), home_->Root());
    ASSERT_TRUE(StartUnderManager());
    ASSERT_TRUE(manager.Runs()) << "the window manager did not start";
    NewScore("1");
    ASSERT_EQ(ShownPalettes().size(), std::size(kShownPalettes));
    x_.Settle(Millis{1000});
    WritePng(x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()), TestOutputFolder() / "palettes_under_manager.png");
    const ShownWindow frame = Frame();
    const int scrollBarLeft = frame.x + frame.width - kVerticalScrollBarWidth;
    std::vector<ShownWindow> framed;
    for (const ShownWindow& palette : ShownPalettes()) {
        const ShownWindow around = ManagerFrameOf(palette);
        EXPECT_LT(around.y, palette.y) << "no title bar above " << Place(palette);
        EXPECT_LE(around.x + around.width, scrollBarLeft) << Place(around) << " stands over the scroll bar";
        EXPECT_LE(around.y + around.height, x_.ScreenHeight() * 2 / 3) << Place(around) << " reaches the lowest third";
        for (const ShownWindow& other : framed) EXPECT_FALSE(Overlap(around, other)) << Place(around) << " covers " << Place(other);
        framed.push_back(around);
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A palette the user dragged by its title bar stands at the next start where it
// stood, to the pixel.
TEST_F(PalettesUnderManagerScenario, PalettesComeBackWhereTheyStoodAtTheNextStart) {
    TitlingWindowManager manager(display_.Name(), home_->Root());
    ASSERT_TRUE(StartUnderManager());
    ASSERT_TRUE(manager.Runs()) << "the window manager did not start";
    NewScore("1");
    const std::optional<ShownWindow> before = x_.WindowTitled("Staff Tools");
    ASSERT_TRUE(before) << "no Staff Tools palette";
    x_.Settle(Millis{800});
    const ShownWindow title = ManagerFrameOf(*before);
    ASSERT_LT(title.y, before->y) << "no title bar above the palette";
    const int grabX = title.x + title.width / 2, grabY = (title.y + before->y) / 2;
    x_.Drag(grabX, grabY, grabX - 300, grabY + 200, 12);
    ShownWindow moved = *before;
    WaitFor([&] {
        x_.Settle(Millis{100});
        moved = x_.WindowTitledNow("Staff Tools").value_or(*before);
        return moved.x != before->x || moved.y != before->y;
    }, Millis{5000});
    x_.Settle(Millis{800});
    moved = *x_.WindowTitledNow("Staff Tools");
    ASSERT_NE(Place(moved), Place(*before)) << "the drag did not move the palette";
    EXPECT_EQ(QuitWithoutSaving(), 0);
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(StartUnderManager());
        NewScore("1");
        const std::optional<ShownWindow> again = x_.WindowTitled("Staff Tools");
        ASSERT_TRUE(again) << "no Staff Tools palette, run " << run;
        x_.Settle(Millis{800});
        EXPECT_EQ(Place(*x_.WindowTitledNow("Staff Tools")), Place(moved)) << "run " << run;
        EXPECT_EQ(QuitWithoutSaving(), 0);
    }
}

// The title bar the manager draws above a palette as narrow as the Staff Tools
// palette with small buttons shows its title whole, with the manager's two buttons
// and with four: the title in the manager's font fits between the bar's buttons
// with the manager's padding. So do the titles of the other narrow palettes.
class PaletteTitleScenario : public PalettesUnderManagerScenario {
protected:
    void ExpectTitlesWhole(TitlingWindowManager::TitleButtons buttons);
};

void PaletteTitleScenario::ExpectTitlesWhole(TitlingWindowManager::TitleButtons buttons) {
    constexpr int kTitlePadding = 8;  // the manager's room beside a title bar's text
    TitlingWindowManager manager(display_.Name(), home_->Root(), TitlingWindowManager::Raising::kByTitleBar, buttons);
    WriteSettings("[ToolbarSettings]\nToolSize=24\n");
    ASSERT_TRUE(StartUnderManager());
    ASSERT_TRUE(manager.Runs()) << "the window manager did not start";
    NewScore("1");
    ASSERT_TRUE(x_.WindowTitled("Staff Tools")) << "no Staff Tools palette";
    x_.Settle(Millis{800});
    Display* display = XOpenDisplay(display_.Name().c_str());
    ASSERT_NE(display, nullptr);
    XFontStruct* font = XLoadQueryFont(display, "fixed");
    ASSERT_NE(font, nullptr);
    for (const std::string title : {"Staff Tools", "Performance", "Text & Symbols"}) {
        const std::optional<ShownWindow> palette = x_.WindowTitledNow(title);
        ASSERT_TRUE(palette) << "no " << title << " palette";
        const ShownWindow around = ManagerFrameOf(*palette);
        // The bar's buttons: the small square windows in the bar.
        int leftEnd = around.x, rightStart = around.x + around.width;
        for (const ShownWindow& w : x_.Windows()) {
            const bool inBar = w.y >= around.y && w.y + w.height <= palette->y && w.x >= around.x &&
                               w.x + w.width <= around.x + around.width && w.width == w.height && w.width < 20;
            if (!inBar) continue;
            if (w.x + w.width / 2 < around.x + around.width / 2) leftEnd = std::max(leftEnd, w.x + w.width);
            else rightStart = std::min(rightStart, w.x);
        }
        const int text = XTextWidth(font, title.c_str(), static_cast<int>(title.size()));
        EXPECT_GE(rightStart - leftEnd, text + 2 * kTitlePadding) << Place(around) << ": the title is cut";
    }
    XFreeFont(display, font);
    XCloseDisplay(display);
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(PaletteTitleScenario, NarrowPalettesShowTheirTitlesWholeBetweenTwoButtons) {
    ExpectTitlesWhole(TitlingWindowManager::TitleButtons::kTwo);
}

TEST_F(PaletteTitleScenario, NarrowPalettesShowTheirTitlesWholeBetweenFourButtons) {
    ExpectTitlesWhole(TitlingWindowManager::TitleButtons::kFour);
}

}  // namespace
}  // namespace ql::desktop
