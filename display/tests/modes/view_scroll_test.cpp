// Scrolling a view: page-view steps in logical units (a line, Ctrl's half line, the
// scroll bars' page codes), the page's corner and bottom as limits, the scroll
// view's strip moved by measures, and auto-scrolling on the virtual clock until the
// view cannot move further.
#include <gtest/gtest.h>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/tests/modes/modes_fixture.h"
#include "display/view_modes.h"
#include "display/view_scroll.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"

namespace ql::testing_modes {
namespace {

constexpr int32_t kVisible = 4096;  // logical height and width in view

class ViewScroll : public ModesTest {
  protected:
    void SetUp() override {
        ModesTest::SetUp();
        view_->pageView = 1;
        view_->zoomFactor = 0.0;
        RefreshViewMetrics(view_);  // the page's extent from its paper
        bottom_ = view_->PageBottom;
        ASSERT_GT(bottom_, kLogicalOrigin + 4 * kVisible);
        SetOrigin(kLogicalOrigin, kLogicalOrigin);
    }
    void SetOrigin(int32_t x, int32_t y) {
        ScrollX(view_) = x;
        ScrollY(view_) = y;
        view_->visibleRect = {x, y, x + kVisible, y + kVisible};
    }
    int32_t Y() { return ScrollY(view_); }
    int32_t bottom_ = 0;
};

// Up at the page's top: nothing moves and nothing is reported as scrolled.
TEST_F(ViewScroll, UpAtThePageTopStays) {
    EXPECT_FALSE(ScrollVertically(view_, -1));
    EXPECT_FALSE(ScrollVertically(view_, -4));
    EXPECT_EQ(Y(), kLogicalOrigin);
    EXPECT_FALSE(ScrollHorizontally(view_, -2));
    EXPECT_EQ(ScrollX(view_), kLogicalOrigin);
}

// A line is 512 units, 256 with Ctrl latched; 4 steps move half the visible height,
// 2 steps twice three quarters of it.
TEST_F(ViewScroll, StepsAndPages) {
    EXPECT_TRUE(ScrollVertically(view_, 1));
    EXPECT_EQ(Y(), kLogicalOrigin + 512);
    State().input.StickyCtrlFlag = 1;
    EXPECT_TRUE(ScrollVertically(view_, 1));
    EXPECT_EQ(Y(), kLogicalOrigin + 768);
    State().input.StickyCtrlFlag = 0;
    SetOrigin(kLogicalOrigin, kLogicalOrigin);
    EXPECT_TRUE(ScrollVertically(view_, 4));
    EXPECT_EQ(Y(), kLogicalOrigin + kVisible / 2);
    SetOrigin(kLogicalOrigin, kLogicalOrigin);
    EXPECT_TRUE(ScrollVertically(view_, 2));
    EXPECT_EQ(Y(), kLogicalOrigin + 2 * (kVisible * 3 / 4));
    // Back up by a page request stops at the corner.
    EXPECT_TRUE(ScrollVertically(view_, -3));
    EXPECT_EQ(Y(), kLogicalOrigin);
}

// At a staff scale the step is a multiple of 64 units of the scale.
TEST_F(ViewScroll, StepsFollowTheStaffScale) {
    view_->zoomFactor = 0.75;
    EXPECT_EQ(ScrollDistance(view_, 1, kVisible), 528);       // 512 / 0.75 = 682 -> 704 -> 528
    EXPECT_EQ(ScrollDistance(view_, 4, kVisible), 2064);      // 2048 / 0.75 = 2730.7 -> 2752 -> 2064
    EXPECT_EQ(ScrollDistance(view_, 0, kVisible), 0);
}

// Down never passes the page's bottom less 512; a view already past it is not
// pulled back by a step down.
TEST_F(ViewScroll, DownStopsAtThePageBottom) {
    for (int i = 0; i < 200 && ScrollVertically(view_, 2); ++i) {
    }
    EXPECT_LE(Y(), bottom_ - 512);
    EXPECT_GT(Y(), bottom_ - 512 - 64);
    EXPECT_FALSE(ScrollVertically(view_, 1));
    SetOrigin(kLogicalOrigin, bottom_ + 1024);
    EXPECT_FALSE(ScrollVertically(view_, 1));
    EXPECT_EQ(Y(), bottom_ + 1024);
}

// The scroll bars' codes: page codes, thumb position (kept above the bottom), top.
TEST_F(ViewScroll, ScrollBarCodes) {
    HandleVerticalScroll(view_, static_cast<uint16_t>(win::ScrollCode::PageDown), 0);
    EXPECT_EQ(Y(), kLogicalOrigin + kVisible / 2);
    HandleVerticalScroll(view_, static_cast<uint16_t>(win::ScrollCode::ThumbPosition), 30000);
    EXPECT_EQ(Y(), (bottom_ - 512) & ~63);  // a multiple of 64, not past the bottom
    HandleVerticalScroll(view_, static_cast<uint16_t>(win::ScrollCode::Top), 0);
    EXPECT_EQ(Y(), kLogicalOrigin);
    HandleHorizontalScroll(view_, static_cast<uint16_t>(win::ScrollCode::LineDown), 0);
    EXPECT_EQ(ScrollX(view_), kLogicalOrigin + 512);
}

// The scroll view's strip: 2 steps start it at the measure that ended it, -2 go
// back by its length, 1 moves a measure, and the start stays within the score.
TEST_F(ViewScroll, ScrollByMeasures) {
    Grow(64);
    ASSERT_EQ(EnterScrollView(view_), 1);
    SetScrollViewStart(view_, 1);
    const int end = view_->galleySystem->lastMeasure;
    ASSERT_GT(end, 1);
    ScrollByMeasures(view_, 2);
    EXPECT_EQ(view_->galleySystem->firstMeasure, end);
    ScrollByMeasures(view_, 1);
    EXPECT_EQ(view_->galleySystem->firstMeasure, end + 1);
    const int first = view_->galleySystem->firstMeasure;
    const int length = view_->galleySystem->lastMeasure - first;
    ScrollByMeasures(view_, -2);
    EXPECT_EQ(view_->galleySystem->firstMeasure, std::max(1, first - length));
    ScrollByMeasures(view_, -4);
    EXPECT_EQ(view_->galleySystem->firstMeasure, 1);
    SetScrollViewStart(view_, 64);
    ScrollByMeasures(view_, 1);
    EXPECT_EQ(view_->galleySystem->firstMeasure, 64);
}

// Auto-scrolling: with the pointer resting at the bottom edge, each tick of the
// virtual clock scrolls one line down until the page's bottom stops it; at the top
// edge it goes back to the corner and stops there. Off, nothing moves.
TEST_F(ViewScroll, AutoScrollOnTheVirtualClock) {
    win::WindowClass cls;
    cls.name = "AutoScrollTestWindow";
    cls.procedure = [this](platform::WindowHandle w, win::Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == win::Message::Timer && word == kAutoScrollTimer) {
            AutoScrollStep(view_, w);
            return 0;
        }
        return win::DefaultWindowProc(w, m, word, data);
    };
    ASSERT_TRUE(win::RegisterWindowClass(cls));
    win::WindowParams params;
    params.className = cls.name;
    params.style = win::kStyleVisible;
    params.rect = {0, 0, 400, 300};
    const platform::WindowHandle window = win::CreateWindow(params);
    ASSERT_TRUE(window);
    auto tick = [] {
        win::headless::AdvanceClock(kAutoScrollPeriodMs);
        win::PumpMessages();
    };
    win::SetCursorPosition(win::ClientToScreen(window, {200, 296}));
    Options().AutoScroll = 0;
    StartAutoScrollTimer(window);
    tick();
    EXPECT_EQ(Y(), kLogicalOrigin);
    Options().AutoScroll = 1;
    tick();
    EXPECT_EQ(Y(), kLogicalOrigin + 512);
    tick();
    EXPECT_EQ(Y(), kLogicalOrigin + 1024);
    for (int i = 0; i < 200; ++i) tick();
    EXPECT_LE(Y(), bottom_ - 512);
    const int32_t bottom = Y();
    tick();
    EXPECT_EQ(Y(), bottom);
    win::SetCursorPosition(win::ClientToScreen(window, {200, 2}));
    for (int i = 0; i < 200; ++i) tick();
    EXPECT_EQ(Y(), kLogicalOrigin);
    win::KillTimer(window, kAutoScrollTimer);
    win::DestroyWindow(window);
}

}  // namespace
}  // namespace ql::testing_modes
