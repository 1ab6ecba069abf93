// The Measure Numbers dialog on a new score's view, driven as a user would: the
// offsets typed as "%d.%s" texts, the style enabling the other controls, OK
// storing into the document (and the defaults when asked), Cancel nothing.
#include "shell/options/measure_numbers_dialog.h"

#include <gtest/gtest.h>

#include "core/draw/draw_surface.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "display/system_drawing.h"
#include "display/system_drawing_test_seam.h"
#include "platform/sys/settings_store.h"
#include "platform/ui/font_dialog.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/options/measure_number_offsets.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/tests/printing/print_fixture.h"

namespace ql {
namespace {

namespace m = measure_numbers_dialog;
using MeasureNumbersDialog = testing::PrintFixture;
using ui::headless::DialogDriver;

// "1.000" and "-0.500" are stored as 128 and -64; a text that is not a number
// keeps the offset it replaced; the dialog shows the stored offsets.
TEST_F(MeasureNumbersDialog, OffsetsAreTypedAsFixedPointTexts) {
    PageRecord& page = view_->document->header.pageGeometry;
    page.measureNumberOffsetX = 0;
    page.measureNumberOffsetY = 128;
    std::string shownY;
    ui::headless::SetDialogScript(m::kDialog, [&](DialogDriver& d) {
        shownY = d.Text(m::kVerticalOffset);
        EXPECT_TRUE(d.Type(m::kHorizontalOffset, "-0.500"));
        EXPECT_TRUE(d.Type(m::kVerticalOffset, "1.000"));
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 1);
    EXPECT_EQ(shownY, "1.000");
    EXPECT_EQ(int32_t{page.measureNumberOffsetX}, -64);
    EXPECT_EQ(int32_t{page.measureNumberOffsetY}, 128);

    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Type(m::kHorizontalOffset, "left a bit");
        d.Type(m::kVerticalOffset, "9999");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 1);
    EXPECT_EQ(int32_t{page.measureNumberOffsetX}, -64);
    EXPECT_EQ(int32_t{page.measureNumberOffsetY}, kMaxMeasureNumberOffset);
}

// "None" disables everything else; "Every" alone enables the interval and the
// measure kind; "Each System" leaves alignment and offsets on.
TEST_F(MeasureNumbersDialog, TheStyleEnablesTheOtherControls) {
    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Click(m::kNone);
        EXPECT_FALSE(d.IsEnabled(m::kIntervalEdit));
        EXPECT_FALSE(d.IsEnabled(m::kHorizontalOffset));
        EXPECT_FALSE(d.IsEnabled(m::kCentred));
        d.Click(m::kEachSystem);
        EXPECT_FALSE(d.IsEnabled(m::kIntervalEdit));
        EXPECT_FALSE(d.IsEnabled(m::kManuscriptMeasures));
        EXPECT_TRUE(d.IsEnabled(m::kHorizontalOffset));
        d.Click(m::kEvery);
        EXPECT_TRUE(d.IsEnabled(m::kIntervalEdit));
        EXPECT_TRUE(d.IsEnabled(m::kManuscriptMeasures));
        d.Type(m::kIntervalEdit, "5");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 1);
    const PageRecord& page = view_->document->header.pageGeometry;
    EXPECT_EQ(page.measureNumberStyle, kMeasureNumbersEvery);
    EXPECT_EQ(page.measureNumberEvery, 5);
}

// Cancel stores nothing; OK with "Save preferences" makes the settings the
// program's defaults, which only OK without it leaves alone.
TEST_F(MeasureNumbersDialog, CancelKeepsAndSavePreferencesSetsTheDefaults) {
    PageRecord& page = view_->document->header.pageGeometry;
    const PageRecord before = page;
    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Type(m::kHorizontalOffset, "3.000");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 2);
    EXPECT_EQ(int32_t{page.measureNumberOffsetX}, int32_t{before.measureNumberOffsetX});

    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Type(m::kHorizontalOffset, "2.500");
        d.SetChecked(m::kSavePreferences, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 1);
    EXPECT_EQ(int32_t{ProgramPreferences().header.pageGeometry.measureNumberOffsetX}, 320);

    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Type(m::kHorizontalOffset, "1.000");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 1);
    EXPECT_EQ(int32_t{page.measureNumberOffsetX}, 128);
    EXPECT_EQ(int32_t{ProgramPreferences().header.pageGeometry.measureNumberOffsetX}, 320);
}

// The score window's command opens the dialog for the active view.
TEST_F(MeasureNumbersDialog, TheCommandOpensTheDialog) {
    win::SendMessage(Frame().window, win::Message::Command,
                     win::MakeCommandWord(cmd::kMeasureNumbers, 0));
    ASSERT_FALSE(ui::headless::Dialogs().empty());
    EXPECT_EQ(ui::headless::Dialogs().back().templateId, sys::ResourceId(m::kDialog));
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

// "Select font..." (off with "None") chooses the default measure-number font in the
// font chooser: it becomes an own face and "DefMeasNumFont" is written; a chooser
// cancelled leaves both alone.
TEST_F(MeasureNumbersDialog, SelectFontChoosesTheDefaultMeasureNumberFont) {
    ui::headless::ResetFontDialogs();
    view_->document->header.fontSizeSetting = 0x0050;  // half an inch: 9 points are 11 units
    DefaultFontSetting& setting = Options().DefaultFonts[static_cast<int>(DefaultFont::MeasureNumbers)];
    const DefaultFontSetting before = setting;
    bool offWithNone = false;
    ui::headless::SetDialogScript(m::kDialog, [&](DialogDriver& d) {
        d.Click(m::kNone);
        offWithNone = !d.IsEnabled(m::kSelectFont);
        d.Click(m::kEachSystem);
        d.Click(m::kSelectFont);  // nothing queued: the chooser is cancelled
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 2);
    EXPECT_TRUE(offWithNone);
    EXPECT_EQ(setting, before);
    EXPECT_FALSE(sys::ProgramSettings().ReadText("Fonts", "DefMeasNumFont").has_value());

    ui::headless::QueueFontDialogAnswer(
        {ui::FontDialogStatus::Chosen, {"Noto Sans Mono", 9, ui::kFontDialogBoldWeight, false, true, 0}});
    ui::headless::SetDialogScript(m::kDialog, [&](DialogDriver& d) {
        d.Click(m::kEachSystem);
        d.Click(m::kSelectFont);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 1);
    ASSERT_EQ(ui::headless::FontDialogs().size(), 2u);
    EXPECT_EQ(ui::headless::FontDialogs()[1].initial.face, before.face);
    EXPECT_EQ(setting.face, "Noto Sans Mono");
    EXPECT_EQ(setting.winFont, 1u);
    EXPECT_EQ(setting.height, 11);
    EXPECT_EQ(setting.bold, 1u);
    EXPECT_EQ(setting.underline, 1u);
    const std::optional<std::string> stored = sys::ProgramSettings().ReadText("Fonts", "DefMeasNumFont");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NE(stored->find("Noto Sans Mono"), std::string::npos);
    ui::headless::ResetFontDialogs();
}

// The first staff's number of slot 1 drawn in the view, from the ink log.
std::vector<sysdraw::test_seam::GridInk> DrawnNumber(ScoreView* view) {
    std::vector<sysdraw::test_seam::GridInk> log;
    sysdraw::test_seam::SetGridInkLog(&log);
    BeginViewDraw(view);
    DrawMeasureNumber(view, 1, 1, 7);
    EndViewDraw(view);
    sysdraw::test_seam::SetGridInkLog(nullptr);
    return log;
}

// The face chosen with "Select font..." is the one the score's measure numbers are
// drawn in after OK, at the height of the measure-number quick font; a dialog
// cancelled after choosing leaves the score's numbers as they were.
TEST_F(MeasureNumbersDialog, TheChosenFaceIsTheOneTheMeasureNumbersAreDrawnIn) {
    constexpr char kChosen[] = "DejaVu Sans Mono";
    ui::headless::ResetFontDialogs();
    ASSERT_NE(view_->currentSystem, nullptr);
    const std::vector<sysdraw::test_seam::GridInk> before = DrawnNumber(view_);
    ASSERT_EQ(before.size(), 1u);
    ASSERT_NE(before[0].face, kChosen);
    const ui::FontDialogAnswer answer{ui::FontDialogStatus::Chosen,
                                      {kChosen, 14, 400, false, false, 0}};
    ui::headless::QueueFontDialogAnswer(answer);
    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Click(m::kSelectFont);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 2);
    EXPECT_EQ(DrawnNumber(view_)[0].face, before[0].face);

    ui::headless::QueueFontDialogAnswer(answer);
    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Click(m::kSelectFont);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMeasureNumbersDialog(view_), 1);
    const std::vector<sysdraw::test_seam::GridInk> after = DrawnNumber(view_);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].face, kChosen);
    EXPECT_EQ(after[0].fontHeight, before[0].fontHeight);
    ui::headless::ResetFontDialogs();
}

}  // namespace
}  // namespace ql
