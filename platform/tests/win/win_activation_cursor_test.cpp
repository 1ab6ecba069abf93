// Activation of top-level windows and the cursor chosen by the window under the
// pointer: who hears Activate and in which order, and SetCursor before each
// pointer move with the part of the window hit, answered by the class cursor.
#include <gtest/gtest.h>

#include <vector>

#include "platform/tests/win/mdi_scene.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/activation.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::win {
namespace {

struct Heard {
    WindowHandle window;
    Message message;
    uint32_t word;
    intptr_t data;
};

class WinActivationCursorTest : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        Register("Pointed", LoadSystemCursor(SystemCursor::Cross));
        Register("Bare", CursorHandle{});
    }

    void Register(const char* name, CursorHandle cursor) {
        WindowClass cls;
        cls.name = name;
        cls.cursor = cursor;
        cls.procedure = [this](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
            if (m == Message::Activate || m == Message::SetCursor || m == Message::MouseMove)
                heard.push_back({w, m, word, data});
            return DefaultWindowProc(w, m, word, data);
        };
        ASSERT_TRUE(RegisterWindowClass(cls));
    }

    WindowHandle Make(const char* cls, WindowHandle parent = {}) {
        WindowParams params;
        params.className = cls;
        params.style = kStyleVisible | (parent ? kStyleChild : 0);
        params.parent = parent;
        params.rect = Rect{10, 10, 210, 110};
        return CreateWindow(params);
    }

    void Move(WindowHandle window, Point client, uint32_t flags = 0) {
        headless::PostMouse(window, Message::MouseMove, client, flags);
        PumpMessages();
    }

    std::vector<Heard> heard;
};

// The window losing activation hears it first, naming the new one; the new one
// then hears it, naming the old one. The same window again, a child or a stale
// handle change nothing; null (another program's window) only deactivates.
TEST_F(WinActivationCursorTest, ActivationGoesFromTheOldTopLevelToTheNew) {
    const WindowHandle frame = Make("Bare");
    const WindowHandle palette = Make("Bare");
    const WindowHandle child = Make("Bare", frame);
    EXPECT_EQ(SetActiveWindow(frame), WindowHandle{});
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].window, frame);
    EXPECT_EQ(heard[0].word, static_cast<uint32_t>(ActivateState::Active));
    EXPECT_EQ(heard[0].data, 0);

    heard.clear();
    EXPECT_EQ(SetActiveWindow(palette), frame);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].window, frame);
    EXPECT_EQ(heard[0].word, static_cast<uint32_t>(ActivateState::Inactive));
    EXPECT_EQ(heard[0].data, HandleData(palette));
    EXPECT_EQ(heard[1].window, palette);
    EXPECT_EQ(heard[1].word, static_cast<uint32_t>(ActivateState::Active));
    EXPECT_EQ(heard[1].data, HandleData(frame));

    heard.clear();
    SetActiveWindow(palette);
    EXPECT_EQ(SetActiveWindow(child), WindowHandle{});
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(GetActiveWindow(), palette);

    SetActiveWindow(WindowHandle{});
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].word, static_cast<uint32_t>(ActivateState::Inactive));
    EXPECT_EQ(GetActiveWindow(), WindowHandle{});

    // An active window destroyed leaves no active window behind.
    SetActiveWindow(frame);
    DestroyWindow(frame);
    EXPECT_EQ(GetActiveWindow(), WindowHandle{});
}

// A move over a window asks it for the cursor first, with the client area and the
// move named; the class cursor is shown. A class without a cursor leaves the one
// set before (the window's own mouse handling chooses it).
TEST_F(WinActivationCursorTest, APointerMoveAsksTheWindowUnderItForItsCursor) {
    const WindowHandle pointed = Make("Pointed");
    const WindowHandle bare = Make("Bare");
    const CursorHandle wait = LoadSystemCursor(SystemCursor::Wait);
    SetCursor(wait);
    Move(pointed, Point{5, 5});
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].message, Message::SetCursor);
    EXPECT_EQ(heard[0].word, static_cast<uint32_t>(HitArea::Client));
    EXPECT_EQ(heard[0].data, static_cast<intptr_t>(ToRaw(Message::MouseMove)));
    EXPECT_EQ(heard[1].message, Message::MouseMove);
    EXPECT_EQ(GetCursor(), LoadSystemCursor(SystemCursor::Cross));

    SetCursor(wait);
    Move(bare, Point{5, 5});
    EXPECT_EQ(GetCursor(), wait);

    // Buttons and other presses ask nothing; only moves do.
    heard.clear();
    headless::PostMouse(pointed, Message::LeftButtonUp, Point{5, 5});
    PumpMessages();
    ASSERT_EQ(heard.size(), 0u);
}

// While a window holds the capture its cursor stays: no window is asked, not even
// the capturing one.
TEST_F(WinActivationCursorTest, TheCaptureKeepsTheCursor) {
    const WindowHandle pointed = Make("Pointed");
    const WindowHandle bare = Make("Bare");
    SetCapture(bare);
    const CursorHandle grip = LoadSystemCursor(SystemCursor::SizeAll);
    SetCursor(grip);
    Move(pointed, Point{5, 5}, kMouseLeftButton);
    for (const Heard& h : heard) EXPECT_NE(h.message, Message::SetCursor);
    EXPECT_EQ(GetCursor(), grip);
    ReleaseCapture();
    Move(pointed, Point{6, 6});
    EXPECT_EQ(GetCursor(), LoadSystemCursor(SystemCursor::Cross));
}

// Over a document child the parts of the frame the layer draws are named; the
// default shows the arrow there, and the class cursor only over the client area.
TEST_F(WinActivationCursorTest, TheFrameOfADocumentChildShowsTheArrow) {
    std::unique_ptr<testing::MdiScene> scene = testing::MdiScene::Build();
    const WindowHandle child = scene->AddChild("Score 1");
    RestoreMdiChild(GetParent(child), child);
    const MdiFrameParts parts = GetMdiFrameParts(child);
    const Point captionInClient{parts.caption.left + 20 - parts.client.left,
                                parts.caption.top + 2 - parts.client.top};
    EXPECT_EQ(HitTestWindow(child, captionInClient), HitArea::Caption);
    EXPECT_EQ(HitTestWindow(child, Point{-parts.client.left, 40}), HitArea::Border);
    EXPECT_EQ(HitTestWindow(child, Point{3, 3}), HitArea::Client);
    EXPECT_EQ(HitTestWindow(child, Point{-5000, -5000}), HitArea::Nowhere);

    SetCursor(LoadSystemCursor(SystemCursor::Wait));
    SendSetCursor(child, captionInClient, Message::MouseMove);
    EXPECT_EQ(GetCursor(), LoadSystemCursor(SystemCursor::Arrow));
}

}  // namespace
}  // namespace ql::win
