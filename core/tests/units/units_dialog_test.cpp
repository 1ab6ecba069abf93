// Measurement words in dialog fields, on the platform's edit controls.
#include "core/ui/units_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/state.h"
#include "platform/sys/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int32_t kTestDialogId = 9001;
constexpr int32_t kFieldId = 100;

class UnitsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        win::headless::ResetWindowLayer();
        ui::headless::ResetUi();
        auto bundle = std::make_shared<sys::ResourceBundle>();
        bundle->name = "units test";
        ui::DialogTemplate dialog;
        dialog.caption = "Margins";
        dialog.rect = {0, 0, 120, 60};
        ui::ControlTemplate edit;
        edit.className = ui::kEditClass;
        edit.id = kFieldId;
        edit.rect = {10, 10, 40, 12};
        edit.style = win::kStyleVisible | win::kStyleChild;
        dialog.controls.push_back(edit);
        bundle->dialogs.emplace(kTestDialogId, dialog);
        sys::SetProgramBundle(bundle);
        dialog_ = ui::CreateModelessDialog(
            kTestDialogId, platform::WindowHandle{},
            [](platform::WindowHandle, win::Message, uint32_t, intptr_t) -> intptr_t { return 0; });
        ASSERT_TRUE(dialog_);
    }
    void TearDown() override {
        win::DestroyWindow(dialog_);
        sys::SetProgramBundle(nullptr);
    }

    platform::WindowHandle dialog_;
};

// The distance form shows as "12.25" and reads back with either separator.
TEST_F(UnitsDialogTest, DistanceFieldWritesAndReads) {
    ASSERT_TRUE(SetDlgItemBcd(dialog_, kFieldId, 0x1225));
    EXPECT_EQ(ui::GetItemText(dialog_, kFieldId), "12.25");
    EXPECT_EQ(GetDlgItemBcd(dialog_, kFieldId), 0x1225);
    ui::SetItemText(dialog_, kFieldId, "8,5");
    BcdFieldValue value = GetDlgItemBcdWithUnits(dialog_, kFieldId);
    EXPECT_EQ(value.word, 0x0850);
    EXPECT_EQ(value.units, 1088);
}

// Only the first eight characters of a field are read.
TEST_F(UnitsDialogTest, FieldReadsStopAfterEightCharacters) {
    ui::SetItemText(dialog_, kFieldId, "000000012.25");
    EXPECT_EQ(GetDlgItemBcd(dialog_, kFieldId), 0x0100);
}

// The fine form shows three decimals and reads back with its units.
TEST_F(UnitsDialogTest, FineFieldWritesAndReads) {
    ASSERT_TRUE(SetDlgItemBcdFine(dialog_, kFieldId, 0x0500));
    EXPECT_EQ(ui::GetItemText(dialog_, kFieldId), "0.500");
    ui::SetItemText(dialog_, kFieldId, "0,25");
    BcdFieldValue value = GetDlgItemBcdFine(dialog_, kFieldId);
    EXPECT_EQ(value.word, 0x0250);
    EXPECT_EQ(value.units, 32);
}

}  // namespace
}  // namespace ql
