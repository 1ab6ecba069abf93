// Inserting and deleting a measure at a barline: the numbering rule, the limit and
// a failed cell allocation (both refused with nothing changed), and what the new
// measure takes from the one before it.
#include "staves/measure_edit.h"

#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar.h"
#include "notes/ties/ties.h"
#include "platform/ui/headless.h"
#include "staves/tests/measures/measure_fixture.h"

namespace ql::testing_measures {
namespace {

using MeasureEdit = MeasureTest;

template <ObjectType T>
void ConstructAttachment(ScoreObject* record) {
    ConstructScoreObject(record);
    record->type = TypeCode(T);
}

// The types of the note attachments these tests make (the list head is an
// accidental record).
void RegisterAttachmentTypes() {
    RegisterObjectType(TypeCode(ObjectType::Accidental),
                       {kTextObjectPool, &ConstructAttachment<ObjectType::Accidental>});
    RegisterObjectType(TypeCode(ObjectType::Tie), {kTextObjectPool, &ConstructAttachment<ObjectType::Tie>});
    RegisterObjectType(TypeCode(ObjectType::Finger), {kTextObjectPool, &ConstructAttachment<ObjectType::Finger>});
}

std::vector<int> AttachmentTypes(EventRecord* note) {
    std::vector<int> types;
    ScoreObject* head = GetEventAttachment(note);
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get())
        types.push_back(o->type);
    return types;
}
using ::testing::ElementsAre;

// Inside the score the new measure continues the run before it and the run moves on
// by one; a numbering break after it, even right after it, keeps its number.
TEST_F(MeasureEdit, InsertInsideTheScoreRenumbersTheRunAfterIt) {
    BuildScore(2, 6);
    Record(5).number = 40;  // a break: 5 starts a run of its own
    Record(6).number = 41;
    ASSERT_EQ(InsertMeasure(view_, 3), 1);
    EXPECT_EQ(doc_->header.measureCount, 7);
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 3, 4, 5, 40, 41));
    // Right in front of the break: the new measure continues 5, the break stays.
    ASSERT_EQ(InsertMeasure(view_, 6), 1);
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 3, 4, 5, 6, 40, 41));
}

// Before measure 1: an old first number of 1 gives 1 and 2..; of 0 gives 0 and 1..;
// of 5 gives 4 with nothing else changed.
TEST_F(MeasureEdit, InsertBeforeTheFirstMeasureFollowsTheOldFirstNumber) {
    BuildScore(1, 3);
    ASSERT_EQ(InsertMeasure(view_, 1), 1);
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 3, 4));
    for (int m = 1; m <= 4; ++m) Record(m).number = static_cast<uint16_t>(m - 1);
    ASSERT_EQ(InsertMeasure(view_, 1), 1);
    EXPECT_THAT(Numbers(), ElementsAre(0, 1, 2, 3, 4));
    for (int m = 1; m <= 5; ++m) Record(m).number = static_cast<uint16_t>(m + 4);
    ASSERT_EQ(InsertMeasure(view_, 1), 1);
    EXPECT_THAT(Numbers(), ElementsAre(4, 5, 6, 7, 8, 9));
}

// The new measure copies the signature of the cell before it (empty voices), takes
// its length and no multi-measure count; the measure it pushed on keeps its notes.
TEST_F(MeasureEdit, InsertedMeasureTakesTheSignatureBeforeIt) {
    BuildScore(2, 4);
    for (int s = 1; s <= 2; ++s) {
        Cell(s, 2)->beats = 3;
        Cell(s, 3)->beats = 3;
    }
    Record(2).lengthTicks = Record(3).lengthTicks = 3072;
    Record(3).extra = 2;
    ASSERT_NE(Note(1, 3, 0), nullptr);
    ASSERT_EQ(InsertMeasure(view_, 3), 1);
    EXPECT_EQ(Cell(1, 3)->beats, 3);
    EXPECT_EQ(Cell(2, 3)->beats, 3);
    EXPECT_EQ(GetVoiceFirstEvent(Cell(1, 3), 0), nullptr);
    EXPECT_NE(GetVoiceFirstEvent(Cell(1, 4), 0), nullptr);  // the old measure 3
    EXPECT_EQ(Record(3).lengthTicks, 3072);
    EXPECT_EQ(Record(3).extra, 0);
    EXPECT_EQ(Record(4).extra, 2);
    // The final barline (count + 1) adds a measure at the end.
    ASSERT_EQ(InsertMeasure(view_, 6), 1);
    EXPECT_EQ(doc_->header.measureCount, 6);
    EXPECT_EQ(InsertMeasure(view_, 8), 0);  // past the final barline
}

// At the limit the insertion is refused with the notice and a beep; the pools and the
// table are byte for byte as before.
TEST_F(MeasureEdit, InsertAtTheMeasureLimitChangesNothing) {
    BuildScore(1, MeasureLimit);
    const auto before = Image();
    EXPECT_EQ(InsertMeasure(view_, 2), 0);
    EXPECT_EQ(Image(), before);
    EXPECT_THAT(StatusTexts(), ::testing::Contains(::testing::HasSubstr(kMeasureLimitNotice)));
    EXPECT_FALSE(ui::headless::Beeps().empty());
    // One below the limit it goes in.
    doc_->header.measureCount = MeasureLimit - 1;
    EXPECT_EQ(InsertMeasure(view_, 2), 1);
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
}

// A cell that cannot be made for the third of four staves: the error box, and the
// cells made for the staves before it are given back.
TEST_F(MeasureEdit, FailedCellAllocationChangesNothing) {
    BuildScore(4, 8);
    ASSERT_NE(Note(2, 1, 0), nullptr);  // a tie candidate before the barline
    const auto before = Image();
    // Each staff's cell takes two records (the cell, its object list); staff 0 first.
    FailRecordAllocationAfter(2 * 3);
    EXPECT_EQ(InsertMeasure(view_, 2), 0);
    FailNextRecordAllocations(0);
    EXPECT_EQ(Image(), before);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_THAT(BoxTexts().back(), ::testing::HasSubstr(kResourcesLowText));
}

int LiveRecords(int pool) {
    int live = 0;
    AnyLiveRecordOf(pool, [&](void*) { return ++live, false; });
    return live;
}

// Whichever record of an insertion fails (a cell of the run, or the object list of a
// copied cell), nothing changes and no cell or object record is left behind; with
// every record had, the measure goes in.
TEST_F(MeasureEdit, FailureAtAnyRecordLeavesNothingBehind) {
    BuildScore(3, 6);
    const auto before = Image();
    const int cells = LiveRecords(kMeasureCellPool);
    const int objects = LiveRecords(kRootObjectPool);
    for (int after = 0; after < 2 * 4; ++after) {
        FailRecordAllocationAfter(after);
        EXPECT_EQ(InsertMeasure(view_, 3), 0) << after;
        FailNextRecordAllocations(0);
        EXPECT_EQ(Image(), before) << after;
        EXPECT_EQ(LiveRecords(kMeasureCellPool), cells) << after;
        EXPECT_EQ(LiveRecords(kRootObjectPool), objects) << after;
    }
    EXPECT_EQ(InsertMeasure(view_, 3), 1);
    EXPECT_EQ(LiveRecords(kMeasureCellPool), cells + 4);
}

// Deleting closes the run up; the measure that began a deleted break starts the
// break in its place (its run moves down to the old number); a break after the
// deleted measure keeps its number; the last measure cannot go.
TEST_F(MeasureEdit, DeleteClosesTheRunAndKeepsBreaks) {
    BuildScore(2, 6);
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 2), 1);
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 3, 4, 5));
    Record(4).number = 20;  // break
    Record(5).number = 21;
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 3), 1);  // the measure before the break
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 20, 21));
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 3), 1);  // the break itself: its run closes up
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 20));
    EXPECT_EQ(DeleteMeasureAtBarline(view_, 4), 0);  // the final barline has no measure
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 1), 1);
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 1), 1);
    EXPECT_EQ(DeleteMeasureAtBarline(view_, 1), 0);  // one measure stays
}

// A new barline between two measures breaks the ties across it: the ties of the
// measure before go, other attachments stay; notes elsewhere keep their ties.
TEST_F(MeasureEdit, InsertRemovesTiesOfTheMeasureBefore) {
    BuildScore(2, 4);
    RegisterAttachmentTypes();
    EventRecord* before = Note(2, 2, 3072);
    EventRecord* elsewhere = Note(1, 3, 0);
    ASSERT_TRUE(before != nullptr && elsewhere != nullptr);
    for (EventRecord* note : {before, elsewhere}) {
        ASSERT_EQ(AttachObjectToNote(view_, note, ConstructObject(TypeCode(ObjectType::Finger))), 1);
        ASSERT_EQ(AttachObjectToNote(view_, note, ConstructObject(TypeCode(ObjectType::Tie))), 1);
    }
    ASSERT_EQ(InsertMeasure(view_, 3), 1);
    EXPECT_THAT(AttachmentTypes(before), ElementsAre(TypeCode(ObjectType::Finger)));
    EXPECT_THAT(AttachmentTypes(elsewhere), ElementsAre(TypeCode(ObjectType::Tie), TypeCode(ObjectType::Finger)));
}

// A tie broken by a new barline, or by deleting either of its measures, leaves no
// mark behind: the start note loses "tie starts here" and its tie, the end note
// "tie ends here", as when the tie is taken off by hand.
class BrokenTie : public MeasureTest {
  protected:
    void SetUp() override {
        MeasureTest::SetUp();
        BuildScore(1, 3);
        RegisterAttachmentTypes();
        for (int beat = 0; beat < 4; ++beat) start_ = Note(1, 1, beat * 1024);
        end_ = Note(1, 2, 0);
        ASSERT_TRUE(start_ != nullptr && end_ != nullptr);
        ASSERT_EQ(AttachObjectToNote(view_, start_, ConstructObject(TypeCode(ObjectType::Tie))), 1);
        start_->word2 |= kTieStartsHere;
        end_->word2 |= kTieEndsHere;
    }
    bool StartUntied() const { return (start_->word2 & kTieStartsHere) == 0 && FindNoteTie(start_) == nullptr; }
    bool EndUntied() const { return (end_->word2 & kTieEndsHere) == 0; }
    EventRecord* start_ = nullptr;
    EventRecord* end_ = nullptr;
};

TEST_F(BrokenTie, ANewBarlineBetweenItsNotes) {
    ASSERT_EQ(InsertMeasure(view_, 2), 1);
    EXPECT_TRUE(StartUntied());
    EXPECT_TRUE(EndUntied());
}

TEST_F(BrokenTie, DeletingTheMeasureItStartsIn) {
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 1), 1);
    EXPECT_TRUE(EndUntied());
}

TEST_F(BrokenTie, DeletingTheMeasureItEndsIn) {
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 2), 1);
    EXPECT_TRUE(StartUntied());
}

// The hidden left bar of measure 1 stays with measure 1 through inserts and deletes.
TEST_F(MeasureEdit, LeftBarFlagStaysWithTheFirstMeasure) {
    BuildScore(1, 3);
    Record(1).flags = kMeasureLeftBarHidden;
    ASSERT_EQ(InsertMeasure(view_, 1), 1);
    EXPECT_EQ(Record(1).flags & kMeasureLeftBarHidden, kMeasureLeftBarHidden);
    Record(1).flags = 0;
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 1), 1);
    EXPECT_EQ(Record(1).flags & kMeasureLeftBarHidden, 0);
}

}  // namespace
}  // namespace ql::testing_measures
