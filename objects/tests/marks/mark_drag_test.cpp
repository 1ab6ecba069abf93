// Marks of the text family let go of: a dynamic, a pedal mark, a tempo mark and a
// chord symbol chosen and let go of without a move stay where they were (their
// handle stands at the centre of their rectangle, above the anchor on the baseline),
// and a drag moves each by exactly as far as the handle went. A mark whose let-go
// takes it into another measure is one undo step: undone, it is back in its measure
// and no list holds it twice.
#include <gtest/gtest.h>

#include <vector>

#include "core/tests/text/text_drag_support.h"
#include "core/undo/undo.h"
#include "editing/selection.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_marks {
namespace {

using testing_text_drag::DragAndLetGo;

constexpr LogicalPoint kNoMove{0, 0};
constexpr LogicalPoint kDrag{96, 160};

class MarkDragTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        // The glyph marks are measured by their ink in the music font.
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        UseDialogs();
        BuildScore(1);
        ui::headless::SetDialogScript(kTempoDialogId, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
        ui::headless::SetDialogScript(chord_dialog::kDialog, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    }
    // Two let-gos without a move leave the anchor; a drag by kDrag moves it by as much.
    void ExpectStaysAndFollowsTheDrag(ObjectType type) {
        ScoreObject* mark = Place(type, PointIn(1, 2, 300));
        ASSERT_NE(mark, nullptr);
        const LogicalPoint placed = TextObjectAnchorPoint(mark, view_);
        EXPECT_EQ(DragAndLetGo(mark, view_, kNoMove), placed) << "a let-go moved the mark";
        EXPECT_EQ(DragAndLetGo(mark, view_, kNoMove), placed) << "a second let-go moved the mark";
        const LogicalPoint moved = DragAndLetGo(mark, view_, kDrag);
        EXPECT_EQ(moved.x, placed.x + kDrag.x);
        EXPECT_EQ(moved.y, placed.y + kDrag.y);
    }
};

TEST_F(MarkDragTest, ADynamicLetGoOfStaysAndADragMovesItByAsMuch) {
    ExpectStaysAndFollowsTheDrag(ObjectType::Dynamic);
}

TEST_F(MarkDragTest, APedalMarkLetGoOfStaysAndADragMovesItByAsMuch) {
    ExpectStaysAndFollowsTheDrag(ObjectType::Pedal);
}

TEST_F(MarkDragTest, ATempoMarkLetGoOfStaysAndADragMovesItByAsMuch) {
    ExpectStaysAndFollowsTheDrag(ObjectType::Tempo);
}

TEST_F(MarkDragTest, AChordSymbolLetGoOfStaysAndADragMovesItByAsMuch) {
    ExpectStaysAndFollowsTheDrag(ObjectType::Chord);
}

// The let-go at the end of a key's message (its own undo step already closed) relinks
// the mark into the measure its handle went to: that is recorded, so that undoing it
// and the placing leave no measure holding a freed mark.
TEST_F(MarkDragTest, AMarkLetGoOfInAnotherMeasureIsUndoneFromThere) {
    ScoreObject* mark = Place(ObjectType::Tempo, PointIn(1, 2, 300));
    ASSERT_NE(mark, nullptr);
    const int steps = UndoSteps();
    HitRecord* handle = ClassOf(mark).BuildHandles(mark, view_);
    ASSERT_NE(handle, nullptr);
    SelectionState* selection = TheSelectionState();
    mark->handleChain = Ref32<HitRecord>::To(handle);
    selection->focusRecord = Ref32<HitRecord>::To(handle);
    selection->focusedObject = Ref32<ScoreObject>::To(mark);
    selection->editMode = 1;
    const LogicalPoint from = PointIn(1, 2, 300);
    const LogicalPoint to = PointIn(1, 3, 300);
    for (HitRecord* hit = handle; hit != nullptr; hit = hit->child.get())
        OffsetHitRecord(hit, LogicalPoint{to.x - from.x, to.y - from.y});
    CommitFocusedElement(view_);
    ASSERT_EQ(CellObjects(1, 3), std::vector<ScoreObject*>{mark});
    EXPECT_TRUE(CellObjects(1, 2).empty());
    EXPECT_EQ(UndoSteps(), steps + 1) << "the move between measures is an undo step";
    UndoCommand(doc_, view_);
    EXPECT_TRUE(CellObjects(1, 3).empty());
    EXPECT_EQ(CellObjects(1, 2), std::vector<ScoreObject*>{mark});
    UndoCommand(doc_, view_);
    EXPECT_TRUE(CellObjects(1, 2).empty());
    EXPECT_TRUE(CellObjects(1, 3).empty());
}

}  // namespace
}  // namespace ql::testing_marks
