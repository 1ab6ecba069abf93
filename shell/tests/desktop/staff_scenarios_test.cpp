// The Edit Staff tool on the desktop, on a new score of two staves: with the pointer
// on the second staff's handle (at its left end), H hides that staff in its
// system, a drag of the handle moves the staff down, Insert adds a staff before it
// and Delete removes it; one Ctrl+Z shows the hidden staff again or puts the dragged
// one back. Judged by the staff lines of the page; pictures are written for the eye.
#include <cstdlib>
#include <optional>
#include <vector>

#include "shell/tests/desktop/barline_page.h"

namespace ql::desktop {
namespace {

constexpr int kLinesPerStaff = 5;
constexpr int kDragDown = 24;
constexpr int kMoveTolerance = 4;
constexpr int kLineRun = 30;      // dark columns in a row that make a staff line
constexpr int kIntoStaff = 60;

// Lines of one staff stand closer than this; staves farther apart.
constexpr int kMaxLineGap = 12;

class StaffScenario : public BarlineScenario {
protected:
    // A new two-staff score, the Edit Staff tool, and the page's staff lines found.
    bool OpenScore() {
        if (!StartProgram()) return false;
        NewScore("2");
        x_.Settle(Millis{800});
        if (FindPage()) DropPartStaffAtTheTop();
        if (lines_.size() < 2u * kLinesPerStaff) {
            ADD_FAILURE() << "no two staves beside the palettes";
            return false;
        }
        if (!PressStaffToolsButton(x_, kEditStaffButton)) {
            ADD_FAILURE() << "no Staff Tools palette";
            return false;
        }
        before_ = SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout);
        shown_ = LinesShown(before_);
        return true;
    }
    // The search's top edge may cut through a staff (the bars above the page move it
    // down the screen): lines before the first whole staff are left out.
    void DropPartStaffAtTheTop() {
        size_t run = 1;
        while (run < lines_.size() && lines_[run] - lines_[run - 1] <= kMaxLineGap) ++run;
        if (run < static_cast<size_t>(kLinesPerStaff) && run < lines_.size())
            lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(run));
    }
    // The staff lines of the page now, in the area FindPage searched.
    std::vector<int> LinesShown(const ScreenPicture& picture) const {
        return picture.LongDarkLines(left_, lines_[0] - 4, right_, bottom_, 0.6);
    }
    // The left end of the second staff's top line (the system's left edge): where
    // the line runs on unbroken, left of it only the brace.
    int SystemLeft() const {
        const int y = lines_[kLinesPerStaff];
        for (int x = left_; x + kLineRun < right_; ++x) {
            bool run = true;
            for (int k = 0; k < kLineRun && run; ++k) run = IsDark(before_.At(x + k, y));
            if (run) return x;
        }
        return left_;
    }
    // The pointer into the second staff (the location takes that staff and the staff
    // element follows it), then left onto the element's handle.
    void HoverSecondStaffHandle() {
        const int x = SystemLeft();
        x_.MovePointer(x + kIntoStaff, lines_[kLinesPerStaff + 2]);
        x_.Settle(Millis{300});
        x_.MovePointer(x, HandleRow());
        x_.Settle(Millis{500});
    }
    // The element's handle covers the staff's left end, about its middle line.
    int HandleRow() const { return lines_[kLinesPerStaff + 2]; }
    // Waits until the page shows `count` staff lines; the count shown last.
    size_t WaitForLineCount(size_t count) const {
        size_t shown = 0;
        WaitFor([&] { return (shown = LinesShown(Screen()).size()) == count; }, kRedrawTimeout);
        return shown;
    }

    ScreenPicture before_;
    std::vector<int> shown_;
};

// H on the second staff's handle hides that staff in its system: five staff lines
// fewer on the page; Ctrl+Z shows it again.
TEST_F(StaffScenario, HHidesTheStaffInItsSystem) {
    ASSERT_TRUE(OpenScore());
    HoverSecondStaffHandle();
    x_.PressKey("h");
    EXPECT_EQ(WaitForLineCount(shown_.size() - kLinesPerStaff), shown_.size() - kLinesPerStaff)
        << "the staff is still shown";
    WritePng(Screen(), TestOutputFolder() / "staff_hide_desktop.png");
    PressUndo();
    EXPECT_EQ(WaitForLineCount(shown_.size()), shown_.size()) << "one Undo did not show the staff again";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The second staff's handle dragged down: the staff's lines stand lower, the first
// staff's where they were; Ctrl+Z puts them back (the drag is one undoable edit).
TEST_F(StaffScenario, DraggingTheHandleMovesTheStaff) {
    ASSERT_TRUE(OpenScore());
    HoverSecondStaffHandle();
    const int x = SystemLeft();
    const int y = HandleRow();
    x_.Drag(x, y, x, y + kDragDown);
    x_.MovePointer(right_ - 20, bottom_ - 20);  // away: the release committed the drag
    x_.Settle(Millis{500});
    std::vector<int> now;
    EXPECT_TRUE(WaitFor(
        [&] {
            now = LinesShown(Screen());
            return now.size() == shown_.size() &&
                   now[kLinesPerStaff] > shown_[kLinesPerStaff] + kDragDown / 2 &&
                   std::abs(now[0] - shown_[0]) <= kMoveTolerance;
        },
        kRedrawTimeout))
        << "the second staff did not move down";
    WritePng(Screen(), TestOutputFolder() / "staff_drag_desktop.png");
    PressUndo();
    EXPECT_TRUE(WaitFor([&] { return LinesShown(Screen()) == shown_; }, kRedrawTimeout))
        << "Undo did not put the staff back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Insert on the second staff's handle adds a staff before it: every system of the
// page has a staff more (a third staff follows the second at the gap between staves).
TEST_F(StaffScenario, InsertAddsAStaff) {
    ASSERT_TRUE(OpenScore());
    HoverSecondStaffHandle();
    x_.PressKey("Insert");
    std::vector<int> now;
    EXPECT_TRUE(WaitFor(
        [&] {
            // A third staff follows the second one at the gap between staves, where
            // the next system stood further away.
            now = LinesShown(Screen());
            const int staffGap = shown_[kLinesPerStaff] - shown_[kLinesPerStaff - 1];
            return now.size() > 2u * kLinesPerStaff &&
                   now[2 * kLinesPerStaff] - now[2 * kLinesPerStaff - 1] <= staffGap + kMoveTolerance;
        },
        kRedrawTimeout))
        << "no staff was added: " << now.size() << " lines";
    WritePng(Screen(), TestOutputFolder() / "staff_insert_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Delete on the second staff's handle removes that (empty) staff: the score has one
// staff, so the page holds fewer lines with one staff a system.
TEST_F(StaffScenario, DeleteRemovesAnEmptyStaff) {
    ASSERT_TRUE(OpenScore());
    HoverSecondStaffHandle();
    x_.PressKey("Delete");
    std::vector<int> now;
    EXPECT_TRUE(WaitFor(
        [&] {
            now = LinesShown(Screen());
            return now.size() < shown_.size() && now.size() >= kLinesPerStaff;
        },
        kRedrawTimeout))
        << "the staff is still there: " << now.size() << " lines";
    WritePng(Screen(), TestOutputFolder() / "staff_delete_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
