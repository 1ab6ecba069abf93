// The handles of a tuplet mark's curve and bracket as the editor meets them: the
// move handle kept clear of the number, the cursor over each handle as the hover
// hands it the record's kind, and a curve dragged across its note turning back.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/model/events.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/hit_test.h"
#include "editing/selection.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/tests/tuplets/tuplet_fixture.h"
#include "objects/tuplets/tuplet.h"
#include "objects/tuplets/tuplet_class.h"
#include "objects/tuplets/tuplet_curve_handles.h"
#include "platform/win/input.h"

namespace ql::testing_tuplets {
namespace {

class TupletCurveTest : public TupletTest {
  protected:
    void SetUp() override {
        TupletTest::SetUp();
        State().notes.NoteTools = NoteToolState{};
    }
    void TearDown() override {
        DropHandles();
        TupletTest::TearDown();
    }
    // A mark of `style` on a new triplet, with its handles built and focused as the
    // editor leaves a chosen mark.
    ScoreObject* ChosenMark(int style, int16_t stem = kStemUp) {
        State().notes.NoteTools.tupletMarkStyle = static_cast<uint8_t>(style);
        first_ = Triplets(0, 1, stem);
        view_->pointerPoint = GetEventPosition(first_, view_);
        mark_ = CreateTupletAtClick(view_);
        if (mark_ == nullptr) return nullptr;
        chain_ = ClassOf(mark_).BuildHandles(mark_, view_);
        if (chain_ == nullptr) return nullptr;
        mark_->handleChain = Ref32<HitRecord>::To(chain_);
        TheSelectionState()->focusRecord = Ref32<HitRecord>::To(chain_);
        return mark_;
    }
    void DropHandles() {
        if (chain_ == nullptr) return;
        TheSelectionState()->focusRecord = Ref32<HitRecord>{};
        FreeHitRecordChain(chain_);
        FreeHitRecord(chain_);
        mark_->handleChain = Ref32<HitRecord>{};
        chain_ = nullptr;
    }
    // The cursor the hover sets over a record, as the pointer coming onto it does.
    int32_t CursorOver(HitRecord* record) {
        win::SetCursor(win::LoadSystemCursor(win::SystemCursor::Arrow));
        EXPECT_EQ(SetHoverRecord(view_, record, record), 1);
        return win::CursorResourceId(win::GetCursor());
    }
    static int32_t System(win::SystemCursor shape) { return static_cast<int32_t>(shape); }

    EventRecord* first_ = nullptr;
    ScoreObject* mark_ = nullptr;
    HitRecord* chain_ = nullptr;
};

// The curve's move handle would sit on the number at the bow: it stands just beyond
// the number and the control handles, above them over the notes and below them
// under the notes, at least 256 wide.
TEST_F(TupletCurveTest, MoveHandleStandsClearOfTheNumberAndTheControls) {
    for (const int16_t stem : {kStemUp, kStemDown}) {
        SCOPED_TRACE(stem);
        DropHandles();
        TearDown();
        SetUp();
        ASSERT_NE(ChosenMark(kTupletCurve, stem), nullptr);
        HitRecord* h[kCurveHandleCount] = {};
        ASSERT_TRUE(CurveHandles(mark_, h));
        const HitRecord* move = h[kCurveMoveHandle];
        if (stem == kStemUp) {
            const int32_t highest = std::min({chain_->outer.top, h[2]->outer.top, h[3]->outer.top});
            EXPECT_EQ(move->outer.bottom, highest - 1);
        } else {
            const int32_t lowest = std::max({chain_->outer.bottom, h[2]->outer.bottom, h[3]->outer.bottom});
            EXPECT_EQ(move->outer.top, lowest + 1);
        }
        EXPECT_GE(move->outer.right - move->outer.left, 256);
        EXPECT_EQ(move->point.y, (move->outer.top + move->outer.bottom) / 2) << "its point moved with it";
    }
}

// Over each handle of a chosen curve the hover shows that handle's cursor: the ends
// the four-way size cursor, the control points the vertical one, the inner points
// the inverted vertical one, the move handle the move cursor; over the number the
// text object's.
TEST_F(TupletCurveTest, CursorOverEachCurveHandle) {
    ASSERT_NE(ChosenMark(kTupletCurve), nullptr);
    HitRecord* h[kCurveHandleCount] = {};
    ASSERT_TRUE(CurveHandles(mark_, h));
    const int32_t expected[kCurveHandleCount] = {
        0, System(win::SystemCursor::SizeAll), System(win::SystemCursor::SizeNs), System(win::SystemCursor::SizeNs),
        System(win::SystemCursor::SizeAll), System(win::SystemCursor::UpArrow), System(win::SystemCursor::UpArrow),
        System(win::SystemCursor::SizeAll)};
    for (int i = 1; i < kCurveHandleCount; ++i) EXPECT_EQ(CursorOver(h[i]), expected[i]) << "handle " << i;
    TheTextObjectClass().SetToolCursor(mark_, 0, chain_->kind);
    const int32_t textCursor = win::CursorResourceId(win::GetCursor());
    EXPECT_EQ(CursorOver(chain_), textCursor);
}

// Over a bracket's handles above the notes (hooks pointing down): the start and end
// the vertical-size cursor, the line's ends the inverted one (pointing the way the
// hooks run from them), the move handle the four-way one.
TEST_F(TupletCurveTest, CursorOverEachBracketHandle) {
    ASSERT_NE(ChosenMark(kTupletBracket), nullptr);
    HitRecord* line = chain_->child.get();
    while (line != nullptr && line->kind != kSpannerHeadKind) line = line->child.get();
    ASSERT_NE(line, nullptr);
    const int32_t expected[kSpannerHandleCount] = {
        0, System(win::SystemCursor::SizeNs), System(win::SystemCursor::UpArrow), System(win::SystemCursor::UpArrow),
        System(win::SystemCursor::SizeNs), System(win::SystemCursor::SizeAll)};
    for (int i = 1; i < kSpannerHandleCount; ++i)
        EXPECT_EQ(CursorOver(SpannerHandle(line, i)), expected[i]) << "handle " << i;
}

// A curve over the notes dragged by its move handle takes the whole curve along and
// leaves the number; taken to below its note it turns back on commit: its bow points
// away from the notes again, the (undrawn) bracket turns with it and the number
// follows. A drag that stays on its side keeps the shape it was given.
TEST_F(TupletCurveTest, CurveDraggedAcrossTheNoteTurnsBack) {
    ASSERT_NE(ChosenMark(kTupletCurve), nullptr);
    HitRecord* h[kCurveHandleCount] = {};
    ASSERT_TRUE(CurveHandles(mark_, h));
    SelectionState* selection = TheSelectionState();
    selection->grabbedRecord = Ref32<HitRecord>::To(h[kCurveMoveHandle]);
    const auto dragCurve = [&](int32_t dy) {
        selection->dragOffsetX = 0;
        selection->dragOffsetY = dy;
        ClassOf(mark_).TrackDrag(mark_, view_);
        ClassOf(mark_).CommitDrag(mark_, view_);
    };
    TupletCurvePoints before{};
    ASSERT_TRUE(ComputeTupletCurve(mark_, view_, &before));
    ASSERT_LT(before.p[1].y, before.p[0].y);  // over the notes, bowing up
    const LogicalPoint number = TextObjectAnchorPoint(mark_, view_);

    dragCurve(-200);
    TupletCurvePoints kept{};
    ASSERT_TRUE(ComputeTupletCurve(mark_, view_, &kept));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(kept.p[i].y, before.p[i].y - 200) << i;
    EXPECT_EQ(TextObjectAnchorPoint(mark_, view_), number) << "the number went along";
    EXPECT_TRUE(IsTupletPlacedByHand(*AsTuplet(mark_)));

    const int32_t noteY = GetEventPosition(first_, view_).y;
    dragCurve(noteY + 600 - kept.p[1].y);
    TupletCurvePoints turned{};
    ASSERT_TRUE(ComputeTupletCurve(mark_, view_, &turned));
    EXPECT_GT(turned.p[0].y, noteY);
    EXPECT_GT(turned.p[1].y, turned.p[0].y) << "the bow still points at the notes";
    EXPECT_GT(turned.p[2].y, turned.p[3].y);
    SpannerPoints bracket{};
    ComputeSpannerPoints(&AsTuplet(mark_)->spanner, view_, &bracket);
    EXPECT_EQ(bracket.p[0].y, turned.p[0].y);  // the curve ends at the hook ends
    EXPECT_LT(bracket.p[0].y, bracket.p[1].y);  // hooks up, at the notes
    EXPECT_GT(TextObjectAnchorPoint(mark_, view_).y, turned.p[0].y) << "the number stayed over the notes";
}

}  // namespace
}  // namespace ql::testing_tuplets
