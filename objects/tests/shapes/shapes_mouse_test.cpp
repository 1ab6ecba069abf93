// The shapes through the tool mouse processor: a click with the box tool makes a
// box ending at the click; pressing its bottom-right corner and dragging resizes it;
// the line tool's click makes a line from the click, and dragging its end moves it.
#include <gtest/gtest.h>

#include <vector>

#include "objects/graphics/graphic_class.h"
#include "objects/tests/shapes/shapes_mouse_fixture.h"

namespace ql::testing_shapes {
namespace {

using win::Message;

// A click makes a box ending at the click; its bottom-right corner dragged by
// (20, 10) pixels widens it by 160 units and heightens it by 80.
TEST_F(ShapesMouseTest, BoxByClickAndCornerDrag) {
    BoxTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&BoxTool, {200, 150});
    std::vector<ScoreObject*> boxes = PageObjects(ObjectType::Box);
    ASSERT_EQ(boxes.size(), 1u);
    ScoreObject* box = boxes[0];
    EXPECT_EQ(V(Body(box).width), 256);
    EXPECT_EQ(Anchor(box).x + 256, kPageOrigin + 200 * kPixel);
    EXPECT_EQ(Anchor(box).y + 256, kPageOrigin + 150 * kPixel);
    Drag(&BoxTool, {200, 150}, {220, 160});
    EXPECT_EQ(PageObjects(ObjectType::Box).size(), 1u);
    EXPECT_EQ(V(Body(box).width), 256 + 20 * kPixel);
    EXPECT_EQ(V(Body(box).height), 256 + 10 * kPixel);
}

// A click makes a line from the click; its end dragged down makes it slant.
TEST_F(ShapesMouseTest, LineByClickAndEndDrag) {
    LineTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&LineTool, {100, 100});
    std::vector<ScoreObject*> lines = PageObjects(ObjectType::Line);
    ASSERT_EQ(lines.size(), 1u);
    ScoreObject* line = lines[0];
    EXPECT_EQ(Anchor(line).x, kPageOrigin + 100 * kPixel);
    Drag(&LineTool, {100 + 256 / kPixel, 100}, {100 + 256 / kPixel, 130});
    EXPECT_EQ(V(Body(line).width), 256);
    EXPECT_EQ(V(Body(line).height), 30 * kPixel);
}

}  // namespace
}  // namespace ql::testing_shapes
