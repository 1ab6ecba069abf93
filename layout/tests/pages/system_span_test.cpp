// Figures past a system's end: points beyond the content end C map onto the next
// system; polylines are cut at the end line E and the far part moved after N's
// signs and cut at N's end line.
#include "core/model/beat_map_record.h"
#include "core/model/pages.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "layout/system_span.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

// System S (row 0) holds measures 1-4 at x 1000; N (row 1) at x 2000, 3000 lower.
constexpr int32_t kSx = 1000;
constexpr int32_t kNx = 2000;
constexpr int32_t kSlotAfterLeft = 4000;     // E - S.x
constexpr int32_t kSlotAfterContent = 4100;  // C - S.x
constexpr int32_t kNextContent = 300;        // D - N.x
constexpr int32_t kNextSignsEnd = 200;       // K - N.x
constexpr int32_t kNextSlotAfterLeft = 3000;  // N's end line - N.x
constexpr int32_t kE = kSx + kSlotAfterLeft;
constexpr int32_t kC = kSx + kSlotAfterContent;
constexpr int32_t kD = kNx + kNextContent;
constexpr int32_t kK = kNx + kNextSignsEnd;
constexpr int32_t kNextEnd = kNx + kNextSlotAfterLeft;
constexpr int32_t kV = 3000;

class SystemSpanTest : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        NewScore(1, 3, 4);
        s_ = SystemAt(0, 0);
        n_ = SystemAt(0, 1);
        s_->x = kSx;
        s_->y = 0;
        n_->x = kNx;
        n_->y = kV;
        view_->currentSystem = s_;
        view_->currentStaff = 1;
        view_->beatMap.slotX[BeatMapCell(0, 5)] = kSlotAfterLeft;
        view_->beatMap.contentX[BeatMapCell(0, 5)] = kSlotAfterContent;
        view_->beatMap.contentX[BeatMapCell(1, 1)] = kNextContent;
        view_->beatMap.marginX[BeatMapCell(1, 1)] = kNextSignsEnd;
        view_->beatMap.slotX[BeatMapCell(1, 5)] = kNextSlotAfterLeft;
    }
    void TearDown() override {
        State().layout.ContinuationOnly = 0;
        PageFormatTest::TearDown();
    }
    using Pieces = std::vector<std::vector<gfx::Point>>;
    ScoreSystem* s_ = nullptr;
    ScoreSystem* n_ = nullptr;
};

TEST_F(SystemSpanTest, PointsPastTheContentEndWrap) {
    // Exactly at C stays; one unit past C lands one unit past D, moved down by V.
    EXPECT_EQ(WrapPointToNextSystem(view_, {kC, 10}), (gfx::Point{kC, 10}));
    EXPECT_EQ(WrapPointToNextSystem(view_, {kC + 1, 10}), (gfx::Point{kD + 1, 10 + kV}));
    // Without a next system nothing moves.
    view_->currentSystem = SystemAt(0, 2);
    EXPECT_EQ(WrapPointToNextSystem(view_, {kNx + kSlotAfterContent + 50, 10}).x, kNx + kSlotAfterContent + 50);
}

TEST_F(SystemSpanTest, PolylineInsideIsDrawnOnce) {
    const gfx::Point line[] = {{1200, 0}, {2000, 100}, {kE, 50}};
    EXPECT_EQ(SplitPolylinePieces(view_, line, 3), (Pieces{{line[0], line[1], line[2]}}));
    // One that only overhangs the end line (not past the middle of E..C) is cut there.
    const gfx::Point overhang[] = {{1200, 0}, {kE + 40, 0}};
    EXPECT_EQ(SplitPolylinePieces(view_, overhang, 2), (Pieces{{overhang[0], {kE, 0}}}));
}

TEST_F(SystemSpanTest, PolylineAcrossTheEndIsSplitAtTheEndLine) {
    const gfx::Point line[] = {{kE - 100, 0}, {kE + 300, 400}};
    const Pieces pieces = SplitPolylinePieces(view_, line, 2);
    ASSERT_EQ(pieces.size(), 2u);
    // Near piece up to the crossing at E; far piece from where N's signs end, its
    // point past C as far from D as from C.
    const gfx::Point cross{kE, 100};
    EXPECT_EQ(pieces[0], (std::vector<gfx::Point>{line[0], cross}));
    EXPECT_EQ(pieces[1], (std::vector<gfx::Point>{{kK, 100 + kV}, {kE + 300 - kC + kD, 400 + kV}}));
    // A point in the leading space E..C lands as far into K..D.
    EXPECT_EQ(MoveOntoNextSystem(CurrentSystemSpan(view_), {kE + 50, 0}),
              (gfx::Point{kK + 50, kV}));
}

TEST_F(SystemSpanTest, FarPieceIsCutAtTheNextSystemsEnd) {
    // A figure longer than N: its far piece ends at N's end line, nothing past it.
    const gfx::Point line[] = {{kE - 100, 0}, {kE + 9000, 0}};
    const Pieces pieces = SplitPolylinePieces(view_, line, 2);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1], (std::vector<gfx::Point>{{kK, kV}, {kNextEnd, kV}}));
}

TEST_F(SystemSpanTest, AFigureOverThreeSystemsIsDrawnOnEach) {
    // S's row goes on past N's measures: T's first measure stands at 8000..8100 in it.
    ScoreSystem* t = SystemAt(0, 2);
    t->x = kNx;
    t->y = 2 * kV;
    view_->beatMap.slotX[BeatMapCell(0, 9)] = 8000;
    view_->beatMap.contentX[BeatMapCell(0, 9)] = 8100;
    view_->beatMap.contentX[BeatMapCell(2, 1)] = kNextContent;
    view_->beatMap.marginX[BeatMapCell(2, 1)] = kNextSignsEnd;
    view_->beatMap.slotX[BeatMapCell(2, 5)] = kNextSlotAfterLeft;
    const gfx::Point line[] = {{kE - 100, 0}, {kSx + 8100 + 500, 0}};
    const Pieces pieces = SplitPolylinePieces(view_, line, 2);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], (std::vector<gfx::Point>{line[0], {kE, 0}}));
    EXPECT_EQ(pieces[1], (std::vector<gfx::Point>{{kK, kV}, {kNextEnd, kV}}));  // N's whole width
    EXPECT_EQ(pieces[2], (std::vector<gfx::Point>{{kK, 2 * kV}, {kD + 500, 2 * kV}}));
}

TEST_F(SystemSpanTest, ContinuationOnlyDrawsTheWrappedPart) {
    State().layout.ContinuationOnly = 1;
    const gfx::Point line[] = {{kE - 100, 0}, {kE + 300, 400}};
    EXPECT_EQ(SplitPolylinePieces(view_, line, 2).size(), 1u);
    const gfx::Point inside[] = {{1200, 0}, {1300, 0}};
    EXPECT_TRUE(SplitPolylinePieces(view_, inside, 2).empty());
}

TEST_F(SystemSpanTest, FarPartIsDroppedWithoutANextSystem) {
    s_->next = Ref32<ScoreSystem>{};
    const gfx::Point line[] = {{kE - 100, 0}, {kE + 300, 400}};
    const Pieces pieces = SplitPolylinePieces(view_, line, 2);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].back().x, kE);
    s_->next = Ref32<ScoreSystem>::To(n_);
}

TEST_F(SystemSpanTest, HitRecordsWrapWithTheirAnchor) {
    HitRecord hit{};
    PlaceHitRecord(&hit, LogicalPoint{kC - 10, 50}, 20);
    hit.location.point = hit.point;
    WrapObjectRectToNextSystem(view_, &hit, gfx::Point{30, 0}, 20);  // moved past C
    EXPECT_EQ(hit.point, (LogicalPoint{kC + 20 - kC + kD, 50 + kV}));
    EXPECT_EQ(hit.location.point, hit.point);
    HitRecord expected{};
    PlaceHitRecord(&expected, hit.point, 20);  // the rectangle stands at the wrapped point
    EXPECT_EQ(hit.outer.left, expected.outer.left);
    EXPECT_EQ(hit.outer.top, expected.outer.top);
    HitRecord inside{};
    PlaceHitRecord(&inside, LogicalPoint{1500, 50}, 20);
    inside.location.point = inside.point;
    WrapObjectPointToNextSystem(view_, &inside, gfx::Point{10, 0});  // stays on S
    EXPECT_EQ(inside.point, (LogicalPoint{1510, 50}));
}

TEST_F(SystemSpanTest, SegmentsParallelToTheEdgeDoNotCross) {
    const gfx::Point vertical[] = {{10, 0}, {10, 100}};
    const gfx::Point edge[] = {{20, -1000}, {20, 1000}};
    gfx::Point out{};
    EXPECT_EQ(ClipSegmentToEdge(vertical, edge, &out), 0);
    // A segment that stops short of the edge does not cross it either.
    const gfx::Point shortSegment[] = {{0, 0}, {10, 10}};
    EXPECT_EQ(ClipSegmentToEdge(shortSegment, edge, &out), 0);
    const gfx::Point across[] = {{0, 0}, {40, 40}};
    ASSERT_EQ(ClipSegmentToEdge(across, edge, &out), 1);
    EXPECT_EQ(out, (gfx::Point{20, 20}));
}

}  // namespace
}  // namespace ql::testing_layout
