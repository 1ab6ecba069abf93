// The palette windows on the headless layer: first placement from the saved
// values, showing and hiding, a press arming the tool, a border drag re-shaping
// the grid, group moves and the places written at shutdown read back.
#include <gtest/gtest.h>

#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/ui/tool_services.h"
#include "editing/palette_positions.h"
#include "editing/palette_windows.h"
#include "editing/tools.h"
#include "platform/sys/settings_store.h"
#include "platform/tests/sys/scratch_folder.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using platform::WindowHandle;

class PaletteWindowsTest : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        ResetProgramState();
        win::headless::SetScreenSize({1280, 1024});
        sys::OpenProgramSettings(scratch / "config");
        win::WindowClass frameClass;
        frameClass.name = "TestFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams params;
        params.className = "TestFrame";
        params.style = win::kStyleOverlappedWindow;
        frame = win::CreateWindow(params);
    }
    void TearDown() override {
        DestroyToolPalettes();
        sys::CloseProgramSettings();
        FreshWindowLayer::TearDown();
    }
    static void Press(WindowHandle button) {
        win::SendMessage(button, win::Message::LeftButtonDown, 0, win::PackPoint({3, 3}));
        win::SendMessage(button, win::Message::LeftButtonUp, 0, win::PackPoint({3, 3}));
    }
    static PaletteSize OuterSize(int palette) {
        const win::Rect r = win::GetWindowRect(PaletteWindow(palette));
        return {r.Width(), r.Height()};
    }

    testing::ScratchFolder scratch;
    WindowHandle frame;
};

TEST_F(PaletteWindowsTest, SavedShapeTooLargeCentresMainAndPalettesShowWithAScore) {
    ASSERT_EQ(WriteSettingText(kPaletteWriteSection, "OTool", "10,20,9,9"), kSettingsOk);
    ASSERT_TRUE(CreateToolPalettes(frame));
    const PalettePosition main = *PalettePlace(kMainPalette);
    EXPECT_EQ(main.columns, 7);
    EXPECT_EQ(main.rows, 1);
    EXPECT_EQ(main.x, (1280 - OuterSize(kMainPalette).width) / 2);
    EXPECT_EQ(win::GetWindowText(PaletteWindow(kNotesPalette)), "Notes");
    EXPECT_TRUE(win::HasClassName(PaletteWindow(kNotesPalette), kPaletteClass));
    EXPECT_EQ(win::GetOwner(PaletteWindow(kNotesPalette)), frame);
    EXPECT_NE(win::GetExtendedStyle(PaletteWindow(kNotesPalette)) & win::kExStyleToolWindow, 0u);
    EXPECT_EQ(PaletteCurrentButton(kNotesPalette), 4);

    for (int p = 0; p < kPaletteCount; ++p) EXPECT_FALSE(win::IsWindowVisible(PaletteWindow(p)));
    ShowAllPalettes();
    for (int p = 0; p < kPaletteCount; ++p)
        EXPECT_EQ(win::IsWindowVisible(PaletteWindow(p)), p < kDynamicsPalette) << p;
    HideAllPalettes();
    for (int p = 0; p < kPaletteCount; ++p) EXPECT_FALSE(win::IsWindowVisible(PaletteWindow(p)));
}

TEST_F(PaletteWindowsTest, PressOnANotesButtonMakesItCurrentAndSelectsTheEntry) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    Press(PaletteButton(kNotesPalette, 2));
    EXPECT_EQ(PaletteCurrentButton(kNotesPalette), 2);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 2);
    // The button-down alone presses; a release on another button does not.
    win::SendMessage(PaletteButton(kNotesPalette, 5), win::Message::LeftButtonDown, 0, 0);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 5);
    win::SendMessage(PaletteButton(kNotesPalette, 6), win::Message::LeftButtonUp, 0, 0);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 5);
    SelectToolButtonByKey(nullptr, kNotesPalette, 3);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 3);
    Press(PaletteButton(kStaffToolsPalette, 7));
    EXPECT_EQ(PaletteCurrentButton(kStaffToolsPalette), 7);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 3);
}

TEST_F(PaletteWindowsTest, RightBorderDragOfNotesRegridsAndFitsTheWindow) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    const WindowHandle notes = PaletteWindow(kNotesPalette);
    const win::Rect before = win::GetWindowRect(notes);
    const int chrome = before.Width() - win::GetClientRect(notes).Width();
    BeginPaletteBorderDrag(notes, PaletteBorder::Right);
    win::MoveWindow(notes, {before.left, before.top, before.left + 90 + chrome, before.bottom}, true);
    EXPECT_EQ(PalettePlace(kNotesPalette)->columns, 2);
    EXPECT_EQ(PalettePlace(kNotesPalette)->rows, 8);
    EXPECT_EQ(win::GetClientRect(notes).Width(), PaletteClientSize({2, 8}, 36).width);
    EXPECT_EQ(win::GetClientRect(notes).Height(), PaletteClientSize({2, 8}, 36).height);
    const win::Rect last = win::GetWindowRect(PaletteButton(kNotesPalette, 15));
    const win::Point origin = win::ClientToScreen(notes, {0, 0});
    EXPECT_EQ(last.left - origin.x, ButtonCellOrigin(1, 7, 36).x);
    EXPECT_EQ(last.top - origin.y, ButtonCellOrigin(1, 7, 36).y);
    // A size change without a grabbed border is sized back to the grid.
    win::MoveWindow(notes, {before.left, before.top, before.left + 400, before.top + 90}, true);
    EXPECT_EQ(win::GetClientRect(notes).Width(), PaletteClientSize({2, 8}, 36).width);
}

TEST_F(PaletteWindowsTest, MovingMainMovesTheOthersAndKeepsEachOnTheScreen) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    const PalettePosition notes = *PalettePlace(kNotesPalette);
    const PalettePosition main = *PalettePlace(kMainPalette);
    const PaletteSize size = OuterSize(kMainPalette);
    win::MoveWindow(PaletteWindow(kMainPalette),
                    {main.x + 30, main.y + 40, main.x + 30 + size.width, main.y + 40 + size.height},
                    true);
    EXPECT_EQ(PalettePlace(kNotesPalette)->x, notes.x + 30);
    EXPECT_EQ(PalettePlace(kNotesPalette)->y, notes.y + 40);
    win::MoveWindow(PaletteWindow(kMainPalette), {main.x + 30, 5000, main.x + 30 + size.width,
                                                  5000 + size.height}, true);
    for (int p = 1; p < kPaletteCount; ++p) {
        const PalettePosition place = *PalettePlace(p);
        EXPECT_LE(place.y + OuterSize(p).height, 1024) << p;
        EXPECT_GE(place.y, win::GetSystemMetric(win::SystemMetric::CaptionHeight)) << p;
    }
    // Moving a palette with no group moves nothing else.
    const PalettePosition heads = *PalettePlace(kHeadsPalette);
    const PalettePosition graphics = *PalettePlace(kGraphicsPalette);
    const PaletteSize g = OuterSize(kGraphicsPalette);
    win::MoveWindow(PaletteWindow(kGraphicsPalette),
                    {graphics.x + 5, graphics.y, graphics.x + 5 + g.width, graphics.y + g.height}, true);
    EXPECT_EQ(*PalettePlace(kHeadsPalette), heads);
}

TEST_F(PaletteWindowsTest, PlacesWrittenAtShutdownReadBackAtTheNextStart) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    const WindowHandle notes = PaletteWindow(kNotesPalette);
    const win::Rect before = win::GetWindowRect(notes);
    const int chrome = before.Width() - win::GetClientRect(notes).Width();
    BeginPaletteBorderDrag(notes, PaletteBorder::Right);
    win::MoveWindow(notes, {200, 300, 200 + 90 + chrome, before.bottom - before.top + 300}, true);
    std::array<PalettePosition, kPaletteCount> first;
    for (int p = 0; p < kPaletteCount; ++p) first[static_cast<size_t>(p)] = *PalettePlace(p);
    DestroyToolPalettes();
    sys::CloseProgramSettings();
    sys::OpenProgramSettings(scratch / "config");
    ASSERT_TRUE(CreateToolPalettes(frame));
    for (int p = 0; p < kPaletteCount; ++p) EXPECT_EQ(*PalettePlace(p), first[static_cast<size_t>(p)]) << p;
    EXPECT_EQ(PalettePlace(kNotesPalette)->columns, 2);
}

}  // namespace
}  // namespace ql
