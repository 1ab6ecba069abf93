// The spanner interface: points stored and read back for time, page and
// note-attached anchors with and without a staff scale; a note-attached end dragged
// left of its start; the start-hook-first style; the label point; the linked handle
// moves; the line width steps; a line past a system's end drawn and hit in two pieces;
// and the fallback to time anchors once the note has gone.
#include <algorithm>

#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "layout/system_span.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/spanners/spanner_interface_class.h"
#include "objects/tests/spanners/spanner_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_spanners {
namespace {

class SpannerInterfaceTest : public SpannerTest {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        BuildScore(2, {2}, 4);
        Locate(1, 2);
    }
    // A bracket of the given points, stored through the interface.
    SpannerInterface* Stored(ScoreObject* object, const SpannerPoints& points) {
        SpannerInterface* spanner = SpannerOf(object);
        EncodeSpannerPoints(spanner, nullptr, view_, points);
        return spanner;
    }
    SpannerPoints Bracket(int32_t x, int32_t y, int32_t width) {
        SpannerPoints p{};
        p.p[0] = {x, y + 100};
        p.p[1] = {x, y};
        p.p[2] = {x + width, y};
        p.p[3] = {x + width, y - 60};
        return p;
    }
    SpannerPoints ReadBack(SpannerInterface* spanner, int measure) {
        Locate(1, measure);
        SpannerPoints back{};
        ComputeSpannerPoints(spanner, view_, &back);
        return back;
    }
};

TEST_F(SpannerInterfaceTest, PointsRoundTripForTimePageAndNoteAnchors) {
    const int32_t x = SlotContent(System(0), 2) + 64;
    const int32_t y = StaffTopY(System(0), 1) - 400;
    for (double scale : {0.0, 0.75}) {
        view_->zoomFactor = scale;
        // Kind 0 (time) and kind 1 (page).
        for (ObjectSubtype kind : {ObjectSubtype::MeasureTimeList, ObjectSubtype::PageList}) {
            ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
            ASSERT_NE(object, nullptr);
            object->subtype = SubtypeCode(kind);
            Locate(1, 2);
            const SpannerPoints in = Bracket(x, y, 320);
            SpannerInterface* spanner = Stored(object, in);
            const SpannerPoints back = ReadBack(spanner, 2);
            for (int i = 0; i < 4; ++i) {
                EXPECT_NEAR(back.p[i].x, in.p[i].x, 1) << "kind " << int(object->subtype) << " point " << i;
                EXPECT_NEAR(back.p[i].y, in.p[i].y, 2) << "kind " << int(object->subtype) << " scale " << scale;
            }
            FreeRecord(kTextObjectPool, object);
        }
    }
    // At scale 0 the hooks are stored as they are.
    view_->zoomFactor = 0;
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
    SpannerInterface* spanner = Stored(object, Bracket(x, y, 320));
    EXPECT_EQ(spanner->endpoint.startHook, 100);
    EXPECT_EQ(spanner->endpoint.endHook, -60);
    // At a positive scale they are stored unscaled.
    view_->zoomFactor = 0.5;
    Stored(object, Bracket(x, y, 320));
    EXPECT_EQ(spanner->endpoint.startHook, 200);
    FreeRecord(kTextObjectPool, object);
}

TEST_F(SpannerInterfaceTest, NoteAttachedPointsFollowTheNote) {
    EventRecord* note = AddNote(1024, 0);
    ASSERT_NE(note, nullptr);
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ASSERT_NE(object, nullptr);
    object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    ASSERT_EQ(AttachObjectToNote(view_, note, object), 1);
    const int32_t x = SlotContent(System(0), 2) + 700;
    const int32_t y = StaffTopY(System(0), 1) - 300;
    for (double scale : {0.0, 0.75}) {
        view_->zoomFactor = scale;
        const SpannerPoints in = Bracket(x, y, 400);
        SpannerInterface* spanner = Stored(object, in);
        // Times are relative: the start to the note, the end to the start.
        EXPECT_EQ(spanner->endpoint.start.coarse[0], 0);
        EXPECT_LT(spanner->endpoint.start.coarse[1], 1024);
        const SpannerPoints back = ReadBack(spanner, 2);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(back.p[i].x, in.p[i].x, 1) << "point " << i << " scale " << scale;
            EXPECT_NEAR(back.p[i].y, in.p[i].y, 2) << "point " << i << " scale " << scale;
        }
    }
    // The end dragged left of the start stores an end time of 0.
    view_->zoomFactor = 0;
    SpannerPoints backwards = Bracket(x, y, 400);
    std::swap(backwards.p[1].x, backwards.p[2].x);
    SpannerInterface* spanner = Stored(object, backwards);
    EXPECT_EQ(spanner->endpoint.end.coarse[1], 0);
    EXPECT_EQ(object->subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
}

TEST_F(SpannerInterfaceTest, ASpannerWhoseNoteHasGoneFallsBackToTimeAnchors) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ASSERT_NE(object, nullptr);
    object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);  // on no note's chain
    SpannerPoints points{};
    ComputeSpannerPoints(SpannerOf(object), view_, &points);
    EXPECT_EQ(object->subtype, SubtypeCode(ObjectSubtype::MeasureTimeList));
    object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    Stored(object, Bracket(SlotContent(System(0), 2), StaffTopY(System(0), 1), 200));
    EXPECT_EQ(object->subtype, SubtypeCode(ObjectSubtype::MeasureTimeList));
    FreeRecord(kTextObjectPool, object);
}

TEST_F(SpannerInterfaceTest, LabelPointIsHalfWayOrAThirdForTuplets) {
    const int32_t x = SlotContent(System(0), 2);
    const int32_t y = StaffTopY(System(0), 1) - 300;
    for (ObjectType type : {ObjectType::Octave, ObjectType::Tuplet}) {
        ScoreObject* object = ConstructObject(TypeCode(type));
        ASSERT_NE(object, nullptr);
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        SpannerInterface* spanner = Stored(object, Bracket(x, y, 300));
        SpannerPoints back{};
        ComputeSpannerPoints(spanner, view_, &back);
        const int32_t expected = type == ObjectType::Tuplet ? back.p[0].x + (back.p[3].x - back.p[0].x) / 3
                                                            : (back.p[0].x + back.p[3].x) >> 1;
        EXPECT_EQ(back.label.x, expected);
        EXPECT_EQ(back.label.x - x, type == ObjectType::Tuplet ? 100 : 150);
        EXPECT_EQ(back.label.y, y);
        FreeRecord(kLargeObjectPool, object);
    }
}

TEST_F(SpannerInterfaceTest, HookFirstStyleStartsThePathAtTheHookAndMovesTheMiddle) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ASSERT_NE(object, nullptr);
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    const SpannerPoints in = Bracket(SlotContent(System(0), 2), StaffTopY(System(0), 1), 400);
    SpannerInterface* spanner = Stored(object, in);
    gfx::Point path[4];
    SpannerPathPoints(*spanner, in, path);
    EXPECT_EQ(path[0], (gfx::Point{in.p[0].x, in.p[0].y}));  // plain: hook end first
    HitRecord* head = BuildLineHandles(spanner, view_);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(SpannerHandle(head, kSpannerMiddleHandle)->point.y, (in.p[1].y + in.p[2].y) >> 1);
    FreeHitRecordChain(head);
    FreeHitRecord(head);
    spanner->endpoint.style = kSpannerHookFirstStyle;
    SpannerPathPoints(*spanner, in, path);
    // The drawn path: start point, start hook end, end point, end hook end.
    EXPECT_EQ(path[0], (gfx::Point{in.p[1].x, in.p[1].y}));
    EXPECT_EQ(path[1], (gfx::Point{in.p[0].x, in.p[0].y}));
    head = BuildLineHandles(spanner, view_);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(SpannerHandle(head, kSpannerMiddleHandle)->point.y, (in.p[0].y + in.p[2].y) >> 1);
    EXPECT_EQ(SpannerHandle(head, 0)->kind, kSpannerHeadKind);
    EXPECT_EQ(SpannerHandle(head, 0)->owner.get(), object);
    FreeHitRecordChain(head);
    FreeHitRecord(head);
    FreeRecord(kTextObjectPool, object);
}

TEST_F(SpannerInterfaceTest, DraggingTheStartMovesTheLineLevelUnlessCtrl) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ASSERT_NE(object, nullptr);
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    const SpannerPoints in = Bracket(SlotContent(System(0), 2), StaffTopY(System(0), 1), 400);
    SpannerInterface* spanner = Stored(object, in);
    HitRecord* head = BuildLineHandles(spanner, view_);
    ASSERT_NE(head, nullptr);
    auto at = [&](int i) { return SpannerHandle(head, i)->point; };
    // Without Ctrl the far end follows vertically: the line stays level.
    TrackSpannerHandle(*spanner, view_, head, 2, LogicalPoint{0, 50}, true);
    EXPECT_EQ(at(2), (LogicalPoint{in.p[1].x, in.p[1].y + 50}));
    EXPECT_EQ(at(3).y, at(2).y);
    EXPECT_EQ(at(4), (LogicalPoint{in.p[3].x, in.p[3].y + 50}));
    // Ctrl: handle 2 and the hook end above it move; the end stays.
    TrackSpannerHandle(*spanner, view_, head, 2, LogicalPoint{10, -50}, false);
    EXPECT_EQ(at(2), (LogicalPoint{in.p[1].x + 10, in.p[1].y}));
    EXPECT_EQ(at(1), (LogicalPoint{in.p[0].x + 10, in.p[0].y}));
    EXPECT_EQ(at(3), (LogicalPoint{in.p[2].x, in.p[2].y + 50}));
    EXPECT_EQ(at(4), (LogicalPoint{in.p[3].x, in.p[3].y + 50}));
    // Dragging a hook end: the line's end follows in x only; the other hook keeps its length.
    TrackSpannerHandle(*spanner, view_, head, 4, LogicalPoint{20, 30}, true);
    EXPECT_EQ(at(3), (LogicalPoint{in.p[2].x + 20, in.p[2].y + 50}));
    EXPECT_EQ(at(1).y, in.p[0].y + 30);
    // The middle handle is placed again between the line's ends.
    EXPECT_EQ(at(5).x, (at(2).x + at(3).x) >> 1);
    FreeHitRecordChain(head);
    FreeHitRecord(head);
    FreeRecord(kTextObjectPool, object);
}

TEST_F(SpannerInterfaceTest, LineWidthStepsStopAtTheLimits) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ASSERT_NE(object, nullptr);
    SpannerInterface* spanner = SpannerOf(object);
    spanner->endpoint.lineWidth = 2;
    EXPECT_TRUE(StepLineWidth(spanner, -1));
    EXPECT_EQ(spanner->endpoint.lineWidth, 1);
    // Stepping below 0 stops at 0 with the beep.
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_TRUE(StepLineWidth(spanner, -5));
    EXPECT_EQ(spanner->endpoint.lineWidth, 0);
    EXPECT_FALSE(StepLineWidth(spanner, -1));
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 2);
    // Stepping past 127 stops there instead of wrapping to -128.
    spanner->endpoint.lineWidth = 126;
    StepLineWidth(spanner, 3);
    EXPECT_EQ(spanner->endpoint.lineWidth, 127);
    FreeRecord(kTextObjectPool, object);
}

TEST_F(SpannerInterfaceTest, ALinePastTheSystemsEndIsDrawnAndHitInTwoPieces) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ASSERT_NE(object, nullptr);
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    Locate(1, 4);  // the system's last measure
    const SystemSpan span = CurrentSystemSpan(view_);
    ASSERT_TRUE(span.hasNext);
    const int32_t y = StaffTopY(System(0), 1) - 300;
    const SpannerPoints in = Bracket(span.endLine - 600, y, 1000);
    SpannerInterface* spanner = Stored(object, in);
    gfx::Point path[4];
    SpannerPoints back{};
    ComputeSpannerPoints(spanner, view_, &back);
    SpannerPathPoints(*spanner, back, path);
    const auto pieces = SplitPolylinePieces(view_, path, 4);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_GT(pieces[1].front().y, y + span.shiftY - 200);  // the far piece on the next system
    // The end handles lie on the next system, the start handles on this one.
    HitRecord* head = BuildLineHandles(spanner, view_);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(SpannerHandle(head, 2)->point, in.p[1]);
    EXPECT_EQ(SpannerHandle(head, 3)->point.y, in.p[2].y + span.shiftY);
    EXPECT_LT(SpannerHandle(head, 3)->point.x, in.p[2].x);
    // A marquee around the near piece alone does not take it; one around both pieces does.
    const RecordRect nearOnly{in.p[1].x - 50, y - 200, span.endLine + 500, y + 300};
    EXPECT_EQ(ClassOf(object).HitTest(object, nearOnly, head), 0);
    const LogicalPoint farEnd = SpannerHandle(head, 4)->point;
    const RecordRect both{std::min(in.p[1].x, farEnd.x) - 50, y - 200, span.endLine + 50, farEnd.y + 300};
    EXPECT_EQ(ClassOf(object).HitTest(object, both, head), 1);
    FreeHitRecordChain(head);
    FreeHitRecord(head);
    FreeRecord(kTextObjectPool, object);
}

}  // namespace
}  // namespace ql::testing_spanners

namespace ql::testing_spanners {
namespace {

// The interface's table: owners' slots reach the owner's class; an unknown class
// word falls back to the base table.
TEST_F(SpannerInterfaceTest, InterfaceSlotsReachTheOwnersClass) {
    ScoreObject* wickette = ConstructObject(TypeCode(ObjectType::PedalBracket));
    ScoreObject* widget = ConstructObject(TypeCode(ObjectType::Widget));
    ScoreObject* ending = ConstructObject(TypeCode(ObjectType::RepeatEnding));
    ASSERT_NE(wickette, nullptr);
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(ending, nullptr);
    // Payload sizes: the endpoint, the label body, and 0 for the repeat ending.
    EXPECT_EQ(SpannerClassOf(SpannerOf(wickette)).GetPayloadSize(SpannerOf(wickette)), 22u);
    EXPECT_EQ(SpannerClassOf(SpannerOf(widget)).GetPayloadSize(SpannerOf(widget)), 38u);
    EXPECT_EQ(SpannerClassOf(SpannerOf(ending)).GetPayloadSize(SpannerOf(ending)), 0u);
    // The wickette's payload is its endpoint; a step through the interface steps its width.
    EXPECT_EQ(SpannerClassOf(SpannerOf(wickette)).GetPayload(SpannerOf(wickette)),
              reinterpret_cast<std::byte*>(&SpannerOf(wickette)->endpoint));
    SpannerOf(wickette)->endpoint.lineWidth = 3;
    SpannerClassOf(SpannerOf(wickette)).StepLineWidth(SpannerOf(wickette), view_, 2);
    EXPECT_EQ(SpannerOf(wickette)->endpoint.lineWidth, 5);
    // A damaged class word reads as the base table.
    SpannerOf(widget)->interfaceClass = kNoClass;
    EXPECT_EQ(&SpannerClassOf(SpannerOf(widget)), &BaseSpannerInterfaceClass());
    EXPECT_EQ(SpannerClassOf(SpannerOf(widget)).GetPayloadSize(SpannerOf(widget)), 22u);
    FreeRecord(kTextObjectPool, wickette);
    FreeRecord(kLargeObjectPool, widget);
    FreeRecord(kLargeObjectPool, ending);
}

}  // namespace
}  // namespace ql::testing_spanners

namespace ql::testing_spanners {
namespace {

class LocateSpannerStartTest : public SpannerTest {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        BuildScore(2, {2}, 4);
    }
    // A bracket whose end hook's free end lies at y (hooks `up` or down), starting at x.
    LocationRecord Locate(ObjectType type, int32_t x, int32_t y, bool up) {
        ScoreObject* owner = ConstructObject(TypeCode(type));
        SpannerPoints p{};
        p.p[1] = {x, up ? y + 100 : y - 100};
        p.p[2] = {x + 400, p.p[1].y};
        p.p[0] = {x, y};
        p.p[3] = {x + 400, y};
        LocationRecord result{};
        LocateSpannerStart(owner, &result, view_, p);
        FreeRecord(kLargeObjectPool, owner);
        return result;
    }
};

TEST_F(LocateSpannerStartTest, StaffFromTheEndHookAndMeasureFromTheStart) {
    ScoreSystem* s0 = System(0);
    ScoreSystem* s1 = System(1);
    const int32_t top1 = StaffTopY(s0, 1), top2 = StaffTopY(s0, 2);
    const int32_t x3 = SlotContent(s0, 3) + 50;
    // Hooks down above staff 1: staff 1; between the staves: staff 2.
    LocationRecord r = Locate(ObjectType::Octave, x3, top1 - 300, false);
    EXPECT_EQ(r.location.position, Ref32<ScoreSystem>::To(s0).offset);
    EXPECT_EQ(r.location.staff, 1);
    EXPECT_EQ(r.location.measure, 3);
    EXPECT_EQ(Locate(ObjectType::Octave, x3, top1 + 600, false).location.staff, 2);
    // Hooks up below staff 2: staff 2; just under staff 1's bottom line: staff 1.
    EXPECT_EQ(Locate(ObjectType::Octave, x3, top2 + 800, true).location.staff, 2);
    EXPECT_EQ(Locate(ObjectType::Octave, x3, top1 + 560, true).location.staff, 1);
    // Below the first system's last staff, hooks down: the next system's first staff.
    r = Locate(ObjectType::Octave, SlotContent(s1, 2) + 50, StaffTopY(s1, 1) - 100, false);
    EXPECT_EQ(r.location.position, Ref32<ScoreSystem>::To(s1).offset);
    EXPECT_EQ(r.location.staff, 1);
    EXPECT_EQ(r.location.measure, 6);
    // A repeat ending takes the measure whose barline is nearest its start, and always
    // searches downwards.
    const int32_t bar3 = SlotLeft(s0, 3);
    EXPECT_EQ(Locate(ObjectType::RepeatEnding, bar3 - 40, top1 - 300, true).location.measure, 3);
    EXPECT_EQ(Locate(ObjectType::Octave, bar3 - 40, top1 - 300, false).location.measure, 2);
    EXPECT_EQ(Locate(ObjectType::RepeatEnding, bar3 - 40, top1 - 300, true).location.staff, 1);
}

}  // namespace
}  // namespace ql::testing_spanners
