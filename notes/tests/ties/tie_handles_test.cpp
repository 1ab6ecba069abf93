// A tie's handles: they lie on the drawn curve and give the body back unchanged; a
// drag of the end carries its control points and levels the start; the flip puts the
// curve on the other side of the notes in one undo step; the thickness step moves
// the inner control points.
#include <gtest/gtest.h>

#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "notes/tests/entry/entry_fixture.h"
#include "notes/ties/tie_handles.h"
#include "notes/ties/ties.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

constexpr int kStepInSpace = -3;

class TieHandles : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        State().notes.CurveSide = 0;
        EventRecord* a = Note(0, 0, kQuarter, kStepInSpace);
        Note(0, kQuarterTicks, kQuarter, kStepInSpace);
        ASSERT_EQ(ToggleTie(view_, a, 0), 1);
        tie_ = FindNoteTie(a);
        ASSERT_NE(tie_, nullptr);
        ASSERT_NE(BuildTieHandles(tie_, view_), nullptr);
    }
    TieBody& Body() { return AsTie(tie_)->body; }
    HitRecord* Handle(int kind) {
        for (HitRecord* r = tie_->handleChain.get(); r != nullptr; r = r->child.get())
            if (r->kind == kind) return r;
        return nullptr;
    }
    static bool Same(const TieBody& a, const TieBody& b) {
        return a.controlInset == b.controlInset && a.controlRise == b.controlRise && a.startDx == b.startDx &&
               a.startDy == b.startDy && a.endDx == b.endDx && a.endDy == b.endDy && a.shape == b.shape;
    }
    ScoreObject* tie_ = nullptr;
};

TEST_F(TieHandles, HandlesLieOnTheCurveAndGiveTheBodyBack) {
    EventRecord* start = ClassOf(tie_).GetOwnerNote(tie_);
    const TieCurve curve = ComputeTieCurve(Body(), view_, start, NextEvent(start), 0);
    EXPECT_EQ(Handle(kTieStartHandle)->point, curve.outer[0]);
    EXPECT_EQ(Handle(kTieOuterEndHandle)->point, curve.outer[2]);
    EXPECT_EQ(Handle(kTieEndHandle)->point, curve.outer[3]);
    EXPECT_EQ(Handle(kTieInnerStartHandle)->point, curve.inner[1]);
    const TieBody before = Body();
    ASSERT_EQ(CommitTieDrag(tie_, view_), 1);
    EXPECT_TRUE(Same(Body(), before)) << "untouched handles change nothing";
}

// The end carries both end control points; the start side follows only vertically;
// the stored ends stay level.
TEST_F(TieHandles, DraggingTheEndCarriesItsControlPoints) {
    const TieBody before = Body();
    const LogicalPoint start = Handle(kTieStartHandle)->point;
    const LogicalPoint outerEnd = Handle(kTieOuterEndHandle)->point;
    TrackTieDrag(tie_, kTieEndHandle, LogicalPoint{40, 20});
    EXPECT_EQ(Handle(kTieOuterEndHandle)->point, (LogicalPoint{outerEnd.x + 40, outerEnd.y + 20}));
    EXPECT_EQ(Handle(kTieStartHandle)->point, (LogicalPoint{start.x, start.y + 20}));
    ASSERT_EQ(CommitTieDrag(tie_, view_), 1);
    EXPECT_EQ(Body().endDx, before.endDx + 20);
    EXPECT_EQ(Body().startDy, before.startDy + 10);
    EXPECT_EQ(Body().endDy, Body().startDy);
    EXPECT_EQ(Body().controlRise, before.controlRise) << "the control points moved with the start";
}

// "F" flips the curve to below the notes and one Undo brings it back above; a flip
// towards the side it is on already does nothing.
TEST_F(TieHandles, FlipKeyPutsTheCurveOnTheOtherSideInOneUndoStep) {
    const TieBody before = Body();
    ASSERT_LT(before.controlRise, 0) << "a new tie stands above the notes";
    const LogicalPoint start = Handle(kTieStartHandle)->point;
    FlipTieHandles(tie_, view_, true);
    EXPECT_EQ(Handle(kTieStartHandle)->point, start) << "above already";
    const int depth = UndoDepth(doc_);
    EXPECT_EQ(TieKey(tie_, view_, static_cast<uint32_t>(win::LetterKey('F'))), 1);
    EXPECT_GT(Body().controlRise, 0);
    EXPECT_EQ(Body().startDy, -before.startDy);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    UndoCommand(doc_, view_);
    EXPECT_TRUE(Same(Body(), before));
}

TEST_F(TieHandles, ThicknessStepMovesTheInnerControlPoints) {
    const int thickness = Body().shape & 0xFF;
    const int32_t inner = Handle(kTieInnerStartHandle)->point.y;
    StepTieThickness(tie_, view_, 1);
    EXPECT_EQ(Body().shape & 0xFF, thickness + 2);
    EXPECT_EQ(std::abs(Handle(kTieInnerStartHandle)->point.y - inner), 2);
    EXPECT_EQ(TieKey(tie_, view_, static_cast<uint32_t>(win::LetterKey('D'))), 1);
    EXPECT_EQ(LineStyle(Body()), 1) << "D makes the tie dashed";
}

}  // namespace
}  // namespace ql::testing_entry
