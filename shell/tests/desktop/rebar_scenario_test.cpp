// The frame's main bar on the desktop: its bands show across the top of the
// frame (pictured for the eye), and a band the settings hide is saved hidden at
// exit and stays hidden over a restart. Undo on the Edit band is gray until an
// edit and in ink after it; Toolbar Options takes the Edit band off the bar; the
// View menu's small toolbars item makes the buttons large and is saved.
#include <fstream>
#include <optional>
#include <string_view>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

// The marks: Undo in blue, dimmed when it is gray (New and Open on the File band,
// always usable, share that blue); Cut and Clear in red, dimmed or not. No other
// band has these colours.
constexpr uint32_t kUndoInk = 0x1E5AAA;
constexpr uint32_t kUndoGray = 0xBEFAAA;
constexpr uint32_t kEditRed = 0xBE3228;
constexpr uint32_t kEditRedGray = 0xBEB2A8;

int PixelsOf(const ScreenPicture& picture, uint32_t colour) {
    int count = 0;
    for (uint32_t p : picture.pixels) count += (p & 0xFFFFFF) == colour;
    return count;
}

// The saved value of the key, as the settings file holds it.
std::string SavedValue(const fs::path& settings, const std::string& key) {
    std::ifstream in(settings);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return {};
}

TEST_F(DesktopScenario, TheBarShowsItsBandsAndAHiddenBandStaysHidden) {
    WriteSettings("[ToolbarSettings]\nKeepMainToolBar=1\nEditToolbar=0\n");
    const std::optional<ShownWindow> frame = StartProgram();
    ASSERT_TRUE(frame);
    x_.Settle(Millis{500});
    const ScreenPicture top = x_.Grab(frame->x, frame->y, frame->width, std::min(frame->height, 160));
    WritePng(top, TestOutputFolder() / "main_bar.png");
    EXPECT_GT(PixelsOf(top, kBarColour), 2000) << "no bar across the top of the frame";
    ASSERT_EQ(Quit(), 0);
    // The Edit band is saved in its place with the hidden bit (8) in its style.
    EXPECT_EQ(SavedValue(home_->Settings(), "RBand1"), "1002,314,172");
    ASSERT_TRUE(StartProgram());
    ASSERT_EQ(Quit(), 0);
    EXPECT_EQ(SavedValue(home_->Settings(), "RBand1"), "1002,314,172");
    EXPECT_EQ(SavedValue(home_->Settings(), "EditToolbar"), "0");
}

class RebarStateScenario : public MusicBesidePalettes {
  protected:
    static constexpr int kBarPictureHeight = 200;
    
    ScreenPicture Bar() const {
        const ShownWindow frame = Frame();
        return x_.Grab(frame.x, frame.y, frame.width, std::min(frame.height, kBarPictureHeight));
    }
};

TEST_F(RebarStateScenario, UndoFollowsTheScoreAndToolbarOptionsTakesTheEditBandAway) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ASSERT_TRUE(WaitFor([&] { return Titled("Main").has_value(); }));
    x_.Settle(Millis{800});
    const ScreenPicture fresh = Bar();
    WritePng(fresh, TestOutputFolder() / "main_bar_undo_gray.png");
    EXPECT_GT(PixelsOf(fresh, kUndoGray), 20) << "Undo is not gray with nothing to undo";
    EXPECT_GT(PixelsOf(fresh, kUndoInk), 0) << "the File band's marks are missing";
    const int inkBefore = PixelsOf(fresh, kUndoInk);

    // A note entered with the Notes tool of the floating Main palette.
    const ShownWindow main = *Titled("Main");
    x_.Click(main.x + 1 + kPaletteCell + 18, main.y + 1 + 18);
    x_.Settle(Millis{500});
    const ShownWindow frame = Frame();
    const ScreenPicture screen = x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight());
    std::vector<int> lines = screen.LongDarkLines(frame.x + 120, 40, main.x - 80, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 5u) << "no staff";
    const int noteX = (frame.x + 120 + main.x - 80) / 2;
    const int space = (lines[2] + lines[3]) / 2;
    x_.MovePointer(noteX, space - 6);
    x_.Settle(Millis{300});
    x_.Click(noteX, space);
    EXPECT_TRUE(WaitFor([&] { return PixelsOf(Bar(), kUndoGray) == 0; }, Millis{5000})) << "Undo stayed gray";
    const ScreenPicture edited = Bar();
    WritePng(edited, TestOutputFolder() / "main_bar_undo_ink.png");
    EXPECT_GT(PixelsOf(edited, kUndoInk), inkBefore) << "Undo is not in ink after an edit";

    // View > Toolbar Options: Edit unticked (the ninth stop after OK, past Cancel and
    // Help), OK.
    ChooseMenuItem('v', 't');
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Toolbar Options");
    ASSERT_TRUE(dialog) << "View > Toolbar Options showed no dialog";
    x_.PointAt(*dialog);
    x_.Settle(Millis{300});
    for (int i = 0; i < 9; ++i) x_.PressKey("Tab");
    x_.PressKey("space");
    x_.Settle(Millis{200});
    WritePng(x_.Grab(*dialog), TestOutputFolder() / "toolbar_options_edit_off.png");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Toolbar Options"));
    EXPECT_TRUE(WaitFor([&] {
        const ScreenPicture bar = Bar();
        return PixelsOf(bar, kEditRed) + PixelsOf(bar, kEditRedGray) + PixelsOf(bar, kUndoGray) == 0;
    }, Millis{5000})) << "the Edit band is still on the bar";
    const ScreenPicture without = Bar();
    WritePng(without, TestOutputFolder() / "main_bar_without_edit.png");
    EXPECT_GT(PixelsOf(without, kUndoInk), 0) << "the File band went too";
    EXPECT_EQ(QuitWithoutSaving(), 0);
    EXPECT_EQ(SavedValue(home_->Settings(), "EditToolbar"), "0");
}

// View > Use Small Toolbars, on by default: off, the bands are made again with the
// large buttons (more of the File band's blue marks), and "SmallToolBars" is saved 0.
TEST_F(RebarStateScenario, UseSmallToolbarsGivesTheBandsLargeButtonsAndIsSaved) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ASSERT_TRUE(WaitFor([&] { return Titled("Main").has_value(); }));
    x_.Settle(Millis{800});
    const int smallInk = PixelsOf(Bar(), kUndoInk);
    ASSERT_GT(smallInk, 0) << "the File band's marks are missing";
    ChooseMenuItem('v', 'b');
    EXPECT_TRUE(WaitFor([&] { return PixelsOf(Bar(), kUndoInk) > smallInk * 3 / 2; }, Millis{5000}))
        << "the bands kept their small buttons";
    WritePng(Bar(), TestOutputFolder() / "main_bar_large_buttons.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
    EXPECT_EQ(SavedValue(home_->Settings(), "SmallToolBars"), "0");
}

}  // namespace
}  // namespace ql::desktop
