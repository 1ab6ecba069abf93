// Staff insertion and removal: the new staff's place, sound and group links, even
// re-spacing of the systems, the limit, an unknown command and a failed allocation
// leaving the score as it was; removal cutting group links and emptying the undo
// history.
#include "staves/staff_manage.h"

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "layout/page_chain.h"
#include "platform/tests/sys/scratch_folder.h"
#include "platform/ui/headless.h"
#include "staves/staff_group_bits.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kMeasures = 4;

class StaffManageTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        BuildScore(3, kMeasures);
    }
    StaffRecord* Staff(int n) const { return StaffRecordOf(doc_, n); }
    const uint16_t* Offsets() const { return StaffOffsetsOf(doc_->firstPage->firstSystem.get()); }
    void Brace(int first, int last) {
        for (int s = first; s <= last; ++s) {
            SetJoinsStaffAbove(*Staff(s), GroupKind::Brace, s > first);
            SetJoinsStaffBelow(*Staff(s), GroupKind::Brace, s < last);
        }
    }
};

// Inserting before staff 2 inside a brace over staves 1-2: the new staff is staff 2,
// joined to both neighbours; the old staff 2 is now 3; every staff evenly spaced.
TEST_F(StaffManageTest, InsertInsideABraceGroupRespacesEvenly) {
    Brace(1, 2);
    StaffRecord* oldSecond = Staff(2);
    ASSERT_EQ(InsertStaves(view_, kInsertStaffBefore, 2), 1);
    EXPECT_EQ(doc_->header.staffCount, 4);
    EXPECT_EQ(Staff(3), oldSecond);
    EXPECT_TRUE(JoinsStaffAbove(*Staff(2), GroupKind::Brace));
    EXPECT_TRUE(JoinsStaffBelow(*Staff(2), GroupKind::Brace));
    EXPECT_FALSE(JoinsStaffAbove(*Staff(2), GroupKind::Bracket));
    EXPECT_EQ(view_->currentStaff, 2);
    EXPECT_EQ(Staff(2)->timbres[0].channel, 1);  // number - 1
    EXPECT_EQ(Staff(2)->timbres[1].port, 255);
    const int separation = pages::StaffSeparation(doc_);
    for (int s = 1; s <= 4; ++s) EXPECT_EQ(Offsets()[s], (s - 1) * separation) << s;
    // The new staff has its cells.
    EXPECT_NE(ExistingMeasureCell(doc_, 2, kMeasures), nullptr);
}

// Inserting after the last staff, outside any group: no links.
TEST_F(StaffManageTest, InsertAfterTheLastStaffJoinsNothing) {
    Brace(2, 3);
    ASSERT_EQ(InsertStaves(view_, kInsertStaffAfter, 3), 1);
    EXPECT_EQ(view_->currentStaff, 4);
    for (GroupKind kind : {GroupKind::Barline, GroupKind::Brace, GroupKind::Bracket}) {
        EXPECT_FALSE(JoinsStaffAbove(*Staff(4), kind));
        EXPECT_FALSE(JoinsStaffBelow(*Staff(4), kind));
    }
}

// At the limit, with an unknown command, a staff out of range or a failed
// allocation: refused and nothing changed.
TEST_F(StaffManageTest, RefusalsLeaveTheScore) {
    StaffRecord* second = Staff(2);
    doc_->header.staffCount = kMaxStaves;
    EXPECT_EQ(InsertStaves(view_, kInsertStaffBefore, 2), 0);
    doc_->header.staffCount = 3;
    {
        // An unknown command is an internal error of module STAFFEDI (its emergency
        // copy goes to a scratch folder).
        const ::ql::testing::ScratchFolder scratch;
        const ::ql::testing::ScopedEnvironment data("XDG_DATA_HOME", scratch.Path().string());
        const size_t boxes = ui::headless::MessageBoxes().size();
        EXPECT_EQ(InsertStaves(view_, 40419, 2), 0);
        ASSERT_GT(ui::headless::MessageBoxes().size(), boxes);
        EXPECT_NE(ui::headless::MessageBoxes().back().text.find("STAFFEDI"), std::string::npos);
    }
    EXPECT_EQ(InsertStaves(view_, kInsertStaffBefore, 4), 0);
    FailNextRecordAllocations(1);
    EXPECT_EQ(InsertStaves(view_, kInsertStaffBefore, 2), 0);
    FailNextRecordAllocations(0);
    FailRecordAllocationAfter(3);  // the record, then a cell fails
    EXPECT_EQ(InsertStaves(view_, kInsertStaffBefore, 2), 0);
    FailNextRecordAllocations(0);
    EXPECT_EQ(doc_->header.staffCount, 3);
    EXPECT_EQ(Staff(2), second);
    EXPECT_EQ(Staff(4), nullptr);
}

// Removing a staff that ends a brace cuts the link to it; the history is emptied.
TEST_F(StaffManageTest, RemovalCutsLinksAndClearsUndo) {
    Brace(1, 2);
    BeginUndoableEdit(doc_, 0, 0, 0, view_, UndoKind::Staff, 4, UndoVerb::Add);
    ASSERT_EQ(InsertStaves(view_, kInsertStaffAfter, 3), 1);
    EndUndoableEdit(doc_, 0, 0, 0, view_, UndoKind::Staff, 4, UndoVerb::Add);
    ASSERT_NE(doc_->undoStack, nullptr);
    StaffRecord* third = Staff(3);
    ASSERT_EQ(RemoveStaff(view_, 2), 1);
    EXPECT_EQ(doc_->header.staffCount, 3);
    EXPECT_EQ(Staff(2), third);
    EXPECT_FALSE(JoinsStaffBelow(*Staff(1), GroupKind::Brace));
    EXPECT_EQ(doc_->undoStack, nullptr);
    EXPECT_EQ(doc_->redoStack, nullptr);
    // The only staff is never removed.
    doc_->header.staffCount = 1;
    EXPECT_EQ(RemoveStaff(view_, 1), 0);
}

// Hiding the current staff in its system: one undo step; the only visible staff
// stays and beeps.
TEST_F(StaffManageTest, HideStaffInTheCurrentSystem) {
    Locate(2, 1);
    ASSERT_EQ(HideStaffInCurrentSystem(view_), 1);
    const int8_t* flags = StaffFlagsOf(doc_->firstPage->firstSystem.get());
    EXPECT_LT(flags[2], 0);  // the hidden bit
    EXPECT_NE(doc_->undoStack, nullptr);
    Locate(1, 1);
    ASSERT_EQ(HideStaffInCurrentSystem(view_), 1);
    const size_t beeps = ui::headless::Beeps().size();
    Locate(3, 1);
    HideStaffInCurrentSystem(view_);
    EXPECT_GE(flags[3], 0);  // the last visible staff stays
    EXPECT_GT(ui::headless::Beeps().size(), beeps);
}

}  // namespace
}  // namespace ql::testing_signatures
