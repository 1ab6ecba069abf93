// The handles of a tuplet mark's curve and bracket as the editor meets them: the
// move handle kept clear of the number, and the cursor over each handle as the
// hover hands it the record's kind. (The curve's drag is driven through the mouse
// in tuplet_mouse_test.cpp.)
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

}  // namespace
}  // namespace ql::testing_tuplets
