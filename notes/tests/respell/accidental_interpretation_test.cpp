// Dialog 893 driven by scripts: OK stores the radios into both preference tables,
// Cancel and Reset put back the tables as they were when it opened, and the tables
// reach the settings store with the other preferences and come back from it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/state.h"
#include "notes/pitch/spelling_preferences.h"
#include "notes/respell/accidental_interpretation_dialog.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/headless.h"
#include "shell/resources/note_dialog_resources.h"
#include "shell/settings_store.h"
#include "shell/settings_table.h"

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

}  // namespace
}  // namespace ql
