// The page dialogs driven as a user would: Insert Pages (count, before or after, the
// measure limit keeping the dialog open), Delete Pages (through a page number, the
// question answered Yes or No, every page refused) and Set Page Number (the three
// ranges, a number below 1, an end page not found, numbers past the largest).
#include <vector>

#include "core/model/pages.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/page_layout_dialogs.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"

namespace ql::testing_layout {
namespace {

using ui::headless::DialogDriver;

class PageDialogs : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        MakeStatusBar();
        RegisterPageDialogResources();
    }
    void Pages(int pages, int systems, int measures) {
        NewScore(1, systems, measures);
        for (int i = 1; i < pages; ++i) ASSERT_EQ(AppendPage(view_), 1);
        view_->currentPage = doc_->firstPage;
    }
    ScorePage* Page(int index) const { return GetPageAt(doc_, index); }
    std::vector<int> PageNumbers() const {
        std::vector<int> numbers;
        for (ScorePage* p = doc_->firstPage; p != nullptr && numbers.size() < 100; p = p->next.get())
            numbers.push_back(p->pageNumber);
        return numbers;
    }
    static std::string LastBox() {
        const auto& boxes = ui::headless::MessageBoxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    }
};

// Two pages before the current page through the dialog; Cancel inserts nothing.
TEST_F(PageDialogs, InsertPagesBeforeOrAfter) {
    using namespace insert_pages_dialog;
    Pages(2, 1, 2);
    ui::headless::SetDialogScript(kInsertPagesDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Int(kCount), 1);
        EXPECT_TRUE(d.IsChecked(kAfter));  // after is the default
        d.Type(kCount, "2");
        d.SetChecked(kBefore, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunInsertPagesDialog(view_), 1);
    EXPECT_EQ(PageCount(), 4);
    EXPECT_EQ(doc_->header.measureCount, 8);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    ui::headless::SetDialogScript(kInsertPagesDialog, [](DialogDriver& d) { d.Click(ui::kIdCancel); });
    EXPECT_EQ(RunInsertPagesDialog(view_), 2);
    EXPECT_EQ(PageCount(), 4);
}

// Pages past the measure limit: the notice and the box, the dialog stays open and
// a smaller count then goes in; a count of 0 beeps and stays.
TEST_F(PageDialogs, InsertPagesPastTheLimitKeepsTheDialogOpen) {
    using namespace insert_pages_dialog;
    Pages(1, 4, 4);
    ui::headless::SetDialogScript(kInsertPagesDialog, [](DialogDriver& d) {
        d.Type(kCount, "0");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(ui::headless::Beeps().size(), 1u);
        d.Type(kCount, "70");  // 70 x 16 measures pass the limit
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(LastBox(), "Increase MaxMeasures in the QLW.INI file.");
        d.Type(kCount, "1");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunInsertPagesDialog(view_), 1);
    EXPECT_EQ(PageCount(), 2);
    bool notice = false;
    for (const auto& status : ui::headless::StatusTexts()) notice |= status.text == " Cannot insert all pages.";
    EXPECT_TRUE(notice);
}

// Pages 2 through 3 of four: the question answered Yes deletes them; No deletes
// nothing and ends with 2.
TEST_F(PageDialogs, DeletePagesThroughANumberOnYesOnly) {
    using namespace delete_pages_dialog;
    Pages(4, 1, 2);
    view_->currentPage = Page(1);
    auto through = [](const char* number) {
        return [number](DialogDriver& d) {
            EXPECT_EQ(d.Int(kFirst), 2);
            EXPECT_FALSE(d.IsEnabled(kFirst));
            EXPECT_EQ(d.Int(kThrough), 2);
            d.Type(kThrough, number);
            d.Click(ui::kIdOk);
        };
    };
    ui::headless::SetDialogScript(kDeletePagesDialog, through("3"));
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(RunDeletePagesDialog(view_), 2);
    EXPECT_EQ(PageCount(), 4);
    EXPECT_EQ(LastBox(), "Remove pages and their contents?");
    EXPECT_EQ(ui::headless::MessageBoxes().back().style & ui::kBoxButtonsMask, ui::kBoxYesNo);
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(RunDeletePagesDialog(view_), 1);
    EXPECT_EQ(PageCount(), 2);
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// From page 1 through the last page: refused with the notice and the box; nothing
// is deleted.
TEST_F(PageDialogs, DeletingEveryPageIsRefused) {
    using namespace delete_pages_dialog;
    Pages(3, 1, 2);
    ui::headless::SetDialogScript(kDeletePagesDialog, [](DialogDriver& d) {
        d.Type(kThrough, "3");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunDeletePagesDialog(view_), 2);
    EXPECT_EQ(PageCount(), 3);
    EXPECT_EQ(LastBox(), "Can't delete all pages.");
    bool notice = false;
    for (const auto& status : ui::headless::StatusTexts()) notice |= status.text == " Cannot delete all pages.";
    EXPECT_TRUE(notice);
}

class SetPageNumber : public PageDialogs {
  protected:
    // Four pages numbered 1, 2, 3, 7, the view on page 2.
    void SetUp() override {
        PageDialogs::SetUp();
        Pages(4, 1, 2);
        Page(3)->pageNumber = 7;
        view_->currentPage = Page(1);
    }
    intptr_t Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(page_number_dialog::kSetPageNumberDialog, std::move(script));
        return RunSetPageNumberDialog(view_);
    }
};

// 5 on page 2 with the default range: pages 2 and 3 become 5 and 6, 7 stays.
TEST_F(SetPageNumber, DefaultRangeStopsAtTheNextSetting) {
    using namespace page_number_dialog;
    EXPECT_EQ(Run([](DialogDriver& d) {
                  EXPECT_EQ(d.Int(kNumber), 2);
                  EXPECT_EQ(d.Int(kToNumberEdit), 7);  // the run goes on while numbers do not fall
                  EXPECT_TRUE(d.IsChecked(kToNextSetting));
                  d.Type(kNumber, "5");
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 5, 6, 7}));
    ASSERT_EQ(UndoDepth(doc_), 1);
}

// To the end of the piece renumbers every page from the current one; typing an end
// number selects the third range, which stops before the page carrying it.
TEST_F(SetPageNumber, ToEndAndUpToANumber) {
    using namespace page_number_dialog;
    Run([](DialogDriver& d) {
        d.Type(kNumber, "10");
        d.SetChecked(kToEnd, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 10, 11, 12}));
    Run([](DialogDriver& d) {
        d.Type(kNumber, "3");
        d.Type(kToNumberEdit, "12");
        EXPECT_TRUE(d.IsChecked(kToNumber));
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 3, 4, 12}));
    // A number no later page carries: the box, the dialog stays open, nothing changes.
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Type(kNumber, "20");
                  d.Type(kToNumberEdit, "1");  // only before the current page
                  d.Click(ui::kIdOk);
                  EXPECT_TRUE(d.IsOpen());
                  d.Click(ui::kIdCancel);
              }),
              2);
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 3, 4, 12}));
    EXPECT_EQ(LastBox(), "Unable to find page 1.");
}

// A number below 1 shows its box and changes nothing; numbers running past 32767
// beep with the focus on the number.
TEST_F(SetPageNumber, RefusesBadNumbers) {
    using namespace page_number_dialog;
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Type(kNumber, "0");
                  d.Click(ui::kIdOk);
                  EXPECT_TRUE(d.IsOpen());
                  EXPECT_EQ(LastBox(), "The new page number must be greater than 0.");
                  d.Type(kNumber, "32767");  // pages 2 and 3 would need 32768
                  d.Click(ui::kIdOk);
                  EXPECT_TRUE(d.IsOpen());
                  EXPECT_EQ(ui::headless::Beeps().size(), 1u);
                  d.Click(ui::kIdCancel);
              }),
              2);
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 2, 3, 7}));
    EXPECT_EQ(UndoDepth(doc_), 0);
}

}  // namespace
}  // namespace ql::testing_layout
