// The Edit Staff tool on the desktop, on a new score of two staves: with the pointer
// on the second staff's handle (at its left end), H hides that staff in its
// system, a drag of the handle moves the staff down, Insert adds a staff before it
// and Delete removes it; one Ctrl+Z shows the hidden staff again or puts the dragged
// one back. Judged by the staff lines of the page; pictures are written for the eye.
#include <cstdlib>
#include <vector>

#include "shell/tests/desktop/staff_page.h"

namespace ql::desktop {
namespace {

constexpr int kDragDown = 24;

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
