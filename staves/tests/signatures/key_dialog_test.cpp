// The "Key Selection" dialog driven by scripts: the key buttons and their label, the
// controls that transposing enables, OK writing the key over the chosen range (and
// every staff), double barlines where the key now changes, and Cancel changing
// nothing.
#include "staves/key_dialog.h"

#include <cstring>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/headless.h"
#include "platform/ui/tooltips.h"
#include "platform/win/window.h"
#include "staves/signature_dialog_resources.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

using namespace key_dialog;
constexpr int kMeasures = 6;
constexpr int kTwoSharps = 9, kOneFlat = 6;
constexpr uint8_t kBarlineTypeMask = 0x0F;
constexpr uint8_t kDoubleBarline = 1;

class KeyDialogTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        RegisterSignatureDialogResources();
        BuildScore(3, kMeasures);
        for (int m = 1; m <= kMeasures; ++m) MeasureRecordOf(doc_, m)->number = static_cast<uint16_t>(m);
        Locate(2, 3);
    }
    int Run(ui::headless::DialogScript script, int key = kKeyC) {
        ui::headless::SetDialogScript(kKeySelectionDialog, std::move(script));
        KeyDialogStart start;
        start.key = key;
        return KeySelectionDialog(view_, start);
    }
    int KeyOf(int staff, int measure) const { return CellKey(*Cell(staff, measure)); }
};

// Each of the fifteen key buttons has its key's name as its tooltip.
TEST_F(KeyDialogTest, KeyButtonsNameTheirKeys) {
    Run([](ui::headless::DialogDriver& d) {
        const std::vector<platform::WindowHandle> tips = win::TopLevelWindows({.className = ui::kTooltipClass});
        platform::WindowHandle tip{};
        for (platform::WindowHandle w : tips)
            if (win::GetOwner(w) == d.Dialog()) tip = w;
        ASSERT_TRUE(tip) << "no tooltip window of the dialog";
        EXPECT_EQ(ui::GetTooltipToolText(tip, d.Item(kFirstKeyButton)), "C-flat (A-flat Minor)");
        EXPECT_EQ(ui::GetTooltipToolText(tip, d.Item(kFirstKeyButton + 7)), "C (A Minor)");
        EXPECT_EQ(ui::GetTooltipToolText(tip, d.Item(kFirstKeyButton + 14)), "C-sharp (A-sharp Minor)");
        d.PressEscape();
    });
}

// The dialog's start: transposing on, keeping pitches off, "Up", the first range;
// a key button shows the key's name; clearing "Transpose" enables keeping pitches.
TEST_F(KeyDialogTest, ControlsFollowTheChoices) {
    Run([](ui::headless::DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(kTranspose));
        EXPECT_FALSE(d.IsEnabled(kKeepPitches));
        EXPECT_TRUE(d.IsChecked(kUp));
        EXPECT_TRUE(d.IsChecked(kUpToFirstChange));
        EXPECT_TRUE(d.IsChecked(kChordSymbols));
        EXPECT_EQ(d.Int(kThroughNumber), 3);
        EXPECT_TRUE(d.Click(kFirstKeyButton + kTwoSharps));
        EXPECT_EQ(d.Text(kKeyLabel), "D (B Minor)");
        EXPECT_TRUE(d.SetChecked(kTranspose, false));
        EXPECT_TRUE(d.IsEnabled(kKeepPitches));
        EXPECT_FALSE(d.IsEnabled(kUp));
        EXPECT_FALSE(d.Click(kDown));  // unreachable while transposing is off
        EXPECT_FALSE(d.IsChecked(kTranspose));
        // Within the measure, "All staves" is unavailable.
        EXPECT_TRUE(d.Click(kWithinMeasure));
        EXPECT_FALSE(d.IsEnabled(kAllStaves));
        // Typing a count picks "This measure plus:".
        EXPECT_TRUE(d.Type(kPlusCount, "2"));
        EXPECT_TRUE(d.IsChecked(kMeasurePlus));
        d.PressEscape();
    });
}

// OK without transposing: the key over "This measure plus: 1" on the location's
// staff; the minor choice marks every staff; a double barline before the measure
// where the key comes back.
TEST_F(KeyDialogTest, OkWritesTheKeyOverTheRange) {
    const int result = Run([](ui::headless::DialogDriver& d) {
        d.Click(kFirstKeyButton + kTwoSharps);
        d.SetChecked(kTranspose, false);
        d.Click(kMinor);
        d.Click(kMeasurePlus);
        d.Type(kPlusCount, "1");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(KeyOf(2, 2), kKeyC);
    EXPECT_EQ(KeyOf(2, 3), kTwoSharps);
    EXPECT_EQ(KeyOf(2, 4), kTwoSharps);
    EXPECT_EQ(KeyOf(2, 5), kKeyC);
    EXPECT_EQ(KeyOf(1, 3), kKeyC);
    for (int staff = 1; staff <= 3; ++staff) EXPECT_TRUE(IsMinorKeyStaff(*StaffRecordOf(doc_, staff)));
    EXPECT_EQ(MeasureRecordOf(doc_, 3)->barline & kBarlineTypeMask, kDoubleBarline);
    EXPECT_EQ(MeasureRecordOf(doc_, 5)->barline & kBarlineTypeMask, kDoubleBarline);
    EXPECT_EQ(MeasureRecordOf(doc_, 4)->barline & kBarlineTypeMask, 0);
}

// "All staves" and "To end of piece" write every staff from the location on.
TEST_F(KeyDialogTest, AllStavesToTheEnd) {
    Run([](ui::headless::DialogDriver& d) {
        d.Click(kFirstKeyButton + kOneFlat);
        d.SetChecked(kTranspose, false);
        d.SetChecked(kAllStaves, true);
        d.Click(kToEndOfPiece);
        d.Click(ui::kIdOk);
    });
    for (int staff = 1; staff <= 3; ++staff) {
        EXPECT_EQ(KeyOf(staff, 2), kKeyC) << staff;
        for (int m = 3; m <= kMeasures; ++m) EXPECT_EQ(KeyOf(staff, m), kOneFlat) << staff << " " << m;
    }
}

// Cancel leaves every pool and the measure table as they were.
TEST_F(KeyDialogTest, CancelChangesNothing) {
    const std::vector<std::byte> before = Snapshot();
    const int result = Run([](ui::headless::DialogDriver& d) {
        d.Click(kFirstKeyButton + kTwoSharps);
        d.SetChecked(kAllStaves, true);
        d.Click(kMinor);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_TRUE(before == Snapshot());
    // Without a location the dialog does not run.
    Locate(4, 1);
    EXPECT_EQ(Run([](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); }), ui::kIdCancel);
}

}  // namespace
}  // namespace ql::testing_signatures
