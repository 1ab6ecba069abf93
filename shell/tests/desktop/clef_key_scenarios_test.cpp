// The clef and key tools on the desktop: the Staff Tools palette's "Clef" button,
// then a click in a measure, opens "Clef Selection"; choosing the F clef there and
// OK draws the new clef on the page, and Ctrl+Z takes it away again; the same for a
// clef change inside the measure, and for "Key Signature" with a key of two sharps.
// The dialog shows each clef group's clef. Pictures are written for the eye.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"
#include "shell/tests/desktop/staff_tools_palette.h"

namespace ql::desktop {
namespace {

class ClefKeyScenario : public MusicBesidePalettes {
  protected:
    // The palettes kept clear of the first systems, as a user who moved them would.
    void KeepPalettesAside() {
        WriteSettings("[ToolbarSettings]\nOTool=8,83,7,1\nNTool=760,420,4,4\nStaffTool=760,250,3,3\n");
    }

    // The staff lines of the page's first systems, left of the Notes palette.
    struct Page {
        int left = 0;
        int right = 0;
        std::vector<int> lines;
    };
    std::optional<Page> PageBeside() {
        const std::optional<ShownWindow> main = x_.WindowTitled("Main");
        const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
        if (!main || !notes) return std::nullopt;
        Page page;
        page.left = main->x + main->width + 8;
        page.right = notes->x - 8;
        page.lines = Screen().LongDarkLines(page.left, 40, page.right, notes->y, 0.95);
        if (page.lines.size() < 5) return std::nullopt;
        return page;
    }

    // A new one-staff score with the palettes aside and Staff Tools' button `button`
    // pressed; the page beside the palettes, or nothing (a failure told) when a step fails.
    std::optional<Page> NewScoreWithStaffTool(int button) {
        KeepPalettesAside();
        if (!StartProgram()) return std::nullopt;
        NewScore("1");
        x_.Settle(Millis{800});
        std::optional<Page> page = PageBeside();
        if (!page) ADD_FAILURE() << "no staff lines beside the palettes";
        else if (!PressStaffToolsButton(x_, button)) ADD_FAILURE() << "no Staff Tools palette";
        else return page;
        return std::nullopt;
    }

    // Clicks the first system's middle line halfway across and answers the dialog
    // with `keys` (focus starts on its first button), then Enter; the pixels changed
    // around the system.
    int PlaceSign(const Page& page, std::string_view dialogTitle, const std::vector<std::string>& keys,
                  ScreenPicture* before) {
        *before = Screen();
        const int x = page.left + (page.right - page.left) / 2;
        const int y = page.lines[2];
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        const std::optional<ShownWindow> dialog = x_.WaitForWindow(dialogTitle);
        if (!dialog) return -1;
        x_.PointAt(*dialog);
        for (const std::string& key : keys) x_.PressKey(key);
        x_.PressKey("Return");
        if (!x_.WaitUntilGone(dialogTitle)) return -1;
        x_.Settle(Millis{1200});
        return ChangedPixels(*before, Screen(), page.left, page.lines[0] - 120, page.right, page.lines[4] + 120);
    }
    // Tab pressed `count` times, then Space.
    static std::vector<std::string> TabsThenSpace(int count) {
        std::vector<std::string> keys(static_cast<size_t>(count), "Tab");
        keys.emplace_back("space");
        return keys;
    }

    // Ctrl+Z over the page; the pixels still differing from `before` around the
    // first system once the page is redrawn.
    int UndoAndCompare(const Page& page, const ScreenPicture& before) {
        x_.MovePointer(page.left + 40, page.lines[4] + 60);
        x_.Settle(Millis{300});
        x_.PressKey("ctrl+z");
        int left = -1;
        WaitFor(
            [&] {
                left = ChangedPixels(before, Screen(), page.left, page.lines[0] - 120, page.right, page.lines[4] + 120);
                return left == 0;
            },
            Millis{5000});
        return left;
    }
};

// The Clef Selection dialog shows each group's clef on a staff beside its button:
// in each quarter of the dialog's upper part the five lines of a small staff (rows
// with a long run of dark pixels) and the clef's ink off those lines.
TEST_F(ClefKeyScenario, TheClefDialogShowsEachGroupsClef) {
    const std::optional<Page> page = NewScoreWithStaffTool(kClefButton);
    ASSERT_TRUE(page);
    x_.MovePointer(page->left + (page->right - page->left) / 2, page->lines[2]);
    x_.Settle(Millis{300});
    x_.Click(page->left + (page->right - page->left) / 2, page->lines[2]);
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Clef Selection");
    ASSERT_TRUE(dialog) << "the click showed no Clef Selection";
    x_.Settle(Millis{800});
    const ScreenPicture shown = x_.Grab(*dialog);
    WritePng(shown, TestOutputFolder() / "clef_dialog_desktop.png");
    constexpr int kLeastRun = 30;
    const int quarter = shown.width / 4;
    for (int g = 0; g < 4; ++g) {
        std::vector<int> staffRows;
        int clefInk = 0;
        for (int y = 0; y < shown.height * 2 / 5; ++y) {
            int run = 0;
            int longest = 0;
            int dark = 0;
            for (int x = g * quarter; x < (g + 1) * quarter; ++x) {
                run = IsDark(shown.At(x, y)) ? run + 1 : 0;
                dark += IsDark(shown.At(x, y)) ? 1 : 0;
                longest = std::max(longest, run);
            }
            if (longest >= kLeastRun)
                staffRows.push_back(y);
            else
                clefInk += dark;
        }
        EXPECT_GE(staffRows.size(), 5u) << "group " << g + 1 << " shows no staff";
        EXPECT_GT(clefInk, 40) << "group " << g + 1 << " shows no clef";
    }
    x_.PointAt(*dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Clef Selection"));
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Clef, a click in a measure, "F" (the bass clef) and OK: a clef appears on the
// staff; Ctrl+Z leaves the page as it was.
TEST_F(ClefKeyScenario, TheClefToolPlacesAClefAndUndoTakesItAway) {
    const std::optional<Page> page = NewScoreWithStaffTool(kClefButton);
    ASSERT_TRUE(page);
    ScreenPicture before;
    const int changed = PlaceSign(*page, "Clef Selection", TabsThenSpace(1), &before);  // from G to F
    ASSERT_GE(changed, 0) << "the click showed no Clef Selection, or OK did not close it";
    WritePng(Screen(), TestOutputFolder() / "clef_tool_desktop.png");
    EXPECT_GT(changed, 60) << "no clef appeared on the staff";
    EXPECT_EQ(UndoAndCompare(*page, before), 0) << "Undo did not take the clef away";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Clef, a click in a measure, "F", "Insert clef change within measure" and OK: the
// bass clef stands inside the measure; Ctrl+Z takes it away.
TEST_F(ClefKeyScenario, AClefChangeWithinAMeasureAndUndo) {
    const std::optional<Page> page = NewScoreWithStaffTool(kClefButton);
    ASSERT_TRUE(page);
    ScreenPicture before;
    // G to F and Space; past T, P and "Change from start of measure" to "Insert clef
    // change within measure" and Space.
    std::vector<std::string> keys = TabsThenSpace(1);
    for (const std::string& key : TabsThenSpace(4)) keys.push_back(key);
    const int changed = PlaceSign(*page, "Clef Selection", keys, &before);
    ASSERT_GE(changed, 0) << "the click showed no Clef Selection, or OK did not close it";
    WritePng(Screen(), TestOutputFolder() / "clef_within_desktop.png");
    const int x = page->left + (page->right - page->left) / 2;
    EXPECT_GT(ChangedPixels(before, Screen(), x - 150, page->lines[0] - 40, x + 150, page->lines[4] + 40), 60)
        << "no clef inside the measure that was clicked";
    EXPECT_EQ(UndoAndCompare(*page, before), 0) << "Undo did not take the clef away";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Key Signature, a click in a measure, "D" (two sharps: the tenth key button) and
// OK: the sharps appear; Ctrl+Z takes them away.
TEST_F(ClefKeyScenario, TheKeyToolPlacesAKeyAndUndoTakesItAway) {
    const std::optional<Page> page = NewScoreWithStaffTool(kKeyButton);
    ASSERT_TRUE(page);
    ScreenPicture before;
    const int changed = PlaceSign(*page, "Key Selection", TabsThenSpace(9), &before);  // from C flat to D
    ASSERT_GE(changed, 0) << "the click showed no Key Selection, or OK did not close it";
    WritePng(Screen(), TestOutputFolder() / "key_tool_desktop.png");
    EXPECT_GT(changed, 40) << "no key signature appeared on the staff";
    EXPECT_EQ(UndoAndCompare(*page, before), 0) << "Undo did not take the key signature away";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
