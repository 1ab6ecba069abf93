// The line handles of wickettes, widget brackets, octave lines and repeat endings as
// the editor reaches them: the cursor shown over each handle when the pointer
// hovers it, and the middle handle pressed and dragged through the tool, which
// carries the whole line (and its label) with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "core/draw/colour_sets.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/view_location.h"
#include "editing/selection.h"
#include "editing/tools.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"

namespace ql::testing_marks {
namespace {

constexpr int32_t kHandleHalf = 24;

struct SpannerKind {
    ObjectType type;
    ToolHandler tool;
    const char* name;
};

// Named in test listings by its kind (not by its bytes, which hold an address).
void PrintTo(const SpannerKind& kind, std::ostream* out) { *out << kind.name; }

class SpannerHandlesTest : public MarksTest, public ::testing::WithParamInterface<SpannerKind> {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        BuildScoreForTools(kHandleHalf);
    }
    void TearDown() override {
        SelectionState* s = TheSelectionState();
        if (chain_ != nullptr) {
            s->focusRecord = s->hoverRecord = s->hoverListRecord = s->statusRecord = Ref32<HitRecord>{};
            FreeHitRecordChain(chain_);
            FreeHitRecord(chain_);
        }
        MarksTest::TearDown();
    }
    // A new spanner of the parameter's type above the staff in measure 2.
    ScoreObject* Make() {
        ScoreObject* object = Place(GetParam().type, LogicalPoint{PointIn(1, 2, 200).x, PointIn(1, 2, 200).y - 900});
        return object;
    }
    // The object's handles built and focused, as a press on it leaves them.
    HitRecord* Focus(ScoreObject* object) {
        PointAt(PointIn(1, 2, 200));
        chain_ = ClassOf(object).BuildHandles(object, view_);
        TheSelectionState()->focusRecord = Ref32<HitRecord>::To(chain_);
        HitRecord* head = chain_;
        while (head != nullptr && head->kind != kSpannerHeadKind) head = head->child.get();
        return head;
    }
    int32_t CursorOver(HitRecord* record) {
        win::SetCursor(win::LoadSystemCursor(win::SystemCursor::Arrow));
        EXPECT_EQ(SetHoverRecord(view_, chain_, record), 1);
        return win::CursorResourceId(win::GetCursor());
    }
    static int32_t System(win::SystemCursor shape) { return static_cast<int32_t>(shape); }
    intptr_t Mouse(win::Message message, LogicalPoint at) {
        const gfx::Point client = Device(at.x, at.y);
        return GetParam().tool(view_, Message, nullptr, window_, message, 0,
                               win::PackPoint(win::Point{client.x, client.y}));
    }
    void Click(LogicalPoint at) {
        Mouse(win::Message::LeftButtonDown, at);
        Mouse(win::Message::LeftButtonUp, at);
    }
    SpannerPoints Points(ScoreObject* object) {
        PointAt(PointIn(1, 2, 200));
        SpannerPoints points{};
        ComputeSpannerPoints(SpannerOf(object), view_, &points);
        return points;
    }

    // A click on the line's start chooses the object: the line's head record.
    HitRecord* Choose(ScoreObject* object) {
        const LogicalPoint start = Points(object).p[1];
        Mouse(win::Message::MouseMove, start);
        Click(start);
        EXPECT_EQ(TheSelectionState()->focusedObject.get(), object) << "a click on the line's start chooses it";
        HitRecord* head = TheSelectionState()->focusRecord.get();
        while (head != nullptr && head->kind != kSpannerHeadKind) head = head->child.get();
        return head;
    }
    // A click on the paper far below the staff lets go of the chosen object.
    void LetGo() {
        Click(LogicalPoint{PointIn(1, 3, 200).x, PointIn(1, 3, 200).y + 6000});
        PointAt(PointIn(1, 2, 200));
    }

    HitRecord* chain_ = nullptr;
};

// Hooks pointing down from the line: over the hooks' ends the vertical-size cursor,
// over the line's ends the inverted one (pointing the way the hook runs), over the
// middle handle the move cursor.
TEST_P(SpannerHandlesTest, CursorOverEachLineHandle) {
    ScoreObject* object = Make();
    ASSERT_NE(object, nullptr);
    HitRecord* line = Focus(object);
    ASSERT_NE(line, nullptr);
    ASSERT_GT(SpannerHandle(line, 4)->point.y, SpannerHandle(line, 3)->point.y) << "the end hook points up";
    // The octave line has no start hook: its start reads level, as a hook down.
    const bool startHook = SpannerHandle(line, 1)->point.y != SpannerHandle(line, 2)->point.y;
    const auto towardsStart = startHook ? win::SystemCursor::UpArrow : win::SystemCursor::SizeNs;
    const int32_t expected[kSpannerHandleCount] = {
        0, System(win::SystemCursor::SizeNs), System(towardsStart), System(win::SystemCursor::UpArrow),
        System(win::SystemCursor::SizeNs), System(win::SystemCursor::SizeAll)};
    for (int i = 1; i < kSpannerHandleCount; ++i)
        EXPECT_EQ(CursorOver(SpannerHandle(line, i)), expected[i]) << "handle " << i;
}

// Chosen, then pressed on its middle handle and dragged: every point of the line
// moves by the drag, once; a label comes along.
TEST_P(SpannerHandlesTest, MiddleHandleDragMovesTheWholeLine) {
    GetParam().tool(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    ScoreObject* object = Make();
    ASSERT_NE(object, nullptr);
    // Chosen and let go once, the label settles where its record stands.
    ASSERT_NE(Choose(object), nullptr);
    LetGo();
    const SpannerPoints before = Points(object);
    const bool labelled = object->type != TypeCode(ObjectType::PedalBracket);
    const LogicalPoint labelBefore = labelled ? TextObjectAnchorPoint(object, view_) : LogicalPoint{};
    HitRecord* head = Choose(object);
    ASSERT_NE(head, nullptr);
    const LogicalPoint grab = SpannerHandle(head, kSpannerMiddleHandle)->point;
    const LogicalPoint drop{grab.x + 256, grab.y - 320};
    Mouse(win::Message::LeftButtonDown, grab);
    for (int step = 1; step <= 4; ++step)
        Mouse(win::Message::MouseMove, LogicalPoint{grab.x + 64 * step, grab.y - 80 * step});
    Mouse(win::Message::LeftButtonUp, drop);
    LetGo();
    const SpannerPoints after = Points(object);
    for (int i = 0; i < kSpannerPointCount; ++i) {
        EXPECT_NEAR(after.p[i].x, before.p[i].x + 256, 16) << "point " << i;  // a pixel of rounding
        EXPECT_NEAR(after.p[i].y, before.p[i].y - 320, 16) << "point " << i;
    }
    if (labelled) {
        const LogicalPoint label = TextObjectAnchorPoint(object, view_);
        EXPECT_NEAR(label.x, labelBefore.x + 256, 16);
        EXPECT_NEAR(label.y, labelBefore.y - 320, 16);
    }
}

// Dragged by its middle handle, then let go of: the window is painted afresh where
// the line stood before the drag (the drag moved only its handles), background first.
TEST_P(SpannerHandlesTest, LettingGoAfterADragRepaintsWhereTheLineWas) {
    GetParam().tool(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    ScoreObject* object = Make();
    ASSERT_NE(object, nullptr);
    ASSERT_NE(Choose(object), nullptr);
    LetGo();
    const SpannerPoints before = Points(object);
    HitRecord* head = Choose(object);
    ASSERT_NE(head, nullptr);
    const LogicalPoint grab = SpannerHandle(head, kSpannerMiddleHandle)->point;
    const LogicalPoint drop{grab.x, grab.y - 900};
    Mouse(win::Message::LeftButtonDown, grab);
    for (int step = 1; step <= 3; ++step) Mouse(win::Message::MouseMove, LogicalPoint{grab.x, grab.y - 300 * step});
    Mouse(win::Message::LeftButtonUp, drop);
    win::ValidateRect(window_, nullptr);
    LetGo();
    const win::Rect update = win::GetUpdateRect(window_);
    for (int i = 1; i <= 2; ++i) {
        const gfx::Point old = Device(before.p[i].x, before.p[i].y);
        EXPECT_TRUE(update.left <= old.x && old.x < update.right && update.top <= old.y && old.y < update.bottom)
            << "point " << i << " of the line before the drag is not painted again";
    }
    win::PaintInfo paint;
    win::BeginPaint(window_, paint);
    win::EndPaint(window_, paint);
    EXPECT_TRUE(paint.erase) << "the old line is painted over, not erased";
}

// A labelled line's drag feedback shows its label's image where the label's record
// stands, along with the line; drawn again, the feedback is gone; the commit drops
// the image.
TEST_P(SpannerHandlesTest, DragFeedbackShowsTheLabel) {
    ScoreObject* object = Make();
    ASSERT_NE(object, nullptr);
    if (object->type == TypeCode(ObjectType::PedalBracket)) GTEST_SKIP() << "a pedal bracket has no label";
    ASSERT_NE(Focus(object), nullptr);
    HitRecord* label = chain_;
    ASSERT_EQ(label->kind, object->type) << "the chain does not start with the label";
    if (label->outer.right <= label->outer.left) GTEST_SKIP() << "the label's glyph measures empty without the music font";
    ClearWindow();
    const auto feedback = [&] {
        BeginHighlightDrawAlt3(view_);
        ClassOf(object).DrawTracking(object, view_);
        EndHighlightDraw(view_);
    };
    const auto erase = [&] {
        BeginHighlightDrawAlt3(view_);
        ClassOf(object).EraseTracking(object, view_);
        EndHighlightDraw(view_);
    };
    const auto marked = [&] {
        const gfx::Point a = Device(label->outer.left, label->outer.top);
        const gfx::Point b = Device(label->outer.right, label->outer.bottom);
        int n = 0;
        for (int y = std::min(a.y, b.y); y <= std::max(a.y, b.y); ++y)
            for (int x = std::min(a.x, b.x); x <= std::max(a.x, b.x); ++x) n += Pixel(x, y) != kEraseColour ? 1 : 0;
        return n;
    };
    // The drag starts where the label stands; the label is then dragged clear of the line.
    feedback();
    erase();
    OffsetHitRecord(label, LogicalPoint{0, 1600});
    ASSERT_EQ(marked(), 0);
    feedback();
    WritePng("labelled_spanner_feedback.png");
    EXPECT_GT(marked(), 0) << "no image of the label in the feedback";
    erase();
    EXPECT_EQ(marked(), 0) << "the label's image stayed after the feedback was taken off";
    // Dropped there, the label's image goes with the drag: the next one shows the
    // label as it is then.
    ClassOf(object).CommitDrag(object, view_);
    EXPECT_EQ(uint32_t{AsTextObject(object)->body.bitmapCache}, 0u) << "the label's image outlived the drag";
}

// A labelled line hidden with its label: nothing is drawn unless hidden items are
// displayed, and then it is; its line handles stand on the label's, where alone the
// invisible object can be taken.
TEST_P(SpannerHandlesTest, HiddenLabelledLineShowsOnlyWithHiddenItems) {
    ScoreObject* object = Make();
    ASSERT_NE(object, nullptr);
    if (object->type == TypeCode(ObjectType::PedalBracket)) GTEST_SKIP() << "a pedal bracket has no label";
    AsTextObject(object)->body.flags |= kTextHidden;
    const SpannerPoints p = Points(object);
    const gfx::Point a = Device(std::min(p.p[0].x, p.p[1].x) - 64, std::min(p.p[1].y, p.p[2].y) - 64);
    const gfx::Point b = Device(std::max(p.p[2].x, p.p[3].x) + 64, std::max(p.p[0].y, p.p[3].y) + 64);
    const auto marked = [&] {
        int n = 0;
        for (int y = std::min(a.y, b.y); y <= std::max(a.y, b.y); ++y)
            for (int x = std::min(a.x, b.x); x <= std::max(a.x, b.x); ++x) n += Pixel(x, y) != kEraseColour ? 1 : 0;
        return n;
    };
    ClearWindow();
    State().notes.DisplayHiddenItems = 0;
    ClassOf(object).Draw(object, view_);
    EXPECT_EQ(marked(), 0) << "a hidden line was drawn";
    HitRecord* line = Focus(object);
    ASSERT_NE(line, nullptr);
    for (int i = 1; i < kSpannerHandleCount; ++i)
        EXPECT_EQ(SpannerHandle(line, i)->point, chain_->point) << "handle " << i << " stays on the hidden line";
    State().notes.DisplayHiddenItems = 1;
    ClassOf(object).Draw(object, view_);
    EXPECT_GT(marked(), 0) << "a hidden line is not drawn while hidden items are displayed";
    State().notes.DisplayHiddenItems = 0;
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpannerHandlesTest,
                         ::testing::Values(SpannerKind{ObjectType::PedalBracket, &WicketteToolHandler, "Wickette"},
                                           SpannerKind{ObjectType::Widget, &WidgetBracketToolHandler, "WidgetBracket"},
                                           SpannerKind{ObjectType::Octave, &OctaveLineToolHandler, "OctaveLine"},
                                           SpannerKind{ObjectType::RepeatEnding, &RepeatEndingToolHandler, "RepeatEnding"}),
                         [](const ::testing::TestParamInfo<SpannerKind>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace ql::testing_marks
