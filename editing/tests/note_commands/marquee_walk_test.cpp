// The marquee walks: exactly the notes and rests inside the rectangle of the voices
// the view edits, in page order, with the view's place and voice mask given back.
#include <vector>

#include "editing/tests/note_commands/note_commands_fixture.h"

namespace ql::testing_note_commands {
namespace {

std::vector<EventRecord*> Walk(ScoreView* view) {
    std::vector<EventRecord*> notes;
    for (EventRecord* e = MarqueeNoteWalk(view, kWalkStart); e != nullptr;
         e = MarqueeNoteWalk(view, kWalkNext))
        notes.push_back(e);
    return notes;
}

TEST_F(NoteCommandTest, NoteWalkGivesTheNotesInsideInPageOrder) {
    const std::vector<EventRecord*> expected = Expected();
    ASSERT_EQ(expected.size(), 24u);
    EXPECT_EQ(Walk(view_), expected);
    // A second walk finds the same: the first one ended cleanly.
    EXPECT_EQ(Walk(view_), expected);
}

TEST_F(NoteCommandTest, WalkGivesTheViewItsPlaceAndVoiceMaskBack) {
    SetCurrentMeasureQuick(view_, 3, 4);
    Walk(view_);
    EXPECT_EQ(view_->voiceMask, kWalkedVoices);
    EXPECT_EQ(view_->currentStaff, 3);
    EXPECT_EQ(view_->currentMeasure, 4);
    // Ended early, the same.
    ASSERT_NE(MarqueeNoteWalk(view_, kWalkStart), nullptr);
    EndMarqueeWalk();
    EXPECT_EQ(view_->voiceMask, kWalkedVoices);
    EXPECT_EQ(view_->currentMeasure, 4);
    EXPECT_EQ(MarqueeNoteWalk(view_, kWalkNext), nullptr);
}

TEST_F(NoteCommandTest, AMaskOfNoVoicesWalksEveryVoice) {
    view_->voiceMask = 0;
    size_t inside = 0;
    for (const auto& [key, note] : notes_) {
        const auto [staff, measure, voice, tick] = key;
        if (staff >= 2 && ((measure == 1 && tick >= 1024) || (measure == 2 && tick <= 2048))) ++inside;
    }
    EXPECT_EQ(Walk(view_).size(), inside);
}

TEST_F(NoteCommandTest, NothingIsWalkedWithoutAMarquee) {
    SetMarqueeWalkRectangle(nullptr);
    EXPECT_EQ(MarqueeNoteWalk(view_, kWalkStart), nullptr);
    EXPECT_EQ(MarqueeElementWalk(view_, kWalkStart), nullptr);
}

TEST_F(NoteCommandTest, ElementWalkGivesTheRestsInside) {
    ScoreObject* inside = Rest(2, 2, 3, 0);
    Rest(1, 2, 3, 0);     // staff 1: outside
    Rest(2, 2, 1, 1024);  // voice 1: not walked
    Rest(3, 4, 3, 0);     // second system
    std::vector<ScoreObject*> rests;
    for (ScoreObject* r = MarqueeElementWalk(view_, kWalkStart); r != nullptr;
         r = MarqueeElementWalk(view_, kWalkNext))
        rests.push_back(r);
    EXPECT_EQ(rests, std::vector<ScoreObject*>{inside});
}

}  // namespace
}  // namespace ql::testing_note_commands
