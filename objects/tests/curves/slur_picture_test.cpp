// Pictures of a slur and a pedal bracket that run past the end of a system: each is
// drawn in two pieces, the near one up to the system's end line, the far one moved
// onto the next system. The window's image is written to the test-output folder.
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "core/model/pages.h"
#include "display/painter.h"
#include "platform/win/paint.h"
#include "display/view_location.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "layout/system_span.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/drawing/drawing_window_fixture.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/slur_class.h"
#include "objects/curves/curve_objects.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/stored_classes.h"

namespace ql::testing {
namespace {

constexpr int32_t kZoom = 8;  // 16 units a pixel: both systems fit the window
constexpr int kWindowWidth = 1400;
constexpr int kWindowHeight = 600;

class SpanPictureTest : public DrawingWindowTest {
  protected:
    void SetUp() override {
        OpenScene([] {
            RegisterTextObjectClasses();
            RegisterMidiTextObjectClass();
            RegisterStoredObjectClasses();
        });
        ASSERT_NE(CreateSelectionState(), nullptr);
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, 1, {2}, 4));
        ASSERT_TRUE(CreateColourSets());
        view_->ViewWindow = window_;
        view_->pageView = 1;
        SizeWindow(kWindowWidth, kWindowHeight);
        SetZoom(kZoom);
        UpdateBeatMaps(view_, 1);
        SetCurrentMeasure(view_, 1, 4);  // the first system's last measure
        span_ = CurrentSystemSpan(view_);
        ASSERT_TRUE(span_.hasNext);
        ClearWindow();
    }
    void TearDown() override {
        CloseScene([] { DestroySelectionState(); });
    }
    void ClearWindow() {
        BeginViewDraw(view_);
        const gfx::Point far = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{1 << 14, 1 << 14});
        const gfx::Point near = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{0, 0});
        gfx::FillRect(view_->ViewDC, gfx::Rect{near.x, near.y, far.x, far.y},
                      gfx::GetStockBrush(gfx::StockBrush::White));
        EndViewDraw(view_);
    }
    // Ink pixels inside a logical rectangle.
    int InkIn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        const gfx::Point a = Device(left, top), b = Device(right, bottom);
        int ink = 0;
        for (int y = a.y; y <= b.y; ++y)
            for (int x = a.x; x <= b.x; ++x) ink += IsInk(x, y) ? 1 : 0;
        return ink;
    }
    void Draw(ScoreObject* object) {
        SetCurrentMeasure(view_, 1, 4);
        BeginViewDraw(view_);
        ClassOf(object).Draw(object, view_);
        EndViewDraw(view_);
    }
    // The near piece ends at the end line; the far piece lies at the next system's start.
    void ExpectTwoPieces(int32_t top, int32_t bottom, int32_t farRight) {
        EXPECT_GT(InkIn(span_.endLine - 300, top, span_.endLine - 16, bottom), 0);
        EXPECT_EQ(InkIn(span_.endLine + 64, top, span_.endLine + 600, bottom), 0);  // past a wide pen's end
        const int32_t shift = span_.nextStart - span_.contentEnd;
        EXPECT_GT(InkIn(span_.endLine + shift, top + span_.shiftY, farRight + shift, bottom + span_.shiftY), 0);
    }
    SystemSpan span_{};
};

TEST_F(SpanPictureTest, SlurPastTheSystemsEndIsDrawnInTwoPieces) {
    const int32_t y = view_->staffY - 200;
    view_->pointerPoint = LogicalPoint{span_.endLine - 320, y};
    ScoreObject* slur = CreateSlurAtClick(view_, true);
    ASSERT_NE(slur, nullptr);
    Draw(slur);
    EXPECT_FALSE(LastCurveBuffer().overflow);
    ExpectTwoPieces(y - 300, y + 40, span_.endLine + 340);
    EXPECT_TRUE(WritePng("slur_past_system_end.png"));
}

TEST_F(SpanPictureTest, PedalBracketPastTheSystemsEndIsDrawnInTwoPieces) {
    const int32_t y = view_->staffY + 900;
    view_->pointerPoint = LogicalPoint{span_.endLine - 1200, y};
    ScoreObject* bracket = CreateWicketteAtClick(view_, false);
    ASSERT_NE(bracket, nullptr);
    SpannerOf(bracket)->endpoint.lineWidth = 3;
    Draw(bracket);
    ExpectTwoPieces(y - 160, y + 40, span_.endLine + 848);
    EXPECT_TRUE(WritePng("pedal_bracket_past_system_end.png"));
}

// A slur from the last measure of page 1 into page 2: painting page 2 draws its
// continued part at the start of page 2's first system, and nothing else of it.
class PageSpanPictureTest : public SpanPictureTest {
  protected:
    void SetUp() override {
        OpenScene([] {
            RegisterTextObjectClasses();
            RegisterMidiTextObjectClass();
            RegisterStoredObjectClasses();
        });
        ASSERT_NE(CreateSelectionState(), nullptr);
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, 1, {1, 1}, 4));
        ASSERT_TRUE(CreateColourSets());
        view_->ViewWindow = window_;
        view_->pageView = 1;
        SizeWindow(kWindowWidth, kWindowHeight);
        SetZoom(kZoom);
        UpdateBeatMaps(view_, 1);
    }
    // Ink in the left quarter of the window, where page 2's system starts.
    int PaintPageTwo() {
        ScorePage* page = doc_->firstPage->next.get();
        view_->currentPage = page;
        view_->currentSystem = page->firstSystem.get();
        UpdateBeatMaps(view_, 1);
        win::InvalidateRect(window_, nullptr, true);
        PaintScoreWindow(view_);
        int ink = 0;
        for (int y = 0; y < kWindowHeight; ++y)
            for (int x = 0; x < kWindowWidth / 4; ++x) ink += IsInk(x, y) ? 1 : 0;
        return ink;
    }
};

TEST_F(PageSpanPictureTest, ASlurOffTheEndOfThePageContinuesOnTheNextPage) {
    const int before = PaintPageTwo();
    view_->currentPage = doc_->firstPage;
    view_->currentSystem = doc_->firstPage->firstSystem.get();
    UpdateBeatMaps(view_, 1);
    SetCurrentMeasure(view_, 1, 4);
    const SystemSpan span = CurrentSystemSpan(view_);
    ASSERT_FALSE(span.hasNext);  // the page's last system
    view_->pointerPoint = LogicalPoint{span.endLine - 320, view_->staffY - 200};
    ScoreObject* slur = CreateSlurAtClick(view_, true);
    ASSERT_NE(slur, nullptr);
    // Its end moved onto the first beat of measure 5, as a slur to a note there is.
    auto* body = reinterpret_cast<SlurObject*>(slur);
    body->body.points[2] = AnchorPoint{{1, 0}, -200, -456};
    body->body.points[3] = AnchorPoint{{1, 256}, 0, -200};
    const int after = PaintPageTwo();
    EXPECT_GT(after, before + 20) << "the slur's end is drawn at the start of page 2";
    EXPECT_TRUE(WritePng("slur_continued_on_next_page.png"));
}

}  // namespace
}  // namespace ql::testing
