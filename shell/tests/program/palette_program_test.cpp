// The program's tool palettes: made hidden at start-up, shown with a score window
// in page view and hidden when the last one closes, and their places written at
// exit and read back by the next run; a pop-up opened for one choice closes when
// the frame is activated again; over a palette the pointer shows the arrow, over
// the score the armed tool's cursor.
#include <gtest/gtest.h>

#include <array>

#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/view_modes.h"
#include "editing/palette_windows.h"
#include "editing/tool_dispatch.h"
#include "platform/gfx/bitmap.h"
#include "platform/win/activation.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "editing/tools.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/rebar/main_rebar.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using PaletteProgramTest = testing::ProgramFixture;

bool Visible(int palette) {
    return win::IsWindowVisible(PaletteWindow(palette));
}

// The palettes are made hidden at start-up and show with a score window (a score
// opened from a file as one made new), but for the Main palette, which is in the
// frame's bar; the pop-ups stay hidden, and closing the last score window hides
// the rest.
TEST_F(PaletteProgramTest, PalettesShowWithAScoreWindowAndHideAfterTheLast) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(PaletteWindow(kNotesPalette));
    EXPECT_FALSE(Visible(kMainPalette));
    ASSERT_TRUE(OpenScorePath(WriteScore("x.ql")));
    Pump();
    // The Main palette's tools sit in the frame's bar by default, not in its window.
    EXPECT_FALSE(Visible(kMainPalette));
    EXPECT_TRUE(win::IsWindowVisible(BandToolbar(kMainPaletteBand)));
    EXPECT_TRUE(Visible(kNotesPalette));
    EXPECT_FALSE(Visible(kHeadsPalette));  // a pop-up waits for its opener
    // The scroll view hides them and the page view shows them again.
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(EnterScrollView(view), 0);
    EXPECT_FALSE(Visible(kNotesPalette));
    EnterPageView(view);
    EXPECT_TRUE(Visible(kNotesPalette));
    EXPECT_FALSE(Visible(kHeadsPalette));
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
    // Moved away from the screen's right edge, where the palettes start.
    win::MoveWindow(notes, {r.left - 40, r.top + 30, r.right - 40, r.bottom + 30}, true);
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

// "Use Small Palettes" makes every palette button 24 pixels and the next run starts
// with small palettes; choosing it again gives 36.
TEST_F(PaletteProgramTest, SmallPalettesAreChosenByTheCommandAndKeptForTheNextRun) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_EQ(PaletteButtonSize(), kLargeButtonSize);
    const auto useSmall = [] {
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kUseSmallPalettes, 0), 0);
    };
    useSmall();
    EXPECT_EQ(PaletteButtonSize(), kSmallButtonSize);
    EXPECT_EQ(win::GetWindowRect(PaletteButton(kNotesPalette, 0)).Width(), kSmallButtonSize);
    EXPECT_EQ(CloseAndRun(), 0);

    ResetSettings();
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_EQ(PaletteButtonSize(), kSmallButtonSize);
    EXPECT_EQ(win::GetWindowRect(PaletteButton(kMainPalette, 6)).Width(), kSmallButtonSize);
    useSmall();
    EXPECT_EQ(PaletteButtonSize(), kLargeButtonSize);
    EXPECT_EQ(win::GetWindowRect(PaletteButton(kMainPalette, 6)).Width(), kLargeButtonSize);
    EXPECT_EQ(CloseAndRun(), 0);
    SetPaletteButtonSize(kLargeButtonSize);
}

// The rows of the score window's picture dark along most of a span: staff lines.
std::vector<int> StaffLineRows(platform::WindowHandle window) {
    const platform::BitmapHandle image = win::GetWindowImage(window);
    gfx::BitmapInfo info;
    std::vector<int> rows;
    if (!gfx::GetBitmapInfo(image, &info)) return rows;
    for (int y = 0; y < info.height; ++y) {
        int dark = 0;
        for (int x = info.width / 4; x < info.width / 2; ++x) dark += gfx::GetBitmapPixel(image, x, y) == gfx::kBlack;
        if (dark > info.width / 5 && (rows.empty() || rows.back() != y - 1)) rows.push_back(y);
    }
    return rows;
}

// A press on a Notes button makes the Main palette's Notes tool current and arms
// it; a click on a staff then enters a note of the pressed value.
TEST_F(PaletteProgramTest, ANotesButtonArmsTheNotesToolAndAClickEntersANote) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(OpenScorePath(WriteScore("x.ql")));
    Pump();
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(view, nullptr);
    win::SendMessage(PaletteButton(kNotesPalette, 3), win::Message::LeftButtonDown, 0, 0);
    win::SendMessage(PaletteButton(kNotesPalette, 3), win::Message::LeftButtonUp, 0, 0);
    EXPECT_EQ(PaletteCurrentButton(kNotesPalette), 3);
    EXPECT_EQ(PaletteCurrentButton(kMainPalette), 1);
    EXPECT_EQ(CurrentToolGroup(), ToolGroup::Note);
    ASSERT_NE(State().documents.Selection, nullptr);
    EXPECT_EQ(State().documents.Selection->armed, 1);
    EXPECT_EQ(State().documents.Selection->toolType, 29);

    win::UpdateWindow(view->ViewWindow);
    const std::vector<int> lines = StaffLineRows(view->ViewWindow);
    ASSERT_GE(lines.size(), 5u);
    const auto changes = view->document->changeCounter;
    const intptr_t at = win::PackPoint({win::GetClientRect(view->ViewWindow).Width() * 3 / 8, lines[2]});
    win::SendMessage(view->ViewWindow, win::Message::MouseMove, 0, at);
    win::SendMessage(view->ViewWindow, win::Message::LeftButtonDown, win::kMouseLeftButton, at);
    win::SendMessage(view->ViewWindow, win::Message::LeftButtonUp, 0, at);
    Pump();
    EXPECT_NE(view->document->changeCounter, changes) << "no note entered";
    EXPECT_EQ(CloseAndRun(), 0);
}

// A pop-up opened by its opener stays while the activation goes to it (or to another
// program), and closes when the user goes back to the frame without a choice; a
// pop-up the user moved stays, and so do the ordinary palettes.
TEST_F(PaletteProgramTest, AFlyoutClosesWhenTheFrameIsActivatedAgain) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(OpenScorePath(WriteScore("x.ql")));
    Pump();
    win::SetActiveWindow(Frame().window);
    OpenLinkedPalette(kHeadsPalette);
    ASSERT_TRUE(Visible(kHeadsPalette));
    win::SetActiveWindow(PaletteWindow(kHeadsPalette));
    EXPECT_TRUE(Visible(kHeadsPalette));
    win::SetActiveWindow(platform::WindowHandle{});
    EXPECT_TRUE(Visible(kHeadsPalette));
    win::SetActiveWindow(Frame().window);
    EXPECT_FALSE(Visible(kHeadsPalette));
    EXPECT_TRUE(Visible(kNotesPalette));

    // Moved by the user, it is a palette of its own and stays.
    OpenLinkedPalette(kAccentsPalette);
    const platform::WindowHandle accents = PaletteWindow(kAccentsPalette);
    const win::Rect r = win::GetWindowRect(accents);
    win::MoveWindow(accents, {r.left + 30, r.top + 20, r.right + 30, r.bottom + 20}, true);
    win::SetActiveWindow(accents);
    win::SetActiveWindow(Frame().window);
    EXPECT_TRUE(Visible(kAccentsPalette));
    EXPECT_EQ(CloseAndRun(), 0);
}

// The cursor follows the window under the pointer: a handle's cursor set over the
// score gives way to the arrow over a palette and its buttons; the score itself
// answers with the armed tool's cursor before its mouse handling chooses.
TEST_F(PaletteProgramTest, ThePointerShowsTheArrowOverPalettesAndTheToolsCursorOverTheScore) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(OpenScorePath(WriteScore("x.ql")));
    Pump();
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(view, nullptr);
    const win::CursorHandle arrow = win::LoadSystemCursor(win::SystemCursor::Arrow);
    const win::CursorHandle handle = win::LoadSystemCursor(win::SystemCursor::SizeNs);
    win::SetCursor(handle);
    win::headless::PostMouse(PaletteButton(kNotesPalette, 2), win::Message::MouseMove, {3, 3});
    Pump();
    EXPECT_EQ(win::GetCursor(), arrow);
    win::SetCursor(handle);
    win::headless::PostMouse(PaletteWindow(kNotesPalette), win::Message::MouseMove, {0, 0});
    Pump();
    EXPECT_EQ(win::GetCursor(), arrow);

    const win::CursorHandle tool = win::LoadSystemCursor(win::SystemCursor::Cross);
    State().documents.Selection->toolCursor = tool;
    win::SendSetCursor(view->ViewWindow, {40, 40}, win::Message::MouseMove);
    EXPECT_EQ(win::GetCursor(), tool);
    EXPECT_EQ(CloseAndRun(), 0);
}

// A score window without the keyboard (the focus on a palette, then on the main
// bar) shows the arrow while the pointer moves over it, and its view hears nothing of
// the move (the move a warp left to ignore is still to come); with the focus back
// the tool's cursor shows and the view takes the move. A click into the window
// gives it the keyboard back.
TEST_F(PaletteProgramTest, AScoreWindowWithoutTheKeyboardShowsTheArrow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(OpenScorePath(WriteScore("x.ql")));
    Pump();
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(view, nullptr);
    const platform::WindowHandle score = view->ViewWindow;
    ASSERT_EQ(win::GetFocus(), score);
    const win::CursorHandle arrow = win::LoadSystemCursor(win::SystemCursor::Arrow);
    const win::CursorHandle tool = win::LoadSystemCursor(win::SystemCursor::Cross);
    State().documents.Selection->toolCursor = tool;
    uint8_t& skipped = State().locate.SkipNextMouseMove;

    for (const platform::WindowHandle elsewhere : {PaletteWindow(kNotesPalette), MainRebarWindow()}) {
        win::SetFocus(elsewhere);
        ASSERT_EQ(win::GetFocus(), elsewhere);
        win::SetCursor(tool);
        skipped = 1;
        win::headless::PostMouse(score, win::Message::MouseMove, {40, 40});
        Pump();
        EXPECT_EQ(win::GetCursor(), arrow);
        EXPECT_EQ(skipped, 1) << "the view heard the move";
    }

    win::SetFocus(score);
    skipped = 1;  // the view takes the move as one to ignore: the tool keeps its cursor
    win::headless::PostMouse(score, win::Message::MouseMove, {41, 40});
    Pump();
    EXPECT_EQ(win::GetCursor(), tool);
    EXPECT_EQ(skipped, 0) << "the view did not take the move";

    // A press gives the active window the keyboard back.
    win::SetFocus(PaletteWindow(kNotesPalette));
    win::headless::PostMouse(score, win::Message::RightButtonDown, {42, 40});
    win::headless::PostMouse(score, win::Message::RightButtonUp, {42, 40});
    Pump();
    EXPECT_EQ(win::GetFocus(), score);
    EXPECT_EQ(CloseAndRun(), 0);
}

}  // namespace
}  // namespace ql
