// The fixture of the barline and measure scenarios: the program's page with the
// palettes kept aside, the staff lines of its systems found beside them, the
// barlines across the first staff read from pictures, a barline picked with the
// pointer, and Ctrl+Z judged by the page coming back around the first staff.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"
#include "shell/tests/desktop/staff_tools_palette.h"

namespace ql::desktop {

inline constexpr int kLinesPerStaff = 5;

// A run of dark columns crossing a staff from its top line to its bottom line.
struct Bar {
    int left = 0;
    int right = 0;  // inclusive
    int Width() const { return right - left + 1; }
    int Middle() const { return (left + right) / 2; }
};

class BarlineScenario : public MusicBesidePalettes {
protected:
    // The palettes kept clear of the first system, as a user who moved them would:
    // the Staff Tools palette right of the systems' ends.
    void SetUp() override;

    // The staff lines of the page's systems left of the Staff Tools palette, from
    // the first whole staff below the frame's bars (however many rows they take) or
    // below the Text palette when it shows; true with a staff's lines at least.
    bool FindPage();
    // A new one-staff score, its page found, and its picture once settled; empty
    // (with the failure recorded) when the program did not start or showed no staff.
    std::optional<ScreenPicture> NewOneStaffPage();
    // The barlines across the first staff, left to right.
    std::vector<Bar> Bars(const ScreenPicture& picture) const;
    std::vector<Bar> SettledBars() const;
    int64_t ChangedAroundStaff(const ScreenPicture& before) const;
    // Ctrl+Z with the pointer over the page.
    void PressUndo();
    // Ctrl+Z with the pointer over the page; true once the page is as `before`
    // around the first staff (else the differing area is reported).
    bool UndoGivesBack(const ScreenPicture& before);
    // The pointer over a barline (the location follows it), then a click on it.
    void PickBarline(const Bar& bar);
    // The staff lines now shown on the page (fewer once systems go).
    size_t StaffLinesShown() const;

    int left_ = 0;
    int right_ = 0;
    int bottom_ = 0;
    std::vector<int> lines_;
};

}  // namespace ql::desktop
