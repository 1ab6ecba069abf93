// The marks through the editing framework: a click with an armed tool, as the score
// view hands its mouse messages to the tool handler, places the tool's mark; a
// hairpin's end dragged with Alt held from the press is not mirrored.
#include <gtest/gtest.h>

#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/view_location.h"
#include "editing/tools.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/hairpin/hairpin_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/gfx/mapping.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"

namespace ql::testing_marks {
namespace {

constexpr int32_t kHandleHalf = 24;

class MarksMouseTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        UseDialogs();
        BuildScore(1);
        State().documents.ActiveView = view_;
        SetHandleSize(kHandleHalf);
        win::SetFocus(window_);
    }
    intptr_t Mouse(ToolHandler tool, win::Message message, LogicalPoint at) {
        const gfx::Point client = Device(at.x, at.y);
        return tool(view_, Message, nullptr, window_, message, 0, win::PackPoint(win::Point{client.x, client.y}));
    }
    void Click(ToolHandler tool, LogicalPoint at) {
        Mouse(tool, win::Message::LeftButtonDown, at);
        Mouse(tool, win::Message::LeftButtonUp, at);
    }
};

TEST_F(MarksMouseTest, ClickWithArmedToolPlacesItsMark) {
    const LogicalPoint at = PointIn(1, 2, 300);
    DynamicTool(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    Click(&DynamicTool, at);
    const auto objects = CellObjects(1, 2);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]->type, TypeCode(ObjectType::Dynamic));
}

TEST_F(MarksMouseTest, ClickWithHairpinToolPlacesAWedge) {
    const LogicalPoint at = PointIn(1, 3, 200);
    HairpinTool(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    Click(&HairpinTool, at);
    const auto objects = CellObjects(1, 3);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]->type, TypeCode(ObjectType::Hairpin));
}

// With symmetric hairpins on, an end pressed with Alt held and dragged with it still
// held moves alone: the Alt key mirrors only when it changes during the drag.
TEST_F(MarksMouseTest, AltHeldFromThePressLeavesAHairpinEndDragUnmirrored) {
    Options().SymmetricHairpins = 1;
    const LogicalPoint at = PointIn(1, 3, 200);
    HairpinTool(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    Mouse(&HairpinTool, win::Message::MouseMove, at);
    Click(&HairpinTool, at);
    const auto objects = CellObjects(1, 3);
    ASSERT_EQ(objects.size(), 1u);
    ScoreObject* hairpin = objects[0];
    HitRecord* chain = TheSelectionState()->focusRecord.get();
    ASSERT_NE(chain, nullptr);
    ASSERT_EQ(chain->owner.get(), hairpin) << "the new hairpin is not chosen";
    HairpinShape before{};
    ASSERT_TRUE(ShapeOfHandles(hairpin, &before));
    const LogicalPoint grab = before.upper;
    win::headless::SetKeyDown(win::Key::Alt, true);
    Mouse(&HairpinTool, win::Message::MouseMove, grab);
    Mouse(&HairpinTool, win::Message::LeftButtonDown, grab);
    Mouse(&HairpinTool, win::Message::MouseMove, LogicalPoint{grab.x, grab.y - 100});
    HairpinShape dragged{};
    const bool shaped = ShapeOfHandles(hairpin, &dragged);
    Mouse(&HairpinTool, win::Message::LeftButtonUp, LogicalPoint{grab.x, grab.y - 100});
    win::headless::SetKeyDown(win::Key::Alt, false);
    ASSERT_TRUE(shaped);
    EXPECT_LT(dragged.upper.y, before.upper.y - 50) << "the end did not follow the pointer";
    EXPECT_EQ(dragged.lower.y, before.lower.y) << "the other end was mirrored";
}

}  // namespace
}  // namespace ql::testing_marks
