// The attribute dialogs of the box (804), the circle (809) and the line (825): what
// they show on opening, OK committing the frame colour, interior and width (a code,
// or a specified width in 128ths of a space kept to 5..255), Cancel changing nothing,
// and help.
#include <gtest/gtest.h>

#include <cstring>

#include "core/objects/class_table.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/shape_dialog_resources.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/sys/headless.h"
#include "platform/ui/headless.h"

namespace ql::testing_shapes {
namespace {

using namespace shape_dialog;
using ui::headless::DialogDriver;

class ShapeDialogTest : public ShapesTest {
  protected:
    void SetUp() override {
        ShapesTest::SetUp();
        RegisterShapeDialogResources();
        sys::headless::ResetHelp();
    }
    int Edit(ScoreObject* object, int dialogId, ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(dialogId, std::move(script));
        return ClassOf(object).EditAttributes(object, view_);
    }
};

// Opening shows the body: frame colour, interior, the width code's button and its
// text; OK with new choices commits them.
TEST_F(ShapeDialogTest, BoxDialogShowsAndCommits) {
    ScoreObject* box = Graphic(ObjectType::Box, {0, 0}, 300, 200);
    Body(box).penWidth = 2;
    uint32_t counter = doc_->changeCounter;
    int result = Edit(box, kBoxDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(kFrameBlack));
        EXPECT_TRUE(d.IsChecked(kInteriorNone));
        EXPECT_TRUE(d.IsChecked(kFirstWidth + 2));
        EXPECT_EQ(d.Text(kBoxWidthEdit), "0.016");  // 2 in 128ths
        d.Click(kFrameWhite);
        d.Click(kInteriorBlack);
        d.Click(kFirstWidth + 3);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(V(Body(box).colour), 1);
    EXPECT_EQ(V(Body(box).style), 0);
    EXPECT_EQ(V(Body(box).penWidth), 3);
    EXPECT_NE(doc_->changeCounter, counter);
}

// "Specified" reads the edit back in 128ths on OK: 0.31 gives 40; a width below 5 or
// above 255 is kept to that range. The circle's edit is 1323.
TEST_F(ShapeDialogTest, SpecifiedWidthIsReadBack) {
    ScoreObject* circle = Graphic(ObjectType::Circle, {0, 0}, 300, 200);
    Edit(circle, kCircleDialog, [](DialogDriver& d) {
        d.Click(kSpecified);
        d.Type(kCircleWidthEdit, "0.31");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(V(Body(circle).penWidth), 40);
    Edit(circle, kCircleDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(kSpecified));  // 40 is above the codes
        d.Type(kCircleWidthEdit, "9");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(V(Body(circle).penWidth), 255);
    Edit(circle, kCircleDialog, [](DialogDriver& d) {
        d.Type(kCircleWidthEdit, "0");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(V(Body(circle).penWidth), 5);
}

// Cancel changes nothing, whatever was chosen; help opens topic 1365.
TEST_F(ShapeDialogTest, CancelAndHelp) {
    ScoreObject* line = Graphic(ObjectType::Line, {0, 0}, 300, 0);
    GraphicBody before = Body(line);
    int result = Edit(line, kLineDialog, [](DialogDriver& d) {
        EXPECT_FALSE(d.IsVisible(kFrameBlack) && d.IsEnabled(kFrameBlack));  // no frame on a line
        d.Click(kFirstWidth + 1);
        d.RequestHelp(kFirstWidth);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::memcmp(&before, &Body(line), sizeof before), 0);
    ASSERT_FALSE(sys::headless::HelpRequests().empty());
    EXPECT_EQ(sys::headless::HelpRequests().back().contextId, kHelpContext);
}

}  // namespace
}  // namespace ql::testing_shapes
