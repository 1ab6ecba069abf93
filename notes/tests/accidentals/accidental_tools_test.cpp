// The four accidental tools clicked on notes: writing a code, taking it away by
// repeating it, the parentheses tool, the double states, and the messages the handler
// leaves alone.
#include <gtest/gtest.h>

#include "core/state.h"
#include "notes/accidentals/accidental.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/rests/rest_fixture.h"
#include "platform/win/messages.h"

namespace ql::testing_rests {
namespace {

constexpr int kPointerInput = 1;

class AccidentalToolTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        note_ = Note(0, 1024, kQuarter, -3);
    }
    // A click of the armed tool on the note's head (the pointer in logical units: no
    // surface is open, so the message's point is taken as it is).
    intptr_t Click(win::Message message = win::Message::LeftButtonDown, uint32_t word = 0) {
        const int32_t x = CurrentSlotX(view_) + BeatMapTickToX(view_, note_->time) + 10;
        const int32_t y = PositionY(view_, NotePosition(*note_));
        return AccidentalToolHandler(view_, kPointerInput, nullptr, {}, message, word,
                                     win::PackPoint(gfx::Point{x, y}));
    }
    AccidentalToolState& Tools() { return State().notes.AccidentalTools; }
    int Code() const { return NoteAccidentalCode(*note_); }
    ScoreObject* Sign() const { return AccidentalOfNote(*note_); }

    EventRecord* note_ = nullptr;
};

// The sharp tool twice: the first click writes a sharp, the second removes it; the
// sign object stays, showing nothing.
TEST_F(AccidentalToolTest, SharpTwice) {
    Tools().tool = AccidentalTool::Sharp;
    EXPECT_EQ(Click(), 1);
    EXPECT_EQ(Code(), 1);
    ASSERT_NE(Sign(), nullptr);
    EXPECT_EQ(AccidentalGlyph(Sign()), 218);
    EXPECT_EQ(AccidentalParentheses(Sign()), 0);
    EXPECT_EQ(Click(), 1);
    EXPECT_EQ(Code(), 0);
    EXPECT_NE(Sign(), nullptr);
    EXPECT_EQ(doc_->undoState.undoAvailable, 1);
}

// With the parentheses tool on: a parenthesised sharp, then the parentheses go, then
// the sign.
TEST_F(AccidentalToolTest, SharpWithParenthesesOn) {
    Tools().tool = AccidentalTool::Sharp;
    Tools().parenthesesOn = 1;
    Click();
    EXPECT_EQ(Code(), 1);
    EXPECT_EQ(AccidentalParentheses(Sign()), kAccidentalParenthesised);
    Click();
    EXPECT_EQ(Code(), 1);
    EXPECT_EQ(AccidentalParentheses(Sign()), 0);
    Click();
    EXPECT_EQ(Code(), 0);
}

// Double states and the natural; another tool's code replaces the note's.
TEST_F(AccidentalToolTest, CodesOfTheTools) {
    struct Case {
        AccidentalTool tool;
        uint8_t doubled;
        int code;
    };
    const Case cases[] = {{AccidentalTool::Sharp, 1, 2},
                          {AccidentalTool::Flat, 0, 3},
                          {AccidentalTool::Flat, 1, 4},
                          {AccidentalTool::Natural, 1, 5}};
    for (const Case& c : cases) {
        Tools().tool = c.tool;
        Tools().doubled = c.doubled;
        Click();
        EXPECT_EQ(Code(), c.code);
        EXPECT_EQ(AccidentalGlyph(Sign()), 217 + c.code);
    }
}

// The parentheses tool toggles the parentheses of a note with a code and does
// nothing (result 0) on a note without one.
TEST_F(AccidentalToolTest, ParenthesesTool) {
    Tools().tool = AccidentalTool::Parentheses;
    EXPECT_EQ(Click(), 0);
    EXPECT_EQ(Sign(), nullptr);
    SetNoteAccidentalCode(*note_, 3);
    EXPECT_EQ(Click(), 1);
    EXPECT_EQ(AccidentalParentheses(Sign()), kAccidentalParenthesised);
    Click();
    EXPECT_EQ(AccidentalParentheses(Sign()), 0);
    EXPECT_EQ(Code(), 3);
}

// Other actions and messages are left (0); a plain mouse move changes nothing, a move
// with the left button held works as a click; a click beside every note changes
// nothing.
TEST_F(AccidentalToolTest, MessagesLeftAlone) {
    Tools().tool = AccidentalTool::Sharp;
    EXPECT_EQ(AccidentalToolHandler(view_, 0, nullptr, {}, win::Message::LeftButtonDown, 0, 0), 0);
    EXPECT_EQ(Click(win::Message::RightButtonDown), 0);
    EXPECT_EQ(Click(win::Message::MouseMove), 1);
    EXPECT_EQ(Code(), 0);
    EXPECT_EQ(Click(win::Message::MouseMove, win::kMouseLeftButton), 1);
    EXPECT_EQ(Code(), 1);
    const intptr_t beside = win::PackPoint(gfx::Point{CurrentSlotX(view_) + 30000, 0});
    EXPECT_EQ(AccidentalToolHandler(view_, kPointerInput, nullptr, {}, win::Message::LeftButtonDown,
                                    0, beside),
              1);
    EXPECT_EQ(Code(), 1);
}

// SetNoteAccidental as note entry and spelling call it: the sign is made, glyph and
// code set, parentheses by the tool state.
TEST_F(AccidentalToolTest, SetNoteAccidental) {
    EXPECT_EQ(SetNoteAccidental(view_, note_, 4, true), 1);
    EXPECT_EQ(Code(), 4);
    EXPECT_EQ(AccidentalGlyph(Sign()), 221);
    Tools().parenthesesOn = 1;
    SetNoteAccidental(view_, note_, 5, false);
    EXPECT_EQ(AccidentalGlyph(Sign()), 222);
    EXPECT_EQ(AccidentalParentheses(Sign()), kAccidentalParenthesised);
    EXPECT_EQ(view_->DrawDepth, 0);
}

}  // namespace
}  // namespace ql::testing_rests
