// Putting the program back to its start-up state frees what the state owns: the
// scaled music-font cache and the fonts of its entries.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "platform/text/font.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql {
namespace {

constexpr double kHalfSize = 0.5;
constexpr int32_t kHalfHeight = 40;

// A reset deletes every scaled entry with its three fonts, and the cache's head.
TEST(ProgramStateResetFonts, FreesTheScaledFontCacheAndItsFonts) {
    std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
    if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
    ResetProgramState();
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetPreferenceDefaults();
    ASSERT_TRUE(CreateMusicFonts());
    DrawingGlobals& d = State().drawing;
    const platform::FontHandle startUp[] = {d.MusicFont, d.MusicFont75, d.MusicFont65};
    const size_t startUpFonts = text::LiveFontCount();
    d.ScaledFontCache = new ScaledFontEntry{};
    ASSERT_NE(LookupScaledFonts(d.ScaledFontCache, d.MusicFontTemplate, kHalfSize, kHalfHeight),
              nullptr);
    ASSERT_EQ(text::LiveFontCount(), startUpFonts + 3);

    ResetProgramState();
    EXPECT_EQ(State().drawing.ScaledFontCache, nullptr);
    EXPECT_EQ(text::LiveFontCount(), startUpFonts);
    for (platform::FontHandle handle : startUp) EXPECT_TRUE(text::DeleteFont(handle));
}

}  // namespace
}  // namespace ql
