// The font chooser on the desktop: Text > Set up QuickFonts, its "Select" button opens
// the desktop's font chooser, a face typed into the chooser's search and taken with
// Enter becomes the quick font's face, OK keeps it, and the saved score holds it.
#include <fstream>
#include <iterator>
#include <string>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

// The face chosen: installed with the system's fonts, in no quick font of a new score.
constexpr char kChosenFace[] = "Liberation Mono";
constexpr char kChooserTitle[] = "Font";
// From the slot combo, where the dialog opens, to "Select"; from "Select" to the
// height edit, where Return presses OK.
constexpr int kTabsToSelect = 1;
constexpr int kTabsToHeight = 4;

class FontChooserScenario : public DesktopScenario {
  protected:
    std::optional<ShownWindow> WaitForChooser() const {
        std::optional<ShownWindow> chooser;
        WaitFor([&] { return (chooser = x_.WindowTitled(kChooserTitle)).has_value(); });
        return chooser;
    }
};

TEST_F(FontChooserScenario, AFaceChosenForAQuickFontIsSavedWithTheScore) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    ChooseMenuItem('t', 'q');
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Setup QuickFonts");
    ASSERT_TRUE(dialog) << "Text > Set up QuickFonts opened no dialog";
    x_.PointAt(*dialog);
    x_.Settle(Millis{500});
    for (int i = 0; i < kTabsToSelect; ++i) x_.PressKey("Tab");
    x_.PressKey("space");
    const std::optional<ShownWindow> chooser = WaitForChooser();
    WritePng(x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()), TestOutputFolder() / "font_chooser_desktop.png");
    ASSERT_TRUE(chooser) << "Select opened no font chooser";
    x_.PointAt(*chooser);
    x_.Settle(Millis{500});
    x_.TypeText(kChosenFace);
    x_.Settle(Millis{800});
    // Down takes the first face the search found, Return chooses it.
    x_.PressKey("Down");
    x_.Settle(Millis{300});
    WritePng(x_.Grab(*chooser), TestOutputFolder() / "font_chooser_search_desktop.png");
    x_.PressKey("Return");
    ASSERT_TRUE(WaitFor([&] { return !x_.WindowTitled(kChooserTitle); })) << "Enter did not take the face";
    ASSERT_TRUE(x_.FindWindow("Setup QuickFonts")) << "the chooser closed the dialog";
    x_.PointAt(*dialog);
    x_.Settle(Millis{300});
    for (int i = 0; i < kTabsToHeight; ++i) x_.PressKey("Tab");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Setup QuickFonts")) << "OK did not close the dialog";

    const fs::path saved = home_->Documents() / "chosen_font.ql";
    ASSERT_TRUE(SaveScoreAs(saved));
    EXPECT_NE(ReadFileBytes(saved).find(kChosenFace), std::string::npos) << "the saved score has no quick font of the face";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
