// A picture of the three tuplet styles over an up-stem group, a down-stem group and a
// group with stems both ways (one measure each, number only, bracket and curve from
// left to right). The image goes to the test-output folder; the asserts look for the
// bracket's line where style 1 has one and for none where style 0 has only its number.
// Then what a chosen mark draws over itself: the bracket inverted, so that drawing
// it twice leaves the page as it was, and the curve's drag feedback.
#include "core/draw/colour_sets.h"
#include "core/model/events.h"
#include "core/objects/hit_record.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "display/view_location.h"
#include "notes/accidentals/accidental.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/drawing/drawing_window_fixture.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/stored_classes.h"
#include "objects/tuplets/tuplet.h"
#include "objects/tuplets/tuplet_curve_handles.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace ql::testing {
namespace {

constexpr int32_t kZoom = 8;
constexpr int kWindowWidth = 1400;
constexpr int kWindowHeight = 600;
constexpr uint8_t kEighth = 9;
constexpr int16_t kStem = 448;

class TupletPictureTest : public DrawingWindowTest {
  protected:
    void SetUp() override {
        OpenScene([] {
            RegisterTextObjectClasses();
            RegisterMidiTextObjectClass();
            RegisterStoredObjectClasses();
            RegisterRestClass();
            RegisterAccidentalClass();
        });
        ASSERT_NE(CreateSelectionState(), nullptr);
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, 1, {1}, 4));
        ASSERT_TRUE(CreateColourSets());
        fonts_ = HaveMusicFonts();  // heads and numbers; the lines are drawn without them
        view_->ViewWindow = window_;
        view_->pageView = 1;
        SizeWindow(kWindowWidth, kWindowHeight);
        SetZoom(kZoom);
        UpdateBeatMaps(view_, 1);
        BeginViewDraw(view_);
        const gfx::Point far = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{1 << 14, 1 << 14});
        const gfx::Point near = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{0, 0});
        gfx::FillRect(view_->ViewDC, gfx::Rect{near.x, near.y, far.x, far.y}, gfx::GetStockBrush(gfx::StockBrush::White));
        EndViewDraw(view_);
    }
    void TearDown() override {
        CloseScene([] { DestroySelectionState(); });
    }
    // A triplet of eighths at `tick` of the current measure; `stems` gives each
    // note's stem (+1 up, -1 down).
    EventRecord* Triplet(int tick, const int (&stems)[3]) {
        EventRecord* first = nullptr;
        for (int n = 0; n < 3; ++n) {
            EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, static_cast<uint16_t>(tick + n * 341), kEighth, 0);
            if (note == nullptr) return nullptr;
            SetNotePosition(*note, stems[n] > 0 ? -2 : -8);
            note->tupletKind = 1;
            note->stemLength = static_cast<int16_t>(stems[n] > 0 ? -kStem : kStem);
            if (first == nullptr) first = note;
        }
        return first;
    }
    // A mark of `style` over an up-stem triplet at the start of measure 1.
    ScoreObject* Mark(int style) {
        SetCurrentMeasure(view_, 1, 1);
        EventRecord* first = Triplet(0, {1, 1, 1});
        if (first == nullptr) return nullptr;
        ScoreObject* record = AllocTuplet();
        ConstructTupletObject(record, view_, DefaultTupletCurve(view_, first), SpannerEndpoint{});
        return AttachTupletToNote(record, view_, first, style, "3");
    }
    // Window pixels inside the logical rectangle that are not the white paper.
    int MarkedIn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        const gfx::Point a = Device(left, top), b = Device(right, bottom);
        int marked = 0;
        for (int y = a.y; y <= b.y; ++y)
            for (int x = a.x; x <= b.x; ++x) marked += Pixel(x, y) != kEraseColour ? 1 : 0;
        return marked;
    }
    bool fonts_ = false;
    int InkIn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        const gfx::Point a = Device(left, top), b = Device(right, bottom);
        int ink = 0;
        for (int y = a.y; y <= b.y; ++y)
            for (int x = a.x; x <= b.x; ++x) ink += IsInk(x, y) ? 1 : 0;
        return ink;
    }
};

TEST_F(TupletPictureTest, ThreeStylesOverThreeKindsOfGroup) {
    const int stems[3][3] = {{1, 1, 1}, {-1, -1, -1}, {1, -1, 1}};
    for (int measure = 1; measure <= 3; ++measure) {
        SetCurrentMeasure(view_, 1, measure);
        std::vector<ScoreObject*> marks;
        for (int style = 0; style < kTupletStyleCount; ++style) {
            EventRecord* first = Triplet(style * 1024, stems[measure - 1]);
            ASSERT_NE(first, nullptr);
            ScoreObject* record = AllocTuplet();
            ConstructTupletObject(record, view_, DefaultTupletCurve(view_, first), SpannerEndpoint{});
            ASSERT_NE(AttachTupletToNote(record, view_, first, style, "3"), nullptr);
            marks.push_back(record);
        }
        BeginViewDraw(view_);
        DrawVoiceNotes(view_->currentCell, view_, 0);
        for (ScoreObject* mark : marks) ClassOf(mark).Draw(mark, view_);
        EndViewDraw(view_);
        for (int style = 0; style < kTupletStyleCount; ++style) {
            SpannerPoints p{};
            ComputeSpannerPoints(&AsTuplet(marks[style])->spanner, view_, &p);
            // The first 64 units of the line: inked for the bracket, bare for the number alone.
            const int ink = InkIn(p.p[1].x, p.p[1].y - 8, p.p[1].x + 64, p.p[1].y + 8);
            SCOPED_TRACE(::testing::Message() << "measure " << measure << " style " << style);
            if (style == kTupletBracket) {
                EXPECT_GT(ink, 0);
            } else if (style == kTupletNumberOnly) {
                EXPECT_EQ(ink, 0);
            } else {
                EXPECT_GT(InkIn(p.p[0].x - 16, p.p[0].y - 48, p.p[0].x + 96, p.p[0].y + 48), 0);
            }
        }
    }
    EXPECT_TRUE(WritePng("tuplet_styles.png"));
}

// The selected bracket is drawn inverted: through the erasing colours (as an edit
// takes the mark away before it changes it) the bracket goes, and a second drawing
// brings it back; copied in white, it would stay away.
TEST_F(TupletPictureTest, SelectedBracketIsDrawnInverted) {
    ScoreObject* mark = Mark(kTupletBracket);
    ASSERT_NE(mark, nullptr);
    SpannerPoints p{};
    ComputeSpannerPoints(&AsTuplet(mark)->spanner, view_, &p);
    const auto lineInk = [&] { return InkIn(p.p[1].x, p.p[1].y - 8, p.p[1].x + 64, p.p[1].y + 8); };
    ClassOf(mark).Draw(mark, view_);
    ASSERT_GT(lineInk(), 0);
    const auto drawSelectedErasing = [&] {
        BeginSelectionDraw(view_);
        ClassOf(mark).DrawSelected(mark, view_);
        EndHighlightDraw(view_);
    };
    drawSelectedErasing();
    EXPECT_EQ(lineInk(), 0) << "the bracket stayed";
    drawSelectedErasing();
    EXPECT_GT(lineInk(), 0) << "the second drawing did not bring the bracket back";
    EXPECT_TRUE(WritePng("tuplet_selected_bracket.png"));
}

// The curve's drag feedback: both control arms and the curve's two outlines, drawn
// with XOR where the handles are; drawn again (the erase) nothing is left.
TEST_F(TupletPictureTest, CurveFeedbackShowsArmsAndOutlinesAndErasesItself) {
    ScoreObject* mark = Mark(kTupletCurve);
    ASSERT_NE(mark, nullptr);
    AsTuplet(mark)->anchor.payload.thickness = 96;  // the two outlines well apart
    HitRecord* chain = ClassOf(mark).BuildHandles(mark, view_);
    ASSERT_NE(chain, nullptr);
    mark->handleChain = Ref32<HitRecord>::To(chain);
    HitRecord* h[kCurveHandleCount] = {};
    ASSERT_TRUE(CurveHandles(mark, h));
    const LogicalPoint p0 = h[1]->point, p1 = h[2]->point, p2 = h[3]->point, p3 = h[4]->point;
    const LogicalPoint i1 = h[5]->point, i2 = h[6]->point;
    const auto near = [&](LogicalPoint at) { return MarkedIn(at.x - 16, at.y - 16, at.x + 16, at.y + 16); };
    // A point of the cubic at one half: (P0 + 3 P1 + 3 P2 + P3) / 8.
    const auto middle = [](LogicalPoint a, LogicalPoint b, LogicalPoint c, LogicalPoint d) {
        return LogicalPoint{(a.x + 3 * b.x + 3 * c.x + d.x) / 8, (a.y + 3 * b.y + 3 * c.y + d.y) / 8};
    };
    // Three quarters along each arm, where the curve has left it.
    const LogicalPoint armMiddle{(p0.x + 3 * p1.x) / 4, (p0.y + 3 * p1.y) / 4};
    const LogicalPoint endArmMiddle{(p3.x + 3 * p2.x) / 4, (p3.y + 3 * p2.y) / 4};
    const LogicalPoint outerMiddle = middle(p0, p1, p2, p3), innerMiddle = middle(p0, i1, i2, p3);
    ASSERT_GT(std::abs(innerMiddle.y - outerMiddle.y), 48);  // apart by more than the probes
    const int32_t left = std::min(p0.x, p3.x) - 64, right = std::max(p0.x, p3.x) + 64;
    const int32_t top = std::min({p0.y, p1.y, i1.y}) - 64, bottom = std::max({p0.y, p1.y, i1.y}) + 64;
    ASSERT_EQ(MarkedIn(left, top, right, bottom), 0);

    BeginHighlightDrawAlt3(view_);
    ClassOf(mark).DrawTracking(mark, view_);
    EndHighlightDraw(view_);
    EXPECT_TRUE(WritePng("tuplet_curve_feedback.png"));
    EXPECT_GT(near(armMiddle), 0) << "no arm from the start to its control point";
    EXPECT_GT(near(endArmMiddle), 0) << "no arm from the end to its control point";
    EXPECT_GT(near(outerMiddle), 0) << "no outer curve";
    EXPECT_GT(near(innerMiddle), 0) << "no inner curve";

    BeginHighlightDrawAlt3(view_);
    ClassOf(mark).EraseTracking(mark, view_);
    EndHighlightDraw(view_);
    EXPECT_EQ(MarkedIn(left, top, right, bottom), 0) << "the feedback left marks behind";
    FreeHitRecordChain(chain);
    FreeHitRecord(chain);
    mark->handleChain = Ref32<HitRecord>{};
}

}  // namespace
}  // namespace ql::testing
