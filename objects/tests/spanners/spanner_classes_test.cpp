// The spanner classes: where a new octave line lands, its label following the end
// hook on commit, a wickette on a note following the note, a widget bracket copied
// with its label, copies that fail leaving nothing behind, the repeat-ending list
// freed by every edit that can change it, and new labels measured as they are made.

#include <cstring>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/objects/hit_record.h"
#include "core/tests/text/text_drag_support.h"
#include "core/text/text_object.h"
#include "core/model/document.h"
#include "core/objects/selection_state.h"
#include "display/anchors.h"
#include "display/hit_test.h"
#include "display/tests/painter/paint_check.h"
#include "layout/measure_spacing.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "objects/object_services.h"
#include "objects/spanners/repeat_ending_list.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/tests/spanners/spanner_fixture.h"

namespace ql::testing_spanners {
namespace {

using testing_text_drag::DragAndLetGo;

class SpannerClassesTest : public SpannerTest {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        BuildScore(2, {2}, 4);
        Locate(1, 2);
    }
    SpannerPoints Points(ScoreObject* object) {
        Locate(1, 2);
        SpannerPoints points{};
        ComputeSpannerPoints(SpannerOf(object), view_, &points);
        return points;
    }
    ScoreObject* Clone(ScoreObject* object) {
        return ClassOf(object).Clone(object, view_, PoolSet(doc_->pools), PoolSet(doc_->pools));
    }
    // The line's handle chain made the object's, as selecting it does.
    HitRecord* Select(ScoreObject* object) {
        Locate(1, 2);
        HitRecord* head = BuildLineHandles(SpannerOf(object), view_);
        object->handleChain = Ref32<HitRecord>::To(head);
        return head;
    }
    void Unselect(ScoreObject* object) {
        HitRecord* head = object->handleChain.get();
        FreeHitRecordChain(head);
        FreeHitRecord(head);
        object->handleChain = Ref32<HitRecord>{};
    }
    int32_t x_ = 0;
};

TEST_F(SpannerClassesTest, OctaveLineClickIsKeptAboveTheStaff) {
    const int32_t top = view_->staffY;
    const int32_t x = SlotContent(System(0), 2) + 40;
    // A click 600 above the staff is moved up to 512 above it; the line lies a hook above.
    view_->pointerPoint = LogicalPoint{x, top - 600};
    ScoreObject* low = CreateOctaveLineAtClick(view_);
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(Points(low).p[1].y, top - 512 - 256);
    EXPECT_EQ(view_->pointerPoint.y, top - 600);  // the view's pointer is left alone
    // 700 above stays where it was clicked.
    view_->pointerPoint = LogicalPoint{x, top - 700};
    ScoreObject* high = CreateOctaveLineAtClick(view_);
    ASSERT_NE(high, nullptr);
    const SpannerPoints p = Points(high);
    EXPECT_EQ(p.p[1].y, top - 700 - 256);
    // No start hook; the end hook 128 down; dashed; the octave-above sign.
    EXPECT_EQ(p.p[0], p.p[1]);
    EXPECT_EQ(p.p[3].y - p.p[2].y, 128);
    EXPECT_EQ(SpannerOf(high)->endpoint.style, 1);
    EXPECT_EQ(AsTextObject(high)->body.string, kOctaveAboveCode);
}

TEST_F(SpannerClassesTest, OctaveLabelFollowsTheEndHookOnCommit) {
    view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 40, view_->staffY - 800};
    ScoreObject* octave = CreateOctaveLineAtClick(view_);
    ASSERT_NE(octave, nullptr);
    HitRecord* head = Select(octave);
    ASSERT_NE(head, nullptr);
    // The end hook dragged up past the line: the octave-below sign on commit.
    TrackSpannerHandle(*SpannerOf(octave), view_, head, 4, LogicalPoint{0, -300}, true, true);
    EXPECT_EQ(ClassOf(octave).CommitDrag(octave, view_), 1);
    TextObject* label = AsTextObject(octave);
    EXPECT_LT(SpannerOf(octave)->endpoint.endHook, 0);
    EXPECT_EQ(label->body.string, kOctaveBelowCode);
    EXPECT_NE(label->body.flags & 0x0100, 0);
    // Dragged down again: back to the octave-above sign, bits 8 and 9 cleared.
    TrackSpannerHandle(*SpannerOf(octave), view_, SpannerHandle(octave->handleChain.get(), 0), 4,
                       LogicalPoint{0, 600}, true, true);
    ClassOf(octave).CommitDrag(octave, view_);
    EXPECT_EQ(label->body.string, kOctaveAboveCode);
    EXPECT_EQ(label->body.flags & 0x0300, 0);
    Unselect(octave);
}

TEST_F(SpannerClassesTest, OctaveLabelRulesForKeptCodesAndTypedStrings) {
    ScoreObject* octave = ConstructObject(TypeCode(ObjectType::Octave));
    ASSERT_NE(octave, nullptr);
    TextObject* label = AsTextObject(octave);
    SpannerOf(octave)->endpoint.endHook = -128;
    // 230 is kept when the line turns below.
    label->body.string = kOctaveKeptBelowCode;
    FollowOctaveHook(octave);
    EXPECT_EQ(label->body.string, kOctaveKeptBelowCode);
    // After the dialog's OK the next commit leaves the label alone, once.
    label->body.string = kOctaveAboveCode;
    SkipNextOctaveFollow();
    FollowOctaveHook(octave);
    EXPECT_EQ(label->body.string, kOctaveAboveCode);
    FollowOctaveHook(octave);
    EXPECT_EQ(label->body.string, kOctaveBelowCode);
    // A typed string is never replaced.
    ASSERT_GE(SetTextObjectString(label, "loco"), 0);
    label->body.flags |= kTextOwnsString;
    const uint16_t handle = label->body.string;
    SpannerOf(octave)->endpoint.endHook = 128;
    FollowOctaveHook(octave);
    EXPECT_EQ(label->body.string, handle);
    DestroyTextObject(label);
    FreeRecord(kLargeObjectPool, octave);
}

TEST_F(SpannerClassesTest, WicketteOnANoteFollowsItWhenTheMeasureIsRespaced) {
    EventRecord* note = AddNote(2048, 0);
    ASSERT_NE(note, nullptr);
    Locate(1, 2);
    const LogicalPoint at = GetEventPosition(note, view_);
    view_->pointerPoint = at;
    ScoreObject* wickette = CreateWicketteAtClick(view_, false);
    ASSERT_NE(wickette, nullptr);
    ASSERT_EQ(wickette->subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
    // The start time is kept relative to the note.
    EXPECT_LT(SpannerOf(wickette)->endpoint.start.coarse[1], 2048);
    const SpannerPoints before = Points(wickette);
    // Respace: measure 2 starts its beats later and stretches them.
    MeasureRecord& record = *MeasureRecordOf(doc_, 2);
    record.lead = static_cast<int16_t>(record.lead + 400);
    record.stretch = static_cast<uint16_t>(record.stretch * 2);
    record.width = static_cast<uint16_t>(MeasureWidth(doc_, 2));
    UpdateBeatMaps(view_, 1);
    Locate(1, 2);
    const LogicalPoint moved = GetEventPosition(note, view_);
    ASSERT_NE(moved.x, at.x);
    const SpannerPoints after = Points(wickette);
    // The start moves with the note (its tick's x moved; the stored offset is kept).
    EXPECT_NEAR(after.p[1].x - before.p[1].x, moved.x - at.x, (moved.x - at.x) / 8)
        << "note moved " << moved.x - at.x;
    EXPECT_EQ(after.p[1].y, before.p[1].y);
}

// A wickette on a note, let go of while the view stands at another staff and
// measure (a click elsewhere commits it), keeps its place on the note.
TEST_F(SpannerClassesTest, WicketteOnANoteCommitsWhereItsHandlesWereMade) {
    EventRecord* note = AddNote(1024, 0);
    ASSERT_NE(note, nullptr);
    view_->pointerPoint = GetEventPosition(note, view_);
    ScoreObject* wickette = CreateWicketteAtClick(view_, false);
    ASSERT_NE(wickette, nullptr);
    ASSERT_EQ(wickette->subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
    const SpannerPoints before = Points(wickette);
    ASSERT_NE(Select(wickette), nullptr);
    Locate(2, 4);
    EXPECT_EQ(ClassOf(wickette).CommitDrag(wickette, view_), 1);
    const SpannerPoints after = Points(wickette);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(after.p[i], before.p[i]) << "point " << i;
    Unselect(wickette);
}

// The label dragged on its own: the commit anchors it where it was dropped.
TEST_F(SpannerClassesTest, ADraggedLabelStaysWhereItWasDropped) {
    view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 40, view_->staffY - 800};
    ScoreObject* widget = CreateWidgetBracketAtClick(view_);
    ASSERT_NE(widget, nullptr);
    TextObject* label = AsTextObject(widget);
    auto labelPoint = [&] {
        Locate(1, 2);
        LogicalPoint at{};
        DecodeAnchors(view_, widget->subtype, &label->body.location, &at, 1);
        return at;
    };
    const LogicalPoint before = labelPoint();
    HitRecord* chain = ClassOf(widget).BuildHandles(widget, view_);
    ASSERT_NE(chain, nullptr);
    widget->handleChain = Ref32<HitRecord>::To(chain);
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>::To(chain);  // the label's handle comes first
    selection->grabbedRecord = Ref32<HitRecord>::To(chain);
    selection->dragOffsetX = 96;
    selection->dragOffsetY = -64;
    ClassOf(widget).TrackDrag(widget, view_);
    EXPECT_EQ(ClassOf(widget).CommitDrag(widget, view_), 1);
    selection->focusRecord = Ref32<HitRecord>{};
    selection->grabbedRecord = Ref32<HitRecord>{};
    selection->dragOffsetX = selection->dragOffsetY = 0;
    Unselect(widget);
    const LogicalPoint after = labelPoint();
    EXPECT_EQ(after.x, before.x + 96);
    EXPECT_EQ(after.y, before.y - 64);
}

TEST_F(SpannerClassesTest, WidgetBracketIsCopiedWithItsLabel) {
    view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 40, view_->staffY - 800};
    ScoreObject* widget = CreateWidgetBracketAtClick(view_);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(TextObjectString(AsTextObject(widget)), "R.H.");
    const int live = LiveRecords();
    ScoreObject* copy = Clone(widget);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->type, widget->type);
    EXPECT_STREQ(TextObjectString(AsTextObject(copy)), "R.H.");
    EXPECT_NE(TextObjectString(AsTextObject(copy)), TextObjectString(AsTextObject(widget)));
    EXPECT_EQ(std::memcmp(&SpannerOf(copy)->endpoint, &SpannerOf(widget)->endpoint, sizeof(SpannerEndpoint)), 0);
    ReleaseObjectByType(doc_, copy);
    EXPECT_EQ(LiveRecords(), live);
}

TEST_F(SpannerClassesTest, CopiesThatCannotBeCompletedLeaveNothing) {
    ScoreObject* octave = AddToCell(ObjectType::Octave, 1, 2);
    ASSERT_NE(octave, nullptr);
    ASSERT_GE(SetTextObjectString(AsTextObject(octave), "8va bassa"), 0);
    AsTextObject(octave)->body.flags |= kTextOwnsString;
    const int live = LiveRecords();
    // The record is had, its label's string is not: no copy, nothing left.
    FailRecordAllocationAfter(1);
    EXPECT_EQ(Clone(octave), nullptr);
    FailNextRecordAllocations(0);
    EXPECT_EQ(LiveRecords(), live);
    // No record at all.
    FailNextRecordAllocations(1);
    EXPECT_EQ(Clone(octave), nullptr);
    FailNextRecordAllocations(0);
    EXPECT_EQ(LiveRecords(), live);
    // A good copy keeps label, endpoint and anchoring.
    SpannerOf(octave)->endpoint.endHook = -77;
    ScoreObject* copy = Clone(octave);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(TextObjectString(AsTextObject(copy)), "8va bassa");
    EXPECT_EQ(SpannerOf(copy)->endpoint.endHook, -77);
    EXPECT_EQ(SpannerOf(copy)->owner.get(), copy);
    DestroyTextObject(AsTextObject(copy));
    FreeRecord(kLargeObjectPool, copy);
}

TEST_F(SpannerClassesTest, EditsOfEndingsFreeTheList) {
    ScoreObject* ending = AddToCell(ObjectType::RepeatEnding, 1, 2);
    ASSERT_NE(ending, nullptr);
    auto built = [&] { return FindRepeatEndingAtMeasure(doc_, view_, 2) != nullptr && doc_->repeatEndings != nullptr; };
    // A clone frees it.
    ASSERT_TRUE(built());
    ScoreObject* copy = Clone(ending);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(doc_->repeatEndings, nullptr);
    DestroyTextObject(AsTextObject(copy));
    FreeRecord(kLargeObjectPool, copy);
    // A committed drag frees it.
    ASSERT_TRUE(built());
    ASSERT_NE(Select(ending), nullptr);
    ClassOf(ending).CommitDrag(ending, view_);
    EXPECT_EQ(doc_->repeatEndings, nullptr);
    Unselect(ending);
    // A drop frees it.
    ASSERT_TRUE(built());
    ClassOf(ending).HandleDrop(ending, view_, nullptr, nullptr);
    EXPECT_EQ(doc_->repeatEndings, nullptr);
}

TEST_F(SpannerClassesTest, NewRepeatEndingFitsItsMeasure) {
    const int32_t x = SlotContent(System(0), 2) + 300;
    view_->pointerPoint = LogicalPoint{x, view_->staffY - 100};
    ScoreObject* ending = CreateRepeatEndingAtClick(view_);
    ASSERT_NE(ending, nullptr);
    const SpannerPoints p = Points(ending);
    // From the measure's barline to the next one, 128 inside each; 640 above the staff.
    EXPECT_EQ(p.p[1].x, SlotLeft(System(0), 2) + 128);
    EXPECT_EQ(p.p[2].x, SlotLeft(System(0), 3) - 128);
    EXPECT_EQ(p.p[0].y, view_->staffY - 640);
    EXPECT_EQ(AsRepeatEnding(ending)->span, 1);
    EXPECT_EQ(AsRepeatEnding(ending)->passes[0], 1);
    EXPECT_NE(FindRepeatEndingAtMeasure(doc_, view_, 2), nullptr);
}

// A new ending's label is measured as it is made, as a widget bracket's is: its
// width is at least the text record's minimum, and a paint of every page then
// changes nothing (the same goes for a new octave line).
TEST_F(SpannerClassesTest, NewRepeatEndingIsMeasuredWhenMade) {
    if (!MeasureWithMusicFont()) GTEST_SKIP() << "the music font is not built";
    view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 300, view_->staffY - 100};
    ScoreObject* ending = CreateRepeatEndingAtClick(view_);
    ASSERT_NE(ending, nullptr);
    const TextObject* label = AsTextObject(ending);
    EXPECT_GE(label->body.width, 64);
    EXPECT_GT(label->body.height, 0);
    EXPECT_GT(label->body.baseline, 0);
    Locate(1, 3);
    view_->pointerPoint = LogicalPoint{SlotContent(System(0), 3) + 300, view_->staffY - 800};
    ASSERT_NE(CreateOctaveLineAtClick(view_), nullptr);
    EXPECT_TRUE(::ql::testing::PaintingEveryPageChangesNothing(view_));
}

// An octave line and a repeat ending chosen and let go of without a move keep their
// labels where they were (a label's handle stands at the centre of its rectangle,
// above the anchor on the baseline); dragged whole, each label moves by the drag.
TEST_F(SpannerClassesTest, LabelsLetGoOfStayAndMoveByTheDrag) {
    if (!MeasureWithMusicFont()) GTEST_SKIP() << "the music font is not built";
    constexpr LogicalPoint kDrag{96, -160};
    view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 40, view_->staffY - 800};
    ScoreObject* octave = CreateOctaveLineAtClick(view_);
    Locate(1, 2);
    view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 300, view_->staffY - 100};
    ScoreObject* ending = CreateRepeatEndingAtClick(view_);
    for (ScoreObject* spanner : {octave, ending}) {
        ASSERT_NE(spanner, nullptr);
        const int type = spanner->type;
        Locate(1, 2);
        const LogicalPoint placed = TextObjectAnchorPoint(spanner, view_);
        EXPECT_EQ(DragAndLetGo(spanner, view_, LogicalPoint{}), placed) << "a let-go moved the label of " << type;
        EXPECT_EQ(DragAndLetGo(spanner, view_, LogicalPoint{}), placed) << "a second let-go moved the label of " << type;
        const LogicalPoint moved = DragAndLetGo(spanner, view_, kDrag);
        EXPECT_EQ(moved.x, placed.x + kDrag.x) << type;
        EXPECT_EQ(moved.y, placed.y + kDrag.y) << type;
    }
}

}  // namespace
}  // namespace ql::testing_spanners
