// Document windows on the headless backend: ids and their renumbering, the
// activation messages and the Z-order, the maximised state moving with
// activation, cascade, tile and icon geometry, the frame the layer draws, the
// window menu and its "More Windows" list, the document-window keys and frame
// buttons, and a randomised mix of every operation with the model's invariants
// checked after each step.
#include <algorithm>
#include <random>
#include <set>

#include "platform/gfx/bitmap.h"
#include "platform/tests/win/mdi_scene.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/headless.h"
#include "platform/ui/mdi_frame.h"
#include "platform/ui/menu.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::win {
namespace {

using testing::MdiScene;

class WinMdiTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        scene = MdiScene::Build();
    }
    void TearDown() override {
        scene.reset();
        FreshWindowLayer::TearDown();
    }

    std::vector<int32_t> Ids() {
        std::vector<int32_t> ids;
        for (WindowHandle w : MdiChildrenInZOrder(scene->client)) ids.push_back(GetWindowId(w));
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    std::vector<std::string> ZOrder() {
        std::vector<std::string> names;
        for (WindowHandle w : MdiChildrenInZOrder(scene->client)) names.push_back(GetWindowText(w));
        return names;
    }

    std::vector<std::string> LogFrom(size_t start) {
        return std::vector<std::string>(scene->log.begin() + static_cast<long>(start), scene->log.end());
    }

    Rect InClient(WindowHandle child) {
        Rect r = GetWindowRect(child);
        Point origin = ClientToScreen(scene->client, Point{0, 0});
        return Rect{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
    }

    std::unique_ptr<MdiScene> scene;
};

// Ids run from the first id in creation order and close up when a child closes,
// whichever child it was; the client's children list is the Z-order.
TEST_F(WinMdiTest, IdsStayContiguousAndEnumerationFollowsZOrder) {
    WindowHandle a = scene->AddChild("A");
    WindowHandle b = scene->AddChild("B");
    WindowHandle c = scene->AddChild("C");
    EXPECT_EQ(GetWindowId(a), 40500);
    EXPECT_EQ(GetWindowId(b), 40501);
    EXPECT_EQ(GetWindowId(c), 40502);
    EXPECT_EQ(ChildWindows(scene->client), (std::vector<WindowHandle>{c, b, a}));
    EXPECT_TRUE(DestroyMdiChild(scene->client, b));  // a middle one
    EXPECT_EQ(GetWindowId(a), 40500);
    EXPECT_EQ(GetWindowId(c), 40501);
    DestroyWindow(a);  // the first one, destroyed without the client's call
    EXPECT_EQ(GetWindowId(c), 40500);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{40500}));
    EXPECT_FALSE(DestroyMdiChild(scene->client, a));  // already gone
}

// The child losing activation hears of it first, then the one gaining it, each
// told both windows; activating the active child says nothing; the gainer gets
// the focus.
TEST_F(WinMdiTest, ActivationTellsTheLoserThenTheGainer) {
    size_t start = scene->log.size();
    WindowHandle a = scene->AddChild("A");
    EXPECT_EQ(LogFrom(start), (std::vector<std::string>{"A: activate none -> A"}));
    start = scene->log.size();
    WindowHandle b = scene->AddChild("B");
    EXPECT_EQ(LogFrom(start), (std::vector<std::string>{"A: activate A -> B", "B: activate A -> B"}));
    start = scene->log.size();
    EXPECT_TRUE(ActivateMdiChild(scene->client, b));
    EXPECT_TRUE(LogFrom(start).empty());
    EXPECT_TRUE(ActivateMdiChild(scene->client, a));
    EXPECT_EQ(LogFrom(start), (std::vector<std::string>{"B: activate B -> A", "A: activate B -> A"}));
    EXPECT_EQ(GetFocus(), a);
    EXPECT_EQ(GetActiveMdiChild(scene->client), a);
    EXPECT_FALSE(ActivateMdiChild(scene->client, scene->frame));  // not a child of the client
}

// Next brings the second window forward and sends the old one to the back, so
// repeated Next visits every child; Previous takes the last one.
TEST_F(WinMdiTest, NextAndPreviousWalkTheZOrder) {
    scene->AddChild("A");
    scene->AddChild("B");
    scene->AddChild("C");
    EXPECT_EQ(ZOrder(), (std::vector<std::string>{"C", "B", "A"}));
    ActivateNextMdiChild(scene->client, false);
    EXPECT_EQ(ZOrder(), (std::vector<std::string>{"B", "A", "C"}));
    ActivateNextMdiChild(scene->client, false);
    EXPECT_EQ(ZOrder(), (std::vector<std::string>{"A", "C", "B"}));
    ActivateNextMdiChild(scene->client, true);
    EXPECT_EQ(ZOrder(), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(GetWindowText(GetActiveMdiChild(scene->client)), "B");
}

// Closing the active child activates the next in Z-order; closing the last
// leaves none active and the loser is told so.
TEST_F(WinMdiTest, ClosingTheActiveChildActivatesTheNextInZOrder) {
    WindowHandle a = scene->AddChild("A");
    scene->AddChild("B");
    WindowHandle c = scene->AddChild("C");
    ActivateMdiChild(scene->client, a);  // Z-order A C B
    size_t start = scene->log.size();
    EXPECT_TRUE(DestroyMdiChild(scene->client, a));
    EXPECT_EQ(LogFrom(start), (std::vector<std::string>{"A: activate A -> C", "C: activate A -> C", "A: destroy"}));
    EXPECT_EQ(GetActiveMdiChild(scene->client), c);
    DestroyMdiChild(scene->client, c);
    start = scene->log.size();
    DestroyMdiChild(scene->client, GetActiveMdiChild(scene->client));
    EXPECT_EQ(LogFrom(start), (std::vector<std::string>{"B: activate B -> none", "B: destroy"}));
    EXPECT_FALSE(GetActiveMdiChild(scene->client));
}

// The maximised state belongs to the active child: a new child is maximised
// when the active one was, activation moves it along, and closing the
// maximised child maximises the next.
TEST_F(WinMdiTest, MaximisedStateFollowsActivation) {
    WindowHandle a = scene->AddChild("A");
    Rect normalA = InClient(a);
    EXPECT_TRUE(MaximizeMdiChild(scene->client, a));
    EXPECT_EQ(InClient(a), GetClientRect(scene->client));
    WindowHandle b = scene->AddChild("B");
    EXPECT_EQ(GetMdiChildState(b), MdiChildState::Maximized);
    EXPECT_EQ(GetMdiChildState(a), MdiChildState::Normal);
    EXPECT_EQ(InClient(a), normalA);  // restored to where it was
    EXPECT_EQ(MdiFrameTitle(scene->frame), "Scene - [B]");
    ActivateMdiChild(scene->client, a);
    EXPECT_EQ(GetMdiChildState(a), MdiChildState::Maximized);
    EXPECT_EQ(GetMdiChildState(b), MdiChildState::Normal);
    DestroyMdiChild(scene->client, a);
    EXPECT_EQ(GetMdiChildState(b), MdiChildState::Maximized);
    EXPECT_TRUE(RestoreMdiChild(scene->client, b));
    EXPECT_EQ(MdiFrameTitle(scene->frame), "Scene");
}

// The layer's frame: caption and borders around a normal child's client area
// and its scroll bars; a maximised child keeps only the scroll bars; an icon has
// no client area. The image follows the client size and client coordinates
// start inside the frame.
TEST_F(WinMdiTest, FrameInsetsShapeTheClientArea) {
    WindowHandle a = scene->AddChild("A");
    MoveWindow(a, Rect{10, 20, 310, 220}, false);
    int32_t frame = GetSystemMetric(SystemMetric::FrameWidth);
    int32_t caption = GetSystemMetric(SystemMetric::CaptionHeight);
    int32_t scroll = GetSystemMetric(SystemMetric::VerticalScrollWidth);
    EXPECT_EQ(GetClientRect(a), (Rect{0, 0, 300 - 2 * frame - scroll, 200 - 2 * frame - caption - scroll}));
    Point origin = ClientToScreen(scene->client, Point{0, 0});
    EXPECT_EQ(ClientToScreen(a, Point{0, 0}), (Point{origin.x + 10 + frame, origin.y + 20 + frame + caption}));
    EXPECT_EQ(GetWindowRect(a).left, origin.x + 10);
    gfx::BitmapInfo info;
    ASSERT_TRUE(gfx::GetBitmapInfo(GetWindowImage(a), &info));
    EXPECT_EQ(info.width, GetClientRect(a).Width());
    MaximizeMdiChild(scene->client, a);
    Rect client = GetClientRect(scene->client);
    EXPECT_EQ(GetClientRect(a), (Rect{0, 0, client.Width() - scroll, client.Height() - scroll}));
    ASSERT_TRUE(gfx::GetBitmapInfo(GetWindowImage(a), &info));
    EXPECT_EQ(info.height, client.Height() - scroll);
    MinimizeMdiChild(scene->client, a);
    EXPECT_TRUE(GetClientRect(a).IsEmpty());
    EXPECT_TRUE(GetMdiFrameParts(a).verticalScroll.IsEmpty());
}

// Cascade: the bottom of the stack at the top-left, each next one a caption and
// a border further, all of one size that leaves room for every step; the
// active child ends on top and last.
TEST_F(WinMdiTest, CascadeStaggersFromTheBottomOfTheStack) {
    WindowHandle a = scene->AddChild("A");
    WindowHandle b = scene->AddChild("B");
    ActivateMdiChild(scene->client, a);  // Z-order A B: B is at the bottom
    ASSERT_TRUE(CascadeMdiChildren(scene->client));
    Rect client = GetClientRect(scene->client);
    int32_t step = GetSystemMetric(SystemMetric::CaptionHeight) + GetSystemMetric(SystemMetric::FrameHeight);
    int32_t steps = client.Height() / (3 * step);
    Size size{client.Width() - steps * step, client.Height() - steps * step};
    EXPECT_EQ(InClient(b), (Rect{0, 0, size.cx, size.cy}));
    EXPECT_EQ(InClient(a), (Rect{step, step, step + size.cx, step + size.cy}));
    EXPECT_EQ(GetActiveMdiChild(scene->client), a);
}

// Horizontal tiling stacks strips in floor(sqrt(n)) columns, the last columns
// taking the extra windows; vertical tiling swaps rows and columns. Z-order
// fills the places from the top-left.
TEST_F(WinMdiTest, TileFillsColumnsOrRows) {
    for (const char* name : {"A", "B", "C"}) scene->AddChild(name);
    Rect client = GetClientRect(scene->client);
    ASSERT_TRUE(TileMdiChildren(scene->client, MdiTile::Horizontal));
    std::vector<WindowHandle> z = MdiChildrenInZOrder(scene->client);
    int32_t third = client.Height() / 3;
    EXPECT_EQ(InClient(z[0]), (Rect{0, 0, client.Width(), third}));
    EXPECT_EQ(InClient(z[2]).bottom, client.Height());
    TileMdiChildren(scene->client, MdiTile::Vertical);
    EXPECT_EQ(InClient(z[1]), (Rect{client.Width() / 3, 0, client.Width() * 2 / 3, client.Height()}));
    for (const char* name : {"D", "E"}) scene->AddChild(name);
    TileMdiChildren(scene->client, MdiTile::Horizontal);  // 5 windows: columns of 2 and 3
    z = MdiChildrenInZOrder(scene->client);
    EXPECT_EQ(InClient(z[1]), (Rect{0, client.Height() / 2, client.Width() / 2, client.Height()}));
    EXPECT_EQ(InClient(z[2]), (Rect{client.Width() / 2, 0, client.Width(), client.Height() / 3}));
}

// Icons line up along the bottom, oldest first; cascade and tile keep their row
// free; restoring brings the window back to its rectangle.
TEST_F(WinMdiTest, IconsKeepTheBottomRow) {
    WindowHandle a = scene->AddChild("A");
    WindowHandle b = scene->AddChild("B");
    WindowHandle c = scene->AddChild("C");
    Rect before = InClient(b);
    Rect client = GetClientRect(scene->client);
    MinimizeMdiChild(scene->client, b);
    MinimizeMdiChild(scene->client, a);
    int32_t iconHeight = GetSystemMetric(SystemMetric::CaptionHeight) + 2 * GetSystemMetric(SystemMetric::FrameWidth);
    EXPECT_EQ(InClient(a), (Rect{0, client.Height() - iconHeight, 160, client.Height()}));
    EXPECT_EQ(InClient(b), (Rect{160, client.Height() - iconHeight, 320, client.Height()}));
    TileMdiChildren(scene->client, MdiTile::Horizontal);
    EXPECT_EQ(InClient(c), (Rect{0, 0, client.Width(), client.Height() - iconHeight}));
    RestoreMdiChild(scene->client, b);
    EXPECT_EQ(InClient(b), before);
    EXPECT_EQ(InClient(a).left, 0);  // the remaining icon moves up to the first place
}

// The window menu lists the children after a separator, in id order, the active
// one checked, and is rebuilt when it opens; choosing an item activates that
// child and restores an icon.
TEST_F(WinMdiTest, WindowMenuListsAndActivatesChildren) {
    WindowHandle a = scene->AddChild("A");
    scene->AddChild("B");
    MinimizeMdiChild(scene->client, a);
    ui::UpdateMdiWindowMenu(scene->client);
    int32_t count = ui::GetMenuItemCount(scene->windowMenu);
    ASSERT_EQ(count, 8);
    EXPECT_EQ(ui::GetMenuItemText(scene->windowMenu, 6), "&1 A");
    EXPECT_EQ(ui::GetMenuItemText(scene->windowMenu, 7), "&2 B");
    EXPECT_EQ(ui::GetMenuItemFlags(scene->windowMenu, 40501) & ui::kMenuChecked, ui::kMenuChecked);
    SetWindowText(a, "A renamed");
    ASSERT_TRUE(ui::headless::ChooseMenuCommand(scene->frame, 40500));
    scene->Pump();
    EXPECT_EQ(GetActiveMdiChild(scene->client), a);
    EXPECT_EQ(GetMdiChildState(a), MdiChildState::Normal);
    EXPECT_EQ(ui::GetMenuItemText(scene->windowMenu, 6), "&1 A renamed");  // rebuilt on opening
    EXPECT_EQ(ui::GetMenuItemCount(scene->windowMenu), 8);  // not listed twice
    EXPECT_FALSE(ui::headless::ChooseMenuCommand(scene->frame, 40509));  // no tenth child
}

// Beyond nine children the menu ends with "More Windows...", whose list dialog
// activates the child chosen; Cancel changes nothing.
TEST_F(WinMdiTest, MoreWindowsListsEveryChild) {
    for (int i = 1; i <= 11; ++i) scene->AddChild("S" + std::to_string(i));
    ui::UpdateMdiWindowMenu(scene->client);
    int32_t count = ui::GetMenuItemCount(scene->windowMenu);
    EXPECT_EQ(ui::GetMenuItemText(scene->windowMenu, count - 1), "&More Windows...");
    EXPECT_EQ(ui::GetMenuItemText(scene->windowMenu, count - 2), "&9 S9");
    ui::headless::SetDialogScript(ui::kMoreWindowsDialogId, [](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Selection(ui::kMoreWindowsListId), 10);  // the active child, S11
        d.Select(ui::kMoreWindowsListId, 9);
        d.PressEnter();
    });
    ASSERT_TRUE(ui::headless::ChooseMenuCommand(scene->frame, 40509));
    scene->Pump();
    EXPECT_EQ(GetWindowText(GetActiveMdiChild(scene->client)), "S10");
    ui::headless::SetDialogScript(ui::kMoreWindowsDialogId, [](ui::headless::DialogDriver& d) {
        d.Select(ui::kMoreWindowsListId, 0);
        d.PressEscape();
    });
    ui::headless::ChooseMenuCommand(scene->frame, 40509);
    scene->Pump();
    EXPECT_EQ(GetWindowText(GetActiveMdiChild(scene->client)), "S10");
}

// Switching the frame's menu moves the list into the new window menu and takes
// it out of the old one.
TEST_F(WinMdiTest, SetMdiMenuMovesTheList) {
    scene->AddChild("A");
    ui::UpdateMdiWindowMenu(scene->client);
    MenuHandle bar = ui::CreateMenuBar();
    MenuHandle window = ui::CreatePopupMenu();
    ui::AppendMenuItem(window, 57648, "&New Window");
    ui::AppendSubmenu(bar, window, "&Window");
    int32_t oldCount = ui::GetMenuItemCount(scene->windowMenu);
    EXPECT_EQ(ui::SetMdiMenu(scene->client, bar, window), scene->bar);
    EXPECT_EQ(GetWindowMenu(scene->frame), bar);
    EXPECT_EQ(ui::GetMenuItemCount(scene->windowMenu), oldCount - 2);
    EXPECT_EQ(ui::GetMenuItemText(window, 2), "&1 A");
    ui::SetMdiMenu(scene->client, scene->bar, scene->windowMenu);
    ui::DestroyMenu(bar);
}

// The frame's buttons and the document-window keys: the close button sends the
// window menu's Close command, whose default sends Close (whose default closes the
// child), a press on another child's caption
// activates it, Ctrl+F6 and Ctrl+F4 act on the active child, other keys and a
// key without Control are left to the loop.
TEST_F(WinMdiTest, FrameButtonsAndKeysActOnChildren) {
    WindowHandle a = scene->AddChild("A");
    WindowHandle b = scene->AddChild("B");
    TileMdiChildren(scene->client, MdiTile::Vertical);
    MdiFrameParts parts = GetMdiFrameParts(a);
    EXPECT_EQ(PressMdiFrame(a, Point{parts.caption.left + 2, parts.caption.top + 2}), MdiHit::Caption);
    EXPECT_EQ(GetActiveMdiChild(scene->client), a);
    EXPECT_EQ(MdiHitTest(a, Point{1, 1}), MdiHit::Border);
    EXPECT_EQ(MdiHitTest(a, Point{-1, 1}), MdiHit::Nowhere);
    Rect close = GetMdiFrameParts(b).closeButton;
    size_t start = scene->log.size();
    EXPECT_EQ(PressMdiFrame(b, Point{close.left + 1, close.top + 1}), MdiHit::CloseButton);
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(LogFrom(start).at(2), "B: system command f060");
    EXPECT_EQ(LogFrom(start).at(3), "B: close");
    WindowHandle c = scene->AddChild("C");
    QueuedMessage f6{c, Message::KeyDown, static_cast<uint32_t>(FunctionKey(6)), 1};
    EXPECT_FALSE(TranslateMdiSysAccel(scene->client, f6));  // Control is up
    headless::SetKeyDown(Key::Control, true);
    EXPECT_TRUE(TranslateMdiSysAccel(scene->client, f6));
    EXPECT_EQ(GetActiveMdiChild(scene->client), a);
    QueuedMessage f4{a, Message::KeyDown, static_cast<uint32_t>(FunctionKey(4)), 1};
    start = scene->log.size();
    EXPECT_TRUE(TranslateMdiSysAccel(scene->client, f4));
    EXPECT_FALSE(IsWindow(a));
    EXPECT_EQ(LogFrom(start).at(0), "A: system command f060");
    EXPECT_FALSE(TranslateMdiSysAccel(scene->client, QueuedMessage{c, Message::KeyDown, 'A', 1}));
    headless::SetKeyDown(Key::Control, false);
}

// An input-language change sent to the frame reaches every document window.
TEST_F(WinMdiTest, InputLanguageChangeReachesTheChildren) {
    scene->AddChild("A");
    scene->AddChild("B");
    size_t start = scene->log.size();
    SendMessage(scene->frame, Message::InputLanguageChange, 177, 0x040D);
    std::vector<std::string> log = LogFrom(start);
    EXPECT_NE(std::find(log.begin(), log.end(), "A: input language 177"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "B: input language 177"), log.end());
}

// A press in a child's client area (or in a window inside it) activates the
// child before the press is delivered.
TEST_F(WinMdiTest, PressInsideAChildActivatesIt) {
    WindowHandle a = scene->AddChild("A");
    scene->AddChild("B");
    headless::PostMouse(a, Message::LeftButtonDown, Point{5, 5}, kMouseLeftButton);
    EXPECT_EQ(GetActiveMdiChild(scene->client), a);
    scene->Pump();
    EXPECT_EQ(scene->log.back(), "A: left down 5,5");
}

// A press in the active child whose keyboard went to another window (a window of
// its own beside the frame) gives it the keyboard back; a press while the keyboard
// is inside the child (on a window of its own) leaves it there, and a disabled
// frame's child takes nothing.
TEST_F(WinMdiTest, PressInTheActiveChildTakesTheKeyboardBack) {
    WindowHandle a = scene->AddChild("A");
    ASSERT_EQ(GetActiveMdiChild(scene->client), a);
    WindowClass fieldClass;
    fieldClass.name = "InnerField";
    fieldClass.procedure = DefaultWindowProc;
    RegisterWindowClass(fieldClass);
    WindowParams aside;
    aside.className = "InnerField";
    aside.style = kStylePopup | kStyleVisible;
    aside.rect = {300, 300, 340, 340};
    WindowHandle elsewhere = CreateWindow(aside);
    ASSERT_TRUE(elsewhere);
    SetFocus(elsewhere);
    ASSERT_EQ(GetFocus(), elsewhere);
    headless::PostMouse(a, Message::LeftButtonDown, Point{5, 5}, kMouseLeftButton);
    EXPECT_EQ(GetFocus(), a);
    WindowParams inner;
    inner.className = "InnerField";
    inner.style = kStyleChild | kStyleVisible;
    inner.parent = a;
    inner.rect = {0, 0, 10, 10};
    WindowHandle field = CreateWindow(inner);
    ASSERT_TRUE(field);
    SetFocus(field);
    headless::PostMouse(a, Message::LeftButtonDown, Point{6, 6}, kMouseLeftButton);
    EXPECT_EQ(GetFocus(), field);
    SetFocus(elsewhere);
    EnableWindow(scene->frame, false);
    headless::PostMouse(a, Message::LeftButtonDown, Point{7, 7}, kMouseLeftButton);
    EXPECT_EQ(GetFocus(), elsewhere);
    EnableWindow(scene->frame, true);
    scene->Pump();
    DestroyWindow(elsewhere);
    UnregisterWindowClass("InnerField");
}

// The model's invariants: ids contiguous from the first, the active child first
// in Z-order, the client's children in Z-order, at most one maximised child and
// that one active, no negative client areas.
void CheckInvariants(WindowHandle client) {
    std::vector<WindowHandle> z = MdiChildrenInZOrder(client);
    std::set<int32_t> ids;
    int maximized = 0;
    for (WindowHandle w : z) {
        ids.insert(GetWindowId(w));
        Rect c = GetClientRect(w);
        ASSERT_GE(c.Width(), 0);
        ASSERT_GE(c.Height(), 0);
        if (GetMdiChildState(w) == MdiChildState::Maximized) {
            ++maximized;
            ASSERT_EQ(w, GetActiveMdiChild(client));
        }
    }
    ASSERT_LE(maximized, 1);
    ASSERT_EQ(ids.size(), z.size());
    if (!z.empty()) {
        ASSERT_EQ(*ids.begin(), 40500);
        ASSERT_EQ(*ids.rbegin(), 40500 + static_cast<int32_t>(z.size()) - 1);
        ASSERT_EQ(z.front(), GetActiveMdiChild(client));
    }
    ASSERT_EQ(ChildWindows(client), z);
}

// Every operation mixed at random, the frame resized now and then, with the
// invariants checked after each step.
TEST_F(WinMdiTest, RandomMixKeepsTheInvariants) {
    std::mt19937 random(20240611);
    int created = 0;
    for (int step = 0; step < 600; ++step) {
        std::vector<WindowHandle> z = MdiChildrenInZOrder(scene->client);
        WindowHandle any = z.empty() ? WindowHandle{} : z[random() % z.size()];
        switch (random() % 12) {
            case 0:
            case 1:
                if (z.size() < 14) scene->AddChild("W" + std::to_string(++created));
                break;
            case 2:
                DestroyMdiChild(scene->client, any);
                break;
            case 3:
                DestroyWindow(any);
                break;
            case 4:
                ActivateMdiChild(scene->client, any);
                break;
            case 5:
                ActivateNextMdiChild(scene->client, random() % 2 == 0);
                break;
            case 6:
                MaximizeMdiChild(scene->client, any);
                break;
            case 7:
                MinimizeMdiChild(scene->client, any);
                break;
            case 8:
                RestoreMdiChild(scene->client, any);
                break;
            case 9:
                random() % 2 ? CascadeMdiChildren(scene->client)
                             : TileMdiChildren(scene->client, random() % 2 ? MdiTile::Vertical : MdiTile::Horizontal);
                break;
            case 10:
                MoveWindow(scene->client, Rect{0, 0, static_cast<int32_t>(random() % 700), static_cast<int32_t>(random() % 500)}, false);
                break;
            default:
                ui::headless::ChooseMenuCommand(scene->frame, 40500 + static_cast<int32_t>(random() % 10));
                scene->Pump();
                break;
        }
        CheckInvariants(scene->client);
        if (HasFatalFailure()) {
            ADD_FAILURE() << "after step " << step;
            return;
        }
    }
}

// The scene's whole sequence of user actions on the headless backend: what the
// procedures were told, and the state at a few telling points.
TEST_F(WinMdiTest, SceneSequenceOnTheHeadlessBackend) {
    testing::HeadlessSceneInput input;
    std::vector<std::string> states = testing::RunMdiSequence(*scene, input);
    ASSERT_EQ(states.size(), 16u);
    EXPECT_NE(states[4].find("active=Score 1"), std::string::npos) << states[4];
    EXPECT_NE(states[7].find("title=\"Scene - [Score 2]\""), std::string::npos) << states[7];
    EXPECT_NE(states[8].find("Score 3 id=40502 maximised"), std::string::npos) << states[8];
    // Ctrl+F4 closed the active icon, Score 1; the ids closed up.
    EXPECT_NE(states[15].find("active=Score 2"), std::string::npos) << states[15];
    EXPECT_NE(states[15].find("Score 2 id=40500 normal"), std::string::npos) << states[15];
    // Ctrl+F6 was taken by the document-window keys: Score 3 saw Control go down,
    // and Score 2, active by then, saw the keys go up.
    std::vector<std::string> expected{"Score 3: key down 17", "Score 3: activate Score 3 -> Score 2",
                                      "Score 2: activate Score 3 -> Score 2", "Score 2: key up 117",
                                      "Score 2: key up 17"};
    EXPECT_NE(std::search(scene->log.begin(), scene->log.end(), expected.begin(), expected.end()), scene->log.end());
}

}  // namespace
}  // namespace ql::win
