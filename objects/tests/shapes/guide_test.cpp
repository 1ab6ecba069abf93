// Guide lines: the position kept to 16 bits by clamping, a commit without a handle,
// the cyan line across the window and its absence from print and clipboard
// renderings, no selection by a marquee, and creation from a ruler at the pointer.
#include <gtest/gtest.h>

#include "core/draw/draw_surface.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "objects/guide/guide_class.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/recording.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_shapes {
namespace {

class GuideTest : public ShapesTest {
  protected:
    ScoreObject* Guide(bool horizontal, int16_t position) {
        ScoreObject* guide = ConstructObject(TypeCode(ObjectType::Guide));
        AsGuideLine(guide)->body.orientation = horizontal ? 1 : 0;
        AsGuideLine(guide)->body.position = position;
        InsertObjectBySubtype(view_, guide);
        return guide;
    }
    int16_t Position(ScoreObject* guide) { return AsGuideLine(guide)->body.position; }
    int CyanInRow(int row) {
        platform::BitmapHandle image = win::GetWindowImage(window_);
        int cyan = 0;
        for (int x = 0; x < 300; ++x) cyan += gfx::GetBitmapPixel(image, x, row) == kGuideColour;
        return cyan;
    }
};

// A drag past either end of the 16-bit range stops at that end; nearer ends are
// kept exactly; the stored guide is in the page list with subtype 1.
TEST_F(GuideTest, PositionIsClampedTo16Bits) {
    ScoreObject* guide = Guide(true, 1000);
    EXPECT_EQ(guide->subtype, SubtypeCode(ObjectSubtype::PageList));
    Grab(guide, 0);
    Move(guide, 0, 40000);
    EXPECT_EQ(Commit(guide), 1);
    EXPECT_EQ(Position(guide), 32767);
    Grab(guide, 0);
    Move(guide, 0, -70000);
    EXPECT_EQ(Commit(guide), 1);
    EXPECT_EQ(Position(guide), -32768);
    ScoreObject* vertical = Guide(false, 0);
    Grab(vertical, 0);
    Move(vertical, 123, 999);  // only x counts for a vertical guide
    Commit(vertical);
    EXPECT_EQ(Position(vertical), 123);
    EXPECT_EQ(ClampGuidePosition(-32769), -32768);
    EXPECT_EQ(ClampGuidePosition(32766), 32766);
}

// Without a valid handle the commit changes nothing and answers 0.
TEST_F(GuideTest, CommitWithoutHandleKeepsThePosition) {
    ScoreObject* guide = Guide(true, 500);
    EXPECT_EQ(Commit(guide), 0);
    EXPECT_EQ(Position(guide), 500);
}

// A marquee never selects a guide, however it encloses it; guides are not copied.
TEST_F(GuideTest, NeverSelectedOrCopied) {
    ScoreObject* guide = Guide(false, 100);
    Grab(guide, 0);
    EXPECT_EQ(ClassOf(guide).HitTest(guide, {-32768, -32768, 32767, 32767}, nullptr), 0);
    PoolSet set(doc_->pools);
    EXPECT_EQ(ClassOf(guide).Clone(guide, view_, set, set), nullptr);
}

// On the window a horizontal guide is a cyan row across the visible width; printing
// or a clipboard rendering draws nothing.
TEST_F(GuideTest, DrawnOnScreenOnly) {
    OpenWindow(300, 200);
    ScoreObject* guide = Guide(true, -30720 + 800);  // 100 pixels below the page top
    ClassOf(guide).Update(guide, view_);
    gfx::Point at = Device(0, -30720 + 800);
    EXPECT_GE(CyanInRow(at.y), 299);
    SavePicture("guide_horizontal.png");
    ClearWindow();
    platform::DcHandle recording = gfx::CreateRecordingContext(platform::DcHandle{});
    view_->ViewMirrorDC = recording;
    ClassOf(guide).Update(guide, view_);
    EXPECT_EQ(CyanInRow(at.y), 0);
    EXPECT_EQ(gfx::RecordedCallCount(recording), 0u);
    view_->ViewMirrorDC = platform::DcHandle{};
    State().drawing.PrintDC = recording;
    ClassOf(guide).Paint(guide, view_);
    EXPECT_EQ(gfx::RecordedCallCount(recording), 0u);
    State().drawing.PrintDC = platform::DcHandle{};
    gfx::DeleteContext(recording);
}

// A ruler drag makes a guide at the pointer, in the page list, with its handle on
// the selection's list so the drag goes on with it.
TEST_F(GuideTest, CreatedFromARulerAtThePointer) {
    OpenWindow(300, 200);
    gfx::Point screen = win::ClientToScreen(window_, {40, 60});
    win::SetCursorPosition(screen);
    ScoreObject* guide = CreateGuideFromRuler(view_, true);
    ASSERT_NE(guide, nullptr);
    EXPECT_EQ(Position(guide), -30720 + 60 * 8);
    EXPECT_EQ(V(AsGuideLine(guide)->body.orientation), 1);
    HitRecord* handle = TheSelectionState()->listAHead.next.get();
    ASSERT_NE(handle, &TheSelectionState()->listATail);
    EXPECT_EQ(handle->owner.get(), guide);
    ScoreObject* vertical = CreateGuideFromRuler(view_, false);
    EXPECT_EQ(Position(vertical), -30720 + 40 * 8);
    for (HitRecord* hit = TheSelectionState()->listAHead.next.get();
         hit != &TheSelectionState()->listATail;) {
        HitRecord* next = hit->next.get();
        UnlinkHitRecord(hit);
        FreeHitRecord(hit);
        hit = next;
    }
}

}  // namespace
}  // namespace ql::testing_shapes
