// The Staff Size dialog driven as a user would: a size per inch outside 0.25 .. 64
// shows the range box and changes nothing, a fixed size and a user size are applied
// as one undoable edit, an unchanged choice ends with 0, and per inch and per
// centimetre follow each other while typing.
#include <string>

#include "core/undo/undo.h"
#include "core/units/paper_table.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_geometry.h"
#include "layout/page_layout_dialogs.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

using namespace staff_size_dialog;
using ui::headless::DialogDriver;

class StaffSizeDialog : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        MakeStatusBar();
        RegisterPageLayoutResources();
        NewScore(1, 2, 2);
        view_->currentPage = doc_->firstPage;
        TakeUndoBaseline(doc_);
    }
    intptr_t Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(ql::kStaffSizeDialog, std::move(script));
        return RunStaffSizeDialog(view_);
    }
    static ui::headless::DialogScript UserSize(const char* perInch) {
        return [perInch](DialogDriver& d) {
            d.SetChecked(kUserSize, true);
            d.Type(kPerInch, perInch);
            d.Click(ui::kIdOk);
        };
    }
};

// 0.2 degrees per inch: the range box, the dialog stays open; Cancel changes nothing.
TEST_F(StaffSizeDialog, OutOfRangeShowsTheBoxAndChangesNothing) {
    for (const char* bad : {"0.2", "64.5", "x"}) {
        EXPECT_EQ(Run([bad](DialogDriver& d) {
                      EXPECT_TRUE(d.IsChecked(kFirstSize + 4));  // the score's size
                      EXPECT_FALSE(d.IsEnabled(kPerInch));
                      d.SetChecked(kUserSize, true);
                      EXPECT_TRUE(d.IsEnabled(kPerInch));
                      d.Type(kPerInch, bad);
                      d.Click(ui::kIdOk);
                      EXPECT_TRUE(d.IsOpen());
                      d.Click(ui::kIdCancel);
                  }),
                  0)
            << bad;
        EXPECT_EQ(ui::headless::MessageBoxes().back().text,
                  "Degrees must be in range .25 - 64.0 per inch (.1 - 25.0 per cm)");
    }
    EXPECT_EQ(doc_->header.pageGeometry.staffSize, kStaffSize4);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

// A fixed size: result size + 1 (size 1 ends with 2 and is applied), one undo step
// that gives the old size back.
TEST_F(StaffSizeDialog, FixedSizeIsAppliedAndUndone) {
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.SetChecked(kFirstSize + 1, true);
                  d.Click(ui::kIdOk);
              }),
              2);
    EXPECT_EQ(doc_->header.pageGeometry.staffSize, 1);
    EXPECT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(doc_->header.pageGeometry.staffSize, kStaffSize4);
}

// A user size of 16 per inch is stored as its word and x 128; typing it again ends
// with 0 and makes no edit; the same fixed size again is unchanged too.
TEST_F(StaffSizeDialog, UserSizeAndUnchangedChoices) {
    EXPECT_EQ(Run(UserSize("16.00")), kUserStaffSize + 1);
    EXPECT_EQ(doc_->header.pageGeometry.staffSize, kUserStaffSize);
    EXPECT_EQ(doc_->header.fontSizeSetting, 0x1600);
    EXPECT_EQ(doc_->header.pageGeometry.userStaffSize, 2048);
    const int depth = UndoDepth(doc_);
    EXPECT_EQ(Run(UserSize("16.00")), 0);
    EXPECT_EQ(UndoDepth(doc_), depth);
    EXPECT_EQ(Run([](DialogDriver& d) { d.Click(ui::kIdOk); }), 0);  // the user size again
}

// Per inch and per centimetre follow the field being typed in.
TEST_F(StaffSizeDialog, InchAndCentimetreFollowEachOther) {
    Run([](DialogDriver& d) {
        d.SetChecked(kUserSize, true);
        d.Type(kPerCentimetre, "2.54");
        EXPECT_EQ(d.Text(kPerInch), "6.452");
        d.Type(kPerInch, "10");
        EXPECT_EQ(d.Text(kPerCentimetre), "3.937");
        d.Click(ui::kIdCancel);
    });
}

}  // namespace
}  // namespace ql::testing_layout
