// Copy Notes and the paste of captured notes: the Pointer tool and a focus are
// needed, the capture pastes one note after another from the cursor's time into the
// following measures, Up held raises every pasted note an octave, and taking a
// block drops the capture.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "core/objects/selection_state.h"
#include "core/model/document.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/view_location.h"
#include "editing/block_clipboard.h"
#include "editing/tests/note_commands/note_commands_fixture.h"
#include "editing/tool_dispatch.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/staff_place.h"
#include "notes/ties/ties.h"
#include "objects/lyrics/lyric.h"
#include "shell/program/core_startup.h"

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
        // Measures 3 and 4 of the walked voices are emptied to paste into.
        for (int s = 2; s <= kStaves; ++s)
            for (int m = 3; m <= 4; ++m)
                for (int v : {0, 2}) FreeEventChain(GetVoiceHead(score_.Cell(s, m), v));
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
        view_->pointerPoint.x = CurrentSlotX(view_) + BeatMapTickToX(view_, tick);
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

// Copy Notes changes nothing in the score it copies from (closing it asks
// nothing), and a pasted lyric keeps the face it was copied in though the score
// pasted into names another face at that entry of its table.
TEST_F(NoteCaptureTest, CopyChangesNothingAndAPastedLyricKeepsItsFace) {
    constexpr uint8_t kOwnFace = 9;
    RegisterObjectClasses();
    TextObject* lyric = NewLyricOnNote(view_, notes_[{2, 1, 0, 1024}], 1);
    ASSERT_NE(lyric, nullptr);
    SetTextObjectString(lyric, "la");
    lyric->body.flags |= kTextOwnFont;
    lyric->body.style = kOwnFace;
    std::snprintf(doc_->faceNames[kOwnFace].name, kFaceNameChars, "Quaver Garamond");
    ClearDocumentModified(doc_);
    CopyNotes(view_, true);
    ASSERT_TRUE(NoteCaptureValid());
    EXPECT_EQ(doc_->changeCounter, 0) << "copying marked the score changed";
    std::snprintf(doc_->faceNames[kOwnFace].name, kFaceNameChars, "Another Face");
    CursorAt(2, 3, 0);
    PasteCapturedNotes(view_);
    const ScoreObject* pasted = GetEventAttachment(GetVoiceFirstEvent(score_.Cell(2, 3), 0));
    ASSERT_NE(pasted, nullptr);
    EXPECT_STREQ(doc_->faceNames[TextFaceIndexOf(AsTextObject(pasted)->body.style)].name, "Quaver Garamond");
}

// Six quarters of each walked voice pasted from the last beat of measure 3: one
// there, four in measure 4 and the last in a measure added after it; with Up held an
// octave higher.
TEST_F(NoteCaptureTest, CapturePastesOneAfterAnotherIntoTheNextMeasure) {
    CopyNotes(view_, true);
    ASSERT_TRUE(NoteCaptureValid());
    win::headless::SetKeyDown(win::Key::Up, true);
    CursorAt(2, 3, 3072);
    PasteCapturedNotes(view_);
    win::headless::SetKeyDown(win::Key::Up, false);
    EXPECT_EQ(StepsAt(2, 3, 0), std::vector<int>{kMiddleLine - 7});
    EXPECT_EQ(StepsAt(2, 4, 0), std::vector<int>(4, kMiddleLine - 7));
    EXPECT_EQ(doc_->header.measureCount, 5);
    EXPECT_EQ(StepsAt(2, 5, 0), std::vector<int>{kMiddleLine - 7});
    EXPECT_EQ(StepsAt(2, 3, 2), std::vector<int>{kMiddleLine + 2 - 7});
    EXPECT_EQ(StepsAt(3, 3, 0), std::vector<int>{kMiddleLine - 7}) << "the second staff below";
    EXPECT_EQ(StepsAt(2, 3, 1).size(), 4u) << "voice 1 was never walked: it keeps its own notes";
}

// The paste of a capture in one undo step gives the pools back byte for byte.
TEST_F(NoteCaptureTest, UndoTakesThePasteBackWhole) {
    CopyNotes(view_, true);
    const std::vector<uint8_t> before = PoolBytes();
    CursorAt(2, 3, 0);
    {
        UndoStep step(doc_, view_, UndoKind::Note, 0, UndoVerb::Paste);
        PasteCapturedNotes(view_);
    }
    EXPECT_EQ(StepsAt(2, 3, 0).size(), 4u);
    ASSERT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(PoolBytes(), before);
}

// A half note pasted at the last beat of a 4/4 measure is split into two quarters
// tied across the barline; the next note follows the second quarter.
TEST_F(NoteCaptureTest, AnOverlongNoteIsSplitAndTied) {
    At(2, 1, 0, 1024)->duration = kDurationQuarter + 1;
    CopyNotes(view_, true);
    CursorAt(2, 3, 3072);
    PasteCapturedNotes(view_);
    EventRecord* first = GetVoiceFirstEvent(score_.Cell(2, 3), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->time, 3072);
    EXPECT_EQ(first->duration, kDurationQuarter);
    EXPECT_EQ(NextEvent(first), nullptr);
    EXPECT_NE(FindNoteTie(first), nullptr) << "tied on";
    EventRecord* second = GetVoiceFirstEvent(score_.Cell(2, 4), 0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->time, 0);
    EXPECT_EQ(second->duration, kDurationQuarter);
    EXPECT_EQ(second->step, first->step);
    ASSERT_NE(NextEvent(second), nullptr);
    EXPECT_EQ(NextEvent(second)->time, 1024);
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

// A rest inside the marquee is captured too and keeps its place in the paste: the
// note after it comes a quarter later, not straight after the note before it.
TEST_F(NoteCaptureTest, ACapturedRestKeepsItsPlace) {
    FreeEventChain(GetVoiceHead(score_.Cell(2, 2), 0));
    ASSERT_NE(score_.Note(2, 2, 0, 0, kMiddleLine), nullptr);
    ASSERT_NE(Rest(2, 2, 0, 1024), nullptr);
    ASSERT_NE(score_.Note(2, 2, 0, 2048, kMiddleLine), nullptr);
    CopyNotes(view_, true);
    ASSERT_TRUE(NoteCaptureValid());
    CursorAt(2, 3, 0);
    PasteCapturedNotes(view_);
    // Measure 1's three quarters and measure 2's first note fill measure 3; the
    // rest takes beat 1 of measure 4.
    EXPECT_EQ(StepsAt(2, 3, 0).size(), 4u);
    EventRecord* after = GetVoiceFirstEvent(score_.Cell(2, 4), 0);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->time, 1024);
    EXPECT_EQ(NextEvent(after), nullptr);
}

// Staff 2 has nothing in the marquee's first measure, so its notes are met after
// staff 3's: the paste still measures from the top staff. Each staff lands on the
// cursor's staff plus its distance from staff 2, from the cursor on staff 2 and on
// staff 1 (where nothing falls off above the score).
TEST_F(NoteCaptureTest, StavesKeepTheirOrderWhenTheTopStaffStartsLate) {
    for (int v : {0, 2}) FreeEventChain(GetVoiceHead(score_.Cell(2, 1), v));
    for (int m = 3; m <= 4; ++m)
        for (int v : {0, 2}) FreeEventChain(GetVoiceHead(score_.Cell(1, m), v));
    CopyNotes(view_, true);
    ASSERT_TRUE(NoteCaptureValid());
    // Staff 2 brings measure 2's three notes, staff 3 six: four fill measure 3.
    const struct {
        int cursorStaff;
        std::vector<size_t> notesInMeasure3;  // staves 1 to 3, voice 0
    } cases[] = {{2, {0, 3, 4}}, {1, {3, 4, 0}}};
    for (const auto& c : cases) {
        CursorAt(c.cursorStaff, 3, 0);
        {
            UndoStep step(doc_, view_, UndoKind::Note, 0, UndoVerb::Paste);
            PasteCapturedNotes(view_);
        }
        for (int staff = 1; staff <= kStaves; ++staff)
            EXPECT_EQ(StepsAt(staff, 3, 0).size(), c.notesInMeasure3[staff - 1])
                << "cursor on staff " << c.cursorStaff << ", staff " << staff;
        UndoCommand(doc_, view_);
    }
}

}  // namespace
}  // namespace ql::testing_note_commands
