// The guards and the bad input of the score windows' view procedures: the warning
// about a file of the later version comes after the paint and once per score, an
// exception in a view command ends in the emergency copy and exit code 1 without a
// save question, a bad armed type is mended from the tool group, and messages and
// commands no table knows, or sent to a window being closed, do no harm.
#include "shell/program/view_procedures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <stdexcept>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/objects/hit_record.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tool_dispatch.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/exception_guard.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/shell_services.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using win::Message;

class ViewProceduresTest : public testing::ProgramFixture {
  protected:
    ScoreView* OpenScore(const std::string& name) {
        const std::string path = WriteScore(name);
        if (!OpenScorePath(path)) return nullptr;
        return FindViewByPath(path);
    }
    size_t Boxes() const { return ui::headless::MessageBoxes().size(); }
    void Paint(ScoreView* view) {
        win::InvalidateRect(view->ViewWindow, nullptr, true);
        win::UpdateWindow(view->ViewWindow);
    }
};

TEST_F(ViewProceduresTest, LaterVersionWarningComesAfterThePaintOncePerScore) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScore("later.ql");
    ASSERT_NE(view, nullptr);
    Pump();
    view->document->laterMajorVersion = 1;
    const size_t before = Boxes();
    Paint(view);
    EXPECT_EQ(Boxes(), before) << "no box inside the paint";
    Pump();
    ASSERT_EQ(Boxes(), before + 1);
    const ui::headless::MessageBoxRecord& box = ui::headless::MessageBoxes().back();
    EXPECT_NE(box.text.find("created by Quaverlinescribe Version 3"), std::string::npos);
    EXPECT_EQ(box.style & ui::kBoxIconMask, ui::kBoxIconExclamation);
    EXPECT_EQ(box.owner, view->ViewWindow);
    ScoreView* second = OpenViewOfDocument(view);
    ASSERT_NE(second, nullptr);
    Paint(view);
    Paint(second);
    Pump();
    EXPECT_EQ(Boxes(), before + 1) << "once per score, whatever its views";
}

void ThrowingCommand(int command) {
    if (command == 40131) throw std::runtime_error("refresh failed");
}

TEST_F(ViewProceduresTest, AnExceptionInAViewCommandSavesAndExitsWithOne) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScore("failing.ql");
    ASSERT_NE(view, nullptr);
    SetDocumentModified(view->document);
    SetViewCommandHook(ThrowingCommand);
    const size_t before = Boxes();
    win::SendMessage(Frame().window, Message::Command, win::MakeCommandWord(40131, 0));
    win::SendMessage(Frame().window, Message::Command, win::MakeCommandWord(40131, 0));
    EXPECT_EQ(win::RunMessageLoop(), kExceptionExitCode);
    running_ = false;
    ASSERT_EQ(Boxes(), before + 1) << "one stop box, no save question";
    const ui::headless::MessageBoxRecord& box = ui::headless::MessageBoxes().back();
    EXPECT_EQ(box.style & ui::kBoxIconMask, ui::kBoxIconStop);
    EXPECT_NE(box.text.find("view window command processing"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(scratch / "AUTOERR.QL"));
}

// Each tool group mends an armed type past the table to its own.
TEST_F(ViewProceduresTest, ABadArmedTypeIsResetFromTheToolGroup) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScore("armed.ql");
    ASSERT_NE(view, nullptr);
    SelectionState* s = State().documents.Selection;
    ASSERT_NE(s, nullptr);
    const struct {
        ToolGroup group;
        int type;
    } cases[] = {{ToolGroup::Staff, 13}, {ToolGroup::Note, 29},       {ToolGroup::Graphics, 0},
                 {ToolGroup::Text, 0},   {ToolGroup::Performance, 0}, {ToolGroup::Pointer, 0},
                 {ToolGroup::Zoom, 19}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.group));
        SetCurrentToolGroup(c.group);
        s->toolType = 55;
        win::SendMessage(view->ViewWindow, Message::Char, 'x');
        EXPECT_EQ(s->toolType, c.type);
        EXPECT_EQ(s->defaultObject, Ref32<ScoreObject>::To(view->document->prototypes[c.type]));
    }
    s->toolType = 54;  // the check's own bound: kept
    win::SendMessage(view->ViewWindow, Message::Char, 'x');
    EXPECT_EQ(s->toolType, 54);
}

TEST_F(ViewProceduresTest, UnknownCommandsAndOutOfRangeScrollsDoNoHarm) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScore("bad.ql");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(ViewOnCommand(view, 12345), 0);
    EXPECT_EQ(win::SendMessage(view->ViewWindow, Message::Command, win::MakeCommandWord(12345, 0)),
              1)
        << "the frame's default processing runs";
    EXPECT_EQ(ViewOnCommand(nullptr, 40131), 0);
    EXPECT_EQ(ViewMessageProc(nullptr, view->ViewWindow, Message::KeyDown, 'Z', 0), 0);
    for (int position : {32767, -32768, 0}) {
        win::SendMessage(view->ViewWindow, Message::VerticalScroll,
                         win::MakeScrollWord(win::ScrollCode::ThumbPosition, position));
        win::SendMessage(view->ViewWindow, Message::HorizontalScroll,
                         win::MakeScrollWord(win::ScrollCode::ThumbPosition, position));
        EXPECT_GE(ScrollY(view), -30720);
        EXPECT_LE(ScrollY(view), std::max(-30720, view->PageBottom - 512));
        EXPECT_GE(ScrollX(view), -30720);
    }
    const platform::WindowHandle window = view->ViewWindow;
    win::SendMessage(window, Message::Close);
    ASSERT_FALSE(win::IsWindow(window));
    win::SendMessage(window, Message::KeyDown, 'Z');
    win::SendMessage(window, Message::Paint);
    EXPECT_EQ(CountOpenViews(), 0);
}

// A seeded stream of paint, scroll, key, mouse, timer and command messages to
// three windows on two scores, one closed part-way through and still sent to.
TEST_F(ViewProceduresTest, TenThousandMixedMessagesCrashNothing) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* a = OpenScore("fuzz-a.ql");
    ScoreView* b = OpenScore("fuzz-b.ql");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ScoreView* c = OpenViewOfDocument(a);
    ASSERT_NE(c, nullptr);
    // Small windows keep the many paints quick.
    win::MoveWindow(Frame().window, {0, 0, 420, 360}, true);
    win::TileMdiChildren(Frame().mdiClient, win::MdiTile::Vertical);
    Pump();
    std::vector<platform::WindowHandle> windows = {a->ViewWindow, b->ViewWindow, c->ViewWindow};
    const uint32_t keys[] = {0x21, 0x22, 0x24, 0x25, 0x26, 0x27, 0x28, 0x1B, 0x0D, 0x2D, 0x2E,
                             0x6B, 0x6D, '1',  '2',  '3',  '4',  '5',  '7',  'D',  'L',  'U',
                             'R',  'Z',  'Y',  'C',  'X',  'E',  'V',  0x74, 0x10, 0x11, 0x12};
    const int32_t commands[] = {40131, 42030, 42031, 42043, 42044, 40146, 40147, 40363,
                                40364, 42039, 42040, 42023, 42024, 42028, 42029, 57643,
                                57644, 40405, 40420, 57634, 57635, 57637, 40216, 42036,
                                42037, 42038, 40158, 40220, 12345, 0};
    const Message mice[] = {Message::MouseMove,     Message::LeftButtonDown,
                            Message::LeftButtonUp,  Message::RightButtonDown,
                            Message::RightButtonUp, Message::LeftButtonDoubleClick};
    const win::Key modifiers[] = {win::Key::Shift, win::Key::Control, win::Key::Alt};
    ui::headless::QueuePopupMenuChoice(0);
    std::mt19937 random(20261207u);
    auto pick = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    for (int i = 0; i < 10000; ++i) {
        if (i == 5000 && win::IsWindow(windows[2])) win::SendMessage(windows[2], Message::Close);
        const platform::WindowHandle window = windows[pick(windows.size())];
        for (win::Key k : modifiers) win::headless::SetKeyDown(k, pick(6) == 0);
        const win::Point at{static_cast<int32_t>(pick(1400)) - 60,
                            static_cast<int32_t>(pick(1100)) - 60};
        switch (pick(8)) {
            case 0:
                win::InvalidateRect(window, nullptr, pick(2) == 0);
                win::UpdateWindow(window);
                break;
            case 1:
                win::SendMessage(
                    window, pick(2) == 0 ? Message::VerticalScroll : Message::HorizontalScroll,
                    win::MakeScrollWord(static_cast<win::ScrollCode>(pick(9)),
                                        static_cast<int32_t>(random() % 65536) - 32768));
                break;
            case 2:
            case 3: {
                const uint32_t key = keys[pick(std::size(keys))];
                win::SendMessage(window, Message::KeyDown, key);
                if (pick(3) != 0) win::SendMessage(window, Message::KeyUp, key);
                break;
            }
            case 4:
                win::SendMessage(window, mice[pick(std::size(mice))],
                                 pick(2) == 0 ? win::kMouseLeftButton : 0u, win::PackPoint(at));
                break;
            case 5:
                win::SendMessage(window, Message::MouseWheel,
                                 static_cast<uint32_t>(static_cast<int32_t>(pick(5)) * 120 - 240)
                                     << 16);
                break;
            case 6:
                win::SendMessage(
                    window, Message::Command,
                    win::MakeCommandWord(static_cast<uint32_t>(commands[pick(std::size(commands))]),
                                         0));
                break;
            default:
                win::SendMessage(window, pick(2) == 0 ? Message::Timer : Message::Size,
                                 pick(2) == 0 ? 53u : 54u, win::PackPoint({600, 400}));
                break;
        }
        if (i % 50 == 0) Pump();
    }
    for (win::Key k : modifiers) win::headless::SetKeyDown(k, false);
    Pump();
    EXPECT_TRUE(win::IsWindow(Frame().window)) << "the program still runs";
    for (const ui::headless::MessageBoxRecord& box : ui::headless::MessageBoxes())
        EXPECT_EQ(box.text.find("An error has occured"), std::string::npos)
            << "no internal error was reported";
    EXPECT_FALSE(win::IsWindow(windows[2]));
    EXPECT_EQ(CountOpenDocuments(), 2);
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

// A score window taking the focus while a drag runs in another window of the same
// score brings the other views in line: they are painted anew. Without a drag
// elsewhere the focus repaints nothing.
TEST_F(ViewProceduresTest, FocusDuringADragElsewhereRepaintsTheOtherViews) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScore("focus.ql");
    ASSERT_NE(view, nullptr);
    ScoreView* second = OpenViewOfDocument(view);
    ASSERT_NE(second, nullptr);
    Paint(view);
    Paint(second);
    // The focus message itself, as the window taking the focus gets it.
    const auto focus = [&] {
        win::SendMessage(view->ViewWindow, Message::SetFocus, 0,
                         static_cast<intptr_t>(second->ViewWindow.bits));
    };
    focus();
    EXPECT_TRUE(win::GetUpdateRect(second->ViewWindow).IsEmpty()) << "no drag: nothing to repaint";
    // A drag holds a focused hit record.
    auto* record = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    ASSERT_NE(record, nullptr);
    uint8_t armed = 0;
    const auto dragIn = [&](platform::WindowHandle window) {
        const ScopedDocumentContext context(view);
        SelectionState* s = State().documents.Selection;
        ASSERT_NE(s, nullptr);
        s->editMode = window ? 2 : 0;
        s->boundWindow = window;
        s->focusRecord = window ? Ref32<HitRecord>::To(record) : Ref32<HitRecord>{};
        // No tool takes the focus message: what is repainted is the view's doing.
        std::swap(s->armed, armed);
    };
    dragIn(second->ViewWindow);
    focus();
    dragIn({});
    FreeStaticRecord(kHitRecordPool, record);
    EXPECT_FALSE(win::GetUpdateRect(second->ViewWindow).IsEmpty()) << "the dragged view is repainted";
}

// While an editor dialog runs (a tool's click making an object asks for its values)
// the selection holds the focus without a focus record; the view losing the focus to
// the dialog leaves that alone instead of reporting an internal error.
TEST_F(ViewProceduresTest, FocusLostToAnEditorDialogIsNoError) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScore("dialog.ql");
    ASSERT_NE(view, nullptr);
    Pump();
    SelectionState* s = TheSelectionState();
    const size_t boxes = Boxes();
    s->modal = 1;
    s->editMode = 1;
    s->focusRecord = {};
    win::SendMessage(view->ViewWindow, Message::KillFocus);
    EXPECT_EQ(Boxes(), boxes);
    EXPECT_EQ(s->editMode, 1);
    s->modal = 0;
    s->editMode = 0;
}

}  // namespace
}  // namespace ql
