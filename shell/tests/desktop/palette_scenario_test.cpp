// The tool palettes on the desktop: with a new score they show as windows of their
// own, above the frame, with their faces, and the page beside them is painted
// whole; a click on a Notes button arms that note value, and a click on a staff
// then enters a note. A score opened when the program starts has its palettes
// above the frame too. A screenshot is written for the eye.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kButtonColour = 0x545454;    // a button's background

int PixelsOf(const ScreenPicture& picture, uint32_t colour) {
    int count = 0;
    for (uint32_t p : picture.pixels) count += (p & 0xFFFFFF) == colour;
    return count;
}

class PaletteScenario : public DesktopScenario {};

// The palettes at their first places, where none covers another.
TEST_F(PaletteScenario, PalettesShowWithANewScoreAndANotesButtonEntersItsNote) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(main) << "no Main palette";
    ASSERT_TRUE(notes) << "no Notes palette";
    for (const ShownWindow& w : x_.Windows()) EXPECT_NE(w.title, "Heads") << "a pop-up showed unasked";
    x_.Settle(Millis{1000});

    // Above the frame, with faces: light ink on the buttons' background.
    const ScreenPicture palette = x_.Grab(*notes);
    EXPECT_GT(PixelsOf(palette, kButtonColour), 16 * 200) << "the Notes palette is not on top";
    int ink = 0;
    for (uint32_t p : palette.pixels) ink += (p & 0xFF) > 0xC0 && ((p >> 16) & 0xFF) > 0xC0;
    EXPECT_GT(ink, 16 * 30) << "the buttons show no faces";

    // The page beside the palettes is painted whole: left of the palettes every staff
    // line of the five systems shown runs on.
    const ScreenPicture screen = x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight());
    const int left = Frame().x + 120;
    const int right = std::min(main->x, notes->x) - 80;
    const std::vector<int> lines = screen.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    EXPECT_GE(lines.size(), 10u) << "staff lines beside the palettes are broken";

    // The eighth is pressed at start (button 4: the second row's first cell); a
    // click on the quarter (button 3: the first row's last cell) presses it.
    const std::optional<std::pair<int, int>> eighth = PressedCell(palette);
    ASSERT_TRUE(eighth) << "no pressed button on the Notes palette";
    const int originX = notes->x + eighth->first;
    const int originY = notes->y + eighth->second - kPaletteCell;
    x_.Click(originX + 3 * kPaletteCell + 18, originY + 18);
    x_.Settle(Millis{800});
    const std::optional<std::pair<int, int>> quarter = PressedCell(x_.Grab(*notes));
    ASSERT_TRUE(quarter);
    EXPECT_EQ(notes->x + quarter->first, originX + 3 * kPaletteCell);
    EXPECT_EQ(notes->y + quarter->second, originY);

    // A click on the second system's middle line enters a note in that system's
    // measure (drawn at the measure's first free place, in the selection colour).
    ASSERT_GE(lines.size(), 10u);
    const int middle = lines[7];
    const int x = left + (right - left) / 2;
    x_.MovePointer(x, middle - 10);
    x_.Settle(Millis{300});
    x_.Click(x, middle);
    x_.Settle(Millis{1000});
    const ScreenPicture after = x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight());
    int changed = 0;
    for (int y = middle - 40; y < middle + 40; ++y)
        for (int px = left; px < right; ++px) changed += screen.At(px, y) != after.At(px, y);
    EXPECT_GT(changed, 40) << "no note entered where the staff was clicked";
    WritePng(after, TestOutputFolder() / "palettes_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// At a first start, with no place saved, the Main palette and the five group
// palettes that show with a new score stand apart: none covers another. A picture
// of the screen is written for the eye.
TEST_F(PaletteScenario, AtTheFirstStartNoPaletteCoversAnother) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const char* const titles[] = {"Main", "Staff Tools", "Notes", "Graphics", "Text & Symbols", "Performance"};
    std::vector<ShownWindow> shown;
    for (const char* title : titles) {
        const std::optional<ShownWindow> palette = x_.WindowTitled(title);
        ASSERT_TRUE(palette) << "no " << title << " palette";
        shown.push_back(*palette);
    }
    x_.Settle(Millis{800});
    WritePng(x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()), TestOutputFolder() / "palettes_first_start.png");
    for (size_t i = 0; i < shown.size(); ++i) {
        const ShownWindow& a = shown[i];
        EXPECT_LE(a.x + a.width, x_.ScreenWidth()) << a.title;
        EXPECT_LE(a.y + a.height, x_.ScreenHeight()) << a.title;
        for (size_t j = 0; j < i; ++j) {
            const ShownWindow& b = shown[j];
            const bool overlap = a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
            EXPECT_FALSE(overlap) << a.title << " covers " << b.title;
        }
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A score named when the program starts opens before the frame shows; its palettes
// still stand above the frame.
TEST_F(PaletteScenario, PalettesOfAScoreOpenedAtStartStandAboveTheFrame) {
    ASSERT_TRUE(StartProgram());
    NewScore("2");
    const fs::path score = home_->Documents() / "two.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    EXPECT_EQ(Quit(), 0);
    ASSERT_TRUE(StartProgram({score.string()}));
    ASSERT_TRUE(x_.WaitForWindow("two.ql")) << "the file did not open";
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    ASSERT_TRUE(main) << "no Main palette";
    x_.Settle(Millis{1000});
    EXPECT_GT(PixelsOf(x_.Grab(*main), kPressedColour), 20 * 20) << "the Main palette is hidden by the frame";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
