// Boxes and circles: creation at a click, the corner drag and its commit, squaring
// (also after the corners crossed), the Shift diagonal, the hit test, copies, and
// the frame pen and interior as drawn on a window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "objects/graphics/graphic_class.h"
#include "objects/tests/shapes/shapes_fixture.h"

namespace ql::testing_shapes {
namespace {

class BoxTest : public ShapesTest {
  protected:
    // The prototype the tool creates from.
    ScoreObject* Prototype(ObjectType type) {
        ScoreObject* prototype = ConstructObject(TypeCode(type));
        Body(prototype).width = Body(prototype).height = 999;
        return prototype;
    }
    ScoreObject* Create(ObjectType type, LogicalPoint click) {
        ScoreObject* prototype = Prototype(type);
        view_->pointerPoint = click;
        ScoreObject* made = ClassOf(prototype).CreateAtClick(prototype, view_);
        if (made != nullptr) {
            EXPECT_EQ(V(Body(prototype).width), kNewGraphicExtent);  // the prototype is reset too
        }
        ReleaseObjectFromTest(prototype);
        return made;
    }
    void ReleaseObjectFromTest(ScoreObject* object) { FreeRecord(kTextObjectPool, object); }
    void Square() {
        ScoreObject* object = TheSelectionState()->focusedObject.get();
        ClassOf(object).Invalidate(object, view_);
    }
};

// A click makes a 256 x 256 page item whose bottom-right corner is the click.
TEST_F(BoxTest, ClickMakesA256SquareEndingAtTheClick) {
    for (ObjectType type : {ObjectType::Box, ObjectType::Circle}) {
        ScoreObject* made = Create(type, {1000, 2000});
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->type, TypeCode(type));
        EXPECT_EQ(made->subtype, SubtypeCode(ObjectSubtype::PageList));
        EXPECT_EQ(Anchor(made).x, 1000 - 256);
        EXPECT_EQ(Anchor(made).y, 2000 - 256);
        EXPECT_EQ(V(Body(made).width), 256);
        EXPECT_EQ(V(Body(made).height), 256);
        EXPECT_EQ(V(Body(made).style), kGraphicNoFill);
        EXPECT_EQ(V(Body(made).penWidth), 0);
    }
}

// Without staves the circle is refused outside page layout; the box is not.
TEST_F(BoxTest, CircleNeedsStavesOutsidePageLayout) {
    doc_->header.staffCount = 0;
    view_->pageView = 0;
    EXPECT_EQ(Create(ObjectType::Circle, {0, 0}), nullptr);
    EXPECT_NE(Create(ObjectType::Box, {0, 0}), nullptr);
    view_->pageView = 1;
    EXPECT_NE(Create(ObjectType::Circle, {0, 0}), nullptr);
}

// Dragging a corner keeps a rectangle: its two neighbours follow, the opposite
// corner stays, the extent follows; the centre handle is not a corner.
TEST_F(BoxTest, CornerDragKeepsARectangle) {
    ScoreObject* box = Graphic(ObjectType::Box, {0, 0}, 600, 200);
    Grab(box, 2);
    Move(box, 100, 50);
    EXPECT_EQ(V(Body(box).width), 700);
    EXPECT_EQ(V(Body(box).height), 250);
    HitRecord* top = chain_->child.get();
    HitRecord* bottomLeft = top->child->child.get();
    EXPECT_EQ(top->point.x, 700);
    EXPECT_EQ(top->point.y, 0);
    EXPECT_EQ(bottomLeft->point.x, 0);
    EXPECT_EQ(bottomLeft->point.y, 250);
    // Top-left past the others: the extents go negative while dragging.
    Grab(box, 0);
    Move(box, 900, 400);
    EXPECT_EQ(V(Body(box).width), -200);
    EXPECT_EQ(V(Body(box).height), -150);
    // The centre handle does not reshape.
    Grab(box, kBoxCentreHandle);
    Move(box, 10, 10);
    EXPECT_EQ(V(Body(box).width), -200);
}

// A drag that ends where it began changes nothing; a moved one re-anchors; crossed
// corners are committed as a well-ordered rectangle.
TEST_F(BoxTest, CommitDragComparesTheBody) {
    ScoreObject* box = Graphic(ObjectType::Box, {512, 512}, 600, 200);
    Grab(box, kBoxCentreHandle);
    MoveWhole(box, 0, 0);
    EXPECT_EQ(Commit(box), 0);
    Grab(box, kBoxCentreHandle);
    MoveWhole(box, 128, 64);
    EXPECT_NE(Commit(box), 0);
    EXPECT_EQ(Anchor(box).x, 640);
    EXPECT_EQ(Anchor(box).y, 576);
    Grab(box, 0);
    Move(box, 800, 300);  // past the bottom-right corner at (1240, 776)
    EXPECT_NE(Commit(box), 0);
    EXPECT_EQ(Anchor(box).x, 1240);
    EXPECT_EQ(Anchor(box).y, 776);
    EXPECT_EQ(V(Body(box).width), 200);
    EXPECT_EQ(V(Body(box).height), 100);
}

// Squaring: the longer side shrinks to the shorter, centred on the old box; the
// drag offset's larger part (with its sign) then grows the side.
TEST_F(BoxTest, SquaringCentresOnTheOldBox) {
    ScoreObject* wide = Graphic(ObjectType::Box, {0, 0}, 600, 200);
    Grab(wide, 2);
    Square();
    EXPECT_EQ(V(Body(wide).width), 200);
    EXPECT_EQ(V(Body(wide).height), 200);
    EXPECT_EQ(Anchor(wide).x, 200);  // left edge moved by (600 - 200) / 2
    EXPECT_EQ(Anchor(wide).y, 0);
    ScoreObject* tall = Graphic(ObjectType::Circle, {0, 0}, 200, 600);
    Grab(tall, 2);
    TheSelectionState()->dragOffsetX = 10;
    TheSelectionState()->dragOffsetY = -30;
    Square();
    EXPECT_EQ(Anchor(tall).y, 200);  // top moved down by 200
    EXPECT_EQ(V(Body(tall).width), 170);  // then grown by -30, the larger part
    EXPECT_EQ(V(TheSelectionState()->dragOffsetX), -30);
    EXPECT_NE(doc_->changeCounter, 0u);
}

// Corners dragged past each other are ordered before squaring.
TEST_F(BoxTest, SquaringOrdersCrossedCorners) {
    ScoreObject* box = Graphic(ObjectType::Box, {0, 0}, 600, 200);
    Grab(box, 0);
    Move(box, 800, 300);  // corners now span x 600..800, y 200..300
    TheSelectionState()->dragOffsetX = TheSelectionState()->dragOffsetY = 0;
    Square();
    EXPECT_EQ(V(Body(box).width), 100);
    EXPECT_EQ(V(Body(box).height), 100);
    EXPECT_EQ(Anchor(box).x, 650);
    EXPECT_EQ(Anchor(box).y, 200);
}

// Shift puts the dragged corner on the diagonal through the drag start, along the
// axis of the larger movement.
TEST_F(BoxTest, ShiftKeepsTheDiagonal) {
    ScoreObject* box = Graphic(ObjectType::Box, {0, 0}, 256, 256);
    Grab(box, 2);
    Move(box, 100, 40, true);  // x is larger: y follows x
    EXPECT_EQ(V(Body(box).width), 356);
    EXPECT_EQ(V(Body(box).height), 356);
    Move(box, 10, -300, true);  // now y is larger: x follows y
    EXPECT_EQ(V(Body(box).height), 56);
    EXPECT_EQ(V(Body(box).width), 56);
}

// The box is hit only when its whole rectangle lies strictly inside.
TEST_F(BoxTest, HitTestNeedsTheWholeRectangleInside) {
    ScoreObject* box = Graphic(ObjectType::Box, {100, 100}, 200, 100);
    EXPECT_EQ(ClassOf(box).HitTest(box, {0, 0, 1000, 1000}, nullptr), 0);  // no handles yet
    Grab(box, 0);
    EXPECT_EQ(ClassOf(box).HitTest(box, {99, 99, 301, 201}, nullptr), 1);
    EXPECT_EQ(ClassOf(box).HitTest(box, {100, 99, 301, 201}, nullptr), 0);  // touches the left
    EXPECT_EQ(ClassOf(box).HitTest(box, {99, 99, 300, 201}, nullptr), 0);  // touches the right
}

// Five handles: corners clockwise from the top-left, the centre of kind 2 (box) or
// 7 (circle) moving the whole object.
TEST_F(BoxTest, HandlesAreFourCornersAndACentre) {
    ScoreObject* circle = Graphic(ObjectType::Circle, {100, 100}, 201, 101);
    Grab(circle, 0);
    const LogicalPoint expected[kBoxHandleCount] = {
        {100, 100}, {301, 100}, {301, 201}, {100, 201}, {200, 150}};
    HitRecord* hit = chain_;
    for (int i = 0; i < kBoxHandleCount; ++i, hit = hit->child.get()) {
        ASSERT_NE(hit, nullptr);
        EXPECT_EQ(hit->point.x, expected[i].x) << i;
        EXPECT_EQ(hit->point.y, expected[i].y) << i;
        EXPECT_EQ(hit->owner.get(), circle);
    }
    EXPECT_EQ(hit, nullptr);
    HitRecord* centre = chain_->child->child->child->child.get();
    EXPECT_EQ(centre->kind, kCircleCentreKind);
    MoveWhole(circle, 50, -20);
    EXPECT_EQ(chain_->point.x, 150);
    EXPECT_EQ(centre->point.y, 130);
}

// A copy carries the body, the type and the subtype.
TEST_F(BoxTest, CloneCopiesTheBody) {
    ScoreObject* box = Graphic(ObjectType::Circle, {100, 100}, 300, 50);
    Body(box).penWidth = 40;
    Body(box).style = 0;
    PoolSet set(doc_->pools);
    ScoreObject* copy = ClassOf(box).Clone(box, view_, set, set);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->type, box->type);
    EXPECT_EQ(copy->subtype, box->subtype);
    EXPECT_EQ(copy->classId, box->classId);
    EXPECT_EQ(std::memcmp(&Body(copy), &Body(box), sizeof(GraphicBody)), 0);
    FreeRecord(kTextObjectPool, copy);
}

// Frame width codes 0..4 draw 8..128 units (1..16 pixels at zoom 16); a specified
// 40 draws 5 pixels, for the box and for the circle's leftmost point.
TEST_F(BoxTest, FrameWidthsOnTheWindow) {
    OpenWindow(600, 400);
    const uint8_t codes[] = {0, 1, 2, 3, 4, 40};
    const int pixels[] = {1, 2, 4, 8, 16, 5};
    for (ObjectType type : {ObjectType::Box, ObjectType::Circle}) {
        for (size_t i = 0; i < std::size(codes); ++i) {
            ClearWindow();
            ScoreObject* shape = Graphic(type, {kPageOrigin + 1024, kPageOrigin + 1024}, 1024, 1024);
            Body(shape).penWidth = codes[i];
            ClassOf(shape).Update(shape, view_);
            gfx::Point left = Device(kPageOrigin + 1024, kPageOrigin + 1024 + 512);
            int dark = DarkInRow(left.y, left.x - 12, left.x + 12);
            EXPECT_LE(std::abs(dark - pixels[i]), 1) << "code " << int(codes[i]) << " type " << int(shape->type);
            if (codes[i] == 40) SavePicture(type == ObjectType::Box ? "box_frame_40.png" : "circle_frame_40.png");
            UnlinkObject(shape);
            FreeRecord(kTextObjectPool, shape);
        }
    }
}

// Interiors: black fills, white and transparent leave the page white; a white frame
// leaves nothing dark; a page item is not drawn in the scroll view.
TEST_F(BoxTest, InteriorsAndPageItemsOnTheWindow) {
    OpenWindow(600, 400);
    ScoreObject* box = Graphic(ObjectType::Box, {kPageOrigin + 1024, kPageOrigin + 1024}, 1024, 1024);
    gfx::Point centre = Device(kPageOrigin + 1536, kPageOrigin + 1536);
    const uint8_t interiors[] = {0, 1, 2};
    const bool darkCentre[] = {true, false, false};
    for (size_t i = 0; i < std::size(interiors); ++i) {
        ClearWindow();
        Body(box).style = interiors[i];
        ClassOf(box).Paint(box, view_);
        EXPECT_EQ(DarkInRow(centre.y, centre.x, centre.x) == 1, darkCentre[i]) << i;
        EXPECT_GT(DarkInRow(centre.y, 0, 599), 0);  // the frame
    }
    ClearWindow();
    Body(box).colour = 1;
    Body(box).style = 2;
    ClassOf(box).Paint(box, view_);
    EXPECT_EQ(DarkInRow(centre.y, 0, 599), 0);
    Body(box).colour = 0;
    view_->pageView = 0;
    ClassOf(box).Paint(box, view_);
    EXPECT_EQ(DarkInRow(centre.y, 0, 599), 0);
}

}  // namespace
}  // namespace ql::testing_shapes
