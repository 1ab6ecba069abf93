// Keys on a chosen slur through the slur tool: after "F" turns it over or keypad
// plus thickens it, the handles the editor holds stand where the slur's own handles
// now are, without letting the slur go first; let go of, the window is painted
// afresh where the slur was drawn when chosen and where it now lies.
#include <gtest/gtest.h>

#include <vector>

#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tools.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/slur_class.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"

namespace ql::testing_marks {
namespace {

constexpr int32_t kHandleHalf = 24;

class SlurKeysTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        BuildScoreForTools(kHandleHalf);
        SlurToolHandler(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    }
    intptr_t Mouse(win::Message message, LogicalPoint at) {
        const gfx::Point client = Device(at.x, at.y);
        return SlurToolHandler(view_, Message, nullptr, window_, message, 0, win::PackPoint(win::Point{client.x, client.y}));
    }
    void Key(uint32_t key) { SlurToolHandler(view_, Message, nullptr, window_, win::Message::KeyDown, key, 0); }
    // The points of the held chain and of a chain built afresh from the slur.
    static std::vector<LogicalPoint> Points(const HitRecord* chain) {
        std::vector<LogicalPoint> points;
        for (; chain != nullptr; chain = chain->child.get()) points.push_back(chain->point);
        return points;
    }
    // A new slur made by a click above the staff, left chosen with its handles.
    ScoreObject* Choose() {
        const LogicalPoint at{PointIn(1, 2, 100).x, PointIn(1, 2, 100).y - 600};
        Mouse(win::Message::MouseMove, at);
        Mouse(win::Message::LeftButtonDown, at);
        Mouse(win::Message::LeftButtonUp, at);
        SelectionState* s = TheSelectionState();
        ScoreObject* slur = s->focusedObject.get();
        EXPECT_TRUE(slur != nullptr && slur->type == TypeCode(ObjectType::Slur)) << "the click left no slur chosen";
        EXPECT_NE(s->focusRecord.get(), nullptr);
        return slur != nullptr && slur->type == TypeCode(ObjectType::Slur) && s->focusRecord ? slur : nullptr;
    }
    std::vector<LogicalPoint> FreshPoints(ScoreObject* slur) {
        HitRecord* fresh = ClassOf(slur).BuildHandles(slur, view_);
        std::vector<LogicalPoint> points = Points(fresh);
        FreeHitRecordChain(fresh);
        FreeHitRecord(fresh);
        return points;
    }
};

TEST_F(SlurKeysTest, HeldHandlesFollowAFlip) {
    ScoreObject* slur = Choose();
    ASSERT_NE(slur, nullptr);
    SelectionState* s = TheSelectionState();
    HitRecord* held = s->focusRecord.get();
    ASSERT_NE(held, nullptr);
    const std::vector<LogicalPoint> made = Points(held);

    Key(static_cast<uint32_t>(win::LetterKey('F')));
    ASSERT_EQ(s->focusRecord.get(), held) << "the editor's record changed";
    const std::vector<LogicalPoint> flipped = FreshPoints(slur);
    ASSERT_NE(flipped, made) << "F changed no handle";
    EXPECT_EQ(Points(held), flipped) << "the held handles stayed where the slur was";
}

TEST_F(SlurKeysTest, HeldHandlesFollowAKeypadStep) {
    ScoreObject* slur = Choose();
    ASSERT_NE(slur, nullptr);
    HitRecord* held = TheSelectionState()->focusRecord.get();
    const std::vector<LogicalPoint> made = Points(held);

    Key(static_cast<uint32_t>(win::Key::Add));
    ASSERT_EQ(TheSelectionState()->focusRecord.get(), held) << "the editor's record changed";
    const std::vector<LogicalPoint> thicker = FreshPoints(slur);
    ASSERT_NE(thicker, made) << "keypad plus changed no handle";
    EXPECT_EQ(Points(held), thicker) << "the held inner handles stayed where the slur's inside was";
}

TEST_F(SlurKeysTest, LettingGoAfterAFlipRepaintsWhereTheSlurWasAndIs) {
    ScoreObject* slur = Choose();
    ASSERT_NE(slur, nullptr);
    const std::vector<LogicalPoint> before = FreshPoints(slur);
    Key(static_cast<uint32_t>(win::LetterKey('F')));
    const std::vector<LogicalPoint> after = FreshPoints(slur);
    ASSERT_NE(after, before) << "F changed no handle";
    win::ValidateRect(window_, nullptr);
    const LogicalPoint paper{PointIn(1, 3, 200).x, PointIn(1, 3, 200).y + 6000};
    Mouse(win::Message::MouseMove, paper);
    Mouse(win::Message::LeftButtonDown, paper);
    Mouse(win::Message::LeftButtonUp, paper);
    ASSERT_NE(TheSelectionState()->focusedObject.get(), slur) << "the slur is still chosen";
    const win::Rect update = win::GetUpdateRect(window_);
    // The control points: the bow as it was drawn when chosen, and as it is now.
    for (const LogicalPoint& p : {before[2], before[3], after[2], after[3]}) {
        const gfx::Point d = Device(p.x, p.y);
        EXPECT_TRUE(update.left <= d.x && d.x < update.right && update.top <= d.y && d.y < update.bottom)
            << "(" << p.x << ", " << p.y << ") is not painted again";
    }
    win::PaintInfo paint;
    win::BeginPaint(window_, paint);
    win::EndPaint(window_, paint);
    EXPECT_TRUE(paint.erase) << "the old bow is painted over, not erased";
}

}  // namespace
}  // namespace ql::testing_marks
