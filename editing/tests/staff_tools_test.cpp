// The System Bracket and System Brace tools on a three-staff score and on a
// one-staff score: single-staff brackets coming and going, pairs joined and parted,
// a one-staff bracket inside a pair, the refusals, the missing neighbour's beep and
// the Ctrl-click that toggles the barline connection instead.
#include <string>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/view_location.h"
#include "editing/group_tools.h"
#include "editing/palette_layout.h"
#include "editing/tests/editing_fixture.h"
#include "editing/tool_records.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/headless.h"
#include "staves/staff_group_bits.h"

namespace ql::testing_editing {
namespace {

constexpr int kBracket = 7;
constexpr int kBrace = 8;
constexpr int32_t kStep = 64;  // units of the distance to the staff's line
constexpr int32_t kInside = -4 * kStep;
constexpr int32_t kBelow = 2 * kStep;
constexpr int32_t kAbove = -10 * kStep;

// The value of a staff's join field: 1 above, 2 below, 4 the staff alone.
int Value(ScoreDocument* doc, int staff, GroupKind kind) {
    const StaffRecord& s = *StaffRecordOf(doc, staff);
    return (JoinsStaffAbove(s, kind) ? 1 : 0) | (JoinsStaffBelow(s, kind) ? 2 : 0) |
           (IsOneStaffGroup(s, kind) ? 4 : 0);
}

class BracketToolTest : public EditingTest {
  protected:
    explicit BracketToolTest(int staves = 3) { staffCount_ = staves; }
    void SetUp() override {
        EditingTest::SetUp();
        UpdateBeatMaps(view_, 1);
        view_->visibleRect = gfx::Rect{-32768, -32768, 32767, 32767};
        CreateStatusBar(window_);
    }
    static std::string LastStatus() {
        const auto& texts = ui::headless::StatusTexts();
        return texts.empty() ? std::string() : texts.back().text;
    }
    // A click of the button's tool at dy from the staff's line, in measure 2.
    void Click(int button, int staff, int32_t dy, bool ctrl = false) {
        State().locate.ForceLocationUpdate = 1;
        SetCurrentMeasure(view_, staff, 2);
        const int32_t y = view_->staffY + dy;
        const int32_t x = view_->currentSystem->x + 3000;
        const gfx::Point at = Client(x, y);
        ToolRecord* record = ToolRecordOf(kStaffToolsPalette, button);
        ASSERT_NE(record, nullptr);
        BracketToolHandler(view_, ToolAction::Message, record, window_, win::Message::LeftButtonDown,
                           ctrl ? win::kMouseControl : 0, win::PackPoint({at.x, at.y}));
        ASSERT_EQ(view_->currentStaff, staff);  // the click stayed on that staff
    }
    int Bracket(int staff) { return Value(doc_, staff, GroupKind::Bracket); }
    int Brace(int staff) { return Value(doc_, staff, GroupKind::Brace); }
    int Connection(int staff) { return Value(doc_, staff, GroupKind::Barline); }
};

class OneStaffBracketTest : public BracketToolTest {
  protected:
    OneStaffBracketTest() : BracketToolTest(1) {}
};

// A click inside a staff adds its own bracket; a second click removes it.
TEST_F(BracketToolTest, ClickingTwiceOnOneStaffAddsAndRemovesItsBracket) {
    Click(kBracket, 2, kInside);
    EXPECT_EQ(Bracket(2), 4);
    EXPECT_EQ(Bracket(1) | Bracket(3), 0);
    EXPECT_GT(doc_->changeCounter, 0);
    Click(kBracket, 2, kInside);
    EXPECT_EQ(Bracket(2), 0);
    Click(kBrace, 3, kInside);  // the brace tool keeps to the brace field
    EXPECT_EQ(Brace(3), 4);
    EXPECT_EQ(Bracket(3), 0);
}

// Below a staff joins it with the next; above it, with the previous; the same
// click again parts them, and the staves' other joins stay.
TEST_F(BracketToolTest, ClickBelowOrAboveTogglesThePairJoin) {
    Click(kBracket, 2, kBelow);
    EXPECT_EQ(Bracket(2), 2);
    EXPECT_EQ(Bracket(3), 1);
    Click(kBracket, 2, kAbove);  // staves 1 and 2
    EXPECT_EQ(Bracket(1), 2);
    EXPECT_EQ(Bracket(2), 3);
    Click(kBracket, 2, kBelow);  // staves 2 and 3 already joined: parted
    EXPECT_EQ(Bracket(2), 1);
    EXPECT_EQ(Bracket(3), 0);
    Click(kBracket, 2, kBelow);  // and joined again
    EXPECT_EQ(Bracket(2), 3);
    EXPECT_EQ(Bracket(3), 1);
}

// A bracket around one staff of the pair counts as no join: the pair join replaces it.
TEST_F(BracketToolTest, OneStaffBracketInsideAPairIsReplacedByTheJoin) {
    Click(kBracket, 2, kInside);
    Click(kBracket, 3, kInside);
    ASSERT_EQ(Bracket(2), 4);
    ASSERT_EQ(Bracket(3), 4);
    Click(kBracket, 2, kBelow);
    EXPECT_EQ(Bracket(2), 2);
    EXPECT_EQ(Bracket(3), 1);
}

// A staff joined to a neighbour cannot have its own bracket or brace.
TEST_F(BracketToolTest, AJoinedStaffRefusesItsOwnBracketWithANotice) {
    Click(kBracket, 2, kBelow);
    Click(kBracket, 2, kInside);
    EXPECT_EQ(Bracket(2), 2);
    EXPECT_NE(LastStatus().find("Already bracketed"), std::string::npos) << LastStatus();
    Click(kBrace, 3, kAbove);
    Click(kBrace, 3, kInside);
    EXPECT_EQ(Brace(3), 1);
    EXPECT_NE(LastStatus().find("Already braced"), std::string::npos) << LastStatus();
}

// With Ctrl both buttons toggle the barline connection of the pair, never the
// single staff, and leave brackets and braces alone.
TEST_F(BracketToolTest, CtrlClickTogglesTheConnection) {
    Click(kBracket, 1, kBelow, true);
    EXPECT_EQ(Connection(1), 2);
    EXPECT_EQ(Connection(2), 1);
    EXPECT_EQ(Bracket(1) | Bracket(2) | Brace(1) | Brace(2), 0);
    Click(kBrace, 1, kBelow, true);
    EXPECT_EQ(Connection(1) | Connection(2), 0);
    Click(kBrace, 2, -6 * kStep, true);  // beyond the connection's -4: staves 1 and 2
    EXPECT_EQ(Connection(1), 2);
    EXPECT_EQ(Connection(2), 1);
}

// A pair past the last staff beeps and changes nothing.
TEST_F(BracketToolTest, APairPastTheLastStaffBeeps) {
    const size_t beeps = ui::headless::Beeps().size();
    Click(kBracket, 3, kBelow);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_EQ(Bracket(3), 0);
    EXPECT_EQ(doc_->changeCounter, 0);
}

// The only staff of a score: below it there is no neighbour.
TEST_F(OneStaffBracketTest, BelowTheOnlyStaffBeeps) {
    const size_t beeps = ui::headless::Beeps().size();
    Click(kBracket, 1, kBelow);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_EQ(Bracket(1), 0);
    Click(kBracket, 1, kInside);
    EXPECT_EQ(Bracket(1), 4);
}

}  // namespace
}  // namespace ql::testing_editing
