// The autosave-count and backup-copies dialogs driven as a user would: typed
// counts clamped or refused as each dialog says, Cancel storing nothing, and
// typed texts that are not numbers leaving the setting.
#include "shell/options/option_dialogs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/undo/autosave.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/resources/program_strings.h"

namespace ql {
namespace {

class OptionDialogs : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        ResetProgramState();
        ResetProgramOptions();
        AutoSaveSettings() = AutoSaveConfig{};
        RegisterProgramStrings();
        RegisterOptionDialogResources();
    }
};

int AutosaveAfterTyping(const std::string& text) {
    ui::headless::SetDialogScript(autosave_count_dialog::kDialog,
                                  [text](ui::headless::DialogDriver& d) {
                                      d.Type(autosave_count_dialog::kCountEdit, text);
                                      d.Click(ui::kIdOk);
                                  });
    EXPECT_EQ(RunAutosaveCountDialog(), 1);
    return AutoSaveSettings().count;
}

// The count is stored within 1..127: 0 becomes 1 and 300 becomes 127; a text
// that is not a number leaves the count as it was.
TEST_F(OptionDialogs, AutosaveCountIsStoredWithinItsRange) {
    EXPECT_EQ(AutosaveAfterTyping("0"), 1);
    EXPECT_EQ(AutosaveAfterTyping("300"), 127);
    EXPECT_EQ(AutosaveAfterTyping(" 42 "), 42);
    EXPECT_EQ(AutosaveAfterTyping("99999999999999999999"), 127);
    AutoSaveSettings().count = 42;
    for (const char* text : {"-5", "", "12a", "1.5", "+3"})
        EXPECT_EQ(AutosaveAfterTyping(text), 42) << text;
}

// The dialog opens on the stored count; Cancel keeps it whatever was typed.
TEST_F(OptionDialogs, AutosaveCountOpensOnTheStoredCountAndCancelKeepsIt) {
    AutoSaveSettings().count = 17;
    std::string shown;
    ui::headless::SetDialogScript(autosave_count_dialog::kDialog,
                                  [&shown](ui::headless::DialogDriver& d) {
                                      shown = d.Text(autosave_count_dialog::kCountEdit);
                                      d.Type(autosave_count_dialog::kCountEdit, "5");
                                      d.Click(ui::kIdCancel);
                                  });
    EXPECT_EQ(RunAutosaveCountDialog(), 2);
    EXPECT_EQ(shown, "17");
    EXPECT_EQ(AutoSaveSettings().count, 17);
}

// 10 (or 0, or a word) shows string 1551 and the dialog stays open: the count
// typed next is stored.
TEST_F(OptionDialogs, BackupCountOutsideOneToNineKeepsTheDialogOpen) {
    for (const char* refused : {"10", "0", "many"}) {
        Options().BackupCopies = 2;
        bool stillOpen = false;
        ui::headless::SetDialogScript(backup_copies_dialog::kDialog,
                                      [&](ui::headless::DialogDriver& d) {
                                          d.Type(backup_copies_dialog::kCountEdit, refused);
                                          d.Click(ui::kIdOk);
                                          stillOpen = d.IsOpen();
                                          d.Type(backup_copies_dialog::kCountEdit, "9");
                                          d.Click(ui::kIdOk);
                                      });
        const size_t boxes = ui::headless::MessageBoxes().size();
        EXPECT_EQ(RunBackupCopiesDialog(), 1);
        EXPECT_TRUE(stillOpen) << refused;
        ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(ui::headless::MessageBoxes().back().text,
                  "Number of backups must be between 1 and 9");
        EXPECT_EQ(Options().BackupCopies, 9);
    }
}

// Pick List Options: the stored entries are shown clamped to 3..16, typed ones are
// clamped, "Load last file on startup" follows its box, and the drives are kept.
TEST_F(OptionDialogs, PickListOptionsClampTheEntriesAndKeepTheDrives) {
    namespace p = pick_list_options_dialog;
    Options().PickListEntries = 0;
    Options().LoadLastFile = 1;
    Options().PickListDrives = "CD";
    const struct {
        const char* typed;
        int stored;
    } cases[] = {{"2", 3}, {"20", 16}, {"9", 9}, {"nine", 9}};
    std::string shown;
    for (const auto& c : cases) {
        ui::headless::SetDialogScript(p::kDialog, [&](ui::headless::DialogDriver& d) {
            shown = d.Text(p::kEntriesEdit);
            d.Type(p::kEntriesEdit, c.typed);
            d.SetChecked(p::kLoadLastFile, false);
            d.Click(ui::kIdOk);
        });
        EXPECT_EQ(RunPickListOptionsDialog(), 1);
        EXPECT_EQ(Options().PickListEntries, c.stored) << c.typed;
    }
    EXPECT_EQ(shown, "9");
    EXPECT_EQ(Options().LoadLastFile, 0);
    EXPECT_EQ(Options().PickListDrives, "CD");
    // A stored value below the range opens as 3.
    Options().PickListEntries = 1;
    ui::headless::SetDialogScript(p::kDialog, [&](ui::headless::DialogDriver& d) {
        shown = d.Text(p::kEntriesEdit);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunPickListOptionsDialog(), 2);
    EXPECT_EQ(shown, "3");
    EXPECT_EQ(Options().PickListEntries, 1);
}

// Random typed texts give a stored count within the range, or the old one.
TEST_F(OptionDialogs, RandomTypedCountsGiveARangedValueOrTheOldOne) {
    std::mt19937 random(803);
    const std::string alphabet = "0123456789 -+.x";
    for (int round = 0; round < 300; ++round) {
        AutoSaveSettings().count = 50;
        std::string text(random() % 12, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        const int stored = AutosaveAfterTyping(text);
        const std::optional<int32_t> read = ParseCountText(text);
        if (!read)
            EXPECT_EQ(stored, 50) << text;
        else
            EXPECT_EQ(stored, std::min(std::max(*read, 1), 127)) << text;
    }
}

}  // namespace
}  // namespace ql
