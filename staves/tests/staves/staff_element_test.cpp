// The staff element: made for the current staff and system; deleting a staff (asking
// first only when it holds something; a removal empties the undo history); the staff
// drag as one undoable edit, moving the staves below too or, with Ctrl, one staff or
// exchanging it with the neighbour it passed; the staff keys through the class table.
#include "staves/staff_element.h"

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "editing/selection_internal.h"
#include "layout/page_chain.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "sequencer/sequencer_state.h"
#include "staves/staff_dialog_resources.h"
#include "staves/staff_group_bits.h"
#include "staves/staff_manage.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int32_t kSpace = 128;

class StaffElementTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        ASSERT_EQ(InitStaticPoolSet(), 1);  // staff elements come from the static set
        RegisterStaffElementClass();
        RegisterStaffDialogResources();
        BuildScore(3, 2);
        Locate(2, 1);
        ASSERT_NE(view_->currentSystem, nullptr);
    }
    uint16_t Offset(int staff) const { return StaffOffsetsOf(view_->currentSystem)[staff]; }
    int32_t StaffY(int staff) const { return view_->currentSystem->y + Offset(staff); }
};

// The element's body names the current staff and system and spans the staff.
TEST_F(StaffElementTest, MadeForTheCurrentStaff) {
    ScoreObject* element = MakeStaffElement(view_);
    ASSERT_NE(element, nullptr);
    const StaffElementBody* body = StaffElementBodyOf(element);
    ASSERT_NE(body, nullptr);
    // The fields are copied out of the packed body before comparing.
    const int staff = body->staff, bottom = body->bottom, top = body->top;
    const int left = body->left, right = body->right;
    EXPECT_EQ(staff, 2);
    EXPECT_EQ(bottom, StaffY(2));
    EXPECT_EQ(top, StaffY(2) - 512);
    EXPECT_EQ(left, view_->currentSystem->x);
    EXPECT_GT(right, left);
    EXPECT_EQ(StaffElementBodyOf(nullptr), nullptr);
    Locate(4, 1);  // no such staff
    EXPECT_EQ(MakeStaffElement(view_), nullptr);
}

// The element is transient: made for the location and released with the selection,
// it leaves the document's pools as they were (a record left behind there would
// also count as a change between edits and cut the undo history).
TEST_F(StaffElementTest, AReleasedElementLeavesTheDocumentAsItWas) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    const std::vector<std::byte> before = Snapshot();
    ScoreObject* element = MakeStaffElement(view_);
    ASSERT_NE(element, nullptr);
    ReleaseObjectByType(doc_, element);
    EXPECT_EQ(Snapshot(), before);
}

// An empty staff goes without a question; one with a note asks, No keeps it, Yes
// removes it and empties the undo history; the only staff stays.
TEST_F(StaffElementTest, DeletionAsksOnlyForAStaffWithContent) {
    AddNote(3, 2, 0, 4);
    Locate(2, 1);
    const size_t boxes = ui::headless::MessageBoxes().size();
    EXPECT_EQ(DeleteCurrentStaff(view_), 1);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes);
    EXPECT_EQ(doc_->header.staffCount, 2);
    EXPECT_EQ(view_->currentStaff, 1);
    Locate(2, 1);  // the staff with the note
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(DeleteCurrentStaff(view_), 0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(ui::headless::MessageBoxes().back().text, "Cannot undo staff deletion.  Delete anyway?");
    EXPECT_EQ(doc_->header.staffCount, 2);
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(DeleteCurrentStaff(view_), 1);
    EXPECT_EQ(doc_->header.staffCount, 1);
    EXPECT_EQ(UndoDepth(doc_), 0);
    EXPECT_EQ(DeleteCurrentStaff(view_), 0);  // the only staff
}

// Without Ctrl the dragged staff and those below move by the snapped distance, as
// one undoable edit; undo puts them back. A drop where it started changes nothing.
TEST_F(StaffElementTest, DragMovesTheStavesBelowAsOneEdit) {
    const uint16_t before[4] = {0, Offset(1), Offset(2), Offset(3)};
    const int depth = UndoDepth(doc_);
    EXPECT_EQ(DragStaff(view_, 2, StaffY(2) + 10, false), 0);  // snaps back to where it was
    EXPECT_EQ(UndoDepth(doc_), depth);
    EXPECT_EQ(DragStaff(view_, 2, StaffY(2) + 2 * kSpace + 20, false), 1);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    EXPECT_EQ(Offset(1), before[1]);
    EXPECT_EQ(Offset(2), before[2] + 2 * kSpace);
    EXPECT_EQ(Offset(3), before[3] + 2 * kSpace);
    UndoCommand(doc_, view_);
    for (int s = 1; s <= 3; ++s) EXPECT_EQ(Offset(s), before[s]) << s;
}

// With Ctrl only the dragged staff moves; dropped past a visible neighbour the two
// staves exchange places (and undo exchanges them back); a hidden neighbour is not
// exchanged with.
TEST_F(StaffElementTest, CtrlDragMovesOneStaffOrExchanges) {
    const uint16_t third = Offset(3);
    EXPECT_EQ(DragStaff(view_, 2, StaffY(2) + kSpace, true), 1);
    EXPECT_EQ(Offset(3), third);
    StaffRecord* second = StaffRecordOf(doc_, 2);
    StaffRecord* last = StaffRecordOf(doc_, 3);
    EXPECT_EQ(DragStaff(view_, 2, StaffY(3) + kSpace, true), 1);
    EXPECT_EQ(StaffRecordOf(doc_, 2), last);
    EXPECT_EQ(StaffRecordOf(doc_, 3), second);
    UndoCommand(doc_, view_);
    EXPECT_EQ(StaffRecordOf(doc_, 2), second);
    StaffFlagsOf(view_->currentSystem)[1] = static_cast<int8_t>(pages::kHiddenStaff);
    StaffRecord* first = StaffRecordOf(doc_, 1);
    EXPECT_EQ(DragStaff(view_, 2, StaffY(1) - 2 * kSpace, true), 1);
    EXPECT_EQ(StaffRecordOf(doc_, 1), first);
}

// A key on the element commits it without a drag: after H has hidden the staff and
// re-spaced the system, the commit changes nothing and records no edit. A drag of
// the element from its handle still moves the staff, as one edit.
TEST_F(StaffElementTest, CommitWithoutADragChangesNothing) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ASSERT_NE(CreateSelectionState(), nullptr);
    ScoreObject* element = MakeStaffElement(view_);
    ASSERT_NE(element, nullptr);
    const ScoreObjectClass& cls = ClassOf(element);
    HitRecord* handle = cls.BuildHandles(element, view_);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(cls.OnKey(element, view_, 'H'), 1);
    const uint16_t third = Offset(3);
    const int depth = UndoDepth(doc_);
    EXPECT_EQ(cls.CommitDrag(element, view_), 0);
    EXPECT_EQ(UndoDepth(doc_), depth) << "the commit recorded an edit";
    EXPECT_EQ(Offset(3), third) << "the commit moved the staves";
    Locate(3, 1);
    ScoreObject* dragged = MakeStaffElement(view_);
    ASSERT_NE(dragged, nullptr);
    HitRecord* draggedHandle = cls.BuildHandles(dragged, view_);
    ASSERT_NE(draggedHandle, nullptr);
    TheSelectionState()->dragOffsetY = 2 * kSpace;
    cls.DragMove(dragged, view_);
    EXPECT_EQ(cls.CommitDrag(dragged, view_), 1);
    EXPECT_EQ(Offset(3), third + 2 * kSpace);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    FreeStaticRecord(kHitRecordPool, handle);
    FreeStaticRecord(kHitRecordPool, draggedHandle);
    DestroySelectionState();
}

// The staff keys reach the element through the class table: H hides the staff in
// this system, Insert adds a staff before it (one undoable edit), a key it does not
// take is left to the root class.
TEST_F(StaffElementTest, KeysThroughTheClassTable) {
    ScoreObject* element = MakeStaffElement(view_);
    ASSERT_NE(element, nullptr);
    const ScoreObjectClass& cls = ClassOf(element);
    EXPECT_EQ(cls.OnKey(element, view_, 'H'), 1);
    EXPECT_NE(static_cast<uint8_t>(StaffFlagsOf(view_->currentSystem)[2]) & pages::kHiddenStaff, 0);
    EXPECT_EQ(StaffKey(view_, win::LetterKey('Q')), 0);
    const int depth = UndoDepth(doc_);
    EXPECT_EQ(cls.OnInsertKey(element, view_, nullptr, nullptr), 1);
    EXPECT_EQ(doc_->header.staffCount, 4);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
}

// M and S toggle the current staff's mute and solo, in the document (which the staff
// popup shows) and in the sequencer's live table, and only that staff's; P is taken.
TEST_F(StaffElementTest, MuteAndSoloToggleTheCurrentStaff) {
    ScoreObject* element = MakeStaffElement(view_);
    ASSERT_NE(element, nullptr);
    const ScoreObjectClass& cls = ClassOf(element);
    EXPECT_EQ(cls.OnKey(element, view_, 'M'), 1);
    EXPECT_EQ(doc_->staffMix[2].mute, 1);
    EXPECT_EQ(TheSequencerState().live.mute[2].load(), 1);
    EXPECT_EQ(doc_->staffMix[1].mute, 0);
    EXPECT_EQ(cls.OnKey(element, view_, 'M'), 1);
    EXPECT_EQ(doc_->staffMix[2].mute, 0);
    EXPECT_EQ(TheSequencerState().live.mute[2].load(), 0);
    EXPECT_EQ(cls.OnKey(element, view_, 'S'), 1);
    EXPECT_EQ(doc_->staffMix[2].solo, 1);
    EXPECT_EQ(TheSequencerState().live.solo[2].load(), 1);
    EXPECT_EQ(doc_->staffMix[2].mute, 0);
    EXPECT_EQ(cls.OnKey(element, view_, 'S'), 1);
    EXPECT_EQ(TheSequencerState().live.solo[2].load(), 0);
    EXPECT_EQ(cls.OnKey(element, view_, 'P'), 1);
}

// The element's handle covers the staff's left edge, is complete as placed, moves the
// element whole and names the staff; Shift in scroll view asks for page view.
TEST_F(StaffElementTest, HandleAtTheStaffsLeftEdge) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ScoreObject* element = MakeStaffElement(view_);
    ASSERT_NE(element, nullptr);
    const StaffElementBody body = *StaffElementBodyOf(element);
    HitRecord* handle = ClassOf(element).BuildHandles(element, view_);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->outer.left, body.left - 256);
    EXPECT_EQ(handle->outer.right, body.left + 256);
    EXPECT_EQ(handle->outer.top, body.top + 192);
    EXPECT_EQ(handle->outer.bottom, body.top + 448);
    EXPECT_EQ(handle->flags & 0x1E5, 0x1C5);
    EXPECT_EQ(handle->location.location.staff, 2);
    EXPECT_EQ(handle->owner.get(), element);
    EXPECT_EQ(handle->kind, TypeCode(ObjectType::Staff));
    FreeStaticRecord(kHitRecordPool, handle);
    view_->pageView = 0;
    const size_t beeps = ui::headless::Beeps().size();
    ClassOf(element).Invalidate(element, view_);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
}

// Following the location puts one element per staff and system in the selection's
// object list; a hidden staff, or no list, gets none. Taking the element as the
// focus keeps the selection's current point, and beeps without a current object.
TEST_F(StaffElementTest, FollowsTheLocationIntoTheSelectionsList) {
    ASSERT_NE(CreateSelectionState(), nullptr);
    SelectionState* s = TheSelectionState();
    ScoreObject* prototype = MakeStaffElement(view_);
    ASSERT_NE(prototype, nullptr);
    const ScoreObjectClass& cls = ClassOf(prototype);
    const Ref32<ScoreObject> own = s->voiceChain;
    s->voiceChain = {};
    EXPECT_EQ(cls.FollowLocation(prototype, view_), 0) << "no list to follow into";
    ScoreObject* list = AllocRootObject();
    ASSERT_NE(list, nullptr);
    s->voiceChain = Ref32<ScoreObject>::To(list);
    const auto elements = [&] {
        int n = 0;
        for (ScoreObject* o = list->next.get(); o != nullptr; o = o->next.get()) n += StaffElementBodyOf(o) != nullptr;
        return n;
    };
    EXPECT_EQ(cls.FollowLocation(prototype, view_), 1);
    EXPECT_EQ(elements(), 1);
    EXPECT_EQ(cls.FollowLocation(prototype, view_), 1);
    EXPECT_EQ(elements(), 1) << "one element per staff and system";
    Locate(3, 1);
    EXPECT_EQ(cls.FollowLocation(prototype, view_), 1);
    EXPECT_EQ(elements(), 2);
    StaffFlagsOf(view_->currentSystem)[1] = static_cast<int8_t>(pages::kHiddenStaff);
    Locate(1, 1);
    EXPECT_EQ(cls.FollowLocation(prototype, view_), 0);
    EXPECT_EQ(elements(), 2);

    const size_t beeps = ui::headless::Beeps().size();
    cls.ReleaseCache(prototype, view_);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1) << "no current object";
    s->currentObject = Ref32<ScoreObject>::To(list);
    s->currentObjectPoint[0] = 1234;
    s->currentObjectPoint[1] = -567;
    cls.ReleaseCache(prototype, view_);
    EXPECT_EQ(prototype->spareWords[0], 1234u);
    EXPECT_EQ(static_cast<int32_t>(prototype->spareWords[1]), -567);
    s->voiceChain = own;
    s->currentObject = {};
    DestroySelectionState();
}

// Over a staff element the staff cursor (the tool cursor) shows, and the
// program's staff-cursor clef, when unset, takes the element's staff's clef at the
// first measure of the current system; once set it is kept until the followed
// objects are let go, which unsets it.
TEST_F(StaffElementTest, TheStaffCursorTakesTheStaffsClefOnce) {
    constexpr int kBass = 3, kPercussion = 5;
    ASSERT_NE(CreateSelectionState(), nullptr);
    SelectionState* s = TheSelectionState();
    s->toolCursor = win::LoadSystemCursor(win::SystemCursor::Cross);
    State().documents.ActiveView = view_;
    const int first = view_->currentSystem->firstMeasure;
    SetClef(2, first, kBass);
    SetClef(3, first, kPercussion);
    Locate(2, 1);
    ScoreObject* second = MakeStaffElement(view_);
    Locate(3, 1);
    ScoreObject* third = MakeStaffElement(view_);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(third, nullptr);
    int8_t& clef = State().input.StaffCursorClef;
    EXPECT_EQ(clef, -1) << "unset at the start";

    win::SetCursor(win::CursorHandle{});
    ClassOf(second).SetToolCursor(second, 0, 0);
    EXPECT_EQ(win::GetCursor(), s->toolCursor) << "the staff cursor shows";
    EXPECT_EQ(clef, kBass);
    ClassOf(third).SetToolCursor(third, 0, 0);
    EXPECT_EQ(clef, kBass) << "a set clef is kept";

    selection::ReleaseFollowedObjects(s, nullptr);
    EXPECT_EQ(clef, -1) << "letting the followed objects go unsets it";
    ClassOf(third).SetToolCursor(third, 0, 0);
    EXPECT_EQ(clef, kPercussion);

    clef = -1;
    State().documents.ActiveView = nullptr;
    ClassOf(third).SetToolCursor(third, 0, 0);
    EXPECT_EQ(clef, -1) << "no active view: nothing to look up";
    DestroySelectionState();
}

// Removing the only visible staff of a system shows the system's first remaining
// staff: no system is left with nothing to draw.
TEST_F(StaffElementTest, RemovalLeavesAStaffVisible) {
    StaffFlagsOf(view_->currentSystem)[2] = static_cast<int8_t>(pages::kHiddenStaff);
    StaffFlagsOf(view_->currentSystem)[3] = static_cast<int8_t>(pages::kHiddenStaff);
    ASSERT_EQ(RemoveStaff(view_, 1), 1);
    EXPECT_EQ(static_cast<uint8_t>(StaffFlagsOf(view_->currentSystem)[1]) & pages::kHiddenStaff, 0);
    EXPECT_NE(static_cast<uint8_t>(StaffFlagsOf(view_->currentSystem)[2]) & pages::kHiddenStaff, 0);
}

// Exchanging two staves by a Ctrl drag leaves the groups in place: a brace over
// staves 2-3 still joins 2 and 3, and staff 1 joins nothing above.
TEST_F(StaffElementTest, ExchangeKeepsTheGroupsInPlace) {
    SetJoinsStaffBelow(*StaffRecordOf(doc_, 2), GroupKind::Brace, true);
    SetJoinsStaffAbove(*StaffRecordOf(doc_, 3), GroupKind::Brace, true);
    EXPECT_EQ(DragStaff(view_, 2, StaffY(1) - 2 * kSpace, true), 1);  // 2 above 1: exchanged
    EXPECT_FALSE(JoinsStaffAbove(*StaffRecordOf(doc_, 1), GroupKind::Brace));
    EXPECT_FALSE(JoinsStaffBelow(*StaffRecordOf(doc_, 1), GroupKind::Brace));
    EXPECT_TRUE(JoinsStaffBelow(*StaffRecordOf(doc_, 2), GroupKind::Brace));
    EXPECT_TRUE(JoinsStaffAbove(*StaffRecordOf(doc_, 3), GroupKind::Brace));
}

}  // namespace
}  // namespace ql::testing_signatures
