// The Non-printing Area dialog driven as a user would: amounts stored program-wide
// on OK, a negative amount refused with a beep, a step below 0 beeping and staying
// at 0, Cancel leaving the stored amounts alone.
#include "core/state.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_layout_dialogs.h"
#include "layout/tests/layout_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

using namespace non_printing_dialog;
using ui::headless::DialogDriver;

class NonPrintingDialog : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        RegisterPageLayoutResources();
    }
    intptr_t Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(kNonPrintingDialog, std::move(script));
        return RunNonPrintingAreaDialog(view_);
    }
};

TEST_F(NonPrintingDialog, StoresAmountsAndRefusesNegativeOnes) {
    EXPECT_EQ(Run([](DialogDriver& d) {
                  EXPECT_EQ(d.Int(kHorizontal), 0);
                  d.StepUpDown(kVerticalSpin, -1);  // below 0: beep, stays 0
                  EXPECT_EQ(d.Int(kVertical), 0);
                  d.Type(kHorizontal, "-3");
                  d.Click(ui::kIdOk);
                  EXPECT_TRUE(d.IsOpen());
                  d.SetChecked(kOverride, true);
                  d.Type(kHorizontal, "12");
                  d.Type(kVertical, "5");
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_GE(ui::headless::Beeps().size(), 1u);
    EXPECT_EQ(State().drawing.NonPrintingOverride, 1);
    EXPECT_EQ(State().drawing.NonPrintingX, 12);
    EXPECT_EQ(State().drawing.NonPrintingY, 5);
    EXPECT_EQ(Run([](DialogDriver& d) {
                  EXPECT_TRUE(d.IsChecked(kOverride));
                  EXPECT_EQ(d.Int(kHorizontal), 12);
                  d.Type(kHorizontal, "1");
                  d.Click(ui::kIdCancel);
              }),
              2);
    EXPECT_EQ(State().drawing.NonPrintingX, 12);
}

}  // namespace
}  // namespace ql::testing_layout
