// The barline and measure dialogs driven as a user would: OK applies the fields,
// Cancel changes nothing, and a field with junk or a value out of range keeps the
// dialog open with a beep or the dialog's message.
#include "staves/measure_dialogs.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"
#include "staves/barline_dialog_resources.h"
#include "staves/multi_measure_rest.h"
#include "staves/tests/measures/measure_fixture.h"
#include "staves/time_signature.h"
#include "staves/time_signature_dialog.h"

namespace ql::testing_measures {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
using ::testing::ElementsAre;

class MeasureDialogs : public MeasureTest {
  protected:
    void SetUp() override {
        MeasureTest::SetUp();
        RegisterBarlineDialogResources();
        ResetMeasureDialogState();
    }
    void TearDown() override {
        ResetMeasureDialogState();
        MeasureTest::TearDown();
    }
    static intptr_t LastDialogResult() { return ui::headless::Dialogs().back().result; }
};

constexpr BarlineRef kBarline3{3, false, false};

// ---- Barlines (883) ----

// OK writes the type, the hide bit, the repeat count and the length; the width
// follows the length.
TEST_F(MeasureDialogs, BarlinesOkAppliesTheFields) {
    BuildScore(1, 4);
    const int oldWidth = Record(3).width;
    SetDialogScript(barline_dialog::kBarlinesDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Text(barline_dialog::kBarlineTitle), "Barline 3");
        EXPECT_FALSE(d.IsVisible(barline_dialog::kHideLeftBar));  // not measure 1
        d.Click(barline_dialog::kFirstBarlineType + 6);            // End repeat
        EXPECT_EQ(d.Int(barline_dialog::kRepeatCount), 1);
        d.Type(barline_dialog::kRepeatCount, "2");
        d.SetChecked(barline_dialog::kHideBarline, true);
        d.Type(barline_dialog::kThirtySeconds, "16");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(BarlinesDialog(view_, kBarline3), ui::kIdOk);
    EXPECT_EQ(BarlineTypeOf(Record(3)), static_cast<int>(BarlineType::EndRepeat));
    EXPECT_EQ(Record(3).repeatCount, 2);
    EXPECT_EQ(Record(3).flags & kMeasureBarlineHidden, kMeasureBarlineHidden);
    EXPECT_EQ(Record(3).lengthTicks, 2048);
    EXPECT_EQ(Record(3).width, oldWidth / 2);
}

// Cancel after changing every field: nothing changed.
TEST_F(MeasureDialogs, BarlinesCancelChangesNothing) {
    BuildScore(1, 4);
    const auto before = Image();
    SetDialogScript(barline_dialog::kBarlinesDialog, [](DialogDriver& d) {
        d.Click(barline_dialog::kFirstBarlineType + 1);
        d.Type(barline_dialog::kThirtySeconds, "8");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(BarlinesDialog(view_, kBarline3), ui::kIdCancel);
    EXPECT_EQ(Image(), before);
}

// The length check: the system holds 4 x 32 1/32nds, so a measure of 32 may grow to
// 415 (32 - 128 + 511) and not to 416; junk and 0 are refused; the dialog stays open
// each time until Cancel.
TEST_F(MeasureDialogs, BarlinesLengthOverrideLimits) {
    BuildScore(1, 4);
    const auto before = Image();
    SetDialogScript(barline_dialog::kBarlinesDialog, [](DialogDriver& d) {
        for (const char* text : {"416", "x", "0"}) {
            d.Type(barline_dialog::kThirtySeconds, text);
            d.Click(ui::kIdOk);
            EXPECT_TRUE(d.IsOpen()) << text;
        }
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(BarlinesDialog(view_, kBarline3), ui::kIdCancel);
    EXPECT_EQ(Image(), before);
    EXPECT_THAT(BoxTexts(), ElementsAre(kTooManyBeats, kEnterOneOrGreater));
    EXPECT_FALSE(ui::headless::Beeps().empty());
    EXPECT_TRUE(IsMeasureLengthAccepted(415, 32, 128));
    EXPECT_FALSE(IsMeasureLengthAccepted(512, 600, 0));  // n x 128 must fit 16 bits
}

// A measure of length 0 from a damaged file: the length is accepted by the signed
// rule and the width comes from the new length instead of a division by 0.
TEST_F(MeasureDialogs, BarlinesZeroLengthMeasureGetsAWidth) {
    BuildScore(1, 4);
    Record(3).lengthTicks = 0;
    Record(3).width = 0;
    SetDialogScript(barline_dialog::kBarlinesDialog, [](DialogDriver& d) {
        d.Type(barline_dialog::kThirtySeconds, "32");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(BarlinesDialog(view_, kBarline3), ui::kIdOk);
    EXPECT_EQ(Record(3).lengthTicks, 4096);
    EXPECT_EQ(Record(3).width, RescaledMeasureWidth(0, 0, 4096, Record(3).stretch));
    EXPECT_GT(Record(3).width, 0);
}

// ---- Hide Measure Objects (882) ----

// Hiding a clef change on one staff sets that cell's bit and leaves the measure's
// all-staves bit clear; on all staves the measure's bit follows.
TEST_F(MeasureDialogs, HideObjectsSetsCellsAndTheMeasureAnd) {
    BuildScore(2, 4);
    UseMeasure(3, 1);
    SetDialogScript(hide_objects_dialog::kHideObjectsDialog, [](DialogDriver& d) {
        d.SetChecked(hide_objects_dialog::kClefChange, true);
        d.SetChecked(hide_objects_dialog::kUpStemsAux, true);
        d.SetChecked(hide_objects_dialog::kRestsDown, true);
        d.SetChecked(hide_objects_dialog::kMeasureNumber, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(HideMeasureObjectsDialog(view_, kBarline3), ui::kIdOk);
    EXPECT_EQ(Cell(1, 3)->cellFlags & kMeasureClefHidden, kMeasureClefHidden);
    EXPECT_EQ(Cell(2, 3)->cellFlags & kMeasureClefHidden, 0);
    EXPECT_EQ(Record(3).flags & kMeasureClefHidden, 0);
    EXPECT_EQ(Cell(1, 3)->cellWord & kCellHiddenStemMask, 0x2000);
    EXPECT_EQ(Cell(1, 3)->cellWord & kCellHiddenRestMask, 0x0800);
    EXPECT_EQ(Record(3).numberFlags & kMeasureNumberHidden, kMeasureNumberHidden);
    SetDialogScript(hide_objects_dialog::kHideObjectsDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(hide_objects_dialog::kClefChange));  // read back from the cell
        d.Click(hide_objects_dialog::kAllStaves);
        d.Click(hide_objects_dialog::kAllMeasures);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(HideMeasureObjectsDialog(view_, kBarline3), ui::kIdOk);
    EXPECT_EQ(Record(3).flags & kMeasureClefHidden, kMeasureClefHidden);
    EXPECT_EQ(Record(4).flags & kMeasureClefHidden, kMeasureClefHidden);  // on to the system's end
    EXPECT_EQ(Record(2).flags & kMeasureClefHidden, 0);
}

TEST_F(MeasureDialogs, HideObjectsCancelChangesNothing) {
    BuildScore(2, 4);
    UseMeasure(3, 1);
    const auto before = Image();
    SetDialogScript(hide_objects_dialog::kHideObjectsDialog, [](DialogDriver& d) {
        d.SetChecked(hide_objects_dialog::kKeyChange, true);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(HideMeasureObjectsDialog(view_, kBarline3), ui::kIdCancel);
    EXPECT_EQ(Image(), before);
}

// ---- Set Measure Number (884) ----

// Without free numbering only measure 1 opens, only 0, 1 or 2 are taken, and the
// numbers of all later measures follow.
TEST_F(MeasureDialogs, MeasureNumberWithoutFreeNumbering) {
    BuildScore(1, 4);
    EXPECT_EQ(SetMeasureNumberDialog(view_, kBarline3), ui::kIdCancel);  // closes at once
    SetDialogScript(measure_number_dialog::kMeasureNumberDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(measure_number_dialog::kToEnd));
        EXPECT_FALSE(d.IsEnabled(measure_number_dialog::kToNextChange));
        d.Type(measure_number_dialog::kNumber, "5");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Type(measure_number_dialog::kNumber, "0");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(SetMeasureNumberDialog(view_, BarlineRef{1, true, false}), ui::kIdOk);
    EXPECT_THAT(BoxTexts(), ElementsAre(kStartingNumberLimit));
    EXPECT_THAT(Numbers(), ElementsAre(0, 1, 2, 3));
}

// With free numbering: "up to measure number:" with a number no later measure holds
// keeps the dialog open; "up to next change" stops at the next break.
TEST_F(MeasureDialogs, MeasureNumberUpToAChangeOrANumber) {
    BuildScore(1, 6);
    SetFreeMeasureNumbering(true);
    Record(5).number = 50;
    Record(6).number = 51;
    SetDialogScript(measure_number_dialog::kMeasureNumberDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Int(measure_number_dialog::kToNumberEdit), 50);
        d.Click(measure_number_dialog::kToNumber);
        d.Type(measure_number_dialog::kToNumberEdit, "99");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Click(measure_number_dialog::kToNextChange);
        d.Type(measure_number_dialog::kNumber, "10");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(SetMeasureNumberDialog(view_, kBarline3), ui::kIdOk);
    EXPECT_THAT(BoxTexts(), ElementsAre("Unable to find measure number 99."));
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 10, 11, 50, 51));
}

// ---- Time Signature (852) ----

// The beat's note value is a note of the music font drawn in its box, and another
// note once the spin steps the value.
TEST_F(MeasureDialogs, TimeSignatureShowsTheBeatsNote) {
    BuildScore(1, 4);
    UseMeasure(2);
    auto inkOf = [](DialogDriver& d) {
        platform::BitmapHandle image;
        std::vector<gfx::Colour> pixels;
        EXPECT_TRUE(d.RequestDraw(time_signature_dialog::kNoteValue, 0, win::DrawAction::DrawEntire));
        image = win::GetWindowImage(d.Item(time_signature_dialog::kNoteValue));
        pixels = gfx::ReadBitmapPixels(image);
        const auto dark = std::count_if(pixels.begin(), pixels.end(), [](gfx::Colour c) {
            return gfx::RedOf(c) < 128 && gfx::GreenOf(c) < 128 && gfx::BlueOf(c) < 128;
        });
        EXPECT_GT(dark, 4);
        return pixels;
    };
    SetDialogScript(time_signature_dialog::kTimeSignatureDialog, [&](DialogDriver& d) {
        const std::vector<gfx::Colour> quarter = inkOf(d);
        d.StepUpDown(time_signature_dialog::kNoteSpin, -1);  // a half note
        EXPECT_NE(inkOf(d), quarter);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(TimeSignatureDialog(view_), ui::kIdCancel);
}

// OK sets the signature typed and stepped; Cancel changes nothing; a refused length
// shows the limit box and junk beeps, both keeping the dialog open.
TEST_F(MeasureDialogs, TimeSignatureOkCancelAndRefusals) {
    BuildScore(1, 4);
    UseMeasure(2);
    const auto before = Image();
    SetDialogScript(time_signature_dialog::kTimeSignatureDialog, [](DialogDriver& d) {
        d.Type(time_signature_dialog::kBeats, "3");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(TimeSignatureDialog(view_), ui::kIdCancel);
    EXPECT_EQ(Image(), before);
    SetDialogScript(time_signature_dialog::kTimeSignatureDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsEnabled(time_signature_dialog::kCommonCut));  // 4/4
        d.Type(time_signature_dialog::kBeats, "x");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Type(time_signature_dialog::kBeats, "40");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Type(time_signature_dialog::kBeats, "6");
        EXPECT_FALSE(d.IsEnabled(time_signature_dialog::kCommonCut));
        d.StepUpDown(time_signature_dialog::kNoteSpin, -1);  // down: a longer beat, quarter -> half
        d.Click(time_signature_dialog::kThisMeasure);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(TimeSignatureDialog(view_), ui::kIdOk);
    EXPECT_THAT(BoxTexts(), ElementsAre("Must be between 2 sixteenth and 32 quarter notes."));
    EXPECT_EQ(Cell(1, 2)->beats, 6);
    EXPECT_EQ(Cell(1, 2)->beatUnit, kHalfBeatCode);
    EXPECT_EQ(Record(2).lengthTicks, 6 * 2048);
    EXPECT_EQ(Cell(1, 3)->beats, 4);  // this measure only
}

// ---- Multi-Measure Rest (833) ----

// The command combines through the dialog's end number, refuses an end outside the
// run with the dialog open, and expands a rest after the question.
TEST_F(MeasureDialogs, MultiMeasureRestCommandCombinesAndExpands) {
    BuildScore(1, 6);
    UseMeasure(1);
    view_->CaretShown = 0;
    MultiMeasureRestCommand(view_);
    EXPECT_THAT(StatusTexts(), ::testing::Contains(::testing::HasSubstr(kDoubleClickNotice)));
    SetDialogScript(rest_dialog::kMultiMeasureRestDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Int(rest_dialog::kStartNumber), 1);
        EXPECT_EQ(d.Int(rest_dialog::kEndNumber), 6);
        d.Type(rest_dialog::kEndNumber, "7");
        d.Click(ui::kIdOk);
        EXPECT_TRUE(d.IsOpen());
        d.Type(rest_dialog::kEndNumber, "4");
        d.Click(ui::kIdOk);
    });
    view_->CaretShown = 1;
    MultiMeasureRestCommand(view_);
    EXPECT_THAT(BoxTexts(), ElementsAre(kTwoOrMoreMeasures));
    EXPECT_EQ(Record(1).extra, 3);
    EXPECT_THAT(Numbers(), ElementsAre(1, 5, 6, 7, 8, 9));
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    view_->CaretShown = 1;
    MultiMeasureRestCommand(view_);
    EXPECT_EQ(Record(1).extra, 0);
    EXPECT_EQ(doc_->header.measureCount, 9);
}

TEST_F(MeasureDialogs, MultiMeasureRestCancelChangesNothing) {
    BuildScore(1, 6);
    UseMeasure(2);
    view_->CaretShown = 1;
    const auto before = Image();
    SetDialogScript(rest_dialog::kMultiMeasureRestDialog, [](DialogDriver& d) { d.Click(ui::kIdCancel); });
    MultiMeasureRestCommand(view_);
    EXPECT_EQ(Image(), before);
    // A single empty measure cannot become a rest.
    Note(1, 3, 0);
    UseMeasure(2);
    view_->CaretShown = 1;
    MultiMeasureRestCommand(view_);
    EXPECT_THAT(BoxTexts(), ElementsAre(kTwoOrMoreMeasures));
}

}  // namespace
}  // namespace ql::testing_measures
