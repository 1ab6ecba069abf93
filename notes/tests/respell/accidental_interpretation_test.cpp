// Dialog 893 driven by scripts: OK stores the radios into both preference tables,
// Cancel and Reset put back the tables as they were when it opened, and the tables
// reach the settings store with the other preferences and come back from it. The
// staff picture is judged from its pixels: staff, bars, captions, and each interval's
// note where its radios spell it, drawn again after a radio click; a click on a column
// toggles that interval.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "core/settings/settings_store.h"
#include "core/settings/settings_table.h"
#include "core/state.h"
#include "notes/pitch/spelling_preferences.h"
#include "notes/respell/accidental_interpretation_dialog.h"
#include "notes/respell/accidental_interpretation_picture.h"
#include "notes/settings/note_dialog_resources.h"
#include "platform/gfx/bitmap.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {
namespace {

namespace aid = accidental_interpretation_dialog;

class AccidentalInterpretationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        sys::SetProgramBundle(nullptr);
        RegisterNoteDialogResources();
        LoadSpellingPreferences(kMajorSpellingDefault, kMinorSpellingDefault);
    }
    void TearDown() override {
        sys::SetProgramBundle(nullptr);
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        LoadSpellingPreferences(kMajorSpellingDefault, kMinorSpellingDefault);
        ResetProgramState();
    }
    static std::vector<int8_t> Tables() {
        std::vector<int8_t> bytes(SpellingPreferencesOf(false),
                                  SpellingPreferencesOf(false) + kSpellingIntervals);
        bytes.insert(bytes.end(), SpellingPreferencesOf(true),
                     SpellingPreferencesOf(true) + kSpellingIntervals);
        return bytes;
    }
    static intptr_t Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(aid::kDialogId, std::move(script));
        return RunAccidentalInterpretationDialog(nullptr);
    }
};

// The radios open as the tables say (a negative entry checks the flat one), and OK
// with every "Aug" checked makes all five intervals +1 in both tables; the other
// intervals keep their values.
TEST_F(AccidentalInterpretationTest, OkWithEveryAugCheckedGivesAllSharp) {
    const std::vector<int8_t> before = Tables();
    const intptr_t result = Run([](ui::headless::DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(aid::SharpRadio(false, 0)));  // major +1 above the tonic
        EXPECT_TRUE(d.IsChecked(aid::FlatRadio(false, 1)));   // major -1 above 3
        EXPECT_TRUE(d.IsChecked(aid::FlatRadio(true, 4)));    // minor -1 above 10
        for (const bool minor : {false, true})
            for (int row = 0; row < aid::kEditedIntervalCount; ++row)
                d.Click(aid::SharpRadio(minor, row));
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(result, 1);
    for (const bool minor : {false, true})
        for (int interval = 0; interval < kSpellingIntervals; ++interval) {
            const bool edited =
                interval == 1 || interval == 3 || interval == 6 || interval == 8 || interval == 10;
            EXPECT_EQ(SpellingPreferencesOf(minor)[interval],
                      edited ? 1 : before[(minor ? kSpellingIntervals : 0) + interval])
                << (minor ? "minor " : "major ") << interval;
        }
}

// Cancel after changing radios leaves both tables byte for byte; Reset puts the radios
// back, so OK afterwards stores what was there.
TEST_F(AccidentalInterpretationTest, CancelAndResetKeepTheTables) {
    const std::vector<int8_t> before = Tables();
    EXPECT_EQ(Run([](ui::headless::DialogDriver& d) {
                  d.Click(aid::FlatRadio(false, 0));
                  d.Click(aid::SharpRadio(true, 4));
                  d.Click(ui::kIdCancel);
              }),
              0);
    EXPECT_EQ(Tables(), before);
    EXPECT_EQ(Run([](ui::headless::DialogDriver& d) {
                  d.Click(aid::FlatRadio(false, 0));
                  d.Click(aid::kReset);
                  EXPECT_TRUE(d.IsChecked(aid::SharpRadio(false, 0)));
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(Tables(), before);
    // Escape is Cancel.
    Run([](ui::headless::DialogDriver& d) {
        d.Click(aid::FlatRadio(false, 2));
        d.PressEscape();
    });
    EXPECT_EQ(Tables(), before);
}

// What OK stored is written by a full save of the preferences and read back by the
// next load.
TEST_F(AccidentalInterpretationTest, EditedTablesAreSavedAndLoaded) {
    Run([](ui::headless::DialogDriver& d) {
        d.Click(aid::FlatRadio(false, 0));
        d.Click(aid::SharpRadio(true, 4));
        d.Click(ui::kIdOk);
    });
    const std::vector<int8_t> edited = Tables();
    SavePreferences(true);
    char text[64] = {};
    ReadSettingText(kMainSection, kMajorSpellingKey, text, sizeof text);
    EXPECT_STREQ(text, "0,-1,0,-1,0,0,1,0,-1,0,-1,0");
    LoadSpellingPreferences(kMajorSpellingDefault, kMinorSpellingDefault);
    ASSERT_NE(Tables(), edited);
    LoadPreferences();
    EXPECT_EQ(Tables(), edited);
}

namespace pic = accidental_picture;

bool IsInk(gfx::Colour c) {
    constexpr int kDarkestPaper = 3 * 96;
    return gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c) < kDarkestPaper;
}

// The picture as the dialog shows it: its image, read at picture coordinates.
class ShownPicture {
  public:
    explicit ShownPicture(const ui::headless::DialogDriver& d)
        : control_(d.Item(aid::kPicture)),
          image_(win::GetWindowImage(control_)),
          frame_(pic::FrameInRect(win::GetClientRect(control_))) {}
    // Ink within a pixel of a picture point.
    bool InkAt(double x, double y) const {
        const gfx::Point at = frame_.ToControl(x, y);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const gfx::Colour c = gfx::GetBitmapPixel(image_, at.x + dx, at.y + dy);
                if (c != gfx::kInvalidColour && IsInk(c)) return true;
            }
        return false;
    }
    // Dark pixels in a picture rectangle.
    int InkIn(double left, double top, double right, double bottom) const {
        const gfx::Point a = frame_.ToControl(left, top);
        const gfx::Point b = frame_.ToControl(right, bottom);
        int ink = 0;
        for (int y = a.y; y < b.y; ++y)
            for (int x = a.x; x < b.x; ++x) {
                const gfx::Colour c = gfx::GetBitmapPixel(image_, x, y);
                ink += c != gfx::kInvalidColour && IsInk(c);
            }
        return ink;
    }
    // Puts the pointer over a picture point.
    void PointAt(double x, double y) const {
        win::SetCursorPosition(win::ClientToScreen(control_, frame_.ToControl(x, y)));
    }
    platform::BitmapHandle image() const { return image_; }

  private:
    platform::WindowHandle control_;
    platform::BitmapHandle image_;
    pic::PictureFrame frame_;
};

// The steps above middle C of the lower letter of each edited interval (C, D, F, G,
// A); the flat spelling is written one step higher.
constexpr int kLowerStep[aid::kEditedIntervalCount] = {0, 1, 3, 4, 5};
// Inside a head, away from the other spelling's head and clear of a staff line
// through its own: below the lower head's middle, above the upper one's.
constexpr int kHeadProbe = 2;

// Whether the column's head stands where the sharp spelling puts it, where the flat
// one does, or (0) neither or both.
int SpellingShown(const ShownPicture& shown, bool minor, int row) {
    const int x = pic::HeadX(minor, row);
    const bool sharp = shown.InkAt(x, pic::NoteY(kLowerStep[row]) + kHeadProbe);
    const bool flat = shown.InkAt(x, pic::NoteY(kLowerStep[row] + 1) - kHeadProbe);
    return sharp == flat ? 0 : sharp ? 1 : -1;
}

// The picture shows the staff (five lines, the double bar between the halves, the
// final bar), the two captions, and each interval of both modes where the tables
// spell it, with a ledger line under the C sharp only; a radio click draws it again.
TEST_F(AccidentalInterpretationTest, ThePictureShowsTheSpellingsTheRadiosHold) {
    Run([](ui::headless::DialogDriver& d) {
        ASSERT_TRUE(d.RequestDraw(aid::kPicture, 0)) << "the dialog does not draw its picture";
        const ShownPicture shown(d);
        for (int line = 0; line < 5; ++line) {
            EXPECT_TRUE(shown.InkAt(30, pic::StaffLineY(line))) << "staff line " << line;
            EXPECT_FALSE(shown.InkAt(30, pic::StaffLineY(line) + 5)) << "below line " << line;
        }
        const int between = pic::StaffLineY(2) + 5;
        for (const int bar : {280, 282, 523})
            EXPECT_TRUE(shown.InkAt(bar, between)) << "bar at " << bar;
        EXPECT_FALSE(shown.InkAt(270, between));
        EXPECT_GT(shown.InkIn(60, 4, 120, 20), 10) << "no caption over the major keys";
        EXPECT_GT(shown.InkIn(290, 4, 350, 20), 10) << "no caption over the minor keys";
        for (const bool minor : {false, true})
            for (int row = 0; row < aid::kEditedIntervalCount; ++row)
                EXPECT_EQ(SpellingShown(shown, minor, row),
                          d.IsChecked(aid::SharpRadio(minor, row)) ? 1 : -1)
                    << (minor ? "minor " : "major ") << "row " << row;
        const int ledgerX = pic::HeadX(false, 0) + 7;
        EXPECT_TRUE(shown.InkAt(ledgerX, pic::NoteY(0))) << "no ledger line under the C sharp";
        EXPECT_FALSE(shown.InkAt(pic::HeadX(false, 2) + 7, pic::NoteY(3)));
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        gfx::WritePng(shown.image(), (std::filesystem::path(QL_TEST_OUTPUT_DIR) /
                                      "accidental_interpretation_picture.png")
                                         .string());

        // The D flat instead: the head goes up a step and the ledger line goes.
        d.Click(aid::FlatRadio(false, 0));
        d.PumpMessages();
        const ShownPicture after(d);
        EXPECT_EQ(SpellingShown(after, false, 0), -1)
            << "the radio click did not redraw the picture";
        EXPECT_FALSE(after.InkAt(ledgerX, pic::NoteY(0))) << "the ledger line stayed";
        d.Click(ui::kIdCancel);
    });
}

// A click on a column of the picture toggles that interval's radios (and so its
// spelling); a click left of the first column does nothing.
TEST_F(AccidentalInterpretationTest, AClickOnThePictureTogglesTheIntervalUnderIt) {
    Run([](ui::headless::DialogDriver& d) {
        const ShownPicture shown(d);
        const bool minorThirdSharp = d.IsChecked(aid::SharpRadio(true, 1));
        shown.PointAt(pic::HeadX(true, 1), 40);
        d.Click(aid::kPicture);
        EXPECT_NE(d.IsChecked(aid::SharpRadio(true, 1)), minorThirdSharp);
        EXPECT_NE(d.IsChecked(aid::FlatRadio(true, 1)), !minorThirdSharp);
        const bool majorFirstSharp = d.IsChecked(aid::SharpRadio(false, 0));
        shown.PointAt(pic::HeadX(false, 0), 40);
        d.Click(aid::kPicture);
        EXPECT_NE(d.IsChecked(aid::SharpRadio(false, 0)), majorFirstSharp);
        const std::vector<bool> checked = [&] {
            std::vector<bool> all;
            for (const bool minor : {false, true})
                for (int row = 0; row < aid::kEditedIntervalCount; ++row)
                    all.push_back(d.IsChecked(aid::SharpRadio(minor, row)));
            return all;
        }();
        shown.PointAt(20, 40);
        d.Click(aid::kPicture);
        for (const bool minor : {false, true})
            for (int row = 0; row < aid::kEditedIntervalCount; ++row)
                EXPECT_EQ(d.IsChecked(aid::SharpRadio(minor, row)),
                          checked[(minor ? aid::kEditedIntervalCount : 0) + row]);
        d.Click(ui::kIdCancel);
    });
}

}  // namespace
}  // namespace ql
