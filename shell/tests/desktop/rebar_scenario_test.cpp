// The frame's main bar on the desktop: its bands show across the top of the
// frame (pictured for the eye), and a band the settings hide is saved hidden at
// exit and stays hidden over a restart.
#include <fstream>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kBarColour = 0xD6D6D6;  // the bar behind its bands

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

}  // namespace
}  // namespace ql::desktop
