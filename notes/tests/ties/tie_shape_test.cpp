// The shape of a new tie (ends, height and thickness by the document's tie metrics
// and the curve side), the curve drawn from a stored body (level ends, never written
// back), and the repair of a damaged curve height as a document's metrics come in.
#include <gtest/gtest.h>

#include <cstring>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "notes/tests/entry/entry_fixture.h"
#include "notes/ties/tie_lookup.h"
#include "notes/ties/ties.h"

namespace ql::testing_entry {
namespace {

constexpr int32_t kGap = 32;
constexpr int32_t kRise = 64;
constexpr int32_t kThickness = 16;
constexpr int32_t kHeight = 104;
constexpr int32_t kShortestSpan = 231;
constexpr int kStepInSpace = -3;

class TieShape : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        SetMetric(EngravingMetric::TieOffX, kGap);
        SetMetric(EngravingMetric::TieOffY, kRise);
        SetMetric(EngravingMetric::TieWid, kThickness);
        SetMetric(EngravingMetric::TieHump, kHeight);
        State().notes.CurveSide = 0;
    }
    void SetMetric(EngravingMetric metric, int32_t units) {
        doc_->internalDistances[static_cast<int>(metric)] = static_cast<uint16_t>(units);
    }
    // Ties `start` with the T command and returns its body.
    TieBody TieOf(EventRecord* start) {
        EXPECT_EQ(ToggleTie(view_, start, 0), 1);
        ScoreObject* tie = FindNoteTie(start);
        EXPECT_NE(tie, nullptr);
        return tie != nullptr ? AsTie(tie)->body : TieBody{};
    }
    // Calls recorded while drawing the tie (a null tie: the bracket alone).
    size_t DrawnCalls(ScoreObject* tie, EventRecord* start) {
        StartRecording();
        BeginViewDraw(view_);
        DrawTie(tie, view_, start);
        EndViewDraw(view_);
        return StopRecording();
    }
    int32_t HeadDistance(EventRecord* a, EventRecord* b) {
        return GetEventPosition(b, view_).x - GetEventPosition(a, view_).x;
    }
};

// Quarters a beat apart: ends the gap in from each head, above the notes by default
// and below with the curve side set; the rise is the document's tie rise + 1/8.
TEST_F(TieShape, NewTieTakesTheDocumentMetricsAndCurveSide) {
    EventRecord* a = Note(0, 0, kQuarter, kStepInSpace);
    EventRecord* b = Note(0, kQuarterTicks, kQuarter, kStepInSpace);
    ASSERT_GE(HeadDistance(a, b), 308) << "the fixture spaces a beat widely";
    a->flags &= static_cast<uint16_t>(~kEventStemFlag);  // stems down: no stem clearance
    b->flags &= static_cast<uint16_t>(~kEventStemFlag);
    TieBody above = TieOf(a);
    EXPECT_EQ(above.startDx, kGap / 2);
    EXPECT_EQ(above.endDx, -kGap / 2);
    EXPECT_EQ(above.startDy, -(kRise + kRise / 8) / 2);  // stored in units of 2
    EXPECT_EQ(above.endDy, above.startDy);
    EXPECT_EQ(above.controlRise, -kHeight) << "a long span takes the document's height";
    EXPECT_EQ(above.shape & 0xFF, kThickness);
    ASSERT_EQ(ToggleTie(view_, a, 0), 1);  // untie
    State().notes.CurveSide = 1;
    TieBody below = TieOf(a);
    EXPECT_EQ(below.startDy, (kRise + kRise / 8) / 2);
    EXPECT_EQ(below.controlRise, kHeight);
}

// An upward stem moves the start right by 38; at the end it moves the end left by 38
// for a tie below and 19 for a tie above.
TEST_F(TieShape, UpwardStemsAreCleared) {
    EventRecord* a = Note(0, 0, kQuarter, kStepInSpace);
    EventRecord* b = Note(0, kQuarterTicks, kQuarter, kStepInSpace);
    a->flags |= kEventStemFlag;
    b->flags |= kEventStemFlag;
    TieBody above = TieOf(a);
    EXPECT_EQ(above.startDx, (kGap + 38) / 2);
    EXPECT_EQ(above.endDx, (-kGap - 19) / 2);
    ASSERT_EQ(ToggleTie(view_, a, 0), 1);
    State().notes.CurveSide = 1;
    TieBody below = TieOf(a);
    EXPECT_EQ(below.endDx, (-kGap - 38) / 2);
}

// Heads closer than a short span: the ends are centred on a span of 231 (never less,
// so the curve thins once, not twice), the height is 74 and the curve one eighth
// thinner.
TEST_F(TieShape, CloseHeadsAreCentredOnTheShortestSpan) {
    SetMetric(EngravingMetric::TieOffX, 0);  // the span is the heads' distance
    EventRecord* a = Note(0, 0, kSixteenth, kStepInSpace);
    EventRecord* b = Note(0, 256, kSixteenth, kStepInSpace);
    a->flags &= static_cast<uint16_t>(~kEventStemFlag);
    b->flags &= static_cast<uint16_t>(~kEventStemFlag);
    const int32_t heads = HeadDistance(a, b);
    ASSERT_LT(heads, kShortestSpan);
    TieBody body = TieOf(a);
    const int32_t span = 2 * body.endDx - 2 * body.startDx + heads;
    EXPECT_GE(span, kShortestSpan - 2) << "centred within the halving of the stored offsets";
    EXPECT_LE(span, kShortestSpan + 2);
    EXPECT_EQ(body.startDx, -body.endDx) << "centred";
    EXPECT_EQ(body.controlRise, -74);
    EXPECT_EQ(body.shape & 0xFF, kThickness - kThickness / 8);
}

// Drawing computes on a copy: both ends take the start's y offset, a crossed end is
// put 128 right of the start, and the stored body is left byte for byte.
TEST_F(TieShape, CurveIsLevelAndDrawingWritesNothing) {
    EventRecord* a = Note(0, 0, kQuarter, kStepInSpace);
    EventRecord* b = Note(0, kQuarterTicks, kQuarter, kStepInSpace);
    TieOf(a);
    ScoreObject* tie = FindNoteTie(a);
    ASSERT_NE(tie, nullptr);
    TieBody& body = AsTie(tie)->body;
    body.endDy = static_cast<int8_t>(body.startDy + 20);  // a body whose end y differs
    const TieCurve curve = ComputeTieCurve(body, view_, a, b, 0);
    EXPECT_EQ(curve.outer[3].y, curve.outer[0].y) << "the end takes the start's offset";
    EXPECT_EQ(curve.inner[1].x, curve.outer[1].x - 8);
    EXPECT_EQ(curve.inner[2].x, curve.outer[2].x + 8);
    EXPECT_EQ(curve.inner[1].y - curve.outer[1].y, (body.shape & 0xFF)) << "above: inner lies lower";
    TieBody saved;
    std::memcpy(&saved, &body, sizeof saved);
    EXPECT_GT(DrawnCalls(tie, a), DrawnCalls(nullptr, a)) << "the curve was drawn";
    EXPECT_EQ(std::memcmp(&saved, &body, sizeof saved), 0);
    body.endDx = -127;  // the end would fall left of the start
    body.startDx = 127;
    const TieCurve crossed = ComputeTieCurve(body, view_, a, a, 0);
    EXPECT_EQ(crossed.outer[3].x, crossed.outer[0].x + 128);
}

// A tie whose end note is gone (the start moved to the measure's end, the next
// measure is empty) draws nothing.
TEST_F(TieShape, TieWithoutEndNoteIsNotDrawn) {
    EventRecord* a = Note(0, 0, kQuarter, kStepInSpace);
    Note(0, kQuarterTicks, kQuarter, kStepInSpace);
    TieOf(a);
    ScoreObject* tie = FindNoteTie(a);
    ASSERT_NE(tie, nullptr);
    a->time = 3 * kQuarterTicks;
    EXPECT_EQ(DrawnCalls(tie, a), DrawnCalls(nullptr, a));
}

// A curve height below 16 is replaced by 84 as the metrics come in from the header;
// 16 itself stays.
TEST_F(TieShape, DamagedCurveHeightIsRepairedOnTheWayIn) {
    SetMetric(EngravingMetric::TieHump, 15);
    EXPECT_EQ(CorrectTieCurveHeight(doc_), 1);
    EXPECT_EQ(EngravingMetricOf(*doc_, EngravingMetric::TieHump), kDefaultTieCurveHeight);
    SetMetric(EngravingMetric::TieHump, 16);
    EXPECT_EQ(CorrectTieCurveHeight(doc_), 0);
    EXPECT_EQ(EngravingMetricOf(*doc_, EngravingMetric::TieHump), 16);
    doc_->header.pageDistances[static_cast<int>(EngravingMetric::TieHump)] = 0;
    ConvertHeaderToInternal(doc_);
    EXPECT_EQ(EngravingMetricOf(*doc_, EngravingMetric::TieHump), kDefaultTieCurveHeight);
}

// Note drawing asks which way the tie into a note at tick 0 bends: none without a
// tie, then the side of the tie object (above by default, below with the curve side
// set), read from its stored shape.
TEST_F(TieShape, TieIntoNoteBendsTheTiesWay) {
    EventRecord* start = Note(0, 2048, kHalf, kStepInSpace);
    UseMeasure(2);
    EventRecord* end = Note(0, 0, kQuarter, kStepInSpace);
    EXPECT_EQ(TieIntoNoteCurve(view_, end, 0), kNoTieIntoNote);
    UseMeasure(1);
    ASSERT_EQ(ToggleTie(view_, start, 0), 1);
    UseMeasure(2);
    EXPECT_EQ(TieIntoNoteCurve(view_, end, 0), kTieCurveAbove);
    UseMeasure(1);
    ASSERT_EQ(ToggleTie(view_, start, 0), 1);
    State().notes.CurveSide = 1;
    ASSERT_EQ(ToggleTie(view_, start, 0), 1);
    UseMeasure(2);
    EXPECT_EQ(TieIntoNoteCurve(view_, end, 0), kTieCurveBelow);
}

// New tie metrics lay the existing ties out as new ties would be made, above and
// below; a tie the user reshaped keeps its own offsets, moved by the change.
TEST_F(TieShape, ChangedTieMetricsLayExistingTiesOutAgain) {
    EventRecord* a = Note(0, 0, kQuarter, kStepInSpace);
    EventRecord* b = Note(0, kQuarterTicks, kQuarter, kStepInSpace);
    a->flags &= static_cast<uint16_t>(~kEventStemFlag);
    b->flags &= static_cast<uint16_t>(~kEventStemFlag);
    for (uint8_t side : {uint8_t{0}, uint8_t{1}}) {
        State().notes.CurveSide = side;
        SetMetric(EngravingMetric::TieOffX, kGap);
        SetMetric(EngravingMetric::TieOffY, kRise);
        SetMetric(EngravingMetric::TieWid, kThickness);
        TieOf(a);
        const TieMetrics before = TieMetricsOf(*doc_);
        SetMetric(EngravingMetric::TieOffX, 2 * kGap);
        SetMetric(EngravingMetric::TieOffY, 2 * kRise);
        SetMetric(EngravingMetric::TieWid, kThickness + 8);
        EXPECT_EQ(RescaleTies(doc_, before, TieMetricsOf(*doc_)), 1);
        const TieBody relaid = AsTie(FindNoteTie(a))->body;
        ASSERT_EQ(ToggleTie(view_, a, 0), 1);  // untie, and make it again with the new metrics
        const TieBody fresh = TieOf(a);
        EXPECT_EQ(std::memcmp(&relaid, &fresh, sizeof relaid), 0)
            << "side " << int{side};
        ASSERT_EQ(ToggleTie(view_, a, 0), 1);
    }
    // A reshaped tie: its ends stand further in and higher than the metrics put them.
    TieOf(a);
    TieBody& own = AsTie(FindNoteTie(a))->body;
    own.startDx = 40;
    own.startDy = own.endDy = 60;
    const TieMetrics before = TieMetricsOf(*doc_);
    SetMetric(EngravingMetric::TieOffX, 2 * kGap + 16);
    SetMetric(EngravingMetric::TieOffY, 2 * kRise + 16);
    RescaleTies(doc_, before, TieMetricsOf(*doc_));
    EXPECT_EQ(own.startDx, 40 + 8);
    EXPECT_EQ(own.startDy, 60 + (16 + 16 / 8) / 2);
    EXPECT_EQ(RescaleTies(doc_, TieMetricsOf(*doc_), TieMetricsOf(*doc_)), 0) << "nothing changed";
}

}  // namespace
}  // namespace ql::testing_entry
