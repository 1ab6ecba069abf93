// The window tree: classes, creation and destruction, enumeration by class,
// window longs, visibility, enabled state and focus, geometry, caret, cursors,
// scroll bars and key state.
#include <functional>
#include <unordered_set>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/backend.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::win {
namespace {

class WinWindowsTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        for (const char* name : {"Palette", "Button", "Frame"}) {
            WindowClass cls;
            cls.name = name;
            cls.extraBytes = 8;
            cls.procedure = [this](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
                if (m == Message::Destroy) {
                    destroyed.push_back(w);
                    if (onDestroy) onDestroy(w);
                }
                if (m == Message::SetFocus || m == Message::KillFocus) focusLog.push_back({m, data});
                if (m == Message::Create && refuseCreate) return -1;
                return DefaultWindowProc(w, m, word, data);
            };
            ASSERT_TRUE(RegisterWindowClass(cls));
        }
    }

    WindowHandle Make(const char* cls, uint32_t style, WindowHandle parent = {}, Rect rect = Rect{0, 0, 100, 50}) {
        WindowParams params;
        params.className = cls;
        params.style = style | (parent ? kStyleChild : 0);
        params.parent = parent;
        params.rect = rect;
        return CreateWindow(params);
    }

    std::vector<WindowHandle> destroyed;
    std::function<void(WindowHandle)> onDestroy;
    std::vector<std::pair<Message, intptr_t>> focusLog;
    bool refuseCreate = false;
};

// A window's own procedure takes its messages in place of the class's, which it can
// pass them on to; other windows of the class keep the class's; stale handles and
// empty procedures change nothing.
TEST_F(WinWindowsTest, OwnProcedureStandsInFrontOfTheClasss) {
    WindowHandle own = Make("Palette", kStyleVisible);
    WindowHandle other = Make("Palette", kStyleVisible);
    EXPECT_FALSE(HasOwnProcedure(own));
    std::vector<Message> seen;
    WindowProc classProc;
    classProc = SetWindowProcedure(own, [&](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
        seen.push_back(m);
        if (m == Message::User) return 7;
        return classProc(w, m, word, data);
    });
    ASSERT_TRUE(classProc);
    EXPECT_TRUE(HasOwnProcedure(own));
    EXPECT_FALSE(HasOwnProcedure(other));
    EXPECT_EQ(SendMessage(own, Message::User), 7);
    EXPECT_EQ(SendMessage(other, Message::User), 0);
    EXPECT_FALSE(SetWindowProcedure(own, WindowProc{}));
    DestroyWindow(own);
    EXPECT_EQ(seen, (std::vector<Message>{Message::User, Message::Destroy}));
    EXPECT_EQ(destroyed, std::vector<WindowHandle>{own});  // passed on to the class
    EXPECT_FALSE(SetWindowProcedure(own, DefaultWindowProc));
    EXPECT_FALSE(HasOwnProcedure(own));
}

// Class names match without regard to letter case, and a second registration
// of a name in another case is refused.
TEST_F(WinWindowsTest, ClassNamesIgnoreLetterCase) {
    WindowClass again;
    again.name = "PALETTE";
    again.procedure = DefaultWindowProc;
    EXPECT_FALSE(RegisterWindowClass(again));
    WindowHandle w = Make("palette", kStyleVisible);
    ASSERT_TRUE(w);
    EXPECT_EQ(GetClassName(w), "Palette");
    EXPECT_TRUE(HasClassName(w, "pAlEtTe"));
    EXPECT_FALSE(CreateWindow(WindowParams{}));  // no class
}

// Enumeration by class ignores case and, when asked, skips windows that are
// hidden themselves or through a hidden parent.
TEST_F(WinWindowsTest, EnumerationByClassIgnoresCaseAndSkipsHiddenWhenAsked) {
    WindowHandle shown = Make("Palette", kStyleVisible);
    WindowHandle hidden = Make("Palette", 0);
    Make("Frame", kStyleVisible);
    WindowHandle button = Make("Button", kStyleVisible, shown);
    Make("Button", 0, shown);
    WindowHandle underHidden = Make("Button", kStyleVisible, hidden);

    EXPECT_EQ(TopLevelWindows({.className = "PALETTE", .visibleOnly = true}), std::vector<WindowHandle>{shown});
    EXPECT_EQ(TopLevelWindows({.className = "palette", .visibleOnly = false}),
              (std::vector<WindowHandle>{shown, hidden}));
    EXPECT_EQ(ChildWindows(shown, {.className = "BUTTON", .visibleOnly = true}), std::vector<WindowHandle>{button});
    EXPECT_EQ(ChildWindows(shown).size(), 2u);
    EXPECT_FALSE(IsWindowVisible(underHidden));
}

// Window longs hold pointer-sized values at byte offsets 0 and 4 of 8 extra
// bytes; other offsets read 0 and store nothing.
TEST_F(WinWindowsTest, WindowLongsHoldPointersWithinTheExtraBytes) {
    WindowHandle w = Make("Frame", 0);
    int view = 0;
    auto pointer = reinterpret_cast<intptr_t>(&view);
    EXPECT_EQ(SetWindowLong(w, 0, pointer), 0);
    EXPECT_EQ(SetWindowLong(w, 4, -5), 0);
    EXPECT_EQ(GetWindowLong(w, 0), pointer);
    EXPECT_EQ(GetWindowLong(w, 4), -5);
    EXPECT_EQ(SetWindowLong(w, 8, 1), 0);
    EXPECT_EQ(SetWindowLong(w, 2, 1), 0);
    EXPECT_EQ(GetWindowLong(w, 8), 0);
    EXPECT_EQ(GetWindowLong(w, -4), 0);
    EXPECT_EQ(GetWindowLong(w, 0), pointer);
}

// Destroying a window sends Destroy to it, then to the windows it owns and its
// children; every handle then stops resolving, even once its slot is reused.
TEST_F(WinWindowsTest, DestroyReachesChildrenAndOwnedWindowsAndStalesTheirHandles) {
    WindowHandle frame = Make("Frame", kStyleVisible);
    WindowHandle child = Make("Button", kStyleVisible, frame);
    WindowParams ownedParams;
    ownedParams.className = "Palette";
    ownedParams.owner = frame;
    WindowHandle owned = CreateWindow(ownedParams);
    ASSERT_TRUE(owned);
    EXPECT_EQ(GetOwner(owned), frame);
    EXPECT_TRUE(DestroyWindow(frame));
    EXPECT_EQ(destroyed, (std::vector<WindowHandle>{frame, owned, child}));
    for (WindowHandle w : {frame, child, owned}) EXPECT_FALSE(IsWindow(w));
    WindowHandle reused = Make("Frame", 0);
    EXPECT_NE(reused, frame);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_FALSE(DestroyWindow(frame));
    EXPECT_TRUE(TopLevelWindows() == std::vector<WindowHandle>{reused});
}

// Window handles never come back, however often a slot is reused: of 100,000
// windows made and destroyed one after another no two share a handle, and the
// first one stays stale throughout.
TEST_F(WinWindowsTest, StaleHandleNeverResolvesAcrossEndlessReuse) {
    constexpr int kCycles = 100000;
    WindowHandle first = Make("Frame", 0);
    ASSERT_TRUE(DestroyWindow(first));
    std::unordered_set<uint32_t> seen{first.bits};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        WindowHandle w = Make("Frame", 0);
        ASSERT_TRUE(w) << "cycle " << cycle;
        ASSERT_TRUE(seen.insert(w.bits).second) << "handle handed out twice, cycle " << cycle;
        ASSERT_FALSE(IsWindow(first)) << "cycle " << cycle;
        ASSERT_TRUE(DestroyWindow(w));
    }
    EXPECT_FALSE(DestroyWindow(first));
}

// A window being destroyed takes no new children (they would outlive it,
// unreachable); one made while a child of it is being destroyed is refused.
TEST_F(WinWindowsTest, WindowBeingDestroyedTakesNoNewChildren) {
    WindowHandle frame = Make("Frame", kStyleVisible);
    WindowHandle button = Make("Button", kStyleVisible, frame);
    WindowHandle late;
    onDestroy = [&](WindowHandle w) {
        if (w == button) late = Make("Button", kStyleVisible, frame);
    };
    DestroyWindow(frame);
    EXPECT_FALSE(late);
    EXPECT_FALSE(IsWindow(late));
    EXPECT_TRUE(TopLevelWindows().empty());
}

// A window whose Create answers -1 is not made and leaves nothing behind.
TEST_F(WinWindowsTest, CreateRefusedByTheProcedureLeavesNoWindow) {
    refuseCreate = true;
    EXPECT_FALSE(Make("Frame", kStyleVisible));
    EXPECT_TRUE(TopLevelWindows().empty());
}

// Focus moves with KillFocus to the old window and SetFocus to the new; a
// disabled window cannot take it, and hiding or disabling the focused window
// takes the focus away.
TEST_F(WinWindowsTest, FocusMovesWithMessagesAndLeavesDisabledAndHiddenWindows) {
    WindowHandle frame = Make("Frame", kStyleVisible);
    WindowHandle a = Make("Button", kStyleVisible, frame);
    WindowHandle b = Make("Button", kStyleVisible, frame);
    SetFocus(a);
    focusLog.clear();
    EXPECT_EQ(SetFocus(b), a);
    ASSERT_EQ(focusLog.size(), 2u);
    EXPECT_EQ(focusLog[0], std::make_pair(Message::KillFocus, HandleData(b)));
    EXPECT_EQ(focusLog[1], std::make_pair(Message::SetFocus, HandleData(a)));
    EXPECT_TRUE(EnableWindow(a, false) == false);  // it was enabled
    EXPECT_FALSE(SetFocus(a));
    EXPECT_EQ(GetFocus(), b);
    ShowWindow(frame, ShowCommand::Hide);
    EXPECT_FALSE(GetFocus());
    EXPECT_TRUE(EnableWindow(a, true));  // it was disabled
}

// A child's window rectangle is in screen coordinates through all its parents,
// and client/screen conversions are inverse.
TEST_F(WinWindowsTest, ChildGeometryIsRelativeToItsParentsClientArea) {
    WindowHandle frame = Make("Frame", kStyleVisible, {}, Rect{100, 50, 500, 450});
    WindowHandle panel = Make("Frame", kStyleVisible, frame, Rect{10, 20, 210, 120});
    WindowHandle button = Make("Button", kStyleVisible, panel, Rect{5, 5, 25, 15});
    EXPECT_EQ(GetWindowRect(button), (Rect{115, 75, 135, 85}));
    EXPECT_EQ(GetClientRect(button), (Rect{0, 0, 20, 10}));
    Point screen = ClientToScreen(panel, Point{3, 4});
    EXPECT_EQ(screen, (Point{113, 74}));
    EXPECT_EQ(ScreenToClient(panel, screen), (Point{3, 4}));
}

// Resizing a window resizes its image and invalidates it all.
TEST_F(WinWindowsTest, ResizingAWindowResizesItsImageAndInvalidatesIt) {
    WindowHandle w = Make("Frame", kStyleVisible, {}, Rect{0, 0, 30, 20});
    BitmapHandle image = GetWindowImage(w);
    PumpMessages();
    EXPECT_TRUE(GetUpdateRect(w).IsEmpty());
    MoveWindow(w, Rect{0, 0, 60, 40}, false);
    gfx::BitmapInfo info;
    ASSERT_TRUE(gfx::GetBitmapInfo(image, &info));
    EXPECT_EQ(info.width, 60);
    EXPECT_EQ(info.height, 40);
    EXPECT_EQ(GetUpdateRect(w), (Rect{0, 0, 60, 40}));
}

// Show and hide of the caret nest: it shows only when every hide was matched.
TEST_F(WinWindowsTest, CaretHidesNestAndShowWhenBalanced) {
    WindowHandle w = Make("Frame", kStyleVisible);
    EXPECT_FALSE(ShowCaret(w));  // no caret yet
    ASSERT_TRUE(CreateCaret(w, 2, 12));
    EXPECT_FALSE(GetCaretState().visible);  // made hidden
    ShowCaret(w);
    EXPECT_TRUE(GetCaretState().visible);
    HideCaret(w);
    HideCaret(w);
    ShowCaret(w);
    EXPECT_FALSE(GetCaretState().visible);
    ShowCaret(w);
    SetCaretPosition(Point{7, 3});
    EXPECT_TRUE(GetCaretState().visible);
    EXPECT_EQ(GetCaretPosition(), (Point{7, 3}));
    DestroyWindow(w);
    EXPECT_FALSE(GetCaretState().owner);
}

// Scroll positions are kept inside the range, which may run either way.
TEST_F(WinWindowsTest, ScrollPositionStaysInsideTheRange) {
    WindowHandle w = Make("Frame", kStyleVisible | kStyleVerticalScroll);
    SetScrollRange(w, ScrollBar::Vertical, 0, 100, false);
    EXPECT_EQ(SetScrollPosition(w, ScrollBar::Vertical, 150, true), 0);
    EXPECT_EQ(GetScrollPosition(w, ScrollBar::Vertical), 100);
    EXPECT_TRUE(GetScrollState(w, ScrollBar::Vertical).lastRedraw);
    SetScrollRange(w, ScrollBar::Vertical, 10, -10, false);
    EXPECT_EQ(GetScrollPosition(w, ScrollBar::Vertical), 10);
    SetScrollPosition(w, ScrollBar::Vertical, -30, false);
    EXPECT_EQ(GetScrollPosition(w, ScrollBar::Vertical), -10);
    EXPECT_EQ(GetScrollPosition(w, ScrollBar::Horizontal), 0);  // the other bar is untouched
}

// Cursors load by resource id only when a bundle has the cursor; each id gives
// one shared handle.
TEST_F(WinWindowsTest, CursorResourcesLoadOnlyWhenPresentAndAreShared) {
    EXPECT_FALSE(LoadCursorResource(365));
    auto bundle = std::make_shared<sys::ResourceBundle>();
    bundle->cursors[365] = sys::CursorResource{1, 1, Point{0, 0}, {0xFF000000u}};
    sys::SetProgramBundle(bundle);
    CursorHandle pen = LoadCursorResource(365);
    ASSERT_TRUE(pen);
    EXPECT_EQ(LoadCursorResource(365), pen);
    EXPECT_EQ(CursorResourceId(pen), 365);
    CursorHandle arrow = LoadSystemCursor(SystemCursor::Arrow);
    EXPECT_NE(arrow, pen);
    EXPECT_EQ(SetCursor(pen), CursorHandle{});
    EXPECT_EQ(SetCursor(arrow), pen);
}

// The pointer position and the key state belong to the layer's backend: a
// position set is in screen coordinates (a child reads it relative to its own
// client area), and a fresh layer starts with the pointer at 0,0 and no key down.
TEST_F(WinWindowsTest, PointerAndKeysStartAfreshWithTheLayer) {
    WindowHandle frame = Make("Frame", kStyleVisible, {}, Rect{100, 50, 300, 250});
    WindowHandle child = Make("Button", kStyleVisible, frame, Rect{10, 20, 60, 40});
    SetCursorPosition(Point{321, 123});
    headless::SetKeyDown(Key::Control, true);
    EXPECT_EQ(ScreenToClient(child, GetCursorPosition()), (Point{211, 53}));  // child at 110,70
    headless::ResetWindowLayer();
    EXPECT_EQ(GetCursorPosition(), (Point{0, 0}));
    EXPECT_FALSE(IsKeyDown(Key::Control));
}

// Key state follows the test's keys, and injected mouse messages carry it.
TEST_F(WinWindowsTest, KeyStateReachesMouseMessages) {
    uint32_t seenFlags = 0;
    WindowClass cls;
    cls.name = "Mouse";
    cls.procedure = [&seenFlags](WindowHandle, Message m, uint32_t word, intptr_t) -> intptr_t {
        if (m == Message::LeftButtonDown) seenFlags = word;
        return 0;
    };
    RegisterWindowClass(cls);
    WindowParams params;
    params.className = "Mouse";
    WindowHandle w = CreateWindow(params);
    EXPECT_FALSE(IsKeyDown(Key::Shift));
    headless::SetKeyDown(Key::Shift, true);
    EXPECT_TRUE(IsKeyDown(Key::Shift));
    EXPECT_FALSE(IsKeyDown(Key::Control));
    headless::PostMouse(w, Message::LeftButtonDown, Point{3, 4}, kMouseLeftButton);
    PumpMessages();
    EXPECT_EQ(seenFlags, kMouseLeftButton | kMouseShift);
}

// A backend with a display of its own is told of every change it must show,
// in order, and the destroyed window is reported while its handle still resolves.
TEST_F(WinWindowsTest, InstalledBackendHearsEveryChangeToShow) {
    class DisplayBackend final : public Backend {
    public:
        explicit DisplayBackend(std::vector<std::pair<WindowChange, bool>>* log) : log_(log) {}
        uint64_t Now() override { return 0; }
        void WaitForWork(std::optional<uint64_t>) override {}
        void Wake() override {}
        bool IsKeyDown(Key) override { return false; }
        Point CursorPosition() override { return Point{}; }
        void SetCursorPosition(Point) override {}
        int32_t Metric(SystemMetric) override { return 0; }
        void WindowChanged(WindowHandle window, WindowChange change) override {
            log_->emplace_back(change, IsWindow(window));
        }

    private:
        std::vector<std::pair<WindowChange, bool>>* log_;
    };
    std::vector<std::pair<WindowChange, bool>> log;
    InstallBackend(std::make_unique<DisplayBackend>(&log));
    WindowHandle w = Make("Frame", 0);
    SetWindowText(w, "Score");
    ShowWindow(w, ShowCommand::Show);
    MoveWindow(w, Rect{0, 0, 10, 10}, false);
    DestroyWindow(w);
    using enum WindowChange;
    EXPECT_EQ(log, (std::vector<std::pair<WindowChange, bool>>{{Created, true},
                                                                {TextChanged, true},
                                                                {Shown, true},
                                                                {Invalidated, true},
                                                                {Moved, true},
                                                                {Invalidated, true},
                                                                {Destroyed, true}}));
}

}  // namespace
}  // namespace ql::win
