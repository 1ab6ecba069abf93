// The tuplet tool through the editing framework: a click on a triplet's note, handed
// to the tool as the Notes tool hands it on (note entry armed), puts a mark on the
// group instead of entering a note; a curve mark's move handle, pressed and dragged
// across the notes, takes the curve to their other side, turned back towards them.
#include <gtest/gtest.h>

#include <algorithm>
#include "core/objects/selection_state.h"

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "editing/tools.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/object_dialogs.h"
#include "objects/tests/marks/marks_fixture.h"
#include "objects/tuplets/tuplet.h"
#include "objects/tuplets/tuplet_curve_handles.h"
#include "core/objects/hit_record.h"
#include "core/tests/text/text_drag_support.h"
#include "core/text/text_object.h"
#include "core/draw/colour_sets.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"

namespace ql::testing_marks {
namespace {

class TupletMouseTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        RegisterAccidentalClass();
        BuildScore(1);
        State().documents.ActiveView = view_;
        win::SetFocus(window_);
    }
    // Three triplet eighths with stems up at the start of measure 2; the first.
    EventRecord* Triplet() {
        SetCurrentMeasure(view_, 1, 2);
        EventRecord* first = nullptr;
        for (int n = 0; n < 3; ++n) {
            EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, static_cast<uint16_t>(n * 341), 9, 0);
            if (note == nullptr) return nullptr;
            SetNotePosition(*note, -4);
            note->tupletKind = 1;
            note->stemLength = -448;
            if (first == nullptr) first = note;
        }
        return first;
    }
    static ScoreObject* MarkOn(EventRecord* note) {
        ScoreObject* mark = GetEventAttachment(note);
        while (mark != nullptr && mark->type != TypeCode(ObjectType::Tuplet)) mark = mark->next.get();
        return mark;
    }
    // A click on the paper far below the notes lets go of the chosen mark.
    void LetGo(LogicalPoint near) {
        const LogicalPoint paper{near.x, near.y + 6000};
        Mouse(win::Message::LeftButtonDown, paper);
        Mouse(win::Message::LeftButtonUp, paper);
    }
    // A click with the Notes tool on the triplet's first note marks it in `style`;
    // the mark, or null.
    ScoreObject* ClickMarkOnto(EventRecord* first, int style) {
        SelectToolType(view_, TypeCode(ObjectType::Note));
        State().notes.NoteTools.tupletMarkStyle = style;
        const LogicalPoint at = GetEventPosition(first, view_);
        Mouse(win::Message::LeftButtonDown, at);
        Mouse(win::Message::LeftButtonUp, at);
        return MarkOn(first);
    }
    // A bracket clicked onto the triplet and, still chosen, stepped to the curve with
    // keypad plus; the mark, or null when either did not happen.
    ScoreObject* BracketSteppedToTheCurve(EventRecord* first) {
        ScoreObject* mark = ClickMarkOnto(first, kTupletBracket);
        if (mark == nullptr) return nullptr;
        TupletToolHandler(view_, Message, nullptr, window_, win::Message::KeyDown, static_cast<uint32_t>(win::Key::Add),
                          0);
        return TupletStyle(*AsTuplet(mark)) == kTupletCurve ? mark : nullptr;
    }
    intptr_t Mouse(win::Message message, LogicalPoint at) {
        const gfx::Point client = Device(at.x, at.y);
        return TupletToolHandler(view_, Message, nullptr, window_, message, 0, win::PackPoint(win::Point{client.x, client.y}));
    }
};

TEST_F(TupletMouseTest, ClickOnATripletPlacesAMark) {
    SetCurrentMeasure(view_, 1, 2);
    EventRecord* first = nullptr;
    for (int n = 0; n < 3; ++n) {
        EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, static_cast<uint16_t>(n * 341), 9, 0);
        ASSERT_NE(note, nullptr);
        SetNotePosition(*note, -4);
        note->tupletKind = 1;
        if (first == nullptr) first = note;
    }
    const int notesBefore = CountCellEvents(view_->currentCell) != nullptr ? 1 : 0;
    SelectToolType(view_, TypeCode(ObjectType::Note));  // note entry armed, as the Notes tool leaves it
    const LogicalPoint at = GetEventPosition(first, view_);
    Mouse(win::Message::LeftButtonDown, at);
    Mouse(win::Message::LeftButtonUp, at);
    SetCurrentMeasure(view_, 1, 2);
    int marks = 0, events = 0, style = -1;
    for (ScoreObject* o = GetEventAttachment(first); o != nullptr; o = o->next.get()) {
        if (o->type != TypeCode(ObjectType::Tuplet)) continue;
        ++marks;
        style = TupletStyle(*AsTuplet(o));
    }
    EXPECT_EQ(style, State().notes.NoteTools.tupletMarkStyle) << "the mark lost the remembered style";
    for (EventRecord* e = GetVoiceFirstEvent(view_->currentCell, 0); e != nullptr; e = NextEvent(e)) ++events;
    EXPECT_EQ(marks, 1);
    EXPECT_EQ(events, 3) << "the click entered a note";
    EXPECT_EQ(notesBefore, 1);
}

TEST_F(TupletMouseTest, CurveDraggedByItsMoveHandleAcrossTheNotesTurnsBack) {
    EventRecord* first = Triplet();
    ASSERT_NE(first, nullptr);
    ScoreObject* mark = ClickMarkOnto(first, kTupletCurve);
    const LogicalPoint at = GetEventPosition(first, view_);
    ASSERT_NE(mark, nullptr);
    ASSERT_EQ(TupletStyle(*AsTuplet(mark)), kTupletCurve);
    HitRecord* h[kCurveHandleCount] = {};
    ASSERT_TRUE(CurveHandles(mark, h)) << "the new mark shows no curve handles";
    TupletCurvePoints before{};
    SetCurrentMeasure(view_, 1, 2);
    ASSERT_TRUE(ComputeTupletCurve(mark, view_, &before));
    ASSERT_LT(before.p[1].y, at.y);  // over the notes
    const LogicalPoint grab = h[kCurveMoveHandle]->point;
    const LogicalPoint drop{grab.x, at.y + 900 + (grab.y < before.p[0].y ? before.p[0].y - grab.y : 0)};
    Mouse(win::Message::LeftButtonDown, grab);
    for (int step = 1; step <= 4; ++step)
        Mouse(win::Message::MouseMove, LogicalPoint{grab.x, grab.y + (drop.y - grab.y) * step / 4});
    Mouse(win::Message::LeftButtonUp, drop);
    LetGo(at);
    SetCurrentMeasure(view_, 1, 2);
    TupletCurvePoints turned{};
    ASSERT_TRUE(ComputeTupletCurve(mark, view_, &turned));
    const int32_t noteY = GetEventPosition(first, view_).y;
    EXPECT_GT(turned.p[0].y, noteY) << "the curve did not come below the notes";
    EXPECT_GT(turned.p[1].y, turned.p[0].y) << "the bow points at the notes";
    EXPECT_GT(TextObjectAnchorPoint(mark, view_).y, noteY) << "the number stayed over the notes";
}

// A number alone, in its bracket or over a curve, chosen and let go of without a
// move, stays where it was (its handle stands at its centre, above its baseline);
// moved away from the notes with all its handles, it moves by exactly as much.
TEST_F(TupletMouseTest, NumberLetGoOfStaysAndMovesByTheDrag) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    EventRecord* first = Triplet();
    ASSERT_NE(first, nullptr);
    const LogicalPoint at = GetEventPosition(first, view_);
    constexpr LogicalPoint kAwayFromTheNotes{96, -160};
    for (int style : {kTupletNumberOnly, kTupletBracket, kTupletCurve}) {
        State().notes.NoteTools.tupletActual = static_cast<uint8_t>(3 + style);
        ScoreObject* mark = ClickMarkOnto(first, style);
        ASSERT_NE(mark, nullptr) << style;
        LetGo(at);
        SetCurrentMeasure(view_, 1, 2);
        const LogicalPoint placed = TextObjectAnchorPoint(mark, view_);
        EXPECT_EQ(testing_text_drag::DragAndLetGo(mark, view_, LogicalPoint{}), placed) << style;
        EXPECT_EQ(testing_text_drag::DragAndLetGo(mark, view_, LogicalPoint{}), placed) << style;
        const LogicalPoint moved = testing_text_drag::DragAndLetGo(mark, view_, kAwayFromTheNotes);
        EXPECT_EQ(moved.x, placed.x + kAwayFromTheNotes.x) << style;
        EXPECT_EQ(moved.y, placed.y + kAwayFromTheNotes.y) << style;
    }
}

// A chosen bracket stepped to the curve with keypad plus and let go of keeps its
// number where the step placed it for the curve, beyond the bow, not inside the bow
// where the bracket had it.
TEST_F(TupletMouseTest, NumberPlacedByAStyleStepStaysBeyondTheBowWhenLetGo) {
    EventRecord* first = Triplet();
    ASSERT_NE(first, nullptr);
    ScoreObject* mark = BracketSteppedToTheCurve(first);
    ASSERT_NE(mark, nullptr);
    const LogicalPoint at = GetEventPosition(first, view_);
    LetGo(at);
    SetCurrentMeasure(view_, 1, 2);
    TupletCurvePoints c{};
    ASSERT_TRUE(ComputeTupletCurve(mark, view_, &c));
    ASSERT_LT(c.p[0].y, at.y) << "the curve is not over the notes";
    const int32_t apex = (c.p[0].y + 3 * c.p[1].y + 3 * c.p[2].y + c.p[3].y) / 8;
    EXPECT_LT(TextObjectAnchorPoint(mark, view_).y, apex) << "the number went back inside the bow";
}

// A chosen bracket stepped to the curve with keypad plus, let go of and chosen again
// at its number, offers the curve's handles: its move handle takes the curve.
TEST_F(TupletMouseTest, MarkSteppedToTheCurveOffersTheCurvesHandles) {
    EventRecord* first = Triplet();
    ASSERT_NE(first, nullptr);
    ScoreObject* mark = BracketSteppedToTheCurve(first);
    ASSERT_NE(mark, nullptr);
    const LogicalPoint at = GetEventPosition(first, view_);
    // Still chosen, it shows the curve's handles: the first control point's box.
    HitRecord* shown[kCurveHandleCount] = {};
    ASSERT_TRUE(CurveHandles(mark, shown));
    const gfx::Point a = Device(shown[2]->inner.left, shown[2]->inner.top);
    const gfx::Point b = Device(shown[2]->inner.right, shown[2]->inner.bottom);
    int marked = 0;
    for (int y = std::min(a.y, b.y); y <= std::max(a.y, b.y); ++y)
        for (int x = std::min(a.x, b.x); x <= std::max(a.x, b.x); ++x) marked += Pixel(x, y) != kEraseColour ? 1 : 0;
    EXPECT_GT(marked, 0) << "the curve's handles are not shown";
    LetGo(at);
    SetCurrentMeasure(view_, 1, 2);
    const LogicalPoint number = TextObjectAnchorPoint(mark, view_);
    const int32_t height = AsTuplet(mark)->text.body.height;
    const LogicalPoint onNumber{number.x, number.y - height / 2};
    Mouse(win::Message::LeftButtonDown, onNumber);
    Mouse(win::Message::LeftButtonUp, onNumber);
    HitRecord* h[kCurveHandleCount] = {};
    ASSERT_TRUE(CurveHandles(mark, h)) << "the chosen curve offers the bracket's handles";
    TupletCurvePoints before{};
    SetCurrentMeasure(view_, 1, 2);
    ASSERT_TRUE(ComputeTupletCurve(mark, view_, &before));
    const LogicalPoint grab = h[kCurveMoveHandle]->point;
    Mouse(win::Message::LeftButtonDown, grab);
    Mouse(win::Message::MouseMove, LogicalPoint{grab.x, grab.y - 300});
    Mouse(win::Message::LeftButtonUp, LogicalPoint{grab.x, grab.y - 300});
    LetGo(at);
    SetCurrentMeasure(view_, 1, 2);
    TupletCurvePoints moved{};
    ASSERT_TRUE(ComputeTupletCurve(mark, view_, &moved));
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(moved.p[i].y, before.p[i].y - 300, 16) << i;  // a pixel of rounding
}

}  // namespace
}  // namespace ql::testing_marks
