// Copy Notes and the paste of captured notes: the Pointer tool and a focus are
// needed, the capture pastes one note after another from the cursor's time into the
// following measures, Up held raises every pasted note an octave, and taking a
// block drops the capture.
#include <gtest/gtest.h>

#include <vector>

#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/view_location.h"
#include "editing/block_clipboard.h"
#include "editing/tests/note_commands/note_commands_fixture.h"
#include "editing/tool_dispatch.h"
#include "layout/page_format.h"

namespace ql::testing_note_commands {
namespace {

class NoteCaptureTest : public NoteCommandTest {
  protected:
    void SetUp() override {
        NoteCommandTest::SetUp();
        ClearBlockClipboard();
        marquee_object_ = static_cast<ScoreObject*>(AllocStaticRecord(kTransientStaticPool));
        ASSERT_NE(marquee_object_, nullptr);
        State().marquee.current = marquee_object_;
        TheSelectionState()->editMode = 1;
        SetCurrentToolGroup(ToolGroup::Pointer);
        ASSERT_NE(AddMeasures(view_, 6), 0);
    }
    void TearDown() override {
        State().marquee.current = nullptr;
        TheSelectionState()->editMode = 0;
        FreeStaticRecord(kTransientStaticPool, marquee_object_);
        ClearBlockClipboard();
        NoteCommandTest::TearDown();
    }
    std::vector<int> StepsAt(int staff, int measure, int voice) {
        std::vector<int> steps;
        for (EventRecord* e = GetVoiceFirstEvent(score_.Cell(staff, measure), voice); e != nullptr; e = NextEvent(e))
            steps.push_back(SignedStep(*e));
        return steps;
    }
    // Puts the cursor on a staff and measure at a tick.
    void CursorAt(int staff, int measure, int tick) {
        SetCurrentMeasure(view_, staff, measure);
        view_->pointerPoint.x = TimeToX(view_, tick);
    }

    ScoreObject* marquee_object_ = nullptr;
};

// With a tool other than the Pointer, Copy Notes captures nothing.
TEST_F(NoteCaptureTest, OnlyThePointerToolCaptures) {
    SetCurrentToolGroup(ToolGroup::Note);
    EXPECT_EQ(CaptureMarqueeNotes(view_), 0);
    EXPECT_FALSE(NoteCaptureValid());
    SetCurrentToolGroup(ToolGroup::Pointer);
    EXPECT_EQ(CaptureMarqueeNotes(view_), 1);
    EXPECT_TRUE(NoteCaptureValid());
}

// Six quarters of each walked voice pasted from the last beat of measure 5: one
// there, the other five from the start of measure 6; with Up held an octave higher.
TEST_F(NoteCaptureTest, CapturePastesOneAfterAnotherIntoTheNextMeasure) {
    CopyNotes(view_, true);
    ASSERT_TRUE(NoteCaptureValid());
    win::headless::SetKeyDown(win::Key::Up, true);
    CursorAt(2, 5, 3072);
    PasteCapturedNotes(view_);
    win::headless::SetKeyDown(win::Key::Up, false);
    EXPECT_EQ(StepsAt(2, 5, 0), std::vector<int>{kMiddleLine - 7});
    EXPECT_EQ(StepsAt(2, 6, 0).size(), 5u);
    EXPECT_EQ(StepsAt(2, 5, 2), std::vector<int>{kMiddleLine + 2 - 7});
    EXPECT_EQ(StepsAt(3, 5, 0), std::vector<int>{kMiddleLine - 7}) << "the second staff below";
    EXPECT_TRUE(StepsAt(2, 5, 1).empty()) << "voice 1 was never walked";
}

// A capture, then a block copy, then Paste pastes the block; the reverse order the
// capture.
TEST_F(NoteCaptureTest, TheLaterOfCaptureAndBlockWins) {
    CopyNotes(view_, true);
    ASSERT_TRUE(NoteCaptureValid());
    State().blockClipboard.source.document = doc_;
    ClearBlockClipboard();  // what taking a block starts with
    EXPECT_FALSE(NoteCaptureValid());
    State().blockClipboard.source = BlockSource{doc_, 1, 1, 0, 1, 1};
    CopyNotes(view_, true);
    EXPECT_FALSE(BlockHeld());
    EXPECT_TRUE(NoteCaptureValid());
}

}  // namespace
}  // namespace ql::testing_note_commands
