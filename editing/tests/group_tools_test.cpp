// The Main palette's group buttons showing and hiding their palettes and handing the
// view's messages on to the group palette's current tool; the Zoom tool's right
// click and Shift clicks; the Line button's faces arming straight or wavy lines.
#include <vector>

#include "core/constants.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "display/zoom.h"
#include "editing/group_tools.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tests/editing_fixture.h"
#include "editing/tool_dispatch.h"
#include "editing/tool_records.h"
#include "notes/beatmap/beat_map.h"
#include "objects/graphics/graphic_class.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "core/ui/status_bar.h"
#include "staves/staff_group_bits.h"
#include "core/model/document.h"

namespace ql::testing_editing {
namespace {

constexpr int32_t kGraphicsCommand = kFirstToolGroupCommand + 2;
constexpr int32_t kPointerCommand = kFirstToolGroupCommand + 5;

class GroupToolsTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ASSERT_TRUE(CreateToolPalettes(window_));
        SetCurrentToolGroup(ToolGroup::Pointer);  // as a new score window starts
        UpdateBeatMaps(view_, 1);
        view_->visibleRect = gfx::Rect{-32768, -32768, 32767, 32767};
    }
    void TearDown() override {
        DestroyToolPalettes();
        EditingTest::TearDown();
    }
    static bool Shown(int palette) { return win::IsWindowVisible(PaletteWindow(palette)); }
    static uint8_t ArmedType() { return TheSelectionState()->toolType; }
    // A message of the view at a logical point, as the view hands it to the tools.
    intptr_t Dispatch(win::Message message, int32_t x, int32_t y, uint32_t word = 0) {
        const gfx::Point at = Client(x, y);
        return DispatchToCurrentTool(view_, window_, message, word, win::PackPoint({at.x, at.y}), false);
    }
};

// The group command shows the Graphics palette and arms its current tool (Slur);
// Pointer afterwards hides it again. Clicking the Main buttons does the same.
TEST_F(GroupToolsTest, GraphicsThenPointerShowsAndHidesTheGraphicsPalette) {
    EXPECT_FALSE(Shown(kGraphicsPalette));
    SelectToolButtonByKey(view_, kGraphicsCommand, false);
    EXPECT_TRUE(Shown(kGraphicsPalette));
    EXPECT_EQ(PaletteCurrentButton(kMainPalette), 2);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Slur));
    SelectToolButtonByKey(view_, kPointerCommand, false);
    EXPECT_FALSE(Shown(kGraphicsPalette));
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Selection));

    DrawToolButtonPressed(view_, kMainPalette, 2);
    EXPECT_TRUE(Shown(kGraphicsPalette));
    DrawToolButtonPressed(view_, kMainPalette, 5);
    EXPECT_FALSE(Shown(kGraphicsPalette));
}

// Leaving Performance hides its pop-up Dynamics palette too; other palettes stay.
TEST_F(GroupToolsTest, LeavingPerformanceAlsoHidesDynamics) {
    DrawToolButtonPressed(view_, kMainPalette, 4);
    EXPECT_TRUE(Shown(kPerformancePalette));
    win::ShowWindow(PaletteWindow(kDynamicsPalette), win::ShowCommand::ShowNoActivate);
    win::ShowWindow(PaletteWindow(kNotesPalette), win::ShowCommand::ShowNoActivate);
    DrawToolButtonPressed(view_, kMainPalette, 0);
    EXPECT_FALSE(Shown(kPerformancePalette));
    EXPECT_FALSE(Shown(kDynamicsPalette));
    EXPECT_TRUE(Shown(kNotesPalette));
    EXPECT_TRUE(Shown(kStaffToolsPalette));
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Staff));  // Edit Staff, its first tool
    EXPECT_EQ(TheSelectionState()->secondaryType, TypeCode(ObjectType::Measure));
}

// With Staff Tools current on Main and System Bracket on its palette, a click in the
// view reaches the bracket tool through the group button.
TEST_F(GroupToolsTest, AViewClickReachesTheGroupPalettesCurrentTool) {
    DrawToolButtonPressed(view_, kMainPalette, 0);
    DrawToolButtonPressed(view_, kStaffToolsPalette, 7);
    State().locate.ForceLocationUpdate = 1;
    SetCurrentMeasure(view_, 1, 2);
    EXPECT_EQ(Dispatch(win::Message::LeftButtonDown, view_->currentSystem->x + 3000, view_->staffY - 256), 1);
    EXPECT_TRUE(IsOneStaffGroup(*StaffRecordOf(doc_, 1), GroupKind::Bracket));
}

// The number keys press the buttons of the current group's palette, or of the Main
// palette under Pointer and Zoom: key 7 (index 6) arms the Zoom tool; with Staff Tools
// current, key 1 is Edit Staff.
TEST_F(GroupToolsTest, NumberKeysPressTheGroupsPaletteOrTheMainPalette) {
    SelectToolButtonByKey(view_, 6, false);
    EXPECT_EQ(PaletteCurrentButton(kMainPalette), 6);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Area));
    DrawToolButtonPressed(view_, kMainPalette, 0);
    DrawToolButtonPressed(view_, kStaffToolsPalette, 1);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Stretcher));
    SelectToolButtonByKey(view_, 0, false);
    EXPECT_EQ(PaletteCurrentButton(kStaffToolsPalette), 0);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Staff));
}

// Right click steps one level out; Shift+Ctrl+click stores the level as the preset,
// Shift+click goes to the preset and, at the preset, back to the previous level.
TEST_F(GroupToolsTest, ZoomToolRightClickStepsOutAndShiftCtrlClickStoresThePreset) {
    DrawToolButtonPressed(view_, kMainPalette, 6);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Area));
    const int32_t x = originX_;
    const int32_t y = originY_;
    const int32_t before = view_->zoom;
    EXPECT_EQ(Dispatch(win::Message::RightButtonDown, x, y), 1);
    EXPECT_EQ(view_->zoom, SteppedZoom(before, -1, false, false));
    EXPECT_LT(view_->zoom, before);

    const int32_t stored = view_->zoom;
    EXPECT_EQ(Dispatch(win::Message::LeftButtonDown, x, y, win::kMouseShift | win::kMouseControl), 1);
    EXPECT_EQ(State().display.painter.zoomPreset, stored);
    EXPECT_EQ(view_->zoom, stored);  // storing does not zoom

    SetZoom(view_, 24);
    Dispatch(win::Message::LeftButtonDown, x, y, win::kMouseShift);
    EXPECT_EQ(view_->zoom, stored);
    Dispatch(win::Message::LeftButtonDown, x, y, win::kMouseShift);  // at the preset: back
    EXPECT_EQ(view_->zoom, 24);
}

// Clicking the current Line button steps its face: 182 arms the wavy line, 175 the
// straight one again; the graphic-alternate flag notes the other strip.
TEST_F(GroupToolsTest, TheLineButtonsWavyFaceArmsTheWavyLine) {
    DrawToolButtonPressed(view_, kMainPalette, 2);
    DrawToolButtonPressed(view_, kGraphicsPalette, 8);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Line));
    EXPECT_FALSE(WavyLineArmed());
    DrawToolButtonPressed(view_, kGraphicsPalette, 8);
    EXPECT_EQ(ToolRecordOf(kGraphicsPalette, 8)->bitmapId, 182);
    EXPECT_EQ(ToolRecordOf(kGraphicsPalette, 8)->imageIndex, 8);
    EXPECT_TRUE(WavyLineArmed());
    EXPECT_EQ(State().input.GraphicAlternate, 1);
    DrawToolButtonPressed(view_, kGraphicsPalette, 8);
    EXPECT_EQ(ToolRecordOf(kGraphicsPalette, 8)->bitmapId, 175);
    EXPECT_FALSE(WavyLineArmed());
}

// The curve faces post the Slot26 message for the Graphics strip, Slot27 for the other.
TEST_F(GroupToolsTest, AlternateCurveFacesPostTheirSlotMessages) {
    ToolRecord upward;
    upward.bitmapId = kGraphicsStrip;
    ToolRecord downward;
    downward.bitmapId = 185;
    EXPECT_EQ(AlternateCurveHandler(view_, ToolAction::AlternateChosen, &upward, {}, win::Message::Null, 0, 0), 1);
    EXPECT_EQ(AlternateCurveHandler(view_, ToolAction::AlternateChosen, &downward, {}, win::Message::Null, 0, 0), 1);
    // The private messages among what is queued (paints come while windows are invalid).
    std::vector<uint32_t> posted;
    win::QueuedMessage next;
    for (int n = 0; n < 64 && win::PeekMessage(next); ++n)
        if (next.window == window_ && win::ToRaw(next.message) >= win::kPrivateMessageBase)
            posted.push_back(win::ToRaw(next.message));
    EXPECT_EQ(posted, (std::vector<uint32_t>{0x8002u, 0x8003u}));
}

// MIDI Setup names itself on select and takes moves and clicks; Tie on a score
// without staves answers its select at once and arms nothing.
TEST_F(GroupToolsTest, MidiSetupAndTieSelect) {
    CreateStatusBar(window_);
    EXPECT_EQ(MidiSetupToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0), 1);
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_NE(ui::headless::StatusTexts().back().text.find("MIDI Setup. Click on a staff."), std::string::npos);
    const gfx::Point at = Client(originX_, originY_);
    EXPECT_EQ(MidiSetupToolHandler(view_, ToolAction::Message, nullptr, window_, win::Message::LeftButtonDown, 0,
                                   win::PackPoint({at.x, at.y})),
              1);
    EXPECT_EQ(MidiSetupToolHandler(view_, ToolAction::Message, nullptr, window_, win::Message::KeyDown, 0, 0), 0);

    const uint8_t armed = ArmedType();
    doc_->header.staffCount = 0;
    EXPECT_EQ(TieToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0), 1);
    EXPECT_EQ(ArmedType(), armed);
    doc_->header.staffCount = 1;
    TieToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Tie));
}

// A palette window is kept within a button of the screen's sides and no lower than
// the top of the frame's client area; nothing moves while the frame is hidden.
TEST_F(GroupToolsTest, PlacePaletteWindowKeepsThePaletteReachable) {
    const platform::WindowHandle palette = PaletteWindow(kGraphicsPalette);
    const int button = PaletteButtonSize();
    const int screen = win::GetSystemMetric(win::SystemMetric::ScreenWidth);
    State().dialogs.FrameWindow = window_;
    win::ShowWindow(window_, win::ShowCommand::Show);
    PlacePaletteWindow(palette, -500, -40, 100, 60);
    EXPECT_EQ(win::GetWindowRect(palette).left, button - 100);
    EXPECT_EQ(win::GetWindowRect(palette).top, 0);
    PlacePaletteWindow(palette, screen + 10, 5000, 100, 60);
    EXPECT_EQ(win::GetWindowRect(palette).left, screen - button);
    EXPECT_EQ(win::GetWindowRect(palette).top, win::ClientToScreen(window_, {0, 0}).y);
    win::ShowWindow(window_, win::ShowCommand::Hide);
    PlacePaletteWindow(palette, 200, 0, 100, 60);
    EXPECT_EQ(win::GetWindowRect(palette).left, screen - button);
}

}  // namespace
}  // namespace ql::testing_editing
