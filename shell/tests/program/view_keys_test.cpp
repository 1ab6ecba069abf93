// The keys of a score window on a real score: each key of the two tables reaches
// the action it stands for with the modifiers it needs, Insert and Shift+Delete
// drive the block clipboard, the arrows and the wheel
// move the view, and the play/record filter lets only painting, scrolling, Space
// and the transport and view-mode commands through while the transport runs.
#include <gtest/gtest.h>

#include <initializer_list>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "core/undo/undo.h"
#include "display/view_modes.h"
#include "display/zoom.h"
#include "editing/block_clipboard.h"
#include "editing/palette_windows.h"
#include "editing/tool_dispatch.h"
#include "layout/page/page_dialog_resources.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/language.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_transport.h"
#include "shell/shell_services.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using win::Key;
using win::Message;

class ViewKeysTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_EQ(Start(), StartupCode::Ok);
        const std::string path = WriteScore("keys.ql");
        ASSERT_TRUE(OpenScorePath(path));
        view_ = FindViewByPath(path);
        ASSERT_NE(view_, nullptr);
    }

    // A key stroke with the modifiers held.
    void Press(Key key, std::initializer_list<Key> held = {}) {
        Press(static_cast<uint32_t>(key), held);
    }
    void Press(uint32_t key, std::initializer_list<Key> held = {}) {
        for (Key k : held) win::headless::SetKeyDown(k, true);
        win::SendMessage(view_->ViewWindow, Message::KeyDown, key);
        win::SendMessage(view_->ViewWindow, Message::KeyUp, key);
        for (Key k : held) win::headless::SetKeyDown(k, false);
    }
    void Command(int32_t id) {
        win::SendMessage(Frame().window, Message::Command,
                         win::MakeCommandWord(static_cast<uint32_t>(id), 0));
    }
    int32_t OriginY() { return ScrollY(view_); }

    ScoreView* view_ = nullptr;
};

TEST_F(ViewKeysTest, FirstTablePagesAndJumpsWithCtrl) {
    const int32_t top = OriginY();
    Press(Key::PageDown);
    const int32_t down = OriginY();
    EXPECT_GT(down, top) << "PageDown scrolls half a window down";
    Press(Key::PageUp);
    EXPECT_LT(OriginY(), down);
    Press(Key::PageDown, {Key::Control});
    EXPECT_LE(OriginY(), 28671);
    EXPECT_EQ(OriginY(), std::min(view_->PageBottom - view_->visibleRect.Height() / 3, 28671));
    Press(Key::PageUp, {Key::Control});
    EXPECT_EQ(OriginY(), -30720) << "Ctrl+PageUp goes to the top";
}

TEST_F(ViewKeysTest, EscapeHidesTheTextCaret) {
    view_->CaretShown = 1;
    Press(Key::Escape);
    EXPECT_EQ(view_->CaretShown, 0);
}

TEST_F(ViewKeysTest, TempoStepsWithCtrlAndNumericPlusMinus) {
    const int tempo = TempoSetting();
    Press(Key::Add, {Key::Control});
    EXPECT_EQ(TempoSetting(), tempo + 1);
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_NE(ui::headless::StatusTexts().back().text.find(" Tempo = " + std::to_string(tempo + 1)),
              std::string::npos);
    Press(Key::Subtract, {Key::Control});
    Press(Key::Subtract, {Key::Control});
    EXPECT_EQ(TempoSetting(), tempo - 1);
    Press(Key::Add);  // without a modifier the tempo stays
    EXPECT_EQ(TempoSetting(), tempo - 1);
}

// A view with a mixer window tells it each new tempo.
TEST_F(ViewKeysTest, TempoStepsTellTheViewsMixer) {
    static std::vector<uint32_t> told;
    told.clear();
    win::WindowClass mixerClass;
    mixerClass.name = "TestMixer";
    mixerClass.procedure = [](platform::WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == kMsgMixerTempo) told.push_back(word);
        return win::DefaultWindowProc(w, m, word, data);
    };
    ASSERT_TRUE(win::RegisterWindowClass(mixerClass));
    win::WindowParams params;
    params.className = "TestMixer";
    view_->MixerWindow = win::CreateWindow(params);
    ASSERT_TRUE(view_->MixerWindow);
    const int tempo = TempoSetting();
    Press(Key::Add, {Key::Control});
    Press(Key::Subtract, {Key::Control});
    Pump();
    EXPECT_EQ(told, (std::vector<uint32_t>{static_cast<uint32_t>(tempo + 1), static_cast<uint32_t>(tempo)}));
    win::DestroyWindow(view_->MixerWindow);
    view_->MixerWindow = {};
}

// A right click with the Graphics group current brings its palette's centre to the
// pointer; with the Note group, or while an element is hovered, the palette stays.
TEST_F(ViewKeysTest, RightClickBringsTheGroupsPaletteToThePointer) {
    const platform::WindowHandle palette = PaletteWindow(static_cast<int>(ToolGroup::Graphics) + 1);
    ASSERT_TRUE(palette);
    win::ShowWindow(palette, win::ShowCommand::ShowNoActivate);
    const gfx::Rect before = win::GetWindowRect(palette);
    const win::Point pointer{600, 500};
    win::SetCursorPosition(pointer);
    const auto click = [&] {
        win::SendMessage(view_->ViewWindow, Message::RightButtonDown, win::kMouseRightButton,
                         win::PackPoint(win::ScreenToClient(view_->ViewWindow, pointer)));
        win::SendMessage(view_->ViewWindow, Message::RightButtonUp, 0,
                         win::PackPoint(win::ScreenToClient(view_->ViewWindow, pointer)));
    };
    SetCurrentToolGroup(ToolGroup::Note);
    click();
    EXPECT_EQ(win::GetWindowRect(palette), before) << "the Note group's click moves no palette";
    SetCurrentToolGroup(ToolGroup::Graphics);
    click();
    const gfx::Rect after = win::GetWindowRect(palette);
    EXPECT_EQ(after.Width(), before.Width());
    EXPECT_EQ((after.left + after.right) / 2, pointer.x);
    EXPECT_EQ((after.top + after.bottom) / 2, pointer.y);
    EXPECT_TRUE(win::IsWindowVisible(palette));
}

TEST_F(ViewKeysTest, LettersMoveThePointerByALogicalStep) {
    const LogicalPoint start = view_->pointerPoint;
    Press('D');
    EXPECT_EQ(view_->pointerPoint.y, start.y + 64);
    Press('R');
    EXPECT_EQ(view_->pointerPoint.x, start.x + 64);
    Press('U');
    Press('L');
    EXPECT_EQ(view_->pointerPoint.x, start.x);
    EXPECT_EQ(view_->pointerPoint.y, start.y);
}

// The pointer letters are the language's: one naming Q, K and W for D, L and R
// (the "STDLRBE" group as "STQKWBE") moves the pointer by them; in English Q does not
// move it. Ctrl with a letter stays the menus' key.
TEST_F(ViewKeysTest, PointerLettersFollowTheLanguage) {
    testing::WriteFileBytes(scratch / "program" / "QLzz.lang",
                            "[Strings]\n3=Quaverlinescribe\n1200=Probe\n1761=stqkwbe\n");
    const LogicalPoint start = view_->pointerPoint;
    Press('Q');
    EXPECT_EQ(view_->pointerPoint.y, start.y) << "Q is no pointer letter in English";
    ASSERT_EQ(ChooseLanguage("Probe"), "Probe");
    Press('Q');
    EXPECT_EQ(view_->pointerPoint.y, start.y + 64);
    Press('W');
    EXPECT_EQ(view_->pointerPoint.x, start.x + 64);
    Press('K');
    Press('U');
    EXPECT_EQ(view_->pointerPoint.x, start.x);
    EXPECT_EQ(view_->pointerPoint.y, start.y);
    ChooseLanguage(kBuiltInLanguage);
    Press('Q');
    EXPECT_EQ(view_->pointerPoint.y, start.y);
}

TEST_F(ViewKeysTest, GPrefixOpensGoToPageAndOtherKeysClearIt) {
    int runs = 0;
    ui::headless::SetDialogScript(go_to_page_dialog::kGoToPageDialog,
                                  [&runs](ui::headless::DialogDriver& d) {
                                      ++runs;
                                      d.Click(ui::kIdCancel);
                                  });
    Press('P');
    EXPECT_EQ(runs, 0) << "P alone is the tool's";
    Press('G', {Key::Control});
    Press('P');
    EXPECT_EQ(runs, 1);
    Press('G', {Key::Control});
    Press('Q');
    Press('P');
    EXPECT_EQ(runs, 1) << "another key cleared the prefix";
}

TEST_F(ViewKeysTest, CtrlDigitsStoreAndRecallQuickZooms) {
    const int32_t zoom = view_->zoom;
    Press('2', {Key::Control, Key::Alt});
    EXPECT_EQ(State().display.painter.quickZoom[1].zoom, zoom);
    SetZoom(view_, zoom + 4);
    Press('2', {Key::Control});
    EXPECT_EQ(view_->zoom, zoom) << "Ctrl+2 recalls quick zoom 2";
    SetZoom(view_, zoom + 4);
    Press('Z');
    EXPECT_EQ(view_->zoom, zoom) << "Z goes back to the previous level";
}

TEST_F(ViewKeysTest, DigitsPressTheCurrentPalettesButtons) {
    SetCurrentToolGroup(ToolGroup::Note);
    Press('3');
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 2);
    Press('3', {Key::Control});  // Ctrl+3 is a quick zoom, not a button
    Press('5');
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 4);
}

TEST_F(ViewKeysTest, CtrlZAndCtrlYUndoAndRedo) {
    {
        UndoStep step(view_->document, view_, UndoKind::Page, 0, UndoVerb::Change);
        view_->document->header.tempo = static_cast<uint16_t>(view_->document->header.tempo + 1);
        SetDocumentModified(view_->document);
    }
    ASSERT_EQ(UndoDepth(view_->document), 1);
    Press('Z', {Key::Control});
    EXPECT_EQ(UndoDepth(view_->document), 0);
    EXPECT_EQ(RedoDepth(view_->document), 1);
    Press('Y', {Key::Control});
    EXPECT_EQ(UndoDepth(view_->document), 1);
}

// Insert and Shift+Delete drive the block clipboard: Ctrl+Insert marks the view's
// staff and measure for a single-staff copy, Insert with the marquee in edit mode but
// no marquee drawn takes no range and empties the block, Shift+Delete with the
// marquee in edit mode empties the block and captures (nothing, with no marquee);
// without an element in edit mode Shift+Delete is left to the tool.
TEST_F(ViewKeysTest, InsertAndShiftDeleteDriveTheBlockClipboard) {
    ClearBlockClipboard();
    Press(Key::Insert, {Key::Control});
    EXPECT_TRUE(StaffBlockMarked()) << "Ctrl+Insert marks the place";
    Press(Key::Delete, {Key::Shift});
    EXPECT_FALSE(NoteCaptureValid()) << "nothing in edit mode: no capture";

    SelectionState* s = State().documents.Selection;
    ASSERT_NE(s, nullptr);
    auto* record = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    ASSERT_NE(record, nullptr);
    s->toolType = 0;
    s->editMode = 1;
    s->focusRecord = Ref32<HitRecord>::To(record);
    State().blockClipboard.source.document = view_->document;
    Press(Key::Insert);
    EXPECT_FALSE(BlockHeld()) << "no marquee drawn: no range, the block is emptied";
    State().blockClipboard.source.document = view_->document;
    Press(Key::Delete, {Key::Shift});
    EXPECT_FALSE(BlockHeld()) << "Shift+Delete empties the block";
    EXPECT_FALSE(NoteCaptureValid()) << "and captures nothing without a marquee";
    s->editMode = 0;
    s->focusRecord = {};
    FreeStaticRecord(kHitRecordPool, record);
    ClearBlockClipboard();
}

// Ctrl+Shift+Insert reaches the view as Copy Notes (the menu names that key); with
// nothing in edit mode it still marks the place for a single-staff copy.
TEST_F(ViewKeysTest, CopyNotesKeyWithoutAMarqueeMarksThePlace) {
    ClearBlockClipboard();
    constexpr int kCopyNotes = 40216;
    EXPECT_EQ(ViewOnCommand(view_, kCopyNotes), 1);
    EXPECT_TRUE(StaffBlockMarked());
    ClearBlockClipboard();
}

TEST_F(ViewKeysTest, F5InvalidatesTheWindow) {
    win::UpdateWindow(view_->ViewWindow);
    ASSERT_TRUE(win::GetUpdateRect(view_->ViewWindow).IsEmpty());
    win::ValidateRect(view_->ViewWindow, nullptr);
    Press(win::FunctionKey(5));
    EXPECT_FALSE(win::GetUpdateRect(view_->ViewWindow).IsEmpty());
}

TEST_F(ViewKeysTest, WheelScrollsByNotchesAndZoomsWithCtrl) {
    auto wheel = [&](int delta) {
        win::SendMessage(view_->ViewWindow, Message::MouseWheel,
                         static_cast<uint32_t>(delta) << 16);
    };
    const int32_t top = OriginY();
    wheel(119);
    EXPECT_EQ(OriginY(), top) << "less than a notch does nothing";
    wheel(-240);
    const int32_t two = OriginY();
    EXPECT_GT(two, top);
    wheel(120);
    EXPECT_LT(OriginY(), two);
    EXPECT_GT(OriginY(), top) << "one notch back of two";
    const int32_t zoom = view_->zoom;
    win::headless::SetKeyDown(Key::Control, true);
    wheel(120);
    wheel(120);  // within 500 ms of the first: dropped
    win::headless::SetKeyDown(Key::Control, false);
    EXPECT_NE(view_->zoom, zoom);
    EXPECT_EQ(view_->zoom, SteppedZoom(zoom, 1, false, false));
}

TEST_F(ViewKeysTest, TransportFilterPassesOnlyItsMessagesWhilePlaying) {
    Press(Key::Space);
    ASSERT_EQ(Transport().started, 1);
    EXPECT_EQ(Transport().playingView, view_);
    const int32_t top = OriginY();
    Press(Key::PageDown);
    EXPECT_EQ(OriginY(), top) << "keys other than Space are held back";
    int runs = 0;
    ui::headless::SetDialogScript(go_to_page_dialog::kGoToPageDialog,
                                  [&runs](ui::headless::DialogDriver& d) {
                                      ++runs;
                                      d.Click(ui::kIdCancel);
                                  });
    Command(40455);
    EXPECT_EQ(runs, 0) << "Go to Page waits for Stop";
    win::SendMessage(view_->ViewWindow, Message::VerticalScroll,
                     win::MakeScrollWord(win::ScrollCode::PageDown, 0));
    EXPECT_GT(OriginY(), top) << "the scroll bar still scrolls";
    const int32_t scrolled = OriginY();
    win::SendMessage(view_->ViewWindow, Message::MouseWheel, static_cast<uint32_t>(-120) << 16);
    EXPECT_GT(OriginY(), scrolled) << "so does the wheel";
    Command(40146);  // Scroll View passes
    EXPECT_EQ(view_->pageView, 0);
    Command(40147);
    EXPECT_EQ(view_->pageView, 1);
    Command(42037);  // Stop passes, and ends the filter
    EXPECT_EQ(Transport().started, 0);
    Command(40455);
    EXPECT_EQ(runs, 1);
    const int32_t before = OriginY();
    Press(Key::PageDown);
    EXPECT_NE(OriginY(), before);
}

TEST_F(ViewKeysTest, WhileRecordingAWindowRefusesToClose) {
    Transport().recording = 1;
    win::SendMessage(view_->ViewWindow, Message::Close);
    EXPECT_TRUE(win::IsWindow(view_->ViewWindow));
    Transport().recording = 0;
    const platform::WindowHandle window = view_->ViewWindow;
    win::SendMessage(window, Message::Close);
    EXPECT_FALSE(win::IsWindow(window));
}

}  // namespace
}  // namespace ql
