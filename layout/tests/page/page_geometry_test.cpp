// Page geometry: units per inch of the staff sizes, page measurements in logical
// units, the page's extent, and page-geometry dialog runs (scripted) that apply a
// working copy, a staff size, User paper and margins as one undoable edit.
#include <memory>
#include <string>
#include <vector>

#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/settings/preference_defaults.h"
#include "core/ui/modal_boxes.h"
#include "core/units/page_units.h"
#include "core/units/paper_size.h"
#include "core/units/paper_table.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "layout/tests/layout_fixture.h"
#include "platform/sys/resources.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql::testing_layout {
namespace {

constexpr int32_t kTestDialog = 7100;
constexpr uint8_t kLetter = 0;
constexpr uint8_t kA4 = 4;
constexpr uint8_t kUser = 5;
constexpr BcdInches kHalfInch = 0x0050;

ui::ControlTemplate Control(const char* cls, int32_t id, int16_t y, uint32_t style = 0) {
    return ui::ControlTemplate{cls, id, "", ui::DialogUnitRect{10, y, 60, 12},
                               style | win::kStyleVisible | win::kStyleTabStop, 0};
}

// A dialog with the User paper edits and OK and Cancel.
ui::DialogTemplate PageDialog() {
    std::vector<ui::ControlTemplate> controls{
        Control(ui::kEditClass, kUserPageWidthControl, 10),
        Control(ui::kEditClass, kUserPageHeightControl, 24),
        Control(ui::kButtonClass, ui::kIdOk, 80, ui::kButtonDefaultPush),
        Control(ui::kButtonClass, ui::kIdCancel, 94),
    };
    return ui::DialogTemplate{"Page", ui::DialogUnitRect{0, 0, 200, 120}, ui::kDialogCentre, "", 8,
                              std::move(controls)};
}

// Ends with the button's id, after `onOk` ran on OK.
ui::DialogProc EndingProcedure(std::function<void(platform::WindowHandle)> onOk,
                               intptr_t okResult = ui::kIdOk) {
    return [onOk, okResult](platform::WindowHandle dialog, win::Message message, uint32_t word,
                            intptr_t) -> intptr_t {
        if (message != win::Message::Command) return 0;
        if (win::CommandId(word) == ui::kIdOk) {
            if (onOk) onOk(dialog);
            ui::EndDialog(dialog, okResult);
            return 1;
        }
        if (win::CommandId(word) == ui::kIdCancel) {
            ui::EndDialog(dialog, ui::kIdCancel);
            return 1;
        }
        return 0;
    };
}

class PageGeometryTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        MakeStatusBar();
        auto bundle = std::make_shared<sys::ResourceBundle>();
        if (sys::GetProgramBundle() != nullptr) *bundle = *sys::GetProgramBundle();
        bundle->dialogs[kTestDialog] = PageDialog();
        bundle->dialogs[kStaffSizeDialog] = PageDialog();
        sys::SetProgramBundle(std::move(bundle));
        BuildScore(1, 4);
        view_->UnitsPerInch = 0.0;
    }
    void TearDown() override {
        sys::SetProgramBundle(nullptr);
        LayoutTest::TearDown();
    }
    PageRecord& Page() { return doc_->header.pageGeometry; }
    PageMargins MarginsOf(ScorePage* page) {
        PageMargins margins;
        EXPECT_TRUE(GetPageMargins(page, &margins));
        return margins;
    }
    // A page after the last one, with a margin element.
    ScorePage* AppendTestPage() {
        ScorePage* last = doc_->firstPage;
        while (last->next) last = last->next.get();
        ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
        page->pageNumber = static_cast<int16_t>(last->pageNumber + 1);
        last->next = Ref32<ScorePage>::To(page);
        page->previous = Ref32<ScorePage>::To(last);
        return page;
    }
};

// The staff-size table and the user staff size share one rule with FontSizeValue.
TEST_F(PageGeometryTest, UnitsPerInchOfStaffSizes) {
    EXPECT_DOUBLE_EQ(StaffUnitsPerInch(0, 0), 1199.36);
    EXPECT_DOUBLE_EQ(StaffUnitsPerInch(kStaffSize4, 0), 1917.44);
    EXPECT_DOUBLE_EQ(StaffUnitsPerInch(kUserStaffSize, 0x1600), 2048.0);  // 16 x 128
    EXPECT_DOUBLE_EQ(StaffUnitsPerInch(200, 0x0025), 32.0);  // a bad size reads the user size
    EXPECT_EQ(BcdTimes128(0x1600), 2048);
    EXPECT_EQ(BcdTimes128(0x0025), 32);
    EXPECT_EQ(BcdTimes128(0x9999), 12798);
    EXPECT_EQ(FontSizeValue(kStaffSize4, 0), 1917);
    EXPECT_EQ(FontSizeValue(kUserStaffSize, 0x0131), 167);  // trunc(1.31 x 128)
}

// A measurement in the page unit: to the nearest unit or truncated; centimetres
// are taken x 0.3937 first.
TEST_F(PageGeometryTest, BcdToPageUnitsNearestAndTruncated) {
    Page().staffSize = kStaffSize4;
    Page().unit = kPaperUnitInches;
    EXPECT_EQ(BcdToPageUnits(*doc_, kHalfInch, true), 959);  // 958.72
    EXPECT_EQ(BcdToPageUnits(*doc_, kHalfInch, false), 958);
    Page().unit = kPaperUnitCentimetres;
    EXPECT_EQ(BcdToPageUnits(*doc_, 0x0100, true), 755);  // 754.89
    EXPECT_EQ(BcdToPageUnits(*doc_, 0x0100, false), 754);
    EXPECT_EQ(BcdToPageUnits(*doc_, 0, true), 0);
}

// Landscape Letter at staff size 4: trunc(11 x 1917.44) - 30720 and
// trunc(8.5 x 1917.44) - 30720.
TEST_F(PageGeometryTest, LandscapeLetterEdges) {
    Page().staffSize = kStaffSize4;
    Page().paperKind = kLetter;
    Page().orientation = 1;
    PaperSizeOf(view_);
    EXPECT_EQ(view_->PageRight, -9629);
    EXPECT_EQ(view_->PageBottom, -14422);
}

// An oversized User page (99.99 in at 3072 units per inch) is cut at 32,767.
TEST_F(PageGeometryTest, OversizedPageIsCut) {
    Page().staffSize = 9;
    Page().paperKind = kUser;
    Page().unit = kPaperUnitInches;
    doc_->header.userPageWidth = 0x9999;
    doc_->header.userPageHeight = 0x0100;
    PaperSizeOf(view_);
    EXPECT_EQ(view_->PageRight, kLogicalMax);
    EXPECT_EQ(view_->PageBottom, 3072 - 30720);
}

// A4 with the unit in inches: opening a page-geometry dialog sets centimetres, even
// when the dialog is cancelled, which changes nothing else.
TEST_F(PageGeometryTest, CancelledDialogOnlySetsThePaperUnit) {
    Page().paperKind = kA4;
    Page().unit = kPaperUnitInches;
    Page().orientation = 0;
    ui::headless::SetDialogScript(kTestDialog, [&](ui::headless::DialogDriver& driver) {
        doc_->workingPageGeometry.orientation = 1;
        driver.Click(ui::kIdCancel);
    });
    const uint16_t before = doc_->changeCounter;
    EXPECT_EQ(RunPageGeometryDialog(view_, kTestDialog, EndingProcedure(nullptr)), ui::kIdCancel);
    EXPECT_EQ(Page().unit, kPaperUnitCentimetres);
    EXPECT_EQ(Page().orientation, 0);
    EXPECT_EQ(doc_->changeCounter, before);
}

// OK commits the working copy and the working margins as one undoable edit; the
// masters and every page take the new margins.
TEST_F(PageGeometryTest, OkAppliesTheWorkingCopyAndMargins) {
    Page().staffSize = kStaffSize4;
    Page().paperKind = kLetter;
    ui::headless::SetDialogScript(kTestDialog, [&](ui::headless::DialogDriver& driver) {
        doc_->workingPageGeometry.orientation = 1;
        doc_->workingPageGeometry.sides = 1;
        State().layout.WorkingLeftMargins[0] = kHalfInch;
        State().layout.WorkingRightMargins[2] = 0x0100;
        driver.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunPageGeometryDialog(view_, kTestDialog, EndingProcedure(nullptr)), ui::kIdOk);
    EXPECT_EQ(Page().orientation, 1);
    EXPECT_EQ(State().layout.GeometryChanged, 1);  // the sides changed
    EXPECT_EQ(State().layout.DialogChanged, 1);
    EXPECT_EQ(MarginsOf(doc_->leftMaster).logical[0], 959);
    EXPECT_EQ(MarginsOf(doc_->rightMaster).logical[2], 1917);
    EXPECT_EQ(doc_->header.leftMargins[0], kHalfInch);
    EXPECT_EQ(MarginsOf(doc_->firstPage).logical[2], 1917);  // page 1 is a right page
    EXPECT_NE(doc_->undoStack, nullptr);
    EXPECT_EQ(State().layout.MarginsChanging, 0);
}

// The Staff Size dialog's result is the chosen size + 1: the record takes it, the
// view its units per inch, and the masters' logical margins follow their words.
TEST_F(PageGeometryTest, StaffSizeDialogRescalesTheMargins) {
    Page().staffSize = 0;
    uint16_t words[4] = {kHalfInch, kHalfInch, kHalfInch, kHalfInch};
    SetPageMarginWords(doc_, doc_->leftMaster, words);
    SetPageMarginWords(doc_, doc_->rightMaster, words);
    EXPECT_EQ(MarginsOf(doc_->leftMaster).logical[0], 600);  // 599.68 at size 0
    ui::headless::SetDialogScript(kStaffSizeDialog,
                                  [](ui::headless::DialogDriver& driver) { driver.Click(ui::kIdOk); });
    EXPECT_EQ(RunPageGeometryDialog(view_, kStaffSizeDialog, EndingProcedure(nullptr, kStaffSize4 + 1)),
              kStaffSize4 + 1);
    EXPECT_EQ(Page().staffSize, kStaffSize4);
    EXPECT_EQ(MarginsOf(doc_->leftMaster).logical[0], 959);
    EXPECT_EQ(MarginsOf(doc_->firstPage).logical[0], 959);
}

// Page Setup's OK with User paper: a side below 512 units (0.30 in at size 0 is 359)
// becomes 2.00 (2398 units); a side above is kept; both are stored in the record and
// as words, and the change counts as a geometry change.
TEST_F(PageGeometryTest, UserPageBelowMinimumBecomesTwoUnits) {
    Page().staffSize = 0;
    Page().paperKind = kUser;
    Page().unit = kPaperUnitInches;
    doc_->workingPageGeometry = Page();
    ui::headless::SetDialogScript(kTestDialog, [](ui::headless::DialogDriver& driver) {
        driver.Type(kUserPageWidthControl, "0.30");
        driver.Type(kUserPageHeightControl, "1.00");
        driver.Click(ui::kIdOk);
    });
    State().layout.GeometryChanged = 0;
    ModalDialogBox(view_, kTestDialog,
                   EndingProcedure([&](platform::WindowHandle dialog) { ApplyPageGeometry(view_, dialog); }));
    EXPECT_EQ(doc_->header.userPageWidth, kMinUserPageWord);
    EXPECT_EQ(Page().userPageWidth, 2398);
    EXPECT_EQ(doc_->header.userPageHeight, 0x0100);
    EXPECT_EQ(Page().userPageHeight, 1199);
    EXPECT_EQ(State().layout.GeometryChanged, 1);
}

// Saving preferences puts the page settings and both margin sets into the program
// defaults.
TEST_F(PageGeometryTest, SavedPreferencesReachTheDefaults) {
    Page().paperKind = kLetter;
    doc_->workingPageGeometry = Page();
    doc_->workingPageGeometry.orientation = 1;
    ui::headless::SetDialogScript(kTestDialog, [](ui::headless::DialogDriver& driver) { driver.Click(ui::kIdOk); });
    ModalDialogBox(view_, kTestDialog, EndingProcedure([&](platform::WindowHandle dialog) {
                       State().layout.SavePagePreferences = 1;
                       State().layout.SaveMarginPreferences = 1;
                       State().layout.WorkingRightMargins[1] = 0x0075;
                       ApplyPageGeometry(view_, dialog);
                   }));
    EXPECT_EQ(ProgramPreferences().header.pageGeometry.orientation, 1);
    EXPECT_EQ(ProgramPreferences().header.rightMargins[1], 0x0075);
}

// Facing pages whose first page is a right page: index 1 is a left page and takes the
// left master's margins, indexes 0 and 2 the right master's.
TEST_F(PageGeometryTest, FacingPagesTakeTheirMastersMargins) {
    Page().sides = 1;
    Page().firstPage = 1;
    AppendTestPage();
    AppendTestPage();
    uint16_t left[4] = {0x0100, 0, 0, 0};
    uint16_t right[4] = {0x0200, 0, 0, 0};
    SetPageMarginWords(doc_, doc_->leftMaster, left);
    SetPageMarginWords(doc_, doc_->rightMaster, right);
    RelayoutAfterPageChange(doc_, view_);
    EXPECT_EQ(MarginsOf(GetPageAt(doc_, 0)).words[0], 0x0200u);
    EXPECT_EQ(MarginsOf(GetPageAt(doc_, 1)).words[0], 0x0100u);
    EXPECT_EQ(MarginsOf(GetPageAt(doc_, 2)).words[0], 0x0200u);
    EXPECT_EQ(doc_->header.leftMargins[0], 0x0100);
    EXPECT_TRUE(IsLeftPage(doc_, kLeftMasterNumber));
    EXPECT_FALSE(IsLeftPage(doc_, kRightMasterNumber));
    Page().sides = 0;
    EXPECT_FALSE(IsLeftPage(doc_, 1));  // no facing pages: no left page
    Page().sides = 1;
    Page().firstPage = 0;
    EXPECT_TRUE(IsLeftPage(doc_, 0));
}

}  // namespace
}  // namespace ql::testing_layout
