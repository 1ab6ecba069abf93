// Linked views: which views of a score follow each other, the beat maps rebuilt on
// all of them, and partial repaints that invalidate only the edited part on each.
#include "display/linked_views.h"

#include <gtest/gtest.h>

#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/model/beat_map_record.h"
#include "core/model/view.h"
#include "core/state.h"
#include "display/tests/painter/painter_fixture.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/mapping.h"
#include "platform/tests/win/plain_window.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_painter {

namespace {

constexpr int kOtherWindowSide = 1000;

class LinkedViewsTest : public PainterTest {
  protected:
    void SetUp() override {
        PainterTest::SetUp();
        // Two pages of two systems of four measures: 1-8 and 9-16.
        BuildPages(2, 2, 2, 4, 8);
        other_ = InitView(AllocView());
        LinkView(other_);
        other_->document = doc_;
        other_->pageView = 1;
        otherWindow_ =
            ::ql::testing::OpenPlainWindow("QLMdiChild", kOtherWindowSide, kOtherWindowSide);
        other_->ViewWindow = otherWindow_;
        ShowPage(other_, doc_->firstPage->next.get());
    }
    void TearDown() override {
        EndViewDrawAll(other_);
        ReleaseViewDrawing(other_);
        FreeView(other_);
        PainterTest::TearDown();
    }
    void ShowPage(ScoreView* view, ScorePage* page) {
        view->currentPage = page;
        view->currentSystem = page->firstSystem.get();
        view->zoom = view_->zoom;
        InitViewMetrics(view);
        SetCurrentSystemAndMeasure(view, view->currentSystem, 1, page->firstMeasure, true);
        UpdateBeatMaps(view, 1);
    }
    // The device rectangle of a logical one on a view.
    win::Rect DeviceRect(ScoreView* view, const PaintArea& area) {
        BeginViewDraw(view);
        gfx::Point corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
        gfx::LogicalToDevice(view->ViewDC, corners, 2);
        EndViewDraw(view);
        return win::Rect{corners[0].x, corners[0].y, corners[1].x + 1, corners[1].y + 1};
    }

    ScoreView* other_ = nullptr;
    win::WindowHandle otherWindow_{};
};

TEST_F(LinkedViewsTest, ViewsOfTouchingOrOverlappingPagesAreLinked) {
    // Pages 1-8 and 9-16 touch: linked both ways.
    EXPECT_EQ(NextLinkedView(view_, nullptr), other_);
    EXPECT_EQ(NextLinkedView(other_, nullptr), view_);
    EXPECT_EQ(NextLinkedView(view_, other_), nullptr);
    // 1-8 and 10-16 leave a gap: not linked.
    doc_->firstPage->next->firstMeasure = 10;
    EXPECT_EQ(NextLinkedView(view_, nullptr), nullptr);
    // The same page overlaps itself.
    ShowPage(other_, doc_->firstPage);
    EXPECT_EQ(NextLinkedView(view_, nullptr), other_);
    // A view of another score, or one that is no longer valid, never is.
    other_->self = nullptr;
    EXPECT_EQ(NextLinkedView(view_, nullptr), nullptr);
    other_->self = other_;
    other_->document = nullptr;
    EXPECT_EQ(NextLinkedView(view_, nullptr), nullptr);
    other_->document = doc_;
}

TEST_F(LinkedViewsTest, AnEditRebuildsTheBeatMapsOfEveryLinkedView) {
    ShowPage(other_, doc_->firstPage);
    // Both views' maps of row 0 wiped; one rebuild on the first view restores both.
    const int cell = BeatMapCell(0, 2);
    const uint16_t expected = view_->beatMap.slotX[cell];
    ASSERT_NE(expected, 0);
    view_->beatMap.slotX[cell] = 0;
    other_->beatMap.slotX[cell] = 0;
    BuildBeatMapsOnLinkedViews(view_, 1);
    EXPECT_EQ(view_->beatMap.slotX[cell], expected);
    EXPECT_EQ(other_->beatMap.slotX[cell], expected);
    // An unlinked view is left alone.
    ShowPage(other_, doc_->firstPage->next.get());
    doc_->firstPage->next->firstMeasure = 10;
    other_->beatMap.slotX[cell] = 0;
    BuildBeatMapsOnLinkedViews(view_, 1);
    EXPECT_EQ(other_->beatMap.slotX[cell], 0);
}

TEST_F(LinkedViewsTest, PartialRepaintsInvalidateOnlyTheirPartOnEveryView) {
    ShowPage(other_, doc_->firstPage);
    other_->pageOrigin[1] = view_->pageOrigin[1] - 512;  // the second window scrolled
    SetCurrentSystemAndMeasure(view_, view_->currentSystem, 1, 2, true);
    const PaintArea column{SlotX(2) - 128, 0, SlotX(3) + 128, 0};
    for (int part = 0; part < 3; ++part) {
        win::ValidateRect(window_, nullptr);
        win::ValidateRect(otherWindow_, nullptr);
        if (part == 0)
            InvalidateCurrentMeasure(view_);
        else if (part == 1)
            InvalidateCurrentCell(view_, false);
        else
            InvalidateCurrentSystem(view_);
        const PaintArea area = State().display.painter.paintRect;
        // The measure and the cell are the slot's column with 128 on either side.
        if (part < 2) {
            EXPECT_EQ(area.left, column.left);
            EXPECT_EQ(area.right, column.right);
        }
        // Each window's invalid area is that rectangle through its own mapping,
        // clipped to the client area. The measure and the system are painted at once
        // on the calling view (its window is valid again); the cell waits.
        const win::Rect mine = DeviceRect(view_, area);
        const win::Rect theirs = DeviceRect(other_, area);
        const win::Rect gotMine = win::GetUpdateRect(window_);
        const win::Rect gotTheirs = win::GetUpdateRect(otherWindow_);
        if (part == 1) {
            EXPECT_EQ(gotMine.left, std::max(mine.left, 0));
            EXPECT_EQ(gotMine.top, std::max(mine.top, 0));
            EXPECT_EQ(gotMine.right, std::min(mine.right, Width()));
        } else {
            EXPECT_TRUE(gotMine.IsEmpty()) << part;
        }
        EXPECT_EQ(gotTheirs.left, std::max(theirs.left, 0)) << part;
        EXPECT_EQ(gotTheirs.top, std::max(theirs.top, 0)) << part;
        EXPECT_EQ(gotTheirs.right, std::min(theirs.right, kOtherWindowSide)) << part;
        // The second window is scrolled 512 units up: the same area shows 32 px lower.
        if (theirs.top > 0 && mine.top > 0) {
            EXPECT_EQ(theirs.top - mine.top, 512 * view_->zoom / 128) << part;
        }
    }
    // The cell is no taller than the system band.
    InvalidateCurrentCell(view_, false);
    const PaintArea cell = State().display.painter.paintRect;
    InvalidateCurrentSystem(view_);
    const PaintArea band = State().display.painter.paintRect;
    EXPECT_GE(cell.top, band.top);
    EXPECT_LE(cell.bottom, band.bottom);
    // The other view's location is given back.
    EXPECT_EQ(other_->currentMeasure, 1);
}

}  // namespace

}  // namespace ql::testing_painter
