// Barlines on the desktop, with the Pointer tool: a barline of the first system is
// clicked and D makes it a double barline; a barline dragged to the right widens the
// measure before it (the barline and the one after it move); Ctrl+End on a barline
// ends the piece there (the systems after it go). Ctrl+Z gives the page back each
// time. Judged from pictures of the first systems; pictures are written for the eye.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

constexpr Millis kRedrawTimeout{8000};
constexpr uint32_t kDarkLevel = 0x80;

bool IsDark(uint32_t p) {
    return ((p >> 16) & 0xFF) < kDarkLevel && ((p >> 8) & 0xFF) < kDarkLevel && (p & 0xFF) < kDarkLevel;
}

std::optional<ShownWindow> WindowTitled(const XSession& x, std::string_view title) {
    for (int tries = 0; tries < 100; ++tries) {
        for (const ShownWindow& w : x.Windows())
            if (w.title == title) return w;
        x.Settle();
    }
    return std::nullopt;
}

// A run of dark columns crossing a staff from its top line to its bottom line.
struct Bar {
    int left = 0;
    int right = 0;  // inclusive
    int Width() const { return right - left + 1; }
    int Middle() const { return (left + right) / 2; }
};

class BarlineScenario : public DesktopScenario {
protected:
    void SetUp() override {
        DesktopScenario::SetUp();
        // The palettes kept clear of the first systems, as a user who moved them would.
        WriteSettings("[ToolbarSettings]\nOTool=8,83,7,1\nNTool=760,420,4,4\nStaffTool=760,250,3,3\n");
    }
    ScreenPicture Screen() const { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }

    // The staff lines of the page's systems below the palettes that stay at the top
    // left (the first system stands behind them), left of the Staff Tools palette.
    bool FindPage() {
        const std::optional<ShownWindow> text = WindowTitled(x_, "Text");
        const std::optional<ShownWindow> tools = WindowTitled(x_, "Staff Tools");
        if (!tools) return false;
        const int top = text ? text->y + text->height + 8 : x_.ScreenHeight() / 4;
        left_ = 8;
        right_ = tools->x - 4;
        bottom_ = x_.ScreenHeight() - 60;
        lines_ = Screen().LongDarkLines(left_, top, right_, bottom_, 0.6);
        return lines_.size() >= 5;
    }
    // The barlines across the first staff, left to right.
    std::vector<Bar> Bars(const ScreenPicture& picture) const {
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
    std::vector<Bar> SettledBars() const {
        return Bars(SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout));
    }
    int64_t ChangedAroundStaff(const ScreenPicture& before) const {
        const ScreenPicture now = Screen();
        int64_t n = 0;
        for (int y = std::max(lines_[0] - 40, 0); y < lines_[4] + 40; ++y)
            for (int x = left_; x < right_; ++x) n += before.At(x, y) != now.At(x, y);
        return n;
    }
    // Ctrl+Z with the pointer over the page; true once the page is as `before`
    // around the first staff.
    bool UndoGivesBack(const ScreenPicture& before) {
        x_.MovePointer(left_ + 20, lines_[4] + 30);
        x_.Settle(Millis{300});
        x_.PressKey("ctrl+z");
        if (WaitFor([&] { return ChangedAroundStaff(before) == 0; }, kRedrawTimeout)) return true;
        // Where the page still differs, for the failure's message.
        const ScreenPicture now = Screen();
        int left = right_, top = lines_[4] + 40, right = -1, bottom = -1;
        for (int y = std::max(lines_[0] - 40, 0); y < lines_[4] + 40; ++y)
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
    // The pointer over a barline (the location follows it), then a click on it.
    void PickBarline(const Bar& bar) {
        const int y = (lines_[1] + lines_[2]) / 2;
        x_.MovePointer(bar.Middle() - 30, y);
        x_.Settle(Millis{300});
        x_.MovePointer(bar.Middle(), y);
        x_.Settle(Millis{300});
        x_.Click(bar.Middle(), y);
        x_.Settle(Millis{300});
    }

    int left_ = 0;
    int right_ = 0;
    int bottom_ = 0;
    std::vector<int> lines_;
};

// A click on the second barline of the first system and D: the barline becomes a
// double barline (a second stroke beside it); Ctrl+Z makes it single again.
TEST_F(BarlineScenario, DMakesAClickedBarlineDouble) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    x_.Settle(Millis{800});
    ASSERT_TRUE(FindPage()) << "no staff lines beside the palettes";
    const ScreenPicture before = SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout);
    const std::vector<Bar> bars = Bars(before);
    ASSERT_GE(bars.size(), 3u) << "no barlines inside the first system";
    const Bar bar = bars[1];
    PickBarline(bar);
    x_.PressKey("d");
    std::vector<Bar> after;
    EXPECT_TRUE(WaitFor(
        [&] {
            after = Bars(Screen());
            return after.size() == bars.size() + 1;
        },
        kRedrawTimeout))
        << "no second stroke: " << bars.size() << " barlines before, " << after.size() << " after";
    WritePng(Screen(), TestOutputFolder() / "barline_double_desktop.png");
    EXPECT_TRUE(UndoGivesBack(before)) << "Undo did not give the single barline back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The second barline dragged 40 pixels to the right: it stands there after the
// release, the measure before it is wider and the barline after it moved too;
// Ctrl+Z puts both back.
TEST_F(BarlineScenario, ADraggedBarlineWidensTheMeasureBeforeIt) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    x_.Settle(Millis{800});
    ASSERT_TRUE(FindPage()) << "no staff lines beside the palettes";
    const ScreenPicture before = SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout);
    const std::vector<Bar> bars = Bars(before);
    ASSERT_GE(bars.size(), 3u) << "too few barlines in the first system";
    const Bar bar = bars[1];
    const int y = (lines_[1] + lines_[2]) / 2;
    x_.MovePointer(bar.Middle() - 30, y);
    x_.Settle(Millis{300});
    x_.MovePointer(bar.Middle(), y);
    x_.Settle(Millis{300});
    x_.Drag(bar.Middle(), y, bar.Middle() + 40, y);
    x_.MovePointer(left_ + 20, lines_[4] + 30);  // away: the release committed the drag
    x_.Settle(Millis{300});
    x_.Click(left_ + 20, lines_[4] + 60);
    std::vector<Bar> after;
    const auto movedBy = [](const std::vector<Bar>& a, const std::vector<Bar>& b, size_t i) {
        return i < a.size() && i < b.size() ? b[i].Middle() - a[i].Middle() : 0;
    };
    EXPECT_TRUE(WaitFor(
        [&] {
            after = SettledBars();
            return after.size() >= 3 && movedBy(bars, after, 1) > 20;
        },
        kRedrawTimeout))
        << "the barline did not stay where it was dragged: moved by " << movedBy(bars, after, 1);
    EXPECT_NE(movedBy(bars, after, 2), 0) << "the barline after it did not move";
    WritePng(Screen(), TestOutputFolder() / "barline_drag_desktop.png");
    EXPECT_TRUE(UndoGivesBack(before)) << "Undo did not put the barlines back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Ctrl+End on the second barline of the first system: the piece ends there, so the
// systems below the first go; Ctrl+Z brings them back.
TEST_F(BarlineScenario, CtrlEndEndsThePieceAtTheBarline) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    x_.Settle(Millis{800});
    ASSERT_TRUE(FindPage()) << "no staff lines beside the palettes";
    const ScreenPicture before = SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout);
    ASSERT_GE(lines_.size(), 10u) << "a new score shows more than one system";
    const std::vector<Bar> bars = Bars(before);
    ASSERT_GE(bars.size(), 3u);
    PickBarline(bars[1]);
    x_.PressKey("ctrl+End");
    if (std::optional<ShownWindow> box = x_.WaitForWindow(kFrameTitle, Millis{1500}); box && box->width < 600) {
        x_.PointAt(*box);
        x_.PressKey("Return");  // Yes
    }
    size_t shown = lines_.size();
    EXPECT_TRUE(WaitFor(
        [&] {
            shown = Screen().LongDarkLines(left_, 40, right_, bottom_, 0.6).size();
            return shown < lines_.size();
        },
        kRedrawTimeout))
        << "the systems after the barline are still there: " << shown << " staff lines";
    WritePng(Screen(), TestOutputFolder() / "barline_end_desktop.png");
    EXPECT_TRUE(UndoGivesBack(before)) << "Undo did not bring the score back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
