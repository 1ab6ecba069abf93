// The barline scenarios' fixture (see barline_page.h): a barline is a run of columns
// dark from the first staff's top line to its bottom line.
#include "shell/tests/desktop/barline_page.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace ql::desktop {
namespace {

constexpr int kStaffMargin = 40;  // rows compared above and below the first staff
// Lines of one staff stand closer than this; staves farther apart.
constexpr int kMaxLineGap = 12;

// The lines before the first whole staff (a run of kLinesPerStaff lines one spacing
// apart) left out: the search's top edge or a palette may cut a staff.
void DropPartStavesAtTheTop(std::vector<int>& lines) {
    size_t start = 0;
    while (start < lines.size()) {
        size_t run = start + 1;
        while (run < lines.size() && lines[run] - lines[run - 1] <= kMaxLineGap) ++run;
        if (run - start >= static_cast<size_t>(kLinesPerStaff)) break;
        start = run;
    }
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(start));
}

}  // namespace

void BarlineScenario::SetUp() {
    DesktopScenario::SetUp();
    WriteSettings("[ToolbarSettings]\nOTool=8,83,7,1\nNTool=760,420,4,4\nStaffTool=980,300,3,3\n");
}

bool BarlineScenario::FindPage() {
    const std::optional<ShownWindow> tools = x_.WindowTitled("Staff Tools");
    if (!tools) return false;
    // The Text palette, when the settings show it, stands with the other palettes.
    const std::optional<ShownWindow> text = x_.WindowTitledNow("Text");
    const int top = std::max(BarsBottom(), text ? text->y + text->height + 8 : 0);
    left_ = 8;
    right_ = tools->x - 4;
    bottom_ = x_.ScreenHeight() - 60;
    lines_ = Screen().LongDarkLines(left_, top, right_, bottom_, 0.6);
    DropPartStavesAtTheTop(lines_);
    return lines_.size() >= static_cast<size_t>(kLinesPerStaff);
}

std::optional<ScreenPicture> BarlineScenario::NewOneStaffPage() {
    if (!StartProgram()) return std::nullopt;
    NewScore("1");
    x_.Settle(Millis{800});
    if (!FindPage()) {
        ADD_FAILURE() << "no staff lines beside the palettes";
        return std::nullopt;
    }
    return SettledScreen();
}

std::vector<Bar> BarlineScenario::Bars(const ScreenPicture& picture) const {
    std::vector<Bar> bars;
    for (int x = left_; x < right_; ++x) {
        bool across = true;
        for (int y = lines_[0] + 1; y < lines_[4] && across; ++y) across = IsDark(picture.At(x, y));
        if (!across) continue;
        if (!bars.empty() && bars.back().right == x - 1)
            bars.back().right = x;
        else
            bars.push_back(Bar{x, x});
    }
    return bars;
}

std::vector<Bar> BarlineScenario::SettledBars() const {
    return Bars(SettledScreen());
}

int64_t BarlineScenario::ChangedAroundStaff(const ScreenPicture& before) const {
    const ScreenPicture now = Screen();
    int64_t n = 0;
    for (int y = std::max(lines_[0] - kStaffMargin, 0); y < lines_[4] + kStaffMargin; ++y)
        for (int x = left_; x < right_; ++x) n += before.At(x, y) != now.At(x, y);
    return n;
}

void BarlineScenario::PressUndo() {
    x_.MovePointer(left_ + 20, lines_[4] + 30);
    x_.Settle(Millis{300});
    x_.PressKey("ctrl+z");
}

bool BarlineScenario::UndoGivesBack(const ScreenPicture& before) {
    PressUndo();
    if (WaitFor([&] { return ChangedAroundStaff(before) == 0; }, kRedrawTimeout)) return true;
    // Where the page still differs, for the failure's message.
    const ScreenPicture now = Screen();
    int left = right_, top = lines_[4] + kStaffMargin, right = -1, bottom = -1;
    for (int y = std::max(lines_[0] - kStaffMargin, 0); y < lines_[4] + kStaffMargin; ++y)
        for (int x = left_; x < right_; ++x) {
            if (before.At(x, y) == now.At(x, y)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    ADD_FAILURE() << "the page differs in " << left << "," << top << " .. " << right << "," << bottom;
    return false;
}

void BarlineScenario::PickBarline(const Bar& bar) {
    const int y = (lines_[1] + lines_[2]) / 2;
    x_.MovePointer(bar.Middle() - 30, y);
    x_.Settle(Millis{300});
    x_.MovePointer(bar.Middle(), y);
    x_.Settle(Millis{300});
    x_.Click(bar.Middle(), y);
    x_.Settle(Millis{300});
}

size_t BarlineScenario::StaffLinesShown() const {
    return Screen().LongDarkLines(left_, kStaffMargin, right_, bottom_, 0.6).size();
}

}  // namespace ql::desktop
