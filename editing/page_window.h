// The page-button band's window over the pages: the page index its first button
// shows and how many buttons show, fitted around the view's page and turned by the
// band's arrows. Page indexes run -2 (the left master), -1 (the right master), 0
// (the first page) ... page count - 1. Pure arithmetic over the page count.
#pragma once

#include <optional>

namespace ql {

constexpr int kPageButtonCount = 64;
constexpr int kLeftMasterIndex = -2;
constexpr int kRightMasterIndex = -1;

struct PageWindow {
    int first = kLeftMasterIndex;  // page index of the first button
    int visible = 0;               // buttons showing
    friend bool operator==(const PageWindow&, const PageWindow&) = default;
};

// The lowest first page the arrows turn back to: the left master with facing pages,
// else the right master.
int LowestFirstPage(bool facing);

// Keeps `current` among the visible buttons: the first page moves just enough to
// include it (never below the left master, never past the last page) and the
// visible count is `wanted` (1 .. 64) cut to the pages that exist from the first.
PageWindow FitPageWindow(PageWindow window, int wanted, int pageCount, int current);

// One turn by an arrow, and the page it shows (none when the turn does nothing).
// Forward: the first page grows by one and the page of the last visible button is
// shown; once the first button shows the last page, forward does nothing. Back:
// the first page shrinks by one and is shown, unless it is at its lowest (with Ctrl
// held the lowest is the left master whatever the sides).
struct PageTurn {
    PageWindow window;
    std::optional<int> show;
};
PageTurn TurnPageWindow(PageWindow window, int wanted, int pageCount, bool forward, bool ctrl,
                        bool facing);

// Whether the "Previous Page" arrow can turn back from this window.
bool CanTurnBack(PageWindow window, bool facing);

}  // namespace ql
