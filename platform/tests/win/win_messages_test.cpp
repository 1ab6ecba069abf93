// Sending, posting (also from other threads), the quit message, message filters
// and the paint cycle of the window layer.
#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::win {
namespace {

bool IsLogged(Message m) {
    return m == Message::Command || m == Message::Timer || m == Message::KeyDown || ToRaw(m) >= kPrivateMessageBase;
}

WindowParams Params(const char* className, uint32_t style) {
    WindowParams params;
    params.className = className;
    params.style = style;
    params.rect = Rect{0, 0, 40, 30};
    return params;
}

struct Seen {
    Message message;
    uint32_t word;
    intptr_t data;
};

class WinMessagesTest : public testing::FreshWindowLayer {
protected:
    WindowHandle MakeWindow(std::vector<Seen>* log, uint32_t style = 0) {
        if (!IsClassRegistered("Recorder")) {
            WindowClass cls;
            cls.name = "Recorder";
            cls.procedure = [this](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
                if (auto found = logs_.find(w.bits); found != logs_.end() && IsLogged(m))
                    found->second->push_back(Seen{m, word, data});
                if (m == Message::Command) return static_cast<intptr_t>(word) * 2;
                return DefaultWindowProc(w, m, word, data);
            };
            RegisterWindowClass(cls);
        }
        WindowParams params;
        params.className = "Recorder";
        params.style = style;
        params.rect = Rect{0, 0, 40, 30};
        WindowHandle w = CreateWindow(params);
        logs_[w.bits] = log;
        return w;
    }

    std::map<uint32_t, std::vector<Seen>*> logs_;
};

// Send runs the procedure at once and hands back its answer; nothing is queued.
TEST_F(WinMessagesTest, SendCallsTheProcedureAtOnceAndReturnsItsAnswer) {
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log);
    EXPECT_EQ(SendMessage(w, Message::Command, 21), 42);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(headless::PendingMessageCount(), 0u);
    EXPECT_EQ(SendMessage(WindowHandle{}, Message::Command, 21), 0);  // no window, no answer
}

// Posted messages wait for the loop and come out in the order they were posted,
// private messages included.
TEST_F(WinMessagesTest, PostedMessagesArriveInPostingOrder) {
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log);
    PostMessage(w, PrivateMessage(0x33), 1);
    PostMessage(w, Message::Command, 2);
    PostMessage(w, Message::KeyDown, 3);
    EXPECT_TRUE(log.empty());
    PumpResult pumped = PumpMessages();
    EXPECT_EQ(pumped.dispatched, 3);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].message, static_cast<Message>(0x8033));
    EXPECT_EQ(log[1].word, 2u);
    EXPECT_EQ(log[2].message, Message::KeyDown);
}

// Posts from several threads all arrive, each thread's in its own order, and a
// loop blocked waiting for messages is woken by them.
TEST_F(WinMessagesTest, PostsFromOtherThreadsWakeTheLoopAndKeepEachThreadsOrder) {
    constexpr int kThreads = 4;
    constexpr uint32_t kPerThread = 250;
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log);
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([w, t] {
            for (uint32_t i = 0; i < kPerThread; ++i) PostMessage(w, Message::Command, i, t);
        });
    std::thread closer([&posters] {
        for (auto& p : posters) p.join();
        PostQuitMessage(7);
    });
    int32_t exitCode = RunMessageLoop();
    closer.join();
    EXPECT_EQ(exitCode, 7);
    ASSERT_EQ(log.size(), kThreads * kPerThread);
    std::vector<uint32_t> next(kThreads, 0);
    for (const Seen& s : log) {
        auto t = static_cast<size_t>(s.data);
        EXPECT_EQ(s.word, next[t]) << "thread " << t;
        next[t] = s.word + 1;
    }
}

// Posts from other threads stay safe while the layer is reset under them, as
// tests reset it between cases: each post wakes a backend that is still alive
// (the sanitizers report the old one's use after its replacement).
TEST_F(WinMessagesTest, PostsFromOtherThreadsSurviveALayerReset) {
    constexpr int kThreads = 4;
    constexpr int kResets = 3000;
    constexpr int kPostsDuringResets = 100000;
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log);
    std::atomic<bool> stop{false};
    std::atomic<int> posted{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&] {
            while (!stop.load()) posted += PostMessage(w, Message::Command, 1) ? 1 : 0;
        });
    // Resets go on until the posters have posted plenty in between.
    for (int i = 0; i < kResets || posted.load() < kPostsDuringResets; ++i) headless::ResetWindowLayer();
    stop = true;
    for (auto& p : posters) p.join();
    headless::ResetWindowLayer();
    WindowHandle fresh = MakeWindow(&log);  // the layer works afterwards
    log.clear();
    PostMessage(fresh, Message::Command, 2);
    EXPECT_EQ(PumpMessages().dispatched, 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].word, 2u);
}

// A window destroyed before its posted message is fetched never sees it.
TEST_F(WinMessagesTest, MessagePostedToADestroyedWindowIsDropped) {
    std::vector<Seen> a, b;
    WindowHandle first = MakeWindow(&a);
    WindowHandle second = MakeWindow(&b);
    PostMessage(first, Message::Command, 1);
    PostMessage(second, Message::Command, 2);
    DestroyWindow(first);
    EXPECT_EQ(PumpMessages().dispatched, 1);
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(b.size(), 1u);
}

// Quit waits behind the messages posted before it and ends the loop with its
// code; what was posted after it stays queued for a later loop.
TEST_F(WinMessagesTest, QuitEndsTheLoopAfterEarlierPostsAndKeepsLaterOnes) {
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log);
    PostMessage(w, Message::Command, 1);
    PostQuitMessage(3);
    PostMessage(w, Message::Command, 2);
    EXPECT_EQ(RunMessageLoop(), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(headless::PendingMessageCount(), 1u);
    PumpResult pumped = PumpMessages();
    EXPECT_FALSE(pumped.quit);
    EXPECT_EQ(log.size(), 2u);
}

// Pumping stops at a Quit and reports it without dispatching what follows.
TEST_F(WinMessagesTest, PumpStopsAtQuitAndReportsItsCode) {
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log);
    PostQuitMessage(18);
    PostMessage(w, Message::Command, 1);
    PumpResult pumped = PumpMessages();
    EXPECT_TRUE(pumped.quit);
    EXPECT_EQ(pumped.exitCode, 18);
    EXPECT_TRUE(log.empty());
}

// Filters see each message first, in order; a message a filter takes is not dispatched.
TEST_F(WinMessagesTest, FilterThatTakesAMessageKeepsItFromTheWindow) {
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log);
    std::vector<uint32_t> filtered;
    std::vector<uint32_t> secondSaw;
    std::vector<MessageFilter> filters{[&](const QueuedMessage& m) {
                                           if (m.word != 2) return false;
                                           filtered.push_back(m.word);
                                           return true;
                                       },
                                       [&](const QueuedMessage& m) {
                                           secondSaw.push_back(m.word);
                                           return false;
                                       }};
    PostMessage(w, Message::Command, 1);
    PostMessage(w, Message::Command, 2);
    PostMessage(w, Message::Command, 3);
    PostQuitMessage(0);
    RunMessageLoop(filters);
    EXPECT_EQ(filtered, std::vector<uint32_t>{2});
    EXPECT_EQ(secondSaw, (std::vector<uint32_t>{1, 3}));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].word, 3u);
}

// An invalidated window gets one Paint after the posted messages; BeginPaint
// hands out a context on the window's own image, clipped to the invalid area.
TEST_F(WinMessagesTest, PaintComesAfterPostsAndDrawsOnlyTheInvalidArea) {
    std::vector<Message> order;
    WindowClass cls;
    cls.name = "Painter";
    cls.procedure = [&order](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::Paint) {
            PaintInfo info;
            DcHandle dc = BeginPaint(w, info);
            gfx::FillRect(dc, Rect{0, 0, 40, 30}, gfx::GetStockBrush(gfx::StockBrush::Black));
            EndPaint(w, info);
        }
        if (m == Message::Paint || m == Message::Command) order.push_back(m);
        return DefaultWindowProc(w, m, word, data);
    };
    ASSERT_TRUE(RegisterWindowClass(cls));
    WindowHandle w = CreateWindow(Params("Painter", 0));
    ShowWindow(w, ShowCommand::Show);
    PumpMessages();  // the first paint after showing
    order.clear();
    DcHandle whole = GetWindowContext(w);
    gfx::FillRect(whole, Rect{0, 0, 40, 30}, gfx::GetStockBrush(gfx::StockBrush::White));
    EXPECT_TRUE(ReleaseWindowContext(w, whole));
    Rect corner{0, 0, 10, 10};
    InvalidateRect(w, &corner, false);
    PostMessage(w, Message::Command, 1);
    PumpMessages();
    EXPECT_EQ(order, (std::vector<Message>{Message::Command, Message::Paint}));
    BitmapHandle image = GetWindowImage(w);
    EXPECT_EQ(gfx::GetBitmapPixel(image, 5, 5), gfx::kBlack);
    EXPECT_EQ(gfx::GetBitmapPixel(image, 20, 20), gfx::kWhite);
    EXPECT_TRUE(GetUpdateRect(w).IsEmpty());
}

// A procedure that ignores Paint does not make the pump spin: the window is
// taken as painted.
TEST_F(WinMessagesTest, IgnoredPaintDoesNotRepeat) {
    int paints = 0;
    WindowClass cls;
    cls.name = "Lazy";
    cls.procedure = [&paints](WindowHandle, Message m, uint32_t, intptr_t) -> intptr_t {
        if (m == Message::Paint) ++paints;
        return 0;
    };
    RegisterWindowClass(cls);
    WindowHandle w = CreateWindow(Params("Lazy", kStyleVisible));
    ASSERT_TRUE(w);
    PumpMessages();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(PumpMessages().dispatched, 0);
}

// An area invalidated by the Paint handler after BeginPaint is painted again,
// by the loop and by UpdateWindow alike; one invalidated before BeginPaint is
// painted by that BeginPaint and asks for no second Paint.
TEST_F(WinMessagesTest, InvalidationMadeWhilePaintingPaintsAgain) {
    const Rect corner{0, 0, 4, 4};
    std::vector<Rect> painted;
    bool invalidateBefore = false;
    int invalidateAfter = 0;  // how many more frames the handler asks for
    WindowClass cls;
    cls.name = "Animated";
    cls.procedure = [&](WindowHandle w, Message m, uint32_t, intptr_t) -> intptr_t {
        if (m != Message::Paint) return 0;
        if (invalidateBefore) InvalidateRect(w, &corner, false);
        PaintInfo info;
        BeginPaint(w, info);
        painted.push_back(info.invalid);
        EndPaint(w, info);
        if (invalidateAfter > 0) {
            --invalidateAfter;
            InvalidateRect(w, &corner, false);
        }
        return 0;
    };
    ASSERT_TRUE(RegisterWindowClass(cls));
    WindowHandle w = CreateWindow(Params("Animated", kStyleVisible));
    const Rect whole{0, 0, 40, 30};
    // Through the loop: the whole window, then two frames of the corner.
    invalidateAfter = 2;
    PumpMessages();
    EXPECT_EQ(painted, (std::vector<Rect>{whole, corner, corner}));
    EXPECT_TRUE(GetUpdateRect(w).IsEmpty());
    // Through UpdateWindow: the corner asked for while painting stays invalid.
    painted.clear();
    invalidateAfter = 1;
    InvalidateRect(w, nullptr, false);
    UpdateWindow(w);
    EXPECT_EQ(painted, (std::vector<Rect>{whole}));
    EXPECT_EQ(GetUpdateRect(w), corner);
    PumpMessages();
    EXPECT_EQ(painted, (std::vector<Rect>{whole, corner}));
    // Invalidated before BeginPaint: painted at once, no second Paint.
    painted.clear();
    invalidateBefore = true;
    InvalidateRect(w, &corner, false);
    EXPECT_EQ(PumpMessages().dispatched, 1);
    EXPECT_TRUE(GetUpdateRect(w).IsEmpty());
}

// Hidden windows keep their invalid area and paint once shown.
TEST_F(WinMessagesTest, HiddenWindowPaintsOnlyWhenShown) {
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log, 0);
    InvalidateRect(w, nullptr, true);
    EXPECT_EQ(PumpMessages().dispatched, 0);
    ShowWindow(w, ShowCommand::Show);
    EXPECT_EQ(PumpMessages().dispatched, 1);
}

// Destroying a window ends the contexts still open on its image and frees the
// image; giving such a context back afterwards is refused, not a double release.
TEST_F(WinMessagesTest, DestroyedWindowEndsItsOpenContextsAndFreesItsImage) {
    std::vector<Seen> log;
    WindowHandle w = MakeWindow(&log, kStyleVisible);
    DcHandle whole = GetWindowContext(w);
    PaintInfo paint;
    DcHandle painting = BeginPaint(w, paint);
    ASSERT_TRUE(whole && painting);
    BitmapHandle image = GetWindowImage(w);
    ASSERT_TRUE(DestroyWindow(w));
    EXPECT_FALSE(gfx::IsContextValid(whole));
    EXPECT_FALSE(gfx::IsContextValid(painting));
    gfx::BitmapInfo info;
    EXPECT_FALSE(gfx::GetBitmapInfo(image, &info));  // freed, not kept alive by the contexts
    EXPECT_FALSE(ReleaseWindowContext(w, whole));
    EXPECT_FALSE(EndPaint(w, paint));
}

// A window gives back only the contexts it handed out.
TEST_F(WinMessagesTest, WindowRefusesToReleaseAnotherWindowsContext) {
    std::vector<Seen> a, b;
    WindowHandle first = MakeWindow(&a);
    WindowHandle second = MakeWindow(&b);
    DcHandle dc = GetWindowContext(first);
    EXPECT_FALSE(ReleaseWindowContext(second, dc));
    EXPECT_TRUE(gfx::IsContextValid(dc));
    EXPECT_TRUE(ReleaseWindowContext(first, dc));
    EXPECT_FALSE(ReleaseWindowContext(first, dc));  // already given back
}

}  // namespace
}  // namespace ql::win
