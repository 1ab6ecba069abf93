// The palette buttons' faces: every strip loads at the sizes of the range table, a
// button shows its face ORed onto its background (pressed or not), a strip that
// cannot be read leaves the face blank, and ShowAllPalettes shows again exactly
// what HideAllPalettes hid.
#include <gtest/gtest.h>

#include "core/state.h"
#include "core/ui/dialog_tooltips.h"
#include "editing/palette_faces.h"
#include "editing/palette_windows.h"
#include "editing/tool_bitmaps.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"
#include "platform/tests/sys/scratch_folder.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/tooltips.h"
#include "platform/win/message_loop.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using platform::WindowHandle;

class PaletteFacesTest : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        ResetProgramState();
        FreeToolBitmaps();
        win::headless::SetScreenSize({1280, 1024});
        win::WindowClass frameClass;
        frameClass.name = "FacesFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams params;
        params.className = "FacesFrame";
        params.style = win::kStyleOverlappedWindow;
        frame = win::CreateWindow(params);
    }
    void TearDown() override {
        SetPaletteButtonSize(kLargeButtonSize);
        DestroyToolPalettes();
        FreeToolBitmaps();
        sys::SetProgramFolder({});
        FreshWindowLayer::TearDown();
    }
    // The button's pixels after it painted itself.
    static std::vector<gfx::Colour> Painted(int palette, int index) {
        const WindowHandle button = PaletteButton(palette, index);
        win::InvalidateRect(button, nullptr, true);
        win::UpdateWindow(button);
        return gfx::ReadBitmapPixels(win::GetWindowImage(button));
    }

    static void Press(WindowHandle button) {
        win::SendMessage(button, win::Message::LeftButtonDown, 0, win::PackPoint({3, 3}));
        win::SendMessage(button, win::Message::LeftButtonUp, 0, win::PackPoint({3, 3}));
    }

    WindowHandle frame;
};

TEST_F(PaletteFacesTest, EveryStripLoadsAtTheSizesOfTheTable) {
    for (const ToolBitmapRange& range : ToolBitmapRanges()) {
        const bool page = range.first == 242;
        const bool arrows = range.first == 256;
        const int width = page ? 17 : arrows ? 8 : kLargeButtonSize;
        const int height = page ? 22 : arrows ? 15 : kLargeButtonSize;
        gfx::BitmapInfo info;
        ASSERT_TRUE(gfx::GetBitmapInfo(ToolStripBitmap(range.largeStrip), &info)) << range.largeStrip;
        EXPECT_EQ(info.width, width * range.count) << range.largeStrip;
        EXPECT_EQ(info.height, height) << range.largeStrip;
        if (range.smallStrip == 0) continue;
        ASSERT_TRUE(gfx::GetBitmapInfo(ToolStripBitmap(range.smallStrip), &info)) << range.smallStrip;
        EXPECT_EQ(info.width, kSmallButtonSize * range.count);
        EXPECT_EQ(info.height, kSmallButtonSize);
    }
    gfx::BitmapInfo mark;
    ASSERT_TRUE(gfx::GetBitmapInfo(ToolStripBitmap(kToolMarkBitmap), &mark));
    EXPECT_EQ(mark.width, 10);
    EXPECT_EQ(mark.height, 9);
    // The double whole note of the lookup's example is drawn: its face has ink.
    const ToolBitmapPlace breve = GetToolBitmap(36, 31, 1);
    int ink = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 36; ++x)
            ink += gfx::GetBitmapPixel(breve.bitmap, breve.position * 36 + x, y) != gfx::kBlack;
    EXPECT_GT(ink, 30);
}

// Each pixel of a button is its background ORed with the face's pixel, and faces
// differ from one button to the next.
TEST_F(PaletteFacesTest, AButtonShowsItsFaceOredOntoItsBackground) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    ShowAllPalettes();
    const platform::BitmapHandle strip = gfx::LoadPng(
        (sys::ProgramFolder() / kToolFaceFolder / "448.png").string());
    ASSERT_TRUE(strip);
    for (int index : {3, 4, 14}) {  // quarter note; the eighth, current at start; sharp
        const std::vector<gfx::Colour> pixels = Painted(kNotesPalette, index);
        ASSERT_EQ(pixels.size(), 36u * 36u);
        const gfx::Colour background = index == PaletteCurrentButton(kNotesPalette)
                                           ? kPressedPaletteButtonColour
                                           : kPaletteButtonColour;
        int ink = 0;
        int wrong = 0;
        for (int y = 1; y < 35; ++y)  // inside the pressed button's frame
            for (int x = 1; x < 35; ++x) {
                const gfx::Colour face = gfx::GetBitmapPixel(strip, index * 36 + x, y);
                ink += face != gfx::kBlack;
                wrong += pixels[static_cast<size_t>(y * 36 + x)] != (background | face);
            }
        EXPECT_GT(ink, 30) << index;
        EXPECT_EQ(wrong, 0) << index;
    }
    EXPECT_NE(Painted(kNotesPalette, 3), Painted(kNotesPalette, 5));
    gfx::DeleteObject(strip);
}

// Pixels of a button that differ from `background | face` inside the pressed
// button's frame, the face read from `strip` at image `image` of `size` pixels.
int WrongPixels(const std::vector<gfx::Colour>& pixels, platform::BitmapHandle strip, int image, int size,
                gfx::Colour background) {
    int wrong = 0;
    for (int y = 1; y < size - 1; ++y)
        for (int x = 1; x < size - 1; ++x)
            wrong += pixels[static_cast<size_t>(y * size + x)] !=
                     (background | gfx::GetBitmapPixel(strip, image * size + x, y));
    return wrong;
}

// Small palettes: every button is 24 pixels on a 25-pixel grid, each window fits
// its grid, and the faces come from the small strips; back at 36 all is as before.
TEST_F(PaletteFacesTest, SmallPalettesLayTheirGridAndFacesAtTwentyFourPixels) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    ShowAllPalettes();
    const win::Rect large = win::GetWindowRect(PaletteWindow(kNotesPalette));
    SetPaletteButtonSize(kSmallButtonSize);
    EXPECT_EQ(PaletteButtonSize(), kSmallButtonSize);
    for (int palette : {kMainPalette, kNotesPalette, kOrnamentsPalette}) {
        const PalettePosition place = *PalettePlace(palette);
        const PaletteSize grid = PaletteClientSize({place.columns, place.rows}, kSmallButtonSize);
        const win::Rect client = win::GetClientRect(PaletteWindow(palette));
        EXPECT_EQ(client.Width(), grid.width) << palette;
        EXPECT_EQ(client.Height(), grid.height) << palette;
    }
    // Notes button 6 of a 4-column grid: column 2, row 1.
    const win::Rect cell = win::GetWindowRect(PaletteButton(kNotesPalette, 6));
    const win::Point origin = win::ScreenToClient(PaletteWindow(kNotesPalette), {cell.left, cell.top});
    EXPECT_EQ(origin, (win::Point{2 * 25 + 1, 25 + 1}));
    EXPECT_EQ(cell.Width(), kSmallButtonSize);
    const win::Rect small = win::GetWindowRect(PaletteWindow(kNotesPalette));
    EXPECT_EQ(small.left, large.left);
    EXPECT_EQ(small.top, large.top);

    const platform::BitmapHandle strip =
        gfx::LoadPng((sys::ProgramFolder() / kToolFaceFolder / "445.png").string());
    ASSERT_TRUE(strip);
    const std::vector<gfx::Colour> quarter = Painted(kNotesPalette, 3);
    ASSERT_EQ(quarter.size(), 24u * 24u);
    EXPECT_EQ(WrongPixels(quarter, strip, 3, kSmallButtonSize, kPaletteButtonColour), 0);
    gfx::DeleteObject(strip);

    SetPaletteButtonSize(kLargeButtonSize);
    EXPECT_EQ(win::GetWindowRect(PaletteWindow(kNotesPalette)), large);
    EXPECT_EQ(Painted(kNotesPalette, 3).size(), 36u * 36u);
}

// A Control-click marks Notes buttons 7 to 12: the mark is ORed at (2, 2) and a
// second Control-click takes it away; the current button and the tool stay. On any
// other button a Control-click does nothing.
TEST_F(PaletteFacesTest, AControlClickMarksOnlyNotesButtonsSevenToTwelve) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    ShowAllPalettes();
    const std::vector<gfx::Colour> plain = Painted(kNotesPalette, 8);
    win::headless::SetKeyDown(win::Key::Control, true);
    Press(PaletteButton(kNotesPalette, 8));  // Toggle Dots
    Press(PaletteButton(kNotesPalette, 3));  // a note value: no mark
    Press(PaletteButton(kGraphicsPalette, 2));
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_EQ(PaletteCurrentButton(kNotesPalette), 4);
    EXPECT_EQ(PaletteCurrentButton(kGraphicsPalette), 0);
    EXPECT_EQ(ToolRecordOf(kNotesPalette, 8)->marked, 1);
    EXPECT_EQ(ToolRecordOf(kNotesPalette, 3)->marked, 0);
    EXPECT_EQ(ToolRecordOf(kGraphicsPalette, 2)->marked, 0);

    const platform::BitmapHandle mark = ToolStripBitmap(kToolMarkBitmap);
    ASSERT_TRUE(mark);
    const std::vector<gfx::Colour> marked = Painted(kNotesPalette, 8);
    int changed = 0;
    int wrong = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 36; ++x) {
            const size_t i = static_cast<size_t>(y * 36 + x);
            const bool inMark = x >= 2 && x < 12 && y >= 2 && y < 11;
            const gfx::Colour expected =
                inMark ? plain[i] | gfx::GetBitmapPixel(mark, x - 2, y - 2) : plain[i];
            wrong += marked[i] != expected;
            changed += marked[i] != plain[i];
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(changed, 10) << "no mark drawn";

    win::headless::SetKeyDown(win::Key::Control, true);
    Press(PaletteButton(kNotesPalette, 8));
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_EQ(ToolRecordOf(kNotesPalette, 8)->marked, 0);
    EXPECT_EQ(Painted(kNotesPalette, 8), plain);
    // Without Control the same button is pressed as usual.
    Press(PaletteButton(kNotesPalette, 8));
    EXPECT_EQ(PaletteCurrentButton(kNotesPalette), 8);
}

TEST_F(PaletteFacesTest, AStripThatFailsToLoadLeavesTheFaceBlank) {
    testing::ScratchFolder empty;
    sys::SetProgramFolder(empty.Path());
    ASSERT_TRUE(CreateToolPalettes(frame));
    ShowAllPalettes();
    EXPECT_FALSE(GetToolBitmap(36, 15, 3).bitmap);
    const std::vector<gfx::Colour> pixels = Painted(kNotesPalette, 3);
    ASSERT_FALSE(pixels.empty());
    for (gfx::Colour pixel : pixels) ASSERT_EQ(pixel, kPaletteButtonColour);
}

// The Notes palette's faces follow its note or rest mode, and note entry reads the
// strips the buttons show.
TEST_F(PaletteFacesTest, NotesFacesFollowTheNoteOrRestMode) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 3).bitmapId, 15);
    DrawToolButtonPressed(nullptr, kNotesPalette, 0);  // Toggle Note/Rest
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 3).bitmapId, 33);
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 0).bitmapId, 31);
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 1).bitmapId, 32);
    EXPECT_EQ(State().notes.NoteTools.strips[3], 33);
    EXPECT_EQ(PaletteCurrentButton(kNotesPalette), 4);  // a momentary button stays unselected
    DrawToolButtonPressed(nullptr, kNotesPalette, 0);
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 3).bitmapId, 15);
    EXPECT_EQ(State().notes.NoteTools.strips[0], 15);
    EXPECT_EQ(PaletteButtonFace(kStaffToolsPalette, 4).imageIndex, 5);  // Key Signature
    EXPECT_EQ(PaletteButtonFace(kStaffToolsPalette, 5).imageIndex, 4);
    EXPECT_EQ(PaletteButtonFace(kMainPalette, 7).bitmapId, 0);  // Main has seven buttons
}

TEST_F(PaletteFacesTest, ShowAllShowsAgainWhatTheLastHideHid) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    ShowAllPalettes();
    win::ShowWindow(PaletteWindow(kHeadsPalette), win::ShowCommand::ShowNoActivate);  // opened
    win::ShowWindow(PaletteWindow(kGraphicsPalette), win::ShowCommand::Hide);        // closed
    HideAllPalettes();
    HideAllPalettes();  // hiding again keeps the record
    for (int p = 0; p < kPaletteCount; ++p) EXPECT_FALSE(win::IsWindowVisible(PaletteWindow(p)));
    ShowAllPalettes();
    for (int p = 0; p < kPaletteCount; ++p) {
        const bool expected = p == kHeadsPalette || (p < kDynamicsPalette && p != kGraphicsPalette);
        EXPECT_EQ(win::IsWindowVisible(PaletteWindow(p)), expected) << p;
    }
}

// One tooltip window of the frame serves every button: 300 ms after the pointer
// rests on a button its tooltip text shows; buttons without a text show none.
TEST_F(PaletteFacesTest, ButtonsShareOneTooltipWindowOfTheFrame) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    ShowAllPalettes();
    const WindowHandle tip = PaletteTooltipWindow();
    ASSERT_TRUE(tip);
    EXPECT_EQ(win::GetOwner(tip), frame);
    EXPECT_EQ(ui::GetTooltipInitialDelay(tip), kPaletteTooltipDelayMs);
    const WindowHandle heads = PaletteButton(kNotesPalette, 7);
    win::SendMessage(heads, win::Message::MouseMove, 0, 0);
    win::headless::AdvanceClock(kPaletteTooltipDelayMs - 1);
    win::PumpMessages();
    EXPECT_FALSE(win::IsWindowVisible(tip));
    win::headless::AdvanceClock(1);
    win::PumpMessages();
    EXPECT_TRUE(win::IsWindowVisible(tip));
    EXPECT_EQ(win::GetWindowText(tip), "Note Heads...");
    EXPECT_EQ(ui::GetTooltipToolText(tip, PaletteButton(kMainPalette, 5)), "Pointer (Right Click for Toolbar)");
    EXPECT_EQ(ui::GetTooltipToolText(tip, PaletteButton(kNotesPalette, 3)), "");  // a note value
}

// The right button hides a palette, which then opens as a pop-up; never Main.
TEST_F(PaletteFacesTest, RightButtonHidesAPaletteButNeverMain) {
    ASSERT_TRUE(CreateToolPalettes(frame));
    ShowAllPalettes();
    win::SendMessage(PaletteButton(kMainPalette, 2), win::Message::RightButtonDown, 0, 0);
    EXPECT_TRUE(win::IsWindowVisible(PaletteWindow(kMainPalette)));
    EXPECT_EQ(PaletteCurrentButton(kMainPalette), 5);  // the right button presses nothing
    win::SendMessage(PaletteButton(kGraphicsPalette, 2), win::Message::RightButtonDown, 0, 0);
    EXPECT_FALSE(win::IsWindowVisible(PaletteWindow(kGraphicsPalette)));
    EXPECT_EQ(PaletteCurrentButton(kGraphicsPalette), 0);
}

// A dialog's tooltip window is its own; its controls are found by id.
TEST_F(PaletteFacesTest, DialogTooltipsNameTheirControlsById) {
    ui::RegisterControlClasses();
    win::WindowParams button;
    button.className = ui::kButtonClass;
    button.style = win::kStyleChild | win::kStyleVisible;
    button.parent = frame;
    button.id = 12;
    const WindowHandle control = win::CreateWindow(button);
    const WindowHandle tip = AddDialogTooltip(frame);
    ASSERT_TRUE(tip);
    EXPECT_EQ(win::GetOwner(tip), frame);
    EXPECT_TRUE(AddDialogTooltipText(tip, frame, 12, "Reset the values"));
    EXPECT_EQ(ui::GetTooltipToolText(tip, control), "Reset the values");
    EXPECT_FALSE(AddDialogTooltipText(tip, frame, 13, "no such control"));
    EXPECT_FALSE(AddDialogTooltip(WindowHandle{}));
}

}  // namespace
}  // namespace ql
