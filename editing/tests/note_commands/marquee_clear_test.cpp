// Clearing the marquee's rectangle: the notes and rests of the walked voices inside
// go, everything else stays, and one undo gives the pools back byte for byte.
#include <vector>

#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/undo/undo.h"
#include "editing/marquee_clear.h"
#include "editing/tests/note_commands/note_commands_fixture.h"

namespace ql::testing_note_commands {
namespace {

constexpr uint8_t kSelectionType = 0;

int CountEvents(MeasureCell* cell, int voice) {
    int n = 0;
    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) ++n;
    return n;
}

TEST_F(NoteCommandTest, ClearingTheRectangleTakesOutItsMusicAndOneUndoGivesItBack) {
    Rest(2, 2, 3, 0);  // inside
    Rest(1, 2, 3, 0);  // staff 1: outside
    const std::vector<uint8_t> before = PoolBytes();
    const int measures = doc_->header.measureCount;
    const int staves = doc_->header.staffCount;
    {
        UndoStep step(doc_, view_, UndoKind::Item, kSelectionType, UndoVerb::Delete);
        ClearRectangle(view_, marquee_);
    }
    // Voices 0 and 2 of staves 2 and 3 keep the first beat of measure 1 and the last
    // of measure 2, which closes up to its start; voice 1 and staff 1 keep all.
    for (int staff = 2; staff <= 3; ++staff)
        for (int voice : {0, 2}) {
            EXPECT_EQ(CountEvents(score_.Cell(staff, 1), voice), 1);
            EXPECT_EQ(CountEvents(score_.Cell(staff, 2), voice), 1);
            EXPECT_EQ(GetVoiceFirstEvent(score_.Cell(staff, 2), voice)->time, 0);
            EXPECT_EQ(CountEvents(score_.Cell(staff, 1), 1), 4);
        }
    EXPECT_EQ(CountEvents(score_.Cell(1, 1), 0), 4);
    EXPECT_EQ(GetVoiceFirstElement(score_.Cell(2, 2), 3), nullptr);
    EXPECT_NE(GetVoiceFirstElement(score_.Cell(1, 2), 3), nullptr);
    EXPECT_EQ(doc_->header.measureCount, measures);
    EXPECT_EQ(doc_->header.staffCount, staves);
    EXPECT_EQ(view_->voiceMask, kWalkedVoices);

    ASSERT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(PoolBytes(), before);
}

TEST_F(NoteCommandTest, ClearingAnEmptyRectangleChangesNothing) {
    const std::vector<uint8_t> before = PoolBytes();
    const uint16_t counter = doc_->changeCounter;
    const RecordRect empty{marquee_.left, marquee_.top - 5000, marquee_.right, marquee_.top - 4000};
    ClearRectangle(view_, empty);
    EXPECT_EQ(PoolBytes(), before);
    EXPECT_EQ(doc_->changeCounter, counter);
    // The marquee's own rectangle is the walks' again afterwards.
    EXPECT_NE(MarqueeNoteWalk(view_, kWalkStart), nullptr);
    EndMarqueeWalk();
}

}  // namespace
}  // namespace ql::testing_note_commands
