// Page Setup and Margins driven as a user would: Letter to A4 converts both margin
// sets to centimetres (1.00 in becomes 2.54), the Staff Size dialog run from Page
// Setup keeps its last non-zero choice, Cancel changes nothing, and the Margins
// dialog stores what was typed in the page's unit.
#include "core/model/pages.h"
#include "core/undo/undo.h"
#include "core/units/paper_table.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_geometry.h"
#include "layout/page_layout_dialogs.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

using ui::headless::DialogDriver;

constexpr uint16_t kOneInch = 0x0100;

class PageSetupDialog : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        MakeStatusBar();
        RegisterPageLayoutResources();
        NewScore(1, 2, 2);
        view_->currentPage = doc_->firstPage;
        const uint16_t inch[4] = {kOneInch, kOneInch, kOneInch, kOneInch};
        SetPageMarginWords(doc_, doc_->leftMaster, inch);
        SetPageMarginWords(doc_, doc_->rightMaster, inch);
        TakeUndoBaseline(doc_);
    }
    uint32_t MarginWord(ScorePage* page, int i) {
        PageMargins margins;
        EXPECT_TRUE(GetPageMargins(page, &margins));
        return margins.words[i] & 0xFFFF;
    }
};

// A4 from Letter: the unit becomes centimetres and both margin sets are converted.
TEST_F(PageSetupDialog, LetterToA4ConvertsBothMarginSets) {
    using namespace page_setup_dialog;
    ui::headless::SetDialogScript(kPageSetupDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(1312));  // Letter
        EXPECT_EQ(d.Text(kUnitsLabel), "Inches");
        d.SetChecked(1316, true);  // A4
        EXPECT_EQ(d.Text(kUnitsLabel), "Centimeters");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunPageSetupDialog(view_), 1);
    EXPECT_EQ(doc_->header.pageGeometry.paperKind, 4);
    EXPECT_EQ(doc_->header.pageGeometry.unit, kPaperUnitCentimetres);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(MarginWord(doc_->leftMaster, i), 0x0254u) << i;
        EXPECT_EQ(MarginWord(doc_->rightMaster, i), 0x0254u) << i;
    }
    EXPECT_EQ(UndoDepth(doc_), 1);
}

// Staff Size from Page Setup: size 6 chosen, then a run cancelled (0) keeps it.
TEST_F(PageSetupDialog, StaffSizeRunKeepsItsLastNonZeroChoice) {
    using namespace page_setup_dialog;
    int runs = 0;
    ui::headless::SetDialogScript(kStaffSizeDialog, [&runs](DialogDriver& d) {
        if (runs++ == 0) {
            d.SetChecked(staff_size_dialog::kFirstSize + 6, true);
            d.Click(ui::kIdOk);
        } else {
            d.Click(ui::kIdCancel);
        }
    });
    ui::headless::SetDialogScript(kPageSetupDialog, [](DialogDriver& d) {
        d.Click(kStaffSize);
        d.Click(kStaffSize);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunPageSetupDialog(view_), 1);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(doc_->header.pageGeometry.staffSize, 6);
    EXPECT_EQ(UndoDepth(doc_), 1);  // one edit with the Staff Size dialog's inside
    UndoCommand(doc_, view_);
    EXPECT_EQ(doc_->header.pageGeometry.staffSize, kStaffSize4);
}

// Cancel after changing everything leaves the score as it was.
TEST_F(PageSetupDialog, CancelChangesNothing) {
    using namespace page_setup_dialog;
    ui::headless::SetDialogScript(kPageSetupDialog, [](DialogDriver& d) {
        d.SetChecked(1316, true);
        d.SetChecked(kLandscape, true);
        d.SetChecked(kDoubleSide, true);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunPageSetupDialog(view_), 2);
    EXPECT_EQ(doc_->header.pageGeometry.paperKind, 0);
    EXPECT_EQ(doc_->header.pageGeometry.orientation, 0);
    EXPECT_EQ(MarginWord(doc_->leftMaster, 0), kOneInch);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

// The single-sided Margins dialog: the typed top margin is stored on both masters'
// sets as the right-page set, the others as they were.
TEST_F(PageSetupDialog, MarginsDialogStoresTypedMargins) {
    using namespace margins_dialog;
    ui::headless::SetDialogScript(kSingleSidedDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Text(kUnitsLabel), "Inches");
        EXPECT_EQ(d.Text(kRightEdits[0]), "1.00");
        d.Type(kRightEdits[0], "1.50");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunSetMarginsDialog(view_), 1);
    EXPECT_EQ(MarginWord(doc_->rightMaster, 1), 0x0150u);  // top
    EXPECT_EQ(MarginWord(doc_->rightMaster, 0), kOneInch);
}

}  // namespace
}  // namespace ql::testing_layout
