// The fixture of the Edit Staff scenarios: a new two-staff score beside the palettes
// kept aside, the Edit Staff tool chosen, the staff lines of the page found, the
// pointer brought onto a staff's handle or into a staff, the program's untitled
// dialogs found, and a staff's record read back from a saved score file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/tests/desktop/barline_page.h"

namespace ql::desktop {

inline constexpr int kMoveTolerance = 4;

// A staff record of a saved score as its bytes lie in the file.
struct SavedStaff {
    uint16_t transpositionWord = 0;
    int8_t semitones = 0;
    uint8_t port = 0;     // timbre 1
    uint8_t channel = 0;  // timbre 1, 0..15
    uint8_t patch = 0;    // timbre 1
};

class StaffScenario : public BarlineScenario {
protected:
    // A new score of `staves` staves, the Edit Staff tool, and the page's staff lines
    // found (two staves at least: of one system or of two).
    bool OpenScore(std::string_view staves = "2");
    // The page's staff lines found again once it has settled (after a save, say,
    // whose file chooser may have moved the page).
    bool RefindPage();
    // The staff lines of the page now, in the area FindPage searched.
    std::vector<int> LinesShown(const ScreenPicture& picture) const;
    // The left end of the second staff's top line (the system's left edge): where
    // the line runs on unbroken, left of it only the brace.
    int SystemLeft() const;
    // The pointer into staff `staff` (1 or 2) of the first system (the location takes
    // that staff and the staff element follows it), then left onto the element's
    // handle, which covers the staff's left end about its middle line.
    void HoverStaffHandle(int staff);
    void HoverSecondStaffHandle() { HoverStaffHandle(2); }
    int HandleRow(int staff = 2) const { return lines_[(staff - 1) * kLinesPerStaff + 2]; }
    // The pointer onto staff `staff` of the first system, then a click into it away
    // from the handle: the Edit Staff tool opens "Staff Management" for that staff.
    void ClickIntoStaff(int staff);
    // Waits until the page shows `count` staff lines; the count shown last.
    size_t WaitForLineCount(size_t count) const;

    // The program's dialog without a caption (a small window with no title and no
    // override-redirect), waited for; empty when none came.
    std::optional<ShownWindow> WaitForUntitledDialog(Millis timeout = kWindowTimeout) const;
    bool WaitUntilUntitledDialogGone() const;
    // A window titled `title`, the pointer in it (its keys go there), and `tabs` Tab
    // strokes then `last`; false when the window did not come.
    bool InDialog(std::string_view title, int tabs, std::string_view last);

    // The first staff of a score saved at `path` with `staves` staves; empty when
    // the file is too short.
    static std::optional<SavedStaff> ReadFirstSavedStaff(const std::filesystem::path& path, int staves);

    ScreenPicture before_;
    std::vector<int> shown_;
};

}  // namespace ql::desktop
