// Dialog field helpers: spin fields, clamping and stepping with beeps at the
// limits, the decimal stepper, the fixed-point texts and the paper lookups.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/ui/dialog_fields.h"
#include "core/units/paper_table.h"
#include "core/tests/ui/uisvc_fixture.h"
#include "platform/ui/controls.h"
#include "platform/win/input.h"

namespace ql::testing_uisvc {
namespace {

using ui::headless::DialogDriver;

// Runs the field dialog and calls `body` with it open.
class DialogFieldsTest : public UiServicesTest {
  protected:
    template <typename Fn>
    void WithDialog(Fn body) {
        ui::headless::SetDialogScript(kFieldDialog, [&](DialogDriver& d) { body(d.Dialog()); });
        ui::RunModalDialog(kFieldDialog, frame_, EndOnButtons);
    }
    size_t StopBeeps() const {
        size_t n = 0;
        for (ui::BeepKind kind : ui::headless::Beeps()) n += kind == ui::BeepKind::Stop;
        return n;
    }
};

// Controls are set in the order listed up to the first id the dialog lacks; the
// ids after it are left as they were.
TEST_F(DialogFieldsTest, EnableDlgControlsStopsAtTheFirstMissingId) {
    constexpr int32_t kMissing = 31999;
    WithDialog([&](platform::WindowHandle dialog) {
        EXPECT_EQ(EnableDlgControls(dialog, false, {kSpinEdit, kMissing, kDecimalEdit}), 1);
        EXPECT_FALSE(win::IsWindowEnabled(ui::GetDialogItem(dialog, kSpinEdit)));
        EXPECT_TRUE(win::IsWindowEnabled(ui::GetDialogItem(dialog, kDecimalEdit)));
        EXPECT_EQ(EnableDlgControls(dialog, false, {kDecimalEdit, kSpinUpDown}), 2);
        EXPECT_FALSE(win::IsWindowEnabled(ui::GetDialogItem(dialog, kSpinUpDown)));
        EXPECT_EQ(EnableDlgControls(dialog, true, {kSpinEdit, kDecimalEdit, kSpinUpDown}), 3);
        EXPECT_TRUE(win::IsWindowEnabled(ui::GetDialogItem(dialog, kSpinEdit)));
    });
}

// The spin field gets its range and position, and the edit shows the position.
TEST_F(DialogFieldsTest, SetupSpinControlFillsUpDownAndEdit) {
    WithDialog([&](platform::WindowHandle dialog) {
        platform::WindowHandle edit = SetupSpinControl(dialog, kSpinEdit, 1, 99, 42, true);
        platform::WindowHandle upDown = ui::GetDialogItem(dialog, kSpinUpDown);
        EXPECT_EQ(edit, ui::GetDialogItem(dialog, kSpinEdit));
        EXPECT_EQ(ui::GetUpDownRange(upDown).lower, 1);
        EXPECT_EQ(ui::GetUpDownRange(upDown).upper, 99);
        EXPECT_EQ(ui::GetUpDownPosition(upDown), 42);
        EXPECT_EQ(ui::GetItemText(dialog, kSpinEdit), "42");
        EXPECT_EQ(win::GetFocus(), edit);
        EXPECT_EQ(ui::GetEditSelection(edit).end, 2);
    });
}

// Stepping past the maximum beeps, returns the maximum and leaves the text.
TEST_F(DialogFieldsTest, ClampAtMaximumBeepsAndKeepsText) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kSpinEdit, "10");
        EXPECT_EQ(ClampEditValue(dialog, kSpinUpDown, false, 1, false, 10), 10);
        EXPECT_EQ(ui::GetItemText(dialog, kSpinEdit), "10");
        EXPECT_EQ(StopBeeps(), 1u);
        EXPECT_EQ(ClampEditValue(dialog, kSpinUpDown, true, 1, false, 10), 9);
        EXPECT_EQ(ui::GetItemText(dialog, kSpinEdit), "9");
        EXPECT_EQ(StopBeeps(), 1u);
    });
}

// Reaching an invalid minimum writes it, beeps and says "Invalid value".
TEST_F(DialogFieldsTest, ClampToInvalidMinimumExplainsInStatusBar) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kSpinEdit, "1");
        EXPECT_EQ(ClampEditValue(dialog, kSpinUpDown, true, 0, true, 10), 0);
        EXPECT_EQ(ui::GetItemText(dialog, kSpinEdit), "0");
        EXPECT_EQ(StopBeeps(), 1u);
        EXPECT_EQ(LastPartText(0), " Invalid value");
    });
}

// Below a valid minimum: beep, the minimum, the text stays.
TEST_F(DialogFieldsTest, ClampBelowMinimumBeepsAndKeepsText) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kSpinEdit, "-3");
        EXPECT_EQ(ClampEditValue(dialog, kSpinUpDown, true, 0, false, 10), 0);
        EXPECT_EQ(ui::GetItemText(dialog, kSpinEdit), "-3");
        EXPECT_EQ(StopBeeps(), 1u);
    });
}

// Unbounded steps write signed values; the non-negative step stops at 0 with a beep.
TEST_F(DialogFieldsTest, StepsWriteSignedAndNonNegativeStopsAtZero) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kSpinEdit, "0");
        EXPECT_EQ(StepEditValue(dialog, kSpinUpDown, true), -1);
        EXPECT_EQ(ui::GetItemText(dialog, kSpinEdit), "-1");
        EXPECT_EQ(ClampEditNonNegative(dialog, kSpinUpDown, true), 0);
        EXPECT_EQ(ui::GetItemText(dialog, kSpinEdit), "0");
        EXPECT_EQ(StopBeeps(), 1u);
        ui::SetItemText(dialog, kSpinEdit, "junk");
        EXPECT_EQ(StepEditValue(dialog, kSpinUpDown, false), 1);
    });
}

// A field typed at the ends of the 32-bit range steps no further instead of wrapping.
TEST_F(DialogFieldsTest, StepsAtTheEndsOfTheRangeDoNotWrap) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kSpinEdit, "2147483647");
        EXPECT_EQ(StepEditValue(dialog, kSpinUpDown, false), INT32_MAX);
        EXPECT_EQ(ClampEditNonNegative(dialog, kSpinUpDown, false), INT32_MAX);
        EXPECT_EQ(ClampEditValue(dialog, kSpinUpDown, false, 0, false, 100), 100);
        ui::SetItemText(dialog, kSpinEdit, "-2147483648");
        EXPECT_EQ(StepEditValue(dialog, kSpinUpDown, true), INT32_MIN);
        EXPECT_EQ(ClampEditValue(dialog, kSpinUpDown, true, 0, false, 100), 0);
    });
}

// Hundredths carry into the integer both ways; 0.00 does not go below zero.
TEST_F(DialogFieldsTest, DecimalStepperCarriesAndStopsAtZero) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kDecimalEdit, "1.99");
        ParseDecimalEdit(dialog, kHundredthsStepper, false);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), "2.00");
        ParseDecimalEdit(dialog, kHundredthsStepper, true);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), "1.99");
        ui::SetItemText(dialog, kDecimalEdit, "0.00");
        ParseDecimalEdit(dialog, kHundredthsStepper, true);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), "0.00");
        ui::SetItemText(dialog, kDecimalEdit, "3.10");
        ParseDecimalEdit(dialog, kHundredthsStepper, true);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), "3.09");
    });
}

// The integer stepper moves the integer part and never below 0; short and
// comma-separated texts are read as the dialog shows them.
TEST_F(DialogFieldsTest, DecimalIntegerStepperKeepsFractionAndStaysPositive) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kDecimalEdit, "2.5");
        EXPECT_EQ(ParseDecimalEdit(dialog, kIntegerStepper, false), 350);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), "3.50");
        ui::SetItemText(dialog, kDecimalEdit, ",25");
        ParseDecimalEdit(dialog, kIntegerStepper, true);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), ",25");
        ParseDecimalEdit(dialog, kIntegerStepper, false);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), "1.25");
    });
}

// Text longer than the field's seven characters or full of junk is read safely.
TEST_F(DialogFieldsTest, DecimalStepperReadsBadTextBounded) {
    WithDialog([&](platform::WindowHandle dialog) {
        ui::SetItemText(dialog, kDecimalEdit, "99999999999999999999.123456");
        EXPECT_GE(ParseDecimalEdit(dialog, kHundredthsStepper, false), 0);
        ui::SetItemText(dialog, kDecimalEdit, "abc");
        ParseDecimalEdit(dialog, kHundredthsStepper, false);
        EXPECT_EQ(ui::GetItemText(dialog, kDecimalEdit), "0.01");
    });
}

// The fixed-point texts beep through the headless layer; each test starts with
// none recorded.
class FixedPointText : public ::testing::Test {
  protected:
    void SetUp() override { ui::headless::ResetUi(); }
    static size_t Beeps() { return ui::headless::Beeps().size(); }
};

// Every value of the field, negative ones included, reads back from its text as
// itself, without a beep.
TEST_F(FixedPointText, Format128AndParse128RoundTripOverTheRange) {
    char text[kFixedTextBytes];
    for (int32_t value = INT16_MIN; value <= INT16_MAX; ++value) {
        FormatFixed128(static_cast<int16_t>(value), text, sizeof text);
        ASSERT_EQ(ParseFixed128(text), value) << "text " << text;
    }
    EXPECT_EQ(Beeps(), 0u);
}

// The texts: two digits where they name the value, three where they do not, and
// the sign also in front of a zero integer part.
TEST_F(FixedPointText, Format128WritesTheShortestExactText) {
    char text[kFixedTextBytes];
    EXPECT_STREQ(FormatFixed128(64, text, sizeof text), "0.50");
    EXPECT_STREQ(FormatFixed128(-64, text, sizeof text), "-0.50");     // sign of -0.5 kept
    EXPECT_STREQ(FormatFixed128(-192, text, sizeof text), "-1.50");    // -1.5, not -2.5
    EXPECT_STREQ(FormatFixed128(65, text, sizeof text), "0.51");       // 0.5078 rounded
    EXPECT_STREQ(FormatFixed128(2, text, sizeof text), "0.016");       // 0.02 reads 3/128
    EXPECT_STREQ(FormatFixed128(0, text, sizeof text), "0.00");
    EXPECT_STREQ(FormatFixed128(384, text, sizeof text), "3.00");
    EXPECT_STREQ(FormatFixed128(INT16_MAX, text, sizeof text), "255.99");
    EXPECT_STREQ(FormatFixed128(INT16_MIN, text, sizeof text), "-256.00");
}

// Texts round to the nearest 128th; a minus sign applies to the whole number,
// also without an integer part.
TEST_F(FixedPointText, Parse128RoundsToTheNearestAndKeepsTheSign) {
    EXPECT_EQ(ParseFixed128("0.5"), 64);
    EXPECT_EQ(ParseFixed128("0.50"), 64);
    EXPECT_EQ(ParseFixed128(".5"), 64);
    EXPECT_EQ(ParseFixed128(",5"), 64);
    EXPECT_EQ(ParseFixed128("-0.50"), -64);
    EXPECT_EQ(ParseFixed128("-.5"), -64);
    EXPECT_EQ(ParseFixed128("-,5"), -64);
    EXPECT_EQ(ParseFixed128("-5.5"), -704);       // -(5 + 0.5), not -5 + 0.5
    EXPECT_EQ(ParseFixed128(" +2"), 256);
    EXPECT_EQ(ParseFixed128("1.256"), 161);       // 160.768
    EXPECT_EQ(ParseFixed128("0.0078125"), 1);     // exactly one 128th
    EXPECT_EQ(ParseFixed128("0.00390625"), 1);    // half a 128th goes up
    EXPECT_EQ(ParseFixed128("-0.00390625"), -1);  // and down for negatives
    EXPECT_EQ(ParseFixed128("0.0039062499"), 0);  // just under half
    EXPECT_EQ(Beeps(), 0u);
}

// Fixed 160ths: no leading zero below 1; a third digit only where two would not
// read back as the same value.
TEST_F(FixedPointText, Format160DropsLeadingZero) {
    char text[kFixedTextBytes];
    EXPECT_STREQ(FormatFixed160(159, text, sizeof text), ".994");
    EXPECT_STREQ(FormatFixed160(160, text, sizeof text), "1.00");
    EXPECT_STREQ(FormatFixed160(80, text, sizeof text), ".50");
    EXPECT_STREQ(FormatFixed160(400, text, sizeof text), "2.50");
    EXPECT_STREQ(FormatFixed160(1, text, sizeof text), ".006");
    EXPECT_STREQ(FormatFixed160(UINT16_MAX, text, sizeof text), "409.594");
}

// 160ths parse like 128ths: the whole fraction, rounded to the nearest.
TEST_F(FixedPointText, Parse160RoundsTheFraction) {
    EXPECT_EQ(ParseFixed160(".5"), 80);
    EXPECT_EQ(ParseFixed160(".50"), 80);
    EXPECT_EQ(ParseFixed160("2.5"), 400);
    EXPECT_EQ(ParseFixed160("1"), 160);
    EXPECT_EQ(ParseFixed160(".003125"), 1);  // half a 160th goes up
    EXPECT_EQ(ParseFixed160(".0031"), 0);
}

// Every value of both fields comes back from its own text unchanged.
TEST_F(FixedPointText, EveryValueRoundTrips) {
    char text[kFixedTextBytes];
    for (int value = 0; value <= UINT16_MAX; ++value) {
        FormatFixed160(static_cast<uint16_t>(value), text, sizeof text);
        ASSERT_EQ(ParseFixed160(text), value) << text;
        FormatFixed128(static_cast<int16_t>(value + INT16_MIN), text, sizeof text);
        ASSERT_EQ(ParseFixed128(text), value + INT16_MIN) << text;
    }
    EXPECT_EQ(Beeps(), 0u);
}

// Text that is no number reads as 0 without a beep.
TEST_F(FixedPointText, JunkParsesAsZero) {
    EXPECT_EQ(ParseFixed128(""), 0);
    EXPECT_EQ(ParseFixed128("abc"), 0);
    EXPECT_EQ(ParseFixed128("-"), 0);
    EXPECT_EQ(ParseFixed128("5x.5"), 640);  // the number before other text
    EXPECT_EQ(ParseFixed160("."), 0);
    EXPECT_EQ(Beeps(), 0u);
}

// A number outside the field clamps to its range with one stop beep, however
// many digits it has; the range's own ends do not beep.
TEST_F(FixedPointText, OutOfRangeClampsWithABeep) {
    EXPECT_EQ(ParseFixed128("99999999999999999999"), INT16_MAX);
    EXPECT_EQ(ParseFixed128("-99999999999999999999"), INT16_MIN);
    EXPECT_EQ(ParseFixed128("1000000000"), INT16_MAX);  // ten digits
    EXPECT_EQ(ParseFixed128("256"), INT16_MAX);
    EXPECT_EQ(ParseFixed160(std::string(5000, '7')), UINT16_MAX);
    EXPECT_EQ(ParseFixed160("1000"), UINT16_MAX);
    EXPECT_EQ(ParseFixed160("-5"), 0);
    EXPECT_EQ(ParseFixed160("-.5"), 0);
    ASSERT_EQ(Beeps(), 8u);
    for (ui::BeepKind kind : ui::headless::Beeps()) EXPECT_EQ(kind, ui::BeepKind::Stop);
    EXPECT_EQ(ParseFixed128("-256"), INT16_MIN);
    EXPECT_EQ(ParseFixed128("255.99"), INT16_MAX);
    EXPECT_EQ(ParseFixed160("409.594"), UINT16_MAX);
    EXPECT_EQ(ParseFixed160("1." + std::string(5000, '9')), 2 * 160);
    EXPECT_EQ(Beeps(), 8u);
}

// A file paper code without a row becomes A4 on a metric page, Letter otherwise.
TEST_F(DialogFieldsTest, UnknownPaperCodeFallsBackByUnit) {
    PageRecord& page = document_->header.pageGeometry;
    page.paperKind = 3;
    page.unit = kPaperUnitCentimetres;
    PaperIndexFromFileCode(&view_);
    EXPECT_EQ(page.paperKind, 4);
    page.paperKind = 3;
    page.unit = kPaperUnitInches;
    PaperIndexFromFileCode(&view_);
    EXPECT_EQ(page.paperKind, 0);
    page.paperKind = 10;  // A5's file code
    PaperIndexFromFileCode(&view_);
    EXPECT_EQ(page.paperKind, 6);
}

// User paper keeps its own unit; table papers take their row's.
TEST_F(DialogFieldsTest, PaperUnitComesFromRowExceptUser) {
    PageRecord page{};
    page.paperKind = kUserPaperIndex;
    page.unit = kPaperUnitCentimetres;
    EXPECT_EQ(PaperUnitOf(&page), kPaperUnitCentimetres);
    page.paperKind = 0;
    EXPECT_EQ(PaperUnitOf(&page), kPaperUnitInches);
    EXPECT_EQ(page.unit, kPaperUnitInches);
    page.paperKind = 4;
    EXPECT_EQ(PaperUnitOf(&page), kPaperUnitCentimetres);
    page.paperKind = 200;
    EXPECT_EQ(PaperUnitOf(&page), kPaperUnitInches);
}

}  // namespace
}  // namespace ql::testing_uisvc
