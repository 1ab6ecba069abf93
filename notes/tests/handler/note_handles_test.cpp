// Note handle objects of a measure: one per beam group or unbeamed chord and voice,
// made once, released by staff, measure and voice; their handle points; and stem
// drags through them.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/events.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

constexpr int kStep = -3;
constexpr int kQuarterEntry = 3;

class NoteHandles : public EntryTest {
  protected:
    void TearDown() override {
        ReleaseNoteHandlers(1, 1, -1);
        EntryTest::TearDown();
    }
    // Four eighths (one beam group) then two quarters, clicked in.
    void EnterGroupAndQuarters() {
        PointAt(0, kStep);
        for (int i = 0; i < 4; ++i) Click();
        State().notes.NoteTools.selectedEntry = kQuarterEntry;
        for (int i = 0; i < 2; ++i) Click();
        UseMeasure(1);  // the full measure moved the pointer on
    }
    // The handle objects in the selection's list (its insertion list), in order.
    std::vector<ScoreObject*> Handles() const {
        std::vector<ScoreObject*> out;
        SelectionState* selection = TheSelectionState();
        for (ScoreObject* o = selection->voiceChain.get()->next.get(); o != nullptr; o = o->next.get())
            out.push_back(o);
        return out;
    }
    static NotesHandlerBody Body(ScoreObject* o) { return LoadField<NotesHandlerBody>(o->BodyBytes()); }
    // The packed body's fields, read as values.
    static int32_t HandleY(ScoreObject* o, int i) { return Body(o).handleY[i]; }
    static int Flags(ScoreObject* o) { return Body(o).flags; }
};

// A group and two chords give three objects, flagged first and last of the voice; a
// second call makes none; release takes all three, and they can be made again.
TEST_F(NoteHandles, OnePerGroupOrChordAndVoice) {
    EnterGroupAndQuarters();
    const std::vector<EventRecord*> chords = Chords();
    ASSERT_EQ(chords.size(), 6u);
    ASSERT_EQ(CreateNoteHandlers(view_, 1, 1), 3);
    const std::vector<ScoreObject*> handles = Handles();
    ASSERT_EQ(handles.size(), 3u);
    EXPECT_EQ(Body(handles[0]).note.get(), chords[0]);
    EXPECT_EQ(Body(handles[1]).note.get(), chords[4]);
    EXPECT_EQ(Body(handles[2]).note.get(), chords[5]);
    EXPECT_EQ(Flags(handles[0]), kHandleBeamGroup | kHandleFirstOfVoice);
    EXPECT_EQ(Flags(handles[1]), 0);
    EXPECT_EQ(Flags(handles[2]), kHandleLastOfVoice);
    EXPECT_EQ(Body(handles[2]).voiceFirst.get(), handles[0]);
    EXPECT_EQ(CreateNoteHandlers(view_, 1, 1), 0) << "the voice already has its objects";
    EXPECT_EQ(ReleaseNoteHandlers(1, 1, 1), 0) << "another voice has none";
    EXPECT_EQ(ReleaseNoteHandlers(1, 1, 0), 3);
    EXPECT_TRUE(Handles().empty());
    EXPECT_EQ(CreateNoteHandlers(view_, 1, 1), 3);
    EXPECT_EQ(CreateNoteHandlers(view_, 1, 2), 0) << "an empty measure";
}

// An unbeamed chord's handles: its stem end and its head; a group's: the two beam
// ends (each chord's stem end).
TEST_F(NoteHandles, HandlePointsAreStemEndsAndHead) {
    EnterGroupAndQuarters();
    ASSERT_EQ(CreateNoteHandlers(view_, 1, 1), 3);
    const std::vector<EventRecord*> chords = Chords();
    const std::vector<ScoreObject*> handles = Handles();
    ASSERT_EQ(chords.size(), 6u);
    ASSERT_EQ(handles.size(), 3u);
    EventRecord* quarter = chords[4];
    EXPECT_EQ(HandleY(handles[1], 0), PositionY(view_, kStep) + Zoomed(view_, quarter->stemLength));
    EXPECT_EQ(HandleY(handles[1], 1), PositionY(view_, kStep));
    EXPECT_EQ(HandleY(handles[0], 0), PositionY(view_, kStep) + Zoomed(view_, chords[0]->stemLength));
    EXPECT_EQ(HandleY(handles[0], 1), PositionY(view_, kStep) + Zoomed(view_, chords[3]->stemLength));
}

// A handle object's hit records: the stem and beam ends (0 to 2), then one over each
// head of its group, naming that note; a point on a head lies in that head's record.
TEST_F(NoteHandles, RecordsNameEachHeadOfTheGroup) {
    EnterGroupAndQuarters();
    ASSERT_EQ(CreateNoteHandlers(view_, 1, 1), 3);
    const std::vector<EventRecord*> chords = Chords();
    const std::vector<ScoreObject*> handles = Handles();
    ASSERT_EQ(handles.size(), 3u);
    for (int h : {0, 1}) {
        HitRecord* first = ClassOf(handles[h]).BuildHandles(handles[h], view_);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(handles[h]->handleChain.get(), first);
        std::vector<HitRecord*> records;
        for (HitRecord* r = first; r != nullptr; r = r->child.get()) records.push_back(r);
        const std::vector<EventRecord*> heads =
            h == 0 ? std::vector<EventRecord*>{chords.begin(), chords.begin() + 4} : std::vector{chords[4]};
        ASSERT_EQ(records.size(), 3 + heads.size()) << h;
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i]->kind, i) << h;
            EXPECT_EQ(records[i]->owner.get(), handles[h]);
            EXPECT_EQ(records[i]->ownerType, TypeCode(ObjectType::Note));
        }
        for (size_t i = 0; i < heads.size(); ++i) {
            EXPECT_EQ(records[3 + i]->noteEvent.get(), heads[i]) << h;
            EXPECT_TRUE(HitRecordContainsPoint(records[3 + i], GetEventPosition(heads[i], view_))) << h;
        }
    }
}

// Dragging a chord's stem handle lengthens its stem; a group's right handle moves
// only its last chord's stem; a stem dragged through its head turns over.
TEST_F(NoteHandles, StemDragsSetStemLengths) {
    EnterGroupAndQuarters();
    ASSERT_EQ(CreateNoteHandlers(view_, 1, 1), 3);
    const std::vector<EventRecord*> chords = Chords();
    const std::vector<ScoreObject*> handles = Handles();
    ASSERT_EQ(chords.size(), 6u);
    ASSERT_EQ(handles.size(), 3u);
    const int16_t quarter = chords[4]->stemLength;
    ASSERT_EQ(CommitStemDrag(view_, handles[1], 0, -64), 1);
    EXPECT_EQ(chords[4]->stemLength, quarter - 64);
    EXPECT_EQ(CommitStemDrag(view_, handles[1], 1, -64), 0) << "an unbeamed chord's head handle";
    const int16_t first = chords[0]->stemLength;
    const int16_t last = chords[3]->stemLength;
    ASSERT_EQ(CommitStemDrag(view_, handles[0], 2, 32), 1);
    EXPECT_EQ(chords[0]->stemLength, first);
    EXPECT_EQ(chords[3]->stemLength, last + 32);
    const int16_t down = static_cast<int16_t>(-chords[5]->stemLength + 64);
    ASSERT_EQ(CommitStemDrag(view_, handles[2], 0, down), 1);
    EXPECT_EQ(chords[5]->stemLength > 0, (chords[5]->flags & kEventStemFlag) == 0) << "direction follows";
}

}  // namespace
}  // namespace ql::testing_entry
