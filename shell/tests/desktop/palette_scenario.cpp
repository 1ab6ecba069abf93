// The tool palettes on the desktop: with a new score the palettes show as windows
// of their own, and a click on a Notes button makes that button the pressed one
// (drawn grey in its frame) in place of the eighth note chosen at start.
#include <filesystem>
#include <fstream>
#include <optional>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

constexpr int kCell = 37;  // a 36-pixel button and its one-pixel gap

bool IsGrey(uint32_t pixel) {
    for (int shift : {0, 8, 16}) {
        const uint32_t channel = (pixel >> shift) & 0xFF;
        if (channel < 0x80 || channel > 0xF0) return false;
    }
    return true;
}

std::optional<ShownWindow> WindowTitled(const XSession& x, std::string_view title) {
    for (int tries = 0; tries < 100; ++tries) {
        for (const ShownWindow& w : x.Windows())
            if (w.title == title) return w;
        x.Settle();
    }
    return std::nullopt;
}

bool GreyAt(const ScreenPicture& picture, int x, int y) {
    return x >= 0 && y >= 0 && x < picture.width && y < picture.height && IsGrey(picture.At(x, y));
}

// The top-left corner of the first grey run found scanning rows top-down: the
// pressed button's cell inside the picture.
std::optional<std::pair<int, int>> PressedCell(const ScreenPicture& picture) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x + 10 < picture.width; ++x)
            if (IsGrey(picture.At(x, y)) && IsGrey(picture.At(x + 10, y))) return std::pair{x, y};
    return std::nullopt;
}

TEST_F(DesktopScenario, PalettesShowWithANewScoreAndAClickPressesANotesButton) {
    // The Notes palette is kept clear of the others by a saved place, as a user
    // who moved it would have it.
    std::filesystem::create_directories(home_->Settings().parent_path());
    std::ofstream(home_->Settings()) << "[ToolbarSettings]\nNTool=700,300,4,4\n";
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = WindowTitled(x_, "Main");
    const std::optional<ShownWindow> notes = WindowTitled(x_, "Notes");
    ASSERT_TRUE(main) << "no Main palette";
    ASSERT_TRUE(notes) << "no Notes palette";

    x_.Settle(Millis{1000});  // the palettes' first paint
    const ScreenPicture before = x_.Grab(*notes);
    const std::optional<std::pair<int, int>> eighth = PressedCell(before);
    ASSERT_TRUE(eighth) << "no pressed button on the Notes palette";
    // The eighth note is button 4: column 0 of the second row.
    const int originX = eighth->first - 1;
    const int originY = eighth->second - 1 - kCell;
    x_.Click(notes->x + originX + 2 * kCell + 18, notes->y + originY + 18);
    x_.Settle(Millis{1000});
    const ScreenPicture after = x_.Grab(*notes);
    EXPECT_TRUE(GreyAt(after, originX + 2 * kCell + 18, originY + 18));
    EXPECT_FALSE(GreyAt(after, originX + 18, originY + kCell + 18));
    if (HasFailure()) WritePicture(after, home_->Root() / "notes_palette.ppm");
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
