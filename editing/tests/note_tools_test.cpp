// The Note Heads and Toggle Dots tools clicking notes of a one-staff score: the
// chosen head written and cleared, Ctrl changing the whole chord, Alt's codes above
// the five-bit field refused, and a face of the dots button giving its dots.
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tests/editing_fixture.h"
#include "editing/tools.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/headless.h"

namespace ql::testing_editing {
namespace {

constexpr uint8_t kQuarterCode = 10;
constexpr int kQuarterTicks = 1024;

class NoteToolsTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ASSERT_TRUE(CreateToolPalettes(window_));
        UpdateBeatMaps(view_, 1);
        view_->visibleRect = gfx::Rect{-32768, -32768, 32767, 32767};
        view_->voiceMask = 1;
        Locate();
    }
    void TearDown() override {
        DestroyToolPalettes();
        EditingTest::TearDown();
    }
    void Locate() {
        State().locate.ForceLocationUpdate = 1;
        SetCurrentMeasure(view_, 1, 2);
    }
    EventRecord* AddNote(int tick, int position) {
        Locate();
        EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, static_cast<uint16_t>(tick),
                                            kQuarterCode, 0);
        if (note != nullptr) SetNotePosition(*note, position);
        return note;
    }
    // A left click of a tool on a note's head.
    void ClickOn(ToolHandler tool, EventRecord* note, ToolRecord* record = nullptr, uint32_t word = 0) {
        Locate();
        const LogicalPoint at = GetEventPosition(note, view_);
        const gfx::Point client = Client(at.x, at.y);
        tool(view_, ToolAction::Message, record, window_, win::Message::LeftButtonDown, word,
             win::PackPoint({client.x, client.y}));
    }
    static int Head(const EventRecord* note) { return note->flags >> kNoteHeadKindShift; }
};

// Heads entry 4 is head code 5; clicking again clears it; only the clicked note changes.
TEST_F(NoteToolsTest, NoteHeadsWritesTheChosenHeadAndASecondClickClearsIt) {
    DrawToolButtonPressed(view_, kHeadsPalette, 4);
    EventRecord* low = AddNote(0, -2);
    EventRecord* high = AddNote(0, -6);
    ASSERT_NE(high, nullptr);
    ClickOn(NoteHeadsToolHandler, high);
    EXPECT_EQ(Head(high), 5);
    EXPECT_EQ(Head(low), 0);
    EXPECT_GT(doc_->changeCounter, 0);
    ClickOn(NoteHeadsToolHandler, high);
    EXPECT_EQ(Head(high), 0);
}

// With Ctrl held every note of the chord takes the head.
TEST_F(NoteToolsTest, CtrlClickChangesTheWholeChord) {
    DrawToolButtonPressed(view_, kHeadsPalette, 4);
    EventRecord* low = AddNote(0, -2);
    EventRecord* high = AddNote(0, -6);
    EventRecord* other = AddNote(kQuarterTicks, -4);
    ASSERT_NE(other, nullptr);
    HoldKey(win::Key::Control, true);
    ClickOn(NoteHeadsToolHandler, high);
    HoldKey(win::Key::Control, false);
    EXPECT_EQ(Head(high), 5);
    EXPECT_EQ(Head(low), 5);
    EXPECT_EQ(Head(other), 0);
}

// Alt adds 16: entry 4 gives 21; the last entries would need 32 and 33, which the
// field cannot hold, so the click beeps and changes nothing.
TEST_F(NoteToolsTest, AltCodesAboveThirtyOneBeepAndChangeNothing) {
    EventRecord* note = AddNote(0, -4);
    ASSERT_NE(note, nullptr);
    DrawToolButtonPressed(view_, kHeadsPalette, 4);
    HoldKey(win::Key::Alt, true);
    ClickOn(NoteHeadsToolHandler, note);
    EXPECT_EQ(Head(note), 21);
    DrawToolButtonPressed(view_, kHeadsPalette, 17);
    const size_t beeps = ui::headless::Beeps().size();
    const uint16_t counter = doc_->changeCounter;
    ClickOn(NoteHeadsToolHandler, note);
    HoldKey(win::Key::Alt, false);
    EXPECT_EQ(Head(note), 21);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_EQ(doc_->changeCounter, counter);
}

// The face of strip 38 gives two dots: a quarter lasts 1792 ticks.
TEST_F(NoteToolsTest, ToggleDotsOnTheTwoDotFaceDoubleDotsAQuarter) {
    EventRecord* note = AddNote(0, -4);
    ASSERT_NE(note, nullptr);
    ToolRecord twoDots;
    twoDots.bitmapId = 38;
    ClickOn(ToggleDotsToolHandler, note, &twoDots);
    EXPECT_EQ(note->word2 & kEventDotsMask, 2);
    EXPECT_EQ(EventDurationTicks(*note), kQuarterTicks + kQuarterTicks / 2 + kQuarterTicks / 4);
    ToolRecord oneDot;
    oneDot.bitmapId = 15;
    ClickOn(ToggleDotsToolHandler, note, &oneDot);
    EXPECT_EQ(note->word2 & kEventDotsMask, 1);
}

}  // namespace
}  // namespace ql::testing_editing
