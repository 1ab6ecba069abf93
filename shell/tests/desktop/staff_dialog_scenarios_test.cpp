// The staff dialogs on the desktop, reached as a user reaches them: with the Edit
// Staff tool a click into a staff opens "Staff Management"; its buttons open
// "Unhide Staves", "Staff MIDI Setup" and "Transpose". OK takes effect on the page
// (the staff's line count and size, a hidden staff shown again) or in the saved file
// (the staff's channel and transposition); Cancel leaves both as they were.
// The dialogs are driven with Tab in their controls' order; pictures for the eye.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "shell/tests/desktop/staff_page.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr char kManagement[] = "Staff Management";
// Tab strokes from the dialog's opening, with the focus on OK, to its controls: past
// Cancel and the buttons under it ("Unhide staves..." only while a staff of the
// system is hidden) round to "Staff" (hide), the staff size and the line count.
constexpr int kToMidiSetup = 2;
constexpr int kToUnhide = 3;
constexpr int kToTransposeWithoutUnhide = 3;
constexpr int kToHideStaff = 4;
constexpr int kToStaffSize = 15;
constexpr int kToLineCount = 16;
// In "Staff MIDI Setup": past Cancel round to the first timbre's channel (after its
// port).
constexpr int kToFirstChannel = 3;
// "Transpose" as its template lays it out: four columns of ten rows inside a margin,
// in dialog units; "Fifth" in the first column's fifth row, "Up" in the second
// column's third row, each clicked a little into its text.
constexpr int kGridMargin = 7;
constexpr int kGridColumn = 110;
constexpr int kGridRow = 14;
constexpr int kTransposeColumns = 4;
constexpr int kTransposeRows = 10;
constexpr int kIntoText = 24;
constexpr int kIntoRow = 6;
constexpr int kFifthIndex = 3;
constexpr uint16_t kIntervalBits = 0x000F;
constexpr uint16_t kDirectionBits = 0x0300;
constexpr uint16_t kDirectionUp = 0x0100;
constexpr int kFifthSemitones = 7;

class StaffDialogScenario : public StaffScenario {
protected:
    // Clicks into staff `staff` and waits for "Staff Management", the pointer in it.
    bool OpenManagement(int staff) {
        ClickIntoStaff(staff);
        const std::optional<ShownWindow> dialog = x_.WaitForWindow(kManagement);
        if (!dialog) {
            WritePng(Screen(), TestOutputFolder() / "staff_management_missing_desktop.png");
            ADD_FAILURE() << "a click into the staff showed no " << kManagement;
            return false;
        }
        x_.PointAt(*dialog);
        return true;
    }
    // Tab strokes to an edit of `title`, its text replaced with `text`.
    void TypeInto(std::string_view title, int tabs, std::string_view text) {
        ASSERT_TRUE(InDialog(title, tabs, "ctrl+a")) << "no " << title;
        x_.TypeText(text);
        x_.Settle(Millis{200});
    }
    // `key` pressed in the dialog titled `title` (the pointer brought there first);
    // true once the dialog is gone.
    bool Close(std::string_view title, std::string_view key) {
        const std::optional<ShownWindow> dialog = x_.FindWindow(title);
        if (!dialog) return false;
        x_.PointAt(*dialog);
        x_.PressKey(key);
        return x_.WaitUntilGone(title);
    }
    // A click on the control in `column` and `row` of a dialog laid out on the grid.
    void ClickCell(const ShownWindow& dialog, int columns, int rows, int column, int row) {
        const double across = static_cast<double>(dialog.width) / (2 * kGridMargin + columns * kGridColumn);
        const double down = static_cast<double>(dialog.height) / (2 * kGridMargin + rows * kGridRow);
        const int x = dialog.x + static_cast<int>((kGridMargin + column * kGridColumn + kIntoText) * across);
        const int y = dialog.y + static_cast<int>((kGridMargin + row * kGridRow + kIntoRow) * down);
        x_.Click(x, y);
        x_.Settle(Millis{300});
    }
    // "Fifth" and "Up" clicked in "Transpose".
    bool ChooseAFifthUp() {
        const std::optional<ShownWindow> dialog = x_.WaitForWindow("Transpose");
        if (!dialog) return false;
        x_.PointAt(*dialog);
        ClickCell(*dialog, kTransposeColumns, kTransposeRows, 0, 1 + kFifthIndex);
        ClickCell(*dialog, kTransposeColumns, kTransposeRows, 1, 2);
        return true;
    }
    // The score saved under a new name in the private home; its first staff.
    std::optional<SavedStaff> SaveAndRead(std::string_view name, int staves) {
        const fs::path path = home_->Documents() / name;
        fs::create_directories(path.parent_path());
        if (!SaveScoreAs(path)) {
            ADD_FAILURE() << "Save As did not write " << path;
            return std::nullopt;
        }
        if (!RefindPage()) ADD_FAILURE() << "no staves after the save";
        return ReadFirstSavedStaff(path, staves);
    }
    // The lines among `lines` where the page's second staff stood at the start.
    int LinesOfSecondStaff(const std::vector<int>& lines) const {
        const int top = shown_[kLinesPerStaff] - kMoveTolerance;
        const int bottom = shown_[2 * kLinesPerStaff - 1] + kMoveTolerance;
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](int y) { return y >= top && y <= bottom; }));
    }
    // The spacing of the page's second staff found, from its top line to its bottom.
    int SecondStaffSpacing(const std::vector<int>& lines) const {
        return lines.size() >= 2u * kLinesPerStaff ? lines[2 * kLinesPerStaff - 1] - lines[kLinesPerStaff] : 0;
    }
};

// A click into the second staff opens "Staff Management"; 3 typed for its line
// count and OK: that staff is drawn with three lines (as the same staff of every
// system); Ctrl+Z gives the five lines back.
TEST_F(StaffDialogScenario, StaffManagementOkSetsTheLineCount) {
    ASSERT_TRUE(OpenScore());
    ASSERT_TRUE(OpenManagement(2));
    TypeInto(kManagement, kToLineCount, "3");
    ASSERT_TRUE(Close(kManagement, "Return")) << "OK did not close the dialog";
    int lines = 0;
    EXPECT_TRUE(WaitFor([&] { return (lines = LinesOfSecondStaff(LinesShown(Screen()))) == 3; }, kRedrawTimeout))
        << "the staff has " << lines << " lines";
    WritePng(Screen(), TestOutputFolder() / "staff_management_lines_desktop.png");
    PressUndo();
    EXPECT_EQ(WaitForLineCount(shown_.size()), shown_.size()) << "Undo did not give the five lines back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// "Staff" (hide) checked and a line count typed, then Cancel: the page keeps every
// staff line where it was.
TEST_F(StaffDialogScenario, StaffManagementCancelChangesNothing) {
    ASSERT_TRUE(OpenScore());
    ASSERT_TRUE(OpenManagement(2));
    ASSERT_TRUE(InDialog(kManagement, kToHideStaff, "space"));
    ASSERT_TRUE(InDialog(kManagement, kToLineCount - kToHideStaff, "ctrl+a"));
    x_.TypeText("3");
    ASSERT_TRUE(Close(kManagement, "Escape")) << "Cancel did not close the dialog";
    x_.MovePointer(right_ - 20, bottom_ - 20);
    EXPECT_EQ(LinesShown(SettledScreen()), shown_) << "Cancel changed the staves";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A staff size of 49 is refused: a message box comes, and once it is answered the
// dialog is still there with the size field focused; 60 then and OK draws the
// second staff smaller (its lines closer together), the first as it was.
TEST_F(StaffDialogScenario, StaffSizeOutsideTheRangeIsRefusedThenASmallerStaff) {
    ASSERT_TRUE(OpenScore());
    ASSERT_TRUE(OpenManagement(2));
    TypeInto(kManagement, kToStaffSize, "49");
    x_.PressKey("Return");
    const std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "a staff size of 49 brought no message";
    x_.PointAt(*box);
    x_.PressKey("Return");
    // The box is titled with the product's name alone; the frame names its score too.
    ASSERT_TRUE(WaitFor([&] {
        for (const ShownWindow& w : x_.Windows())
            if (w.title == kFrameTitle) return false;
        return true;
    })) << "the message stayed";
    ASSERT_TRUE(x_.FindWindow(kManagement)) << "the refused size closed the dialog";
    ASSERT_TRUE(InDialog(kManagement, 0, "ctrl+a")) << "no " << kManagement;  // the size field has the focus
    x_.TypeText("60");
    ASSERT_TRUE(Close(kManagement, "Return")) << "OK did not close the dialog";
    const int spacing = SecondStaffSpacing(shown_);
    std::vector<int> now;
    EXPECT_TRUE(WaitFor(
        [&] {
            now = LinesShown(Screen());
            return now.size() == shown_.size() && SecondStaffSpacing(now) < spacing * 3 / 4 &&
                   now[kLinesPerStaff - 1] - now[0] == shown_[kLinesPerStaff - 1] - shown_[0];
        },
        kRedrawTimeout))
        << "the second staff is not smaller: spacing " << SecondStaffSpacing(now) << " against " << spacing;
    WritePng(Screen(), TestOutputFolder() / "staff_management_size_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// H hides the second staff; "Staff Management" of the first staff then offers
// "Unhide staves...": Cancel there and in the dialog keeps the staff hidden;
// "Unhide all staves", OK and OK show it again.
TEST_F(StaffDialogScenario, UnhideStavesShowsTheHiddenStaffAgain) {
    ASSERT_TRUE(OpenScore());
    HoverStaffHandle(2);
    x_.PressKey("h");
    const size_t hidden = shown_.size() - kLinesPerStaff;
    ASSERT_EQ(WaitForLineCount(hidden), hidden) << "H did not hide the staff";
    ASSERT_TRUE(OpenManagement(1));
    ASSERT_TRUE(InDialog(kManagement, kToUnhide, "space"));
    ASSERT_TRUE(x_.WaitForWindow("Unhide Staves")) << "Unhide staves... showed no dialog";
    ASSERT_TRUE(Close("Unhide Staves", "Escape"));
    ASSERT_TRUE(Close(kManagement, "Escape"));
    x_.MovePointer(right_ - 20, bottom_ - 20);
    EXPECT_EQ(LinesShown(SettledScreen()).size(), hidden) << "Cancel showed the staff";

    ASSERT_TRUE(OpenManagement(1));
    ASSERT_TRUE(InDialog(kManagement, kToUnhide, "space"));
    ASSERT_TRUE(x_.WaitForWindow("Unhide Staves")) << "Unhide staves... showed no dialog";
    ASSERT_TRUE(Close("Unhide Staves", "Return"));
    ASSERT_TRUE(Close(kManagement, "Return"));
    EXPECT_EQ(WaitForLineCount(shown_.size()), shown_.size()) << "the hidden staff was not shown again";
    WritePng(Screen(), TestOutputFolder() / "staff_unhide_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// "MIDI Setup..." opens "Staff MIDI Setup": a channel typed and Cancel leaves the
// saved staff on channel 1; 5 typed and OK, OK saves it on channel 5.
TEST_F(StaffDialogScenario, StaffMidiSetupSetsTheChannel) {
    ASSERT_TRUE(OpenScore("1"));
    constexpr char kMidi[] = "Staff MIDI Setup";
    ASSERT_TRUE(OpenManagement(1));
    ASSERT_TRUE(InDialog(kManagement, kToMidiSetup, "space"));
    TypeInto(kMidi, kToFirstChannel, "9");
    ASSERT_TRUE(Close(kMidi, "Escape"));
    ASSERT_TRUE(Close(kManagement, "Return"));
    const std::optional<SavedStaff> kept = SaveAndRead("midi_cancel.qvl", 1);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->channel, 0) << "Cancel changed the channel";

    ASSERT_TRUE(OpenManagement(1));
    ASSERT_TRUE(InDialog(kManagement, kToMidiSetup, "space"));
    TypeInto(kMidi, kToFirstChannel, "5");
    ASSERT_TRUE(Close(kMidi, "Return")) << "OK did not close " << kMidi;
    ASSERT_TRUE(Close(kManagement, "Return"));
    const std::optional<SavedStaff> set = SaveAndRead("midi_ok.qvl", 1);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->channel, 4) << "the staff is not on channel 5";
    EXPECT_EQ(Quit(), 0);
}

// "Transpose..." opens "Transpose": Cancel leaves the saved staff untransposed;
// "Fifth", "Up" and OK save a fifth up (seven semitones).
TEST_F(StaffDialogScenario, TransposeSetsAFifthUp) {
    ASSERT_TRUE(OpenScore("1"));
    constexpr char kTranspose[] = "Transpose";
    ASSERT_TRUE(OpenManagement(1));
    ASSERT_TRUE(InDialog(kManagement, kToTransposeWithoutUnhide, "space"));
    ASSERT_TRUE(ChooseAFifthUp()) << "Transpose... showed no dialog";
    ASSERT_TRUE(Close(kTranspose, "Escape"));
    ASSERT_TRUE(Close(kManagement, "Return"));
    const std::optional<SavedStaff> kept = SaveAndRead("transpose_cancel.qvl", 1);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->transpositionWord & kDirectionBits, 0) << "Cancel set a direction";
    EXPECT_EQ(kept->semitones, 0);

    ASSERT_TRUE(OpenManagement(1));
    ASSERT_TRUE(InDialog(kManagement, kToTransposeWithoutUnhide, "space"));
    ASSERT_TRUE(ChooseAFifthUp()) << "Transpose... showed no dialog";
    ASSERT_TRUE(Close(kTranspose, "Return")) << "OK did not close Transpose";
    ASSERT_TRUE(Close(kManagement, "Return"));
    const std::optional<SavedStaff> set = SaveAndRead("transpose_ok.qvl", 1);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->transpositionWord & kIntervalBits, kFifthIndex);
    EXPECT_EQ(set->transpositionWord & kDirectionBits, kDirectionUp);
    EXPECT_EQ(set->semitones, kFifthSemitones);
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
