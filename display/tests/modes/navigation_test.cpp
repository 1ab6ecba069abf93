// Going to a page or a measure by number: the dialogs driven as a user would (a
// multi-measure rest answers to the numbers it stands for, out-of-range numbers
// keep the dialog open, Cancel is not page 1), Find with its remembered boxes, and
// Repeat Find over restarted page numbers.
#include <string>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/navigation.h"
#include "display/tests/modes/modes_fixture.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page_format.h"
#include "platform/ui/headless.h"
#include "shell/resources/program_strings.h"

namespace ql::testing_modes {
namespace {

using ui::headless::DialogDriver;

class Navigation : public ModesTest {
  protected:
    void SetUp() override {
        ModesTest::SetUp();
        RegisterProgramStrings();
        RegisterPageDialogResources();
        MakeStatusBar();
        Grow(64);  // four pages of sixteen measures
        ASSERT_EQ(doc_->header.pageCount, 4);
    }
    int PageIndex() const { return GetPageIndex(doc_, view_->currentPage); }
    static bool SawStatus(const std::string& text) {
        for (const auto& status : ui::headless::StatusTexts())
            if (status.text == text) return true;
        return false;
    }
};

// Measure 4 a multi-measure rest for 4-7: number 6 shows measure 4; the measure
// after it carries 8.
TEST_F(Navigation, GoToMeasureFindsTheRestCarryingTheNumber) {
    using namespace go_to_measure_dialog;
    MeasureRecordOf(doc_, 4)->extra = 3;
    for (int m = 5; m <= 64; ++m) MeasureRecordOf(doc_, m)->number = static_cast<uint16_t>(m + 3);
    ASSERT_EQ(MeasureRecordOf(doc_, 5)->number, 8);
    ui::headless::SetDialogScript(kGoToMeasureDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Text(kRange), "(1 - 64)");
        EXPECT_EQ(d.Int(kNumber), 1);
        d.Type(kNumber, "6");
        d.Click(ui::kIdOk);
    });
    CmdGoToMeasure(view_);
    EXPECT_EQ(view_->currentMeasure, 4);
    EXPECT_EQ(doc_->foundMeasure, 4);
    EXPECT_EQ(doc_->findRepeatMode, kRepeatMeasureShown);
}

// A number no measure carries: "Out of range", the dialog stays open; Cancel then
// moves nothing and leaves Repeat Find with nothing to repeat.
TEST_F(Navigation, GoToMeasureOutOfRangeAndCancel) {
    using namespace go_to_measure_dialog;
    doc_->findRepeatMode = kRepeatMeasureShown;
    const int before = view_->currentMeasure;
    ui::headless::SetDialogScript(kGoToMeasureDialog, [](DialogDriver& d) {
        d.Type(kNumber, "65");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Click(ui::kIdCancel);
    });
    CmdGoToMeasure(view_);
    EXPECT_TRUE(SawStatus(" Out of range"));
    EXPECT_EQ(view_->currentMeasure, before);
    EXPECT_EQ(doc_->findRepeatMode, 0);
    EXPECT_EQ(GoToMeasureIndex(view_, 0), 0);
    EXPECT_EQ(GoToMeasureIndex(view_, 65), 0);
}

// Page 3 is shown; Cancel from page 3 stays there (it is not page index 0); a page
// number no page carries keeps the dialog open.
TEST_F(Navigation, GoToPageAndCancelIsNotPageOne) {
    using namespace go_to_page_dialog;
    ui::headless::SetDialogScript(kGoToPageDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Text(kRange), "(1 - 4)");
        d.Type(kNumber, "9");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Type(kNumber, "3");
        d.Click(ui::kIdOk);
    });
    CmdGoToPage(view_);
    EXPECT_EQ(PageIndex(), 2);
    EXPECT_EQ(doc_->findRepeatMode, kRepeatPageShown);
    ui::headless::SetDialogScript(kGoToPageDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Int(kNumber), 3);  // the page last found
        d.Click(ui::kIdCancel);
    });
    CmdGoToPage(view_);
    EXPECT_EQ(PageIndex(), 2);
    EXPECT_EQ(doc_->findRepeatMode, 0);
}

// A page index beyond the list shows nothing and sets no repeat mode.
TEST_F(Navigation, ShowPageBeyondTheListDoesNothing) {
    doc_->findRepeatMode = 0;
    EXPECT_EQ(ShowPageByIndex(view_, 4), 0);
    EXPECT_EQ(ShowPageByIndex(view_, -1), 0);
    EXPECT_EQ(doc_->findRepeatMode, 0);
    EXPECT_EQ(PageIndex(), 0);
}

// Page numbers 1, 2, 3, 3 (restarted): Repeat Find after page 3 goes to the next
// page numbered 3 and back again; with a single page 3 it does nothing.
TEST_F(Navigation, RepeatFindGoesToTheNextPageWithTheNumber) {
    GetPageAt(doc_, 3)->pageNumber = 3;
    ASSERT_EQ(FindMeasureAndPage(view_, 3, 0), 1);
    EXPECT_EQ(PageIndex(), 2);
    EXPECT_EQ(view_->currentMeasure, 33);
    CmdFindAgain(view_);
    EXPECT_EQ(PageIndex(), 3);
    CmdFindAgain(view_);
    EXPECT_EQ(PageIndex(), 2);
    GetPageAt(doc_, 3)->pageNumber = 4;
    const size_t beeps = ui::headless::Beeps().size();
    CmdFindAgain(view_);
    EXPECT_EQ(PageIndex(), 2);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps);
    // Nothing shown since: F3 does nothing at all.
    EXPECT_EQ(doc_->findRepeatMode, 0);
    CmdFindAgain(view_);
    EXPECT_EQ(PageIndex(), 2);
}

// Find with both boxes off at start checks "Measure"; a page number not found
// beeps; the boxes are kept for the next use.
TEST_F(Navigation, FindDialogChecksMeasureAndRemembersTheBoxes) {
    using namespace find_dialog;
    ui::headless::SetDialogScript(kFindDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(kMeasureBox));
        EXPECT_FALSE(d.IsChecked(kPageBox));
        d.Type(kMeasure, "20");
        d.SetChecked(kPageBox, true);
        d.Type(kPage, "2");
        d.Click(ui::kIdOk);
    });
    CmdFindMeasurePage(view_);
    EXPECT_EQ(PageIndex(), 1);
    EXPECT_EQ(view_->currentMeasure, 20);
    EXPECT_EQ(doc_->findRepeatMode, kRepeatMeasureShown | kRepeatPageShown);
    ui::headless::SetDialogScript(kFindDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(kPageBox));
        d.SetChecked(kMeasureBox, false);
        d.Type(kPage, "7");
        d.Click(ui::kIdOk);
    });
    const size_t beeps = ui::headless::Beeps().size();
    CmdFindMeasurePage(view_);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_EQ(State().display.FindMeasureChecked, 0);
    EXPECT_EQ(State().display.FindPageChecked, 1);
}

// Repeat Find of a measure number goes to the next measure carrying it (numbers
// restarted), wrapping to the first; the same measure again does nothing.
TEST_F(Navigation, RepeatFindOfAMeasureNumber) {
    RenumberMeasuresFrom(doc_, 33, 1);  // measures 33.. restart at 1
    ASSERT_EQ(FindMeasureAndPage(view_, 0, 5), 1);
    const int first = view_->currentMeasure;
    CmdFindAgain(view_);
    const int second = view_->currentMeasure;
    EXPECT_NE(first, second);
    EXPECT_TRUE((first == 5 && second == 37) || (first == 37 && second == 5));
    CmdFindAgain(view_);
    EXPECT_EQ(view_->currentMeasure, first);
}

}  // namespace
}  // namespace ql::testing_modes
