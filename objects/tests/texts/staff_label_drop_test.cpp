// Removing a staff label: the label leaves its staff's list and is freed (so the staff
// takes a new label), the selection is marked for rebuilding, and the view and every
// view linked to it are repainted, whether the label's handle is in the selection or
// the label goes without one.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/tests/win/plain_window.h"
#include "platform/win/paint.h"

namespace ql::testing_texts {
namespace {

constexpr int kLabelledStaff = 2;

class StaffLabelDropTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        window_ = ::ql::testing::OpenPlainWindow("QLStaffLabelDropTest", 400, 300);
        linkedWindow_ = ::ql::testing::OpenPlainWindow("QLStaffLabelDropTest", 400, 300);
        view_->ViewWindow = window_;
        State().documents.ActiveView = view_;
        // A second view of the same score on the same page.
        linked_ = InitView(AllocView());
        ASSERT_NE(linked_, nullptr);
        LinkView(linked_);
        linked_->document = doc_;
        linked_->currentPage = view_->currentPage;
        linked_->ViewWindow = linkedWindow_;
    }
    void TearDown() override {
        SelectionState* selection = TheSelectionState();
        selection->focusRecord = Ref32<HitRecord>{};
        linked_->document = nullptr;
        linked_->currentPage = nullptr;
        FreeView(linked_);
        TextsTest::TearDown();
    }
    // A label made on a staff through the dialog, as a click with the tool makes it.
    ScoreObject* MakeLabel(int staff) {
        UseMeasure(staff, 1);
        view_->pointerPoint = LogicalPoint{0, view_->staffY};
        ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog,
                                      [](ui::headless::DialogDriver& d) { d.PressEnter(); });
        return FindObjectClass(ClassOfType(ObjectType::Label))->CreateAtClick(nullptr, view_);
    }
    std::vector<ScoreObject*> StaffObjects(int staff) {
        return ListOf(StaffRecordOf(doc_, staff)->objects.get());
    }
    // The removal as the Delete key asks for it, through the label class.
    int Drop(ScoreObject* label, HitRecord* hit) {
        const ScoreObjectClass* cls = FindObjectClass(ClassOfType(ObjectType::Label));
        return cls->HandleDrop(nullptr, view_, label, hit);
    }
    // Starts both windows with nothing to repaint.
    void ValidateWindows() {
        win::ValidateRect(window_, nullptr);
        win::ValidateRect(linkedWindow_, nullptr);
    }
    bool Repainted(win::WindowHandle window) { return !win::GetUpdateRect(window).IsEmpty(); }

    win::WindowHandle window_;
    win::WindowHandle linkedWindow_;
    ScoreView* linked_ = nullptr;
};

// The label is focused (its handle is the selection's focus) and deleted through its
// prototype as the Delete key does.
TEST_F(StaffLabelDropTest, AFocusedLabelLeavesItsStaffAndEveryViewIsRepainted) {
    ScoreObject* label = MakeLabel(kLabelledStaff);
    ASSERT_NE(label, nullptr);
    ASSERT_EQ(StaffObjects(kLabelledStaff), std::vector<ScoreObject*>{label});
    HitRecord* handles = ClassOf(label).BuildHandles(label, view_);
    ASSERT_NE(handles, nullptr);
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>::To(handles);
    selection->rebuildRequested = 0;
    ValidateWindows();

    EXPECT_EQ(Drop(label, handles), 1);
    EXPECT_TRUE(StaffObjects(kLabelledStaff).empty());
    EXPECT_EQ(selection->rebuildRequested, 1);
    EXPECT_TRUE(Repainted(window_)) << "the view still shows the label";
    EXPECT_TRUE(Repainted(linkedWindow_)) << "the linked view still shows the label";
    selection->focusRecord = Ref32<HitRecord>{};
    // The staff takes a new label.
    EXPECT_NE(MakeLabel(kLabelledStaff), nullptr);
    EXPECT_EQ(StaffObjects(kLabelledStaff).size(), 1u);
}

// Nothing is focused and no handle comes with the label: it still leaves its staff.
TEST_F(StaffLabelDropTest, ALabelWithoutAHandleStillLeavesItsStaff) {
    ScoreObject* label = MakeLabel(kLabelledStaff);
    ASSERT_NE(label, nullptr);
    ScoreObject* other = MakeLabel(kLabelledStaff + 1);
    ASSERT_NE(other, nullptr);
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>{};
    selection->rebuildRequested = 0;
    ValidateWindows();
    const uint16_t changes = doc_->changeCounter;

    EXPECT_EQ(Drop(label, nullptr), 1);
    EXPECT_TRUE(StaffObjects(kLabelledStaff).empty());
    EXPECT_EQ(StaffObjects(kLabelledStaff + 1), std::vector<ScoreObject*>{other});
    EXPECT_EQ(selection->rebuildRequested, 1);
    EXPECT_TRUE(Repainted(window_));
    EXPECT_TRUE(Repainted(linkedWindow_));
    EXPECT_NE(doc_->changeCounter, changes) << "the removal left the score unmodified";
    EXPECT_NE(MakeLabel(kLabelledStaff), nullptr) << "the staff still counts a label";
}

}  // namespace
}  // namespace ql::testing_texts
