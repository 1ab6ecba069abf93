// Slurs: a new slur's shape by the tool face, the inset ends, flipping, the dotted
// toggle, thickening and the inner-offset clamp on commit, the Ctrl+arrow moves, and
// cloning; every key one undoable change.
#include <cmath>

#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/slur_class.h"
#include "objects/tests/spanners/spanner_fixture.h"
#include "platform/win/keys.h"

namespace ql::testing_spanners {
namespace {

class SlurTest : public SpannerTest {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        BuildScore(2, {2}, 4);
        Locate(1, 2);
        click_ = LogicalPoint{SlotContent(System(0), 2) + 200, StaffTopY(System(0), 1) - 300};
        view_->pointerPoint = click_;
    }
    SlurObject* NewSlur(bool upward) {
        ScoreObject* object = CreateSlurAtClick(view_, upward);
        EXPECT_NE(object, nullptr);
        return object != nullptr ? AsSlur(object) : nullptr;
    }
    CurvePoints Points(SlurObject* slur) {
        Locate(1, 2);
        return SlurCurvePoints(slur, view_);
    }
    int Key(SlurObject* slur, uint32_t key) {
        return ClassOf(&slur->header).OnKey(&slur->header, view_, key);
    }
    LogicalPoint click_{};
};

TEST_F(SlurTest, MainFaceMakesAnUpwardSlurAtTheClick) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    const CurvePoints c = Points(slur);
    const int32_t d = CurveLineValuesOf(doc_).slurThickness;
    // 640 long from the click, control points inset 171 and 256 above the ends.
    EXPECT_EQ(c.p[0], click_);
    EXPECT_EQ(c.p[3], (LogicalPoint{click_.x + 640, click_.y}));
    EXPECT_EQ(c.p[1], (LogicalPoint{click_.x + 171, click_.y - 256}));
    EXPECT_EQ(c.p[2], (LogicalPoint{click_.x + 640 - 171, click_.y - 256}));
    // Thickness toward the ends: the inner control points lie below the outer ones.
    EXPECT_GT(d, 0);
    EXPECT_EQ(c.inner[0], (LogicalPoint{c.p[1].x, c.p[1].y + d}));
    EXPECT_TRUE(IsUpwardSlur(*slur));
    EXPECT_EQ(slur->body.flags & kSlurStyleMask, 0);
}

TEST_F(SlurTest, OtherFaceMakesADownwardSlur) {
    SlurObject* slur = NewSlur(false);
    ASSERT_NE(slur, nullptr);
    const CurvePoints c = Points(slur);
    EXPECT_EQ(c.p[1].y - c.p[0].y, 256);
    EXPECT_LT(slur->body.inner[1], 0);
    EXPECT_FALSE(IsUpwardSlur(*slur));
}

TEST_F(SlurTest, ToolFaceDecidesTheDirection) {
    ToolRecord main{};
    main.bitmapId = kSlurUpwardFaceStrip;
    ToolRecord other{};
    other.bitmapId = 185;
    SlurToolHandler(view_, ToolAction::Reclick, &other, {}, win::Message{}, 0, 0);
    // Only select and message actions record the face.
    EXPECT_TRUE(SlurToolMakesUpward());
    SlurToolHandler(view_, ToolAction::Select, &other, {}, win::Message{}, 0, 0);
    EXPECT_FALSE(SlurToolMakesUpward());
    SlurToolHandler(view_, ToolAction::Select, &main, {}, win::Message{}, 0, 0);
    EXPECT_TRUE(SlurToolMakesUpward());
}

TEST_F(SlurTest, InsetEndsMoveInwardAndTowardTheBend) {
    const LogicalPoint up[4] = {{0, 0}, {100, -200}, {300, -200}, {400, 0}};
    LogicalPoint points[4] = {up[0], up[1], up[2], up[3]};
    InsetCurveEnds(10, up, points);
    // Bending upward (P1 above P0): the ends move in and down.
    EXPECT_EQ(points[0], (LogicalPoint{10, 10}));
    EXPECT_EQ(points[3], (LogicalPoint{390, 10}));
    EXPECT_EQ(points[1], up[1]);
    const LogicalPoint down[4] = {{0, 0}, {100, 200}, {300, 200}, {400, 0}};
    LogicalPoint lowered[4] = {down[0], down[1], down[2], down[3]};
    InsetCurveEnds(10, down, lowered);
    // Bending downward: the ends move in and up.
    EXPECT_EQ(lowered[0], (LogicalPoint{10, -10}));
    EXPECT_EQ(lowered[3], (LogicalPoint{390, -10}));
}

TEST_F(SlurTest, FFlipsKeepingTheEnds) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    const CurvePoints before = Points(slur);
    const uint16_t changes = doc_->changeCounter;
    EXPECT_EQ(Key(slur, static_cast<uint32_t>(win::LetterKey('F'))), 1);
    const CurvePoints after = Points(slur);
    EXPECT_FALSE(IsUpwardSlur(*slur));
    EXPECT_EQ(after.p[0], before.p[0]);
    EXPECT_EQ(after.p[3], before.p[3]);
    // Control points mirrored about the start's y; thickness turned with them.
    EXPECT_EQ(after.p[1], (LogicalPoint{before.p[1].x, 2 * before.p[0].y - before.p[1].y}));
    EXPECT_EQ(after.inner[0].y - after.p[1].y, -(before.inner[0].y - before.p[1].y));
    EXPECT_NE(doc_->changeCounter, changes);
    // Flipping to the side it already bends to does nothing; F again restores it.
    EXPECT_FALSE(FlipSlur(slur, -1));
    Key(slur, static_cast<uint32_t>(win::LetterKey('F')));
    EXPECT_EQ(Points(slur).p[1], before.p[1]);
}

TEST_F(SlurTest, DTogglesDottedAndBack) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    slur->body.flags = 0x1230;  // upper bits are kept
    const uint32_t d = static_cast<uint32_t>(win::LetterKey('D'));
    Key(slur, d);
    EXPECT_EQ(slur->body.flags, 0x1231);
    Key(slur, d);
    EXPECT_EQ(slur->body.flags, 0x1230);
    // With Ctrl held "D" is not the dotted toggle.
    State().input.StickyCtrlFlag = 1;
    Key(slur, d);
    EXPECT_EQ(slur->body.flags, 0x1230);
}

TEST_F(SlurTest, CtrlArrowsMoveAllFourPoints) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    const CurvePoints before = Points(slur);
    State().input.StickyCtrlFlag = 1;
    Key(slur, static_cast<uint32_t>(win::Key::Up));
    Key(slur, static_cast<uint32_t>(win::Key::Right));
    const CurvePoints after = Points(slur);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(after.p[i], (LogicalPoint{before.p[i].x + 16, before.p[i].y - 64})) << i;
}

TEST_F(SlurTest, ThickeningFollowsTheDirectionAndStaysInRange) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    slur->body.inner[1] = slur->body.inner[3] = 10;
    EXPECT_TRUE(ThickenSlur(slur, 3));  // upward: thicker means larger dy
    EXPECT_EQ(slur->body.inner[1], 16);
    slur->body.inner[1] = slur->body.inner[3] = 126;
    ThickenSlur(slur, 5);  // would pass 127
    EXPECT_EQ(slur->body.inner[1], 127);
    EXPECT_FALSE(ThickenSlur(slur, 1));
    FlipSlur(slur, -1);  // downward: dy is negative and grows the other way
    EXPECT_EQ(slur->body.inner[1], -127);
    slur->body.inner[1] = slur->body.inner[3] = -10;
    ThickenSlur(slur, 1);
    EXPECT_EQ(slur->body.inner[1], -12);
}

TEST_F(SlurTest, CommitClampsInnerOffsets) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    Locate(1, 2);
    HitRecord* head = BuildSlurHandles(slur, view_);
    ASSERT_NE(head, nullptr);
    slur->header.handleChain = Ref32<HitRecord>::To(head);
    // The first thickness handle dragged 500 below its control point, left alone in x.
    TrackSlurHandle(view_, head, 5, LogicalPoint{0, 500}, true, false);
    // The second control point dragged 3 up: its thickness handle moves with it.
    TrackSlurHandle(view_, head, 3, LogicalPoint{0, -3}, true, false);
    CommitSlurOffsets(slur, head);
    EXPECT_EQ(slur->body.inner[0], 0);
    EXPECT_EQ(slur->body.inner[1], 127);
    EXPECT_EQ(slur->body.inner[3], CurveLineValuesOf(doc_).slurThickness);
    // A slur without thickness keeps offsets 0 however its handles lie.
    for (int8_t& v : slur->body.inner) v = 0;
    CommitSlurOffsets(slur, head);
    EXPECT_EQ(slur->body.inner[1], 0);
    FreeHitRecordChain(head);
    FreeHitRecord(head);
    slur->header.handleChain = Ref32<HitRecord>{};
}

TEST_F(SlurTest, SymmetricDragMirrorsThePartner) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    Locate(1, 2);
    HitRecord* head = BuildSlurHandles(slur, view_);
    ASSERT_NE(head, nullptr);
    auto at = [&](int index) {
        HitRecord* hit = head;
        for (int i = 0; i < index; ++i) hit = hit->child.get();
        return hit->point;
    };
    const LogicalPoint c2 = at(3), t1 = at(5), start = at(1);
    TrackSlurHandle(view_, head, 2, LogicalPoint{20, -40}, true, true);
    EXPECT_EQ(at(3), (LogicalPoint{c2.x - 20, c2.y - 40}));  // the partner mirror-wise
    EXPECT_EQ(at(5), (LogicalPoint{t1.x + 20, t1.y - 40}));  // its own thickness handle
    // Ctrl: the start moves alone; the move handle follows the ends.
    TrackSlurHandle(view_, head, 1, LogicalPoint{30, 0}, false, false);
    EXPECT_EQ(at(1).x, start.x + 30);
    EXPECT_EQ(at(2).x, c2.x - (c2.x - at(2).x));
    EXPECT_EQ(at(7).x, (at(1).x + at(4).x) >> 1);
    FreeHitRecordChain(head);
    FreeHitRecord(head);
}

TEST_F(SlurTest, ADraggedSlurMovesIntoTheCellOfItsNewStart) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    ScoreObject* object = &slur->header;
    const CurvePoints before = Points(slur);
    Locate(1, 2);
    HitRecord* head = BuildSlurHandles(slur, view_);
    ASSERT_NE(head, nullptr);
    object->handleChain = Ref32<HitRecord>::To(head);
    // The whole slur dragged one measure to the right.
    const int32_t dx = SlotContent(System(0), 3) - SlotContent(System(0), 2);
    for (HitRecord* hit = head; hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, LogicalPoint{dx, 0});
    EXPECT_EQ(ClassOf(object).CommitDrag(object, view_), 1);
    MeasureCell* cell = ExistingMeasureCell(doc_, 1, 3);
    ASSERT_NE(cell, nullptr);
    bool inCell = false;
    for (ScoreObject* o = cell->objects.get(); o != nullptr; o = o->next.get()) inCell |= o == object;
    EXPECT_TRUE(inCell);
    Locate(1, 3);
    const CurvePoints after = SlurCurvePoints(slur, view_);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(after.p[i].x, before.p[i].x + dx, 1) << i;
        EXPECT_EQ(after.p[i].y, before.p[i].y) << i;
    }
    FreeHitRecordChain(head);
    FreeHitRecord(head);
    object->handleChain = Ref32<HitRecord>{};
}

// The slur's handles all moved by an offset and committed, as a whole-slur drag does.
bool InCell(ScoreDocument* doc, ScoreObject* object, int staff, int measure) {
    MeasureCell* cell = ExistingMeasureCell(doc, staff, measure);
    for (ScoreObject* o = cell != nullptr ? cell->objects.get() : nullptr; o != nullptr; o = o->next.get())
        if (o == object) return true;
    return false;
}

TEST_F(SlurTest, UpwardSlurDraggedBelowItsStaffMovesToTheStaffBelow) {
    SlurObject* slur = NewSlur(true);
    ASSERT_NE(slur, nullptr);
    ScoreObject* object = &slur->header;
    const CurvePoints before = Points(slur);
    // Within the band (a little lower) it stays on staff 1.
    auto drag = [&](int32_t dy) {
        HitRecord* head = BuildSlurHandles(slur, view_);
        object->handleChain = Ref32<HitRecord>::To(head);
        for (HitRecord* hit = head; hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, LogicalPoint{0, dy});
        ClassOf(object).CommitDrag(object, view_);
        FreeHitRecordChain(head);
        FreeHitRecord(head);
        object->handleChain = Ref32<HitRecord>{};
    };
    Locate(1, 2);
    drag(200);
    EXPECT_TRUE(InCell(doc_, object, 1, 2));
    // Dragged a staff distance down: both ends below staff 1's band.
    const int32_t staffDistance = StaffTopY(System(0), 2) - StaffTopY(System(0), 1);
    Locate(1, 2);
    drag(staffDistance);
    EXPECT_TRUE(InCell(doc_, object, 2, 2));
    EXPECT_FALSE(InCell(doc_, object, 1, 2));
    Locate(2, 2);
    const CurvePoints onStaff2 = SlurCurvePoints(slur, view_);
    EXPECT_EQ(onStaff2.p[0].y, before.p[0].y + 200 + staffDistance);
    EXPECT_EQ(onStaff2.p[0].x, before.p[0].x);
    // From the last staff it goes to the first staff of the next system.
    const int32_t systemDistance = StaffTopY(System(1), 1) - StaffTopY(System(0), 2);
    Locate(2, 2);
    drag(systemDistance);
    EXPECT_TRUE(InCell(doc_, object, 1, 6));
    Locate(1, 6);
    EXPECT_EQ(SlurCurvePoints(slur, view_).p[3].y, before.p[3].y + 200 + staffDistance + systemDistance);
}

TEST_F(SlurTest, DownwardSlurDraggedAboveTheFirstStaffMovesToThePreviousSystem) {
    Locate(1, 6);  // the second system's first staff
    view_->pointerPoint = LogicalPoint{SlotContent(System(1), 2) + 200, StaffTopY(System(1), 1) + 200};
    SlurObject* slur = NewSlur(false);
    ASSERT_NE(slur, nullptr);
    ASSERT_TRUE(InCell(doc_, &slur->header, 1, 6));
    Locate(1, 6);
    HitRecord* head = BuildSlurHandles(slur, view_);
    ASSERT_NE(head, nullptr);
    slur->header.handleChain = Ref32<HitRecord>::To(head);
    // The ends dragged 300 above the staff's top line: above its note band, though
    // still nearer this staff than any other.
    const int32_t up = -500;
    for (HitRecord* hit = head; hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, LogicalPoint{0, up});
    ClassOf(&slur->header).CommitDrag(&slur->header, view_);
    EXPECT_TRUE(InCell(doc_, &slur->header, 2, 2));
    FreeHitRecordChain(head);
    FreeHitRecord(head);
    slur->header.handleChain = Ref32<HitRecord>{};
}

TEST_F(SlurTest, CloneCopiesShapeAndStyle) {
    SlurObject* slur = NewSlur(false);
    ASSERT_NE(slur, nullptr);
    slur->body.flags = 1;
    const int live = LiveRecords();
    ScoreObject* copy = ClassOf(&slur->header).Clone(&slur->header, view_, PoolSet(doc_->pools),
                                                    PoolSet(doc_->pools));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(LiveRecords(), live + 1);
    EXPECT_EQ(std::memcmp(&AsSlur(copy)->body, &slur->body, sizeof slur->body), 0);
    EXPECT_EQ(copy->subtype, slur->header.subtype);
    const ClassId curveClass = AsSlur(copy)->curveClass;
    EXPECT_EQ(curveClass, SecondClassOfType(ObjectType::Slur));
    FreeRecord(kLargeObjectPool, copy);
}

}  // namespace
}  // namespace ql::testing_spanners
