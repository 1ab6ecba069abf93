// The program's tool palettes: made hidden at start-up, shown with a score window
// in page view and hidden when the last one closes, and their places written at
// exit and read back by the next run.
#include <gtest/gtest.h>

#include <array>

#include "editing/palette_windows.h"
#include "editing/tools.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using PaletteProgramTest = testing::ProgramFixture;

bool Visible(int palette) {
    return win::IsWindowVisible(PaletteWindow(palette));
}

// The palettes are made at start-up and wait hidden beside a score window; shown,
// the pop-ups stay hidden, and closing the last score window hides the rest.
TEST_F(PaletteProgramTest, PalettesShownBesideAScoreHideAfterTheLastWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(PaletteWindow(kNotesPalette));
    EXPECT_FALSE(Visible(kMainPalette));
    ASSERT_TRUE(OpenScorePath(WriteScore("x.ql")));
    Pump();
    EXPECT_FALSE(Visible(kMainPalette));
    ShowAllPalettes();
    EXPECT_TRUE(Visible(kMainPalette));
    EXPECT_TRUE(Visible(kNotesPalette));
    EXPECT_FALSE(Visible(kHeadsPalette));  // a pop-up waits for its opener
    for (platform::WindowHandle window : WindowsOfDocument(State().documents.CurrentDocument))
        ForceCloseScoreWindow(window);
    Pump();
    EXPECT_FALSE(Visible(kMainPalette));
    EXPECT_EQ(CloseAndRun(), 0);
}

TEST_F(PaletteProgramTest, PlacesWrittenAtExitAreTheNextRunsPlaces) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const platform::WindowHandle notes = PaletteWindow(kNotesPalette);
    const win::Rect r = win::GetWindowRect(notes);
    win::MoveWindow(notes, {r.left + 40, r.top + 30, r.right + 40, r.bottom + 30}, true);
    std::array<PalettePosition, kPaletteCount> first;
    for (int p = 0; p < kPaletteCount; ++p) first[static_cast<size_t>(p)] = *PalettePlace(p);
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_FALSE(PalettePlace(kNotesPalette));

    ResetSettings();
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (int p = 0; p < kPaletteCount; ++p)
        EXPECT_EQ(*PalettePlace(p), first[static_cast<size_t>(p)]) << p;
    EXPECT_EQ(CloseAndRun(), 0);
}

}  // namespace
}  // namespace ql
