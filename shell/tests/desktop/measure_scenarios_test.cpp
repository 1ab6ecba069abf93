// Measures on the desktop, judged from pictures of the first staff shown beside the
// palettes: a note entered in a measure moves one measure on when Insert is pressed
// on the barline before it, and goes when Delete is pressed there; the Time
// Signature tool puts a 3/4 into the measure clicked (its digits drawn, the
// system's barlines moved); the barline's own menu opens "Barlines", whose "Double
// barlines" and OK double the barline, and "Hide Measure Objects", whose "Measure
// Number" and OK hide the measure's number. Ctrl+Z gives the page back each time.
// Pictures are written for the eye.
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/tests/desktop/barline_page.h"

namespace ql::desktop {
namespace {

constexpr int kNotesOnMain = 1;
constexpr int kPointerOnMain = 5;
constexpr int kBarClearance = 3;     // columns left out beside each barline
constexpr int kLabelLeft = 38;       // the dialog's first column of labels, from its left
constexpr int kLabelRight = 120;
constexpr int kLabelClick = 20;      // into a label
constexpr int kMeasureNumberLine = 8;  // "Measure Number" in "Hide Measure Objects"
constexpr int kNumberHeight = 30;    // rows above the staff that hold measure numbers
constexpr int64_t kNumberInk = 10;   // changed pixels of a number, at least
constexpr uint32_t kInkLevel = 0x180;  // summed channels of ink, below
constexpr int kHeadInk = 20;         // dark pixels of a note head, at least
constexpr int kDigitsWidth = 40;     // columns after a barline that hold its digits
constexpr int64_t kDigitsInk = 40;   // new ink of two stacked digits, at least

// Any ink, black or the red of a selected note: darker than light grey on the whole.
bool IsInk(uint32_t p) {
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < kInkLevel;
}

class MeasureScenario : public BarlineScenario {
protected:
    // A new one-staff score, its page found, and its second system taken (the first
    // system's barlines come back a pixel off after Ctrl+Z undoes a measure inserted
    // or deleted there) with four barlines at least.
    bool OpenScore() {
        const std::optional<ScreenPicture> page = NewOneStaffPage();
        if (!page) return false;
        if (lines_.size() < 2u * kLinesPerStaff) {
            ADD_FAILURE() << "a new score shows one system only";
            return false;
        }
        lines_.erase(lines_.begin(), lines_.begin() + kLinesPerStaff);
        empty_ = *page;
        bars_ = Bars(empty_);
        if (bars_.size() < 4u) {
            ADD_FAILURE() << "too few barlines in the staff: " << bars_.size();
            return false;
        }
        return true;
    }
    void PressMainButton(int index) {
        const std::optional<ShownWindow> main = x_.WindowTitled("Main");
        ASSERT_TRUE(main) << "no Main palette";
        x_.Click(main->x + 1 + index * kPaletteCell + kPaletteButtonMiddle, main->y + 1 + kPaletteButtonMiddle);
        x_.Settle(Millis{500});
    }
    // The Notes tool, a click in the space above the bottom line of measure `i` of
    // the staff (between barlines i and i + 1), then the Pointer again.
    void EnterNoteInMeasure(size_t i) {
        PressMainButton(kNotesOnMain);
        const int x = (bars_[i].right + bars_[i + 1].left) / 2;
        x_.MovePointer(x, NoteRow() - 6);
        x_.Settle(Millis{300});
        x_.Click(x, NoteRow());
        x_.Settle(Millis{1000});
        PressMainButton(kPointerOnMain);
    }
    // The space above the bottom line, where the note is entered.
    int NoteRow() const { return (lines_[3] + lines_[4]) / 2; }
    // The measure of the staff with ink in the staff's two lower spaces (the empty
    // measures' rests hang higher), off the lines and counted between the barlines of
    // the same picture, after the clef's measure; -1 when no measure or more than one
    // has some.
    int MeasureWithTheNote(const ScreenPicture& picture, std::string* inks = nullptr) const {
        const std::vector<Bar> bars = Bars(picture);
        int found = -1;
        for (size_t i = 1; i + 1 < bars.size(); ++i) {  // the first holds the clef
            int ink = 0;
            for (int y = lines_[2] + 2; y < lines_[4] - 1; ++y) {
                if (std::abs(y - lines_[3]) <= 1) continue;
                for (int x = bars[i].right + kBarClearance; x < bars[i + 1].left - kBarClearance; ++x)
                    ink += IsInk(picture.At(x, y));
            }
            if (inks != nullptr) *inks += std::to_string(ink) + " ";
            if (ink < kHeadInk) continue;
            if (found >= 0) return -1;
            found = static_cast<int>(i);
        }
        return found;
    }
    // Ctrl+Z; true once the note stands in the second measure again and the
    // barlines where they were (the note is drawn black now, red while it was new).
    bool UndoPutsTheNoteBack(const std::vector<Bar>& bars) {
        PressUndo();
        return WaitFor(
            [&] {
                const ScreenPicture now = Screen();
                const std::vector<Bar> shown = Bars(now);
                if (shown.size() != bars.size() || MeasureWithTheNote(now) != 1) return false;
                for (size_t i = 0; i < bars.size(); ++i)
                    if (shown[i].left != bars[i].left || shown[i].right != bars[i].right) return false;
                return true;
            },
            kRedrawTimeout);
    }
    // The pointer brought onto a barline (the location follows it), the right button
    // there, and the item of the barline's menu with the mnemonic `key`: the dialog
    // titled `title` it opens, with the pointer in it (a picture of the page is
    // written when none came).
    std::optional<ShownWindow> FromBarlineMenu(const Bar& bar, std::string_view key, std::string_view title) {
        const int y = (lines_[1] + lines_[2]) / 2;
        x_.MovePointer(bar.Middle() - 30, y);
        x_.Settle(Millis{300});
        x_.MovePointer(bar.Middle(), y);
        x_.Settle(Millis{500});
        x_.Click(bar.Middle(), y, 3);
        if (!WaitFor([&] { return !x_.Popups().empty(); }, Millis{5000})) {
            ADD_FAILURE() << "no menu on the barline";
            return std::nullopt;
        }
        x_.Settle(Millis{500});
        x_.PressKey(key);
        std::optional<ShownWindow> dialog = x_.WaitForWindow(title);
        if (!dialog) {
            WritePng(Screen(), TestOutputFolder() / "barline_menu_desktop.png");
            return std::nullopt;
        }
        x_.PointAt(*dialog);
        return dialog;
    }
    // The pixels that differ from the empty page above the staff, from a barline to
    // the next one (where the measure's number stands).
    int64_t ChangedAboveMeasure(size_t i) const {
        const ScreenPicture now = Screen();
        int64_t n = 0;
        for (int y = lines_[0] - kNumberHeight; y < lines_[0] - 1; ++y)
            for (int x = bars_[i].left - kNumberHeight; x < bars_[i + 1].left; ++x) n += now.At(x, y) != empty_.At(x, y);
        return n;
    }

    ScreenPicture empty_;
    std::vector<Bar> bars_;
};

// A note in the staff's second measure; Insert on the barline before it: the note
// stands in the third measure (a new empty measure came before it); Ctrl+Z puts it
// back in the second.
TEST_F(MeasureScenario, InsertOnABarlineMovesTheMeasuresOn) {
    ASSERT_TRUE(OpenScore());
    EnterNoteInMeasure(1);
    const ScreenPicture entered = SettledScreen();
    std::string inks;
    ASSERT_EQ(MeasureWithTheNote(entered, &inks), 1) << "no note entered in the second measure; ink " << inks;
    PickBarline(bars_[1]);
    x_.PressKey("Insert");
    int at = -1;
    EXPECT_TRUE(WaitFor([&] { return (at = MeasureWithTheNote(Screen())) == 2; }, kRedrawTimeout))
        << "the note is in measure " << at << " of the staff, not the third";
    WritePng(Screen(), TestOutputFolder() / "measure_insert_desktop.png");
    EXPECT_TRUE(UndoPutsTheNoteBack(Bars(entered))) << "Undo did not take the inserted measure out";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A note in the staff's second measure; Delete on the barline before it: that
// measure goes with its note (the empty measure after it moves in); Ctrl+Z brings
// it back.
TEST_F(MeasureScenario, DeleteOnABarlineRemovesTheMeasure) {
    ASSERT_TRUE(OpenScore());
    EnterNoteInMeasure(1);
    const ScreenPicture entered = SettledScreen();
    std::string inks;
    ASSERT_EQ(MeasureWithTheNote(entered, &inks), 1) << "no note entered in the second measure; ink " << inks;
    PickBarline(bars_[1]);
    x_.PressKey("Delete");
    // A box may ask first; Yes.
    if (std::optional<ShownWindow> box = x_.WaitForWindow(kFrameTitle, Millis{1500}); box && box->width < 600) {
        x_.PointAt(*box);
        x_.PressKey("Return");
    }
    int at = 1;
    EXPECT_TRUE(WaitFor([&] { return (at = MeasureWithTheNote(Screen())) == -1; }, kRedrawTimeout))
        << "the note is still in measure " << at << " of the staff";
    WritePng(Screen(), TestOutputFolder() / "measure_delete_desktop.png");
    EXPECT_TRUE(UndoPutsTheNoteBack(Bars(entered))) << "Undo did not bring the measure back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Time Signature, a click in the staff's second measure, 3 typed for the beats and
// OK: digits stand at the start of that measure, and the system's barlines move (the
// measure before it keeps four beats, the ones from it on have three); Ctrl+Z gives
// the page back.
TEST_F(MeasureScenario, TheTimeSignatureToolSetsThreeFour) {
    ASSERT_TRUE(OpenScore());
    ASSERT_TRUE(PressStaffToolsButton(x_, kTimeSignatureButton)) << "no Staff Tools palette";
    const int x = (bars_[1].right + bars_[2].left) / 2;
    x_.MovePointer(x, lines_[2] - 4);
    x_.Settle(Millis{300});
    x_.Click(x, lines_[2]);
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Time Signature");
    ASSERT_TRUE(dialog) << "the click showed no Time Signature dialog";
    x_.PointAt(*dialog);
    x_.PressKey("ctrl+a");
    x_.TypeText("3");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Time Signature")) << "OK did not close the dialog";
    // The measure before keeps four beats and the ones from it on have three: the
    // system's barlines move; the digits stand after the clicked measure's barline.
    std::vector<Bar> after;
    const auto moved = [&] {
        if (after.size() != bars_.size()) return true;
        for (size_t k = 0; k < after.size(); ++k)
            if (std::abs(after[k].Middle() - bars_[k].Middle()) > kBarClearance) return true;
        return false;
    };
    EXPECT_TRUE(WaitFor(
        [&] {
            after = SettledBars();
            return moved();
        },
        kRedrawTimeout))
        << "no barline of the system moved";
    const ScreenPicture shown = Screen();
    ASSERT_GE(after.size(), 3u);
    int64_t digits = 0;
    for (int y = lines_[0]; y <= lines_[4]; ++y)
        for (int px = after[1].right + kBarClearance; px < after[1].right + kDigitsWidth; ++px)
            digits += IsDark(shown.At(px, y)) && !IsDark(empty_.At(px, y));
    EXPECT_GT(digits, kDigitsInk) << "no time signature digits after the clicked measure's barline";
    WritePng(shown, TestOutputFolder() / "time_signature_tool_desktop.png");
    EXPECT_TRUE(UndoGivesBack(empty_)) << "Undo did not take the time signature away";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The middle row of the `n`th line of text (from 1) in the columns of the dialog's
// first column of labels: the dialog's title, then a label per radio button.
std::optional<int> LabelRow(const ScreenPicture& box, int n) {
    int lines = 0;
    int top = -1;
    for (int y = 0; y < box.height; ++y) {
        bool ink = false;
        for (int x = kLabelLeft; x < kLabelRight && x < box.width && !ink; ++x) ink = IsInk(box.At(x, y));
        if (ink && top < 0) top = y;
        if (!ink && top >= 0) {
            if (++lines == n) return (top + y) / 2;
            top = -1;
        }
    }
    return std::nullopt;
}

// A right click on a barline opens its menu; Properties opens "Barlines", where
// "Double barlines" (the next radio button) and OK make the barline double; Ctrl+Z
// makes it single again.
TEST_F(MeasureScenario, BarlinesDialogFromTheBarlinesMenu) {
    ASSERT_TRUE(OpenScore());
    const std::optional<ShownWindow> dialog = FromBarlineMenu(bars_[1], "p", "Barlines");
    ASSERT_TRUE(dialog) << "Properties showed no Barlines dialog";
    x_.PointAt(*dialog);
    // "Double barlines", the second radio button under the title, clicked on its label.
    const std::optional<int> row = LabelRow(x_.Grab(*dialog), 3);
    ASSERT_TRUE(row) << "no labels in the dialog";
    x_.Click(dialog->x + kLabelLeft + kLabelClick, dialog->y + *row);
    x_.Settle(Millis{300});
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Barlines")) << "OK did not close the dialog";
    std::vector<Bar> after;
    EXPECT_TRUE(WaitFor(
        [&] {
            after = Bars(Screen());
            return after.size() == bars_.size() + 1;
        },
        kRedrawTimeout))
        << "no second stroke: " << bars_.size() << " barlines before, " << after.size() << " after";
    WritePng(Screen(), TestOutputFolder() / "barlines_dialog_desktop.png");
    EXPECT_TRUE(UndoGivesBack(empty_)) << "Undo did not give the single barline back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The barline's menu, "Hide Measure Objects...": "Measure Number" checked and OK
// hide the number of the measure after the barline; Ctrl+Z shows it again.
TEST_F(MeasureScenario, HideMeasureObjectsFromTheBarlinesMenu) {
    ASSERT_TRUE(OpenScore());
    const std::optional<ShownWindow> dialog = FromBarlineMenu(bars_[1], "o", "Hide Measure Objects");
    ASSERT_TRUE(dialog) << "Hide Measure Objects... showed no dialog";
    // "Measure Number", the last check box of the first column: the last run of ink
    // down the label column above the buttons (the title, "Hide" and the check boxes).
    const std::optional<int> row = LabelRow(x_.Grab(*dialog), kMeasureNumberLine);
    ASSERT_TRUE(row) << "no labels in the dialog";
    x_.Click(dialog->x + kLabelLeft + kLabelClick, dialog->y + *row);
    x_.Settle(Millis{300});
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Hide Measure Objects")) << "OK did not close the dialog";
    int64_t changed = 0;
    EXPECT_TRUE(WaitFor([&] { return (changed = ChangedAboveMeasure(1)) > kNumberInk; }, kRedrawTimeout))
        << "the measure's number is still shown: " << changed << " pixels changed";
    WritePng(Screen(), TestOutputFolder() / "hide_measure_objects_desktop.png");
    EXPECT_TRUE(UndoGivesBack(empty_)) << "Undo did not show the number again";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
