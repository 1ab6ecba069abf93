// Tuplet marks: creation at a click on a group (label, style, the duplicate refusal),
// automatic placement of the bracket (span, clearance, hooks, level ends, the
// measure's end), style steps and their undo steps, drags marking hand placement,
// the mirror after a drag across the note, and the failures that create nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "core/memory/pool.h"
#include "core/model/engraving_metrics.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "notes/rests/staff_place.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/tests/tuplets/tuplet_fixture.h"
#include "objects/tuplets/tuplet.h"
#include "objects/tuplets/tuplet_class.h"
#include "platform/win/keys.h"

namespace ql::testing_tuplets {
namespace {

constexpr uint8_t kEighth = 9;

class TupletMarkTest : public TupletTest {
  protected:
    void SetUp() override {
        TupletTest::SetUp();
        ClearUndoHistory(doc_);
        State().notes.NoteTools = NoteToolState{};
    }
    ScoreObject* ClickOn(EventRecord* note) {
        view_->pointerPoint = GetEventPosition(note, view_);
        return CreateTupletAtClick(view_);
    }
    SpannerPoints Bracket(ScoreObject* mark) {
        SpannerPoints points{};
        ComputeSpannerPoints(&AsTuplet(mark)->spanner, view_, &points);
        return points;
    }
    int Marks(EventRecord* note) {
        int n = 0;
        for (ScoreObject* o = GetEventAttachment(note); o != nullptr; o = o->next.get())
            n += o->type == TypeCode(ObjectType::Tuplet) ? 1 : 0;
        return n;
    }
    int32_t StemEnd(EventRecord* note) { return GetEventPosition(note, view_).y + Zoomed(view_, note->stemLength); }
};

// A click on the second note of a triplet marks the group's first note: label "3"
// (its code), text style 5, the remembered style 1, kind 3.
TEST_F(TupletMarkTest, ClickOnATripletAddsAMarkToItsFirstNote) {
    EventRecord* first = Triplets(0, 1);
    ScoreObject* mark = ClickOn(NextEvent(first));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(ClassOf(mark).GetOwnerNote(mark), first);
    const TupletObject* tuplet = AsTuplet(mark);
    EXPECT_EQ(tuplet->text.body.flags & kTextOwnsString, 0);
    EXPECT_EQ(tuplet->text.body.string, '3');
    EXPECT_EQ(tuplet->text.body.style, 5);
    EXPECT_EQ(TupletStyle(*tuplet), kTupletBracket);
    EXPECT_EQ(mark->subtype, 3);
    EXPECT_EQ(Marks(first), 1);
}

// The same label again is refused on the same first note; another number is added;
// a note outside any group makes nothing.
TEST_F(TupletMarkTest, SecondMarkWithTheSameLabelIsRefused) {
    EventRecord* first = Triplets(0, 1);
    EventRecord* plain = Note(1024, 10, kNone);
    ASSERT_NE(ClickOn(first), nullptr);
    EXPECT_EQ(ClickOn(first), nullptr);
    State().notes.NoteTools.tupletActual = 5;
    ScoreObject* five = ClickOn(first);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(AsTuplet(five)->text.body.string, '5');
    EXPECT_EQ(Marks(first), 2);
    EXPECT_EQ(ClickOn(plain), nullptr);
}

// Stems up: the bracket runs from the first to the last chord 128 above their stem
// ends, hooks 85 long pointing down at the notes, the label between the ends.
TEST_F(TupletMarkTest, BracketOverUpStemsClearsTheStemEnds) {
    EventRecord* first = Triplets(0, 1);
    EventRecord* last = NextEvent(NextEvent(first));
    last->stemLength = -640;  // a longer stem at the end
    const SpannerPoints p = Bracket(ClickOn(first));
    EXPECT_EQ(p.p[1].x, GetEventPosition(first, view_).x);
    EXPECT_EQ(p.p[2].x, std::max(GetEventPosition(last, view_).x, p.p[1].x + 384));
    EXPECT_EQ(p.p[1].y, StemEnd(first) - 128);
    EXPECT_EQ(p.p[2].y, StemEnd(last) - 128);
    EXPECT_EQ(p.p[0].y - p.p[1].y, 85);
    EXPECT_EQ(p.p[3].y - p.p[2].y, 85);
}

// The number sits in the middle of the bracket, over or under the notes: drawn
// centred on its anchor with the baseline there, the anchor is the bracket's middle
// with the baseline half the number's height below it.
TEST_F(TupletMarkTest, LabelIsCentredOnTheBracketsMiddle) {
    for (const int16_t stem : {kStemUp, kStemDown}) {
        EventRecord* first = Triplets(stem == kStemUp ? 0 : 1024, 1, stem);
        ScoreObject* mark = ClickOn(first);
        ASSERT_NE(mark, nullptr);
        TextObject& label = AsTuplet(mark)->text;
        label.body.width = 300;  // as measured in a bold italic face
        label.body.height = 420;
        ComputeTupletPoints(view_, mark);
        const SpannerPoints p = Bracket(mark);
        const LogicalPoint at = TextObjectAnchorPoint(mark, view_);
        EXPECT_EQ(at.x, (p.p[1].x + p.p[2].x) / 2) << "stem " << stem;
        EXPECT_EQ(at.y, (p.p[1].y + p.p[2].y) / 2 + label.body.height / 2) << "stem " << stem;
    }
}

// A curve's number stands beyond the bow, over or under the notes: its near edge
// (the baseline over the notes, the top under them) clear of the outer crest of the
// curve, for a short and for a tall number; a short one keeps the curve's 192.
TEST_F(TupletMarkTest, CurveNumberStandsBeyondTheBow) {
    State().notes.NoteTools.tupletMarkStyle = kTupletCurve;
    int group = 0;  // a group of its own for each mark: one number "3" per group
    for (const int16_t stem : {kStemUp, kStemDown}) {
        for (const int32_t height : {40, 420}) {
            SCOPED_TRACE(::testing::Message() << "stem " << stem << " height " << height);
            EventRecord* first = Triplets(1024 * group++, 1, stem);
            ScoreObject* mark = ClickOn(first);
            ASSERT_NE(mark, nullptr);
            AsTuplet(mark)->text.body.height = height;
            ComputeTupletPoints(view_, mark);
            TupletCurvePoints c{};
            ASSERT_TRUE(ComputeTupletCurve(mark, view_, &c));
            const int32_t crest = (c.p[0].y + 3 * c.p[1].y + 3 * c.p[2].y + c.p[3].y) / 8;
            const int32_t baseline = TextObjectAnchorPoint(mark, view_).y;
            const int32_t line = (Bracket(mark).p[1].y + Bracket(mark).p[2].y) / 2;
            if (stem == kStemUp) {
                EXPECT_LT(c.p[1].y, c.p[0].y) << "the curve is not over the notes";
                EXPECT_LT(baseline, crest) << "the number reaches into the bow";
            } else {
                EXPECT_GT(c.p[1].y, c.p[0].y) << "the curve is not under the notes";
                EXPECT_GT(baseline - height, crest) << "the number reaches into the bow";
            }
            if (height == 40) {
                EXPECT_EQ(std::abs(baseline - height / 2 - line), 192);
            }
        }
    }
}

// Stems down: the bracket lies 128 below the stem ends with its hooks pointing up;
// stems both ways: both ends level at the outer height.
TEST_F(TupletMarkTest, BracketBelowDownStemsAndLevelForMixedStems) {
    EventRecord* first = Triplets(0, 1, kStemDown);
    SpannerPoints p = Bracket(ClickOn(first));
    EXPECT_EQ(p.p[1].y, StemEnd(first) + 128);
    EXPECT_EQ(p.p[0].y - p.p[1].y, -85);

    EventRecord* mixed = Triplets(2048, 1, kStemDown);
    NextEvent(mixed)->stemLength = kStemUp;
    NextEvent(mixed)->word2 = 0;
    p = Bracket(ClickOn(mixed));
    EXPECT_EQ(p.p[1].y, p.p[2].y);
    EXPECT_EQ(p.p[1].y, std::max(StemEnd(mixed), GetEventPosition(NextEvent(NextEvent(mixed)), view_).y + 448) + 128);
}

// A short group is widened to 384, but never past the measure's last tick.
TEST_F(TupletMarkTest, SpanIsAtLeast384AndEndsInTheMeasure) {
    const Ratio pair{1, 6, 0};  // 2:3
    EventRecord* early = Note(0, 8, pair);
    Note(64, 8, pair);
    SpannerPoints p = Bracket(ClickOn(early));
    EXPECT_EQ(p.p[2].x - p.p[1].x, 384);

    const int end = view_->currentMeasureLength;
    EventRecord* late = Note(end - 128, 6, pair);
    Note(end - 64, 6, pair);
    p = Bracket(ClickOn(late));
    EXPECT_LE(p.p[2].x, CurrentSlotX(view_) + TimeToX(view_, end - 1));
    EXPECT_LT(p.p[2].x - p.p[1].x, 384);
}

// Stepping down from 0 gives 2, up from 2 gives 0, each clearing hand placement;
// keypad + and - step through the class, one undo step (kind 1, type 51) each.
TEST_F(TupletMarkTest, StyleStepsWrapAndAreUndoSteps) {
    ScoreObject* mark = ClickOn(Triplets(0, 1));
    ASSERT_NE(mark, nullptr);
    TupletObject* tuplet = AsTuplet(mark);
    SetTupletStyle(tuplet, kTupletNumberOnly);
    tuplet->text.body.flags |= kTupletPlacedByHand;
    StepTupletMark(mark, view_, -1);
    EXPECT_EQ(TupletStyle(*tuplet), kTupletCurve);
    EXPECT_FALSE(IsTupletPlacedByHand(*tuplet));
    StepTupletMark(mark, view_, +1);
    EXPECT_EQ(TupletStyle(*tuplet), kTupletNumberOnly);

    const int depth = UndoDepth(doc_);
    EXPECT_EQ(ClassOf(mark).OnKey(mark, view_, static_cast<uint32_t>(win::Key::Add)), 1);
    EXPECT_EQ(TupletStyle(*tuplet), kTupletBracket);
    EXPECT_EQ(ClassOf(mark).OnKey(mark, view_, static_cast<uint32_t>(win::Key::Subtract)), 1);
    EXPECT_EQ(TupletStyle(*tuplet), kTupletNumberOnly);
    ASSERT_EQ(UndoDepth(doc_), depth + 2);
    EXPECT_EQ(doc_->undoStack->kind, 1);
    EXPECT_EQ(doc_->undoStack->objectType, 51);
}

// The curve style: its points come from the payload after the note; the label sits
// off the curve; a mark placed by hand keeps its points through a re-fit.
TEST_F(TupletMarkTest, CurveStyleStoresItsPointsAfterTheNote) {
    State().notes.NoteTools.tupletMarkStyle = kTupletCurve;
    EventRecord* first = Triplets(0, 1);
    ScoreObject* mark = ClickOn(first);
    ASSERT_NE(mark, nullptr);
    TupletCurvePoints c{};
    ASSERT_TRUE(ComputeTupletCurve(mark, view_, &c));
    const SpannerPoints p = Bracket(mark);
    EXPECT_EQ(c.p[0].y, p.p[0].y);          // the curve ends at the hook ends
    EXPECT_LT(c.p[1].y, p.p[1].y);          // and bows away from the notes
    EXPECT_EQ(c.p[1].y, p.p[1].y - 192);
    const AnchorPayload before = AsTuplet(mark)->anchor.payload;
    AsTuplet(mark)->text.body.flags |= kTupletPlacedByHand;
    first->stemLength = -900;
    ComputeTupletPoints(view_, mark);
    EXPECT_EQ(std::memcmp(&before, &AsTuplet(mark)->anchor.payload, sizeof before), 0);
}

// A drag marks the mark placed by hand (re-fits leave it); dragging the bracket
// below its note turns the hooks to point up at the notes on commit.
TEST_F(TupletMarkTest, DragAcrossTheNoteMirrorsTheBracket) {
    EventRecord* first = Triplets(0, 1);
    ScoreObject* mark = ClickOn(first);
    ASSERT_NE(mark, nullptr);
    HitRecord* chain = ClassOf(mark).BuildHandles(mark, view_);
    ASSERT_NE(chain, nullptr);
    mark->handleChain = Ref32<HitRecord>::To(chain);
    ClassOf(mark).TrackDrag(mark, view_);  // nothing grabbed: the label's drag
    EXPECT_TRUE(IsTupletPlacedByHand(*AsTuplet(mark)));
    HitRecord* line = chain;
    while (line != nullptr && !(line->kind == kSpannerHeadKind && line != chain)) line = line->child.get();
    ASSERT_NE(line, nullptr);
    const int32_t noteY = GetEventPosition(first, view_).y;
    const int32_t drop = noteY + 600 - Bracket(mark).p[1].y;
    for (int i = 1; i <= 4; ++i) OffsetHitRecord(SpannerHandle(line, i), LogicalPoint{0, drop});
    EXPECT_EQ(ClassOf(mark).CommitDrag(mark, view_), 1);
    const SpannerPoints p = Bracket(mark);
    EXPECT_GT(p.p[1].y, noteY);
    EXPECT_LT(p.p[0].y, p.p[1].y);  // the hooks point up at the notes
    EXPECT_LT(p.p[3].y, p.p[2].y);
    EXPECT_EQ(p.p[1].y - p.p[0].y, 85);
    // The number follows onto the turned bracket's middle.
    EXPECT_EQ(TextObjectAnchorPoint(mark, view_).y, (p.p[1].y + p.p[2].y) / 2 + AsTuplet(mark)->text.body.height / 2);
    FreeHitRecordChain(chain);
    FreeHitRecord(chain);
    mark->handleChain = Ref32<HitRecord>{};
}

// A mark let go of while the view stands at another measure (a click on other music
// commits it) keeps its bracket and label on its notes, in each style.
TEST_F(TupletMarkTest, CommitWithTheViewElsewhereKeepsTheMark) {
    EventRecord* first = Triplets(0, 1);
    for (int style : {kTupletBracket, kTupletCurve, kTupletNumberOnly}) {
        State().notes.NoteTools.tupletMarkStyle = static_cast<uint8_t>(style);
        char label[] = {static_cast<char>('3' + style), '\0'};
        State().notes.NoteTools.tupletActual = static_cast<uint8_t>(label[0] - '0');
        Locate(1, 1);
        ScoreObject* mark = ClickOn(first);
        ASSERT_NE(mark, nullptr) << style;
        const SpannerEndpoint bracket = AsTuplet(mark)->spanner.endpoint;
        const AnchorPayload curve = AsTuplet(mark)->anchor.payload;
        const LogicalPoint labelAt = TextObjectAnchorPoint(mark, view_);
        HitRecord* chain = ClassOf(mark).BuildHandles(mark, view_);
        ASSERT_NE(chain, nullptr) << style;
        mark->handleChain = Ref32<HitRecord>::To(chain);
        Locate(1, 3);
        ClassOf(mark).CommitDrag(mark, view_);
        Locate(1, 1);
        EXPECT_EQ(std::memcmp(&bracket, &AsTuplet(mark)->spanner.endpoint, sizeof bracket), 0) << style;
        EXPECT_EQ(std::memcmp(&curve, &AsTuplet(mark)->anchor.payload, sizeof curve), 0) << style;
        EXPECT_EQ(TextObjectAnchorPoint(mark, view_), labelAt) << style;
        FreeHitRecordChain(chain);
        FreeHitRecord(chain);
        mark->handleChain = Ref32<HitRecord>{};
    }
}

// The default curve takes the document's curve thickness, raised to 84 when that
// is below 16 (too thin to show as a curve).
TEST_F(TupletMarkTest, DefaultCurveThicknessIsRaisedWhenTooThin) {
    EventRecord* first = Triplets(0, 1);
    uint16_t& setting = doc_->internalDistances[static_cast<int>(EngravingMetric::SlurWid)];
    setting = 10;
    EXPECT_EQ(DefaultTupletCurve(view_, first).thickness, 84);
    setting = 0;
    EXPECT_EQ(DefaultTupletCurve(view_, first).thickness, 84);
    setting = 40;
    EXPECT_EQ(DefaultTupletCurve(view_, first).thickness, 40);
}

// Style 0 shows only its number: a drag of the number takes the undrawn bracket and
// curve along. Dragged across the note, the bracket turns back towards the notes
// and the number sits on its middle again; so does a style-1 number.
TEST_F(TupletMarkTest, NumberOnlyMarkTakesItsBracketAlongAndTurnsAtTheNote) {
    EventRecord* first = Triplets(0, 1);
    for (int style : {kTupletNumberOnly, kTupletBracket}) {
        State().notes.NoteTools.tupletMarkStyle = static_cast<uint8_t>(style);
        State().notes.NoteTools.tupletActual = static_cast<uint8_t>(3 + style);
        ScoreObject* mark = ClickOn(first);
        ASSERT_NE(mark, nullptr) << style;
        const SpannerPoints before = Bracket(mark);
        ASSERT_LT(before.p[1].y, before.p[0].y) << style;  // above the notes, hooks down
        TupletCurvePoints curveBefore{};
        ASSERT_TRUE(ComputeTupletCurve(mark, view_, &curveBefore));
        const auto dragLabel = [&](LogicalPoint by) {
            HitRecord* chain = ClassOf(mark).BuildHandles(mark, view_);
            EXPECT_NE(chain, nullptr);
            if (chain == nullptr) return;
            mark->handleChain = Ref32<HitRecord>::To(chain);
            TheSelectionState()->focusRecord = Ref32<HitRecord>::To(chain);
            OffsetHitRecord(chain, by);
            ClassOf(mark).CommitDrag(mark, view_);
            TheSelectionState()->focusRecord = Ref32<HitRecord>{};
            FreeHitRecordChain(chain);
            FreeHitRecord(chain);
            mark->handleChain = Ref32<HitRecord>{};
        };
        // Up and right, away from the notes.
        dragLabel(LogicalPoint{64, -300});
        const SpannerPoints moved = Bracket(mark);
        if (style == kTupletNumberOnly) {
            for (int i = 0; i < 4; ++i) {
                EXPECT_NEAR(moved.p[i].x, before.p[i].x + 64, 16) << i;
                EXPECT_EQ(moved.p[i].y, before.p[i].y - 300) << i;
            }
            TupletCurvePoints curve{};
            ASSERT_TRUE(ComputeTupletCurve(mark, view_, &curve));
            for (int i = 0; i < 4; ++i) EXPECT_EQ(curve.p[i].y, curveBefore.p[i].y - 300) << i;
        } else {
            for (int i = 0; i < 4; ++i) EXPECT_EQ(moved.p[i], before.p[i]) << i;  // the bracket stays
        }
        // Far below the note: for style 0 the bracket comes along, turns its hooks up
        // and the number is put on its middle.
        const int32_t noteY = GetEventPosition(first, view_).y;
        dragLabel(LogicalPoint{0, noteY + 900 - TextObjectAnchorPoint(mark, view_).y});
        if (style == kTupletNumberOnly) {
            const SpannerPoints turned = Bracket(mark);
            EXPECT_GT(turned.p[1].y, noteY);
            EXPECT_LT(turned.p[0].y, turned.p[1].y);  // hooks up, at the notes
            EXPECT_EQ(TextObjectAnchorPoint(mark, view_).y,
                      (turned.p[1].y + turned.p[2].y) / 2 + AsTuplet(mark)->text.body.height / 2);
        }
    }
}

// The bracket's move handle is put clear of the number: above it for a bracket
// over the notes (hooks down), below it under the notes; at least 256 wide.
TEST_F(TupletMarkTest, BracketMoveHandleStandsClearOfTheNumber) {
    for (int16_t stem : {kStemUp, kStemDown}) {
        SCOPED_TRACE(stem);
        TearDown();
        SetUp();
        ScoreObject* mark = ClickOn(Triplets(0, 1, stem));
        ASSERT_NE(mark, nullptr);
        HitRecord* chain = ClassOf(mark).BuildHandles(mark, view_);
        ASSERT_NE(chain, nullptr);
        HitRecord* line = chain->child.get();
        while (line != nullptr && line->kind != kSpannerHeadKind) line = line->child.get();
        ASSERT_NE(line, nullptr);
        const HitRecord* middle = SpannerHandle(line, kSpannerMiddleHandle);
        ASSERT_NE(middle, nullptr);
        if (stem == kStemUp)
            EXPECT_EQ(middle->outer.bottom, chain->outer.top - 1);
        else
            EXPECT_EQ(middle->outer.top, chain->outer.bottom + 1);
        EXPECT_GE(middle->outer.right - middle->outer.left, 256);
        FreeHitRecordChain(chain);
        FreeHitRecord(chain);
    }
}

// ResetState remembers the style for new marks.
TEST_F(TupletMarkTest, ResetStateRemembersTheStyle) {
    ScoreObject* mark = ClickOn(Triplets(0, 1));
    ASSERT_NE(mark, nullptr);
    SetTupletStyle(AsTuplet(mark), kTupletCurve);
    ClassOf(mark).ResetState(mark, view_);
    EXPECT_EQ(State().notes.NoteTools.tupletMarkStyle, kTupletCurve);
}

// A failed allocation or attachment leaves no record behind.
TEST_F(TupletMarkTest, FailuresCreateNothing) {
    EventRecord* first = Triplets(0, 1);
    const int live = LiveRecords();
    ScoreObject* record = AllocTuplet();
    ASSERT_NE(record, nullptr);
    ConstructTupletObject(record, view_, AnchorPayload{}, SpannerEndpoint{});
    EXPECT_EQ(AttachTupletToNote(record, view_, nullptr, 1, "3"), nullptr);
    EXPECT_EQ(LiveRecords(), live);
    record = AllocTuplet();
    ConstructTupletObject(record, view_, AnchorPayload{}, SpannerEndpoint{});
    EXPECT_EQ(AttachTupletToNote(record, view_, first, 1, "11"), record);
    EXPECT_NE(TextObjectString(&AsTuplet(record)->text), nullptr);
}

// The transcription's marks and the importers' go through the same placement: a
// mark built by the three operations sits where a click puts it.
TEST_F(TupletMarkTest, OperationsPlaceLikeAClick) {
    EventRecord* first = Triplets(0, 1);
    ScoreObject* clicked = ClickOn(first);
    ScoreObject* built = AllocTuplet();
    ConstructTupletObject(built, view_, DefaultTupletCurve(view_, first), SpannerEndpoint{});
    ASSERT_NE(AttachTupletToNote(built, view_, first, 1, "5"), nullptr);
    const SpannerPoints a = Bracket(clicked), b = Bracket(built);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.p[i], b.p[i]) << i;
}

}  // namespace
}  // namespace ql::testing_tuplets
