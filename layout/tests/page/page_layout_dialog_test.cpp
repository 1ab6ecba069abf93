// The Page Layout and Formatting dialog driven as a user would: ticked values are
// clamped into their ranges, a field holding no number is refused with a beep, the
// layout is applied to this page only or to the end, and it stays the document's
// only with "Set default for new pages".
#include <vector>

#include "core/model/pages.h"
#include "core/undo/undo.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/page_layout_dialogs.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

using namespace page_layout_dialog;
using ui::headless::DialogDriver;

class PageLayoutDialog : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        MakeStatusBar();
        RegisterPageLayoutResources();
        NewScore(1, 4, 4);
        ASSERT_EQ(AppendPage(view_), 1);
        view_->currentPage = doc_->firstPage;
        view_->zoomFactor = 0.0;
    }
    intptr_t Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(kPageLayoutDialog, std::move(script));
        return RunPageLayoutDialog(view_);
    }
    const NewScoreBlock& Block() const { return doc_->header.newScoreBlock; }
};

// As defaults: 0 systems per page stores 1, 30 measures per system stores the slot
// limit 24, a staff separation of 0 or 1 degree stores 640.
TEST_F(PageLayoutDialog, TickedValuesAreClamped) {
    for (const char* degrees : {"0", "1"}) {
        EXPECT_EQ(Run([degrees](DialogDriver& d) {
                      EXPECT_EQ(d.Int(kSystems), 4);
                      EXPECT_FALSE(d.IsChecked(kSystemsBox));  // nothing changed yet
                      d.SetChecked(kSetDefault, true);
                      d.Type(kSystems, "0");
                      d.Type(kMeasures, "30");
                      d.Type(kStaffSeparation, degrees);
                      EXPECT_TRUE(d.IsChecked(kSystemsBox));
                      EXPECT_TRUE(d.IsChecked(kStaffSeparationBox));
                      d.Click(ui::kIdOk);
                  }),
                  1);
        EXPECT_EQ(Block().initSystemsPerPage, 1) << degrees;
        EXPECT_EQ(Block().initMeasuresPerSystem, 24) << degrees;
        EXPECT_EQ(Block().staffSeparation, 640) << degrees;
    }
}

// Typing ticks the box and the respace box it needs; applied to this page only the
// page takes the layout, the next page keeps its systems, and the document's layout
// is put back afterwards.
TEST_F(PageLayoutDialog, ThisPageOnlyKeepsTheDocumentLayout) {
    const NewScoreBlock before = Block();
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Type(kMeasures, "2");
                  EXPECT_TRUE(d.IsChecked(kMeasuresBox));
                  EXPECT_TRUE(d.IsChecked(kRespaceMeasures));
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(Shapes()[0], (PageShape{1, 8, {{1, 2}, {3, 4}, {5, 6}, {7, 8}}}));
    EXPECT_EQ(Shapes()[1].systems.front(), (std::pair<int, int>{9, 12}));
    EXPECT_EQ(Block().initMeasuresPerSystem, before.initMeasuresPerSystem);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// A ticked field holding no number: beep, the dialog stays, nothing changes; Cancel
// then leaves the score as it was.
TEST_F(PageLayoutDialog, AFieldWithoutANumberIsRefused) {
    const auto shapes = Shapes();
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Type(kSystems, "x");
                  d.Click(ui::kIdOk);
                  EXPECT_TRUE(d.IsOpen());
                  EXPECT_EQ(ui::headless::Beeps().size(), 1u);
                  d.Click(ui::kIdCancel);
              }),
              2);
    EXPECT_EQ(Shapes(), shapes);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

// Separations snap to the nearest multiple of 128 at the staff's scale.
TEST_F(PageLayoutDialog, SeparationsSnapAtTheStaffScale) {
    EXPECT_EQ(SnapSeparation(700, 0.0), 640);  // to the nearest multiple
    EXPECT_EQ(SnapSeparation(704, 0.0), 768);  // halves go up
    EXPECT_EQ(SnapSeparation(640, 0.0), 640);
    EXPECT_EQ(SnapSeparation(700, 0.5), 704);  // 1400 -> 1408, x 0.5
}

}  // namespace
}  // namespace ql::testing_layout
