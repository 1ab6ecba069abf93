// Dialogs from templates run modally with scripts: stepping and clamping an
// edit with an up-down, nesting, missing templates and the language fallback,
// the default Cancel, refusals of unreachable controls, help and owner-draw
// requests, and the modeless dialog's keyboard.
#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using headless::DialogDriver;
using win::Message;

constexpr int32_t kEditId = 101;
constexpr int32_t kSpinId = 100;
constexpr int32_t kOpenId = 50;
constexpr int32_t kCheckId = 60;
constexpr int32_t kPictureId = 70;

ControlTemplate Control(const char* cls, int32_t id, uint32_t style, const char* text = "") {
    return ControlTemplate{cls, id, text, DialogUnitRect{10, 10, 40, 12}, style | win::kStyleVisible, 0};
}

DialogTemplate Dialog(const char* caption, std::vector<ControlTemplate> controls) {
    controls.push_back(Control(kButtonClass, kIdOk, kButtonDefaultPush | win::kStyleTabStop, "OK"));
    controls.push_back(Control(kButtonClass, kIdCancel, kButtonPush | win::kStyleTabStop, "Cancel"));
    return DialogTemplate{caption, DialogUnitRect{0, 0, 200, 100}, kDialogCentre, "", 8, std::move(controls)};
}

// A procedure that ends with the edit's number on OK and with Cancel on Cancel.
intptr_t EndOnButtons(WindowHandle d, Message m, uint32_t word, intptr_t) {
    if (m != Message::Command) return 0;
    if (win::CommandId(word) == kIdOk) return EndDialog(d, GetItemInt(d, kEditId).value_or(-99));
    if (win::CommandId(word) == kIdCancel) return EndDialog(d, kIdCancel);
    return 0;
}

class UiDialogTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        program = std::make_shared<sys::ResourceBundle>();
        program->name = "program";
        sys::SetProgramBundle(program);
        win::WindowClass frameClass;
        frameClass.name = "Frame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams params;
        params.className = "Frame";
        params.style = win::kStyleVisible;
        frame = win::CreateWindow(params);
    }

    std::shared_ptr<sys::ResourceBundle> program;
    WindowHandle frame;
};

// The up-down writes its clamped position into its buddy edit, tells the dialog
// each press, and OK returns the value the edit shows.
TEST_F(UiDialogTest, UpDownWithBuddyStepsClampsAndOkReturnsTheValue) {
    program->dialogs[200] = Dialog("Spin", {Control(kEditClass, kEditId, win::kStyleTabStop),
                                           Control(kUpDownClass, kSpinId, kUpDownAutoBuddy | kUpDownSetBuddyInt)});
    std::vector<std::pair<win::ScrollCode, int32_t>> presses;
    auto procedure = [&presses](WindowHandle d, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::InitDialog) {
            SetUpDownRange(GetDialogItem(d, kSpinId), 1, 5);
            SetUpDownPosition(GetDialogItem(d, kSpinId), 3);
            return 1;
        }
        if (m == Message::VerticalScroll) {
            EXPECT_EQ(win::WindowFromData(data), GetDialogItem(d, kSpinId));
            presses.emplace_back(win::ScrollCodeOf(word), win::ScrollPositionOf(word));
            return 1;
        }
        return EndOnButtons(d, m, word, data);
    };
    headless::SetDialogScript(200, [](DialogDriver& dlg) {
        EXPECT_EQ(dlg.Text(kEditId), "3");
        EXPECT_TRUE(dlg.StepUpDown(kSpinId, 4));
        EXPECT_EQ(dlg.Text(kEditId), "5");
        dlg.StepUpDown(kSpinId, -1);
        dlg.Click(kIdOk);
    });
    EXPECT_EQ(RunModalDialog(200, frame, procedure), 4);
    using enum win::ScrollCode;
    EXPECT_EQ(presses, (std::vector<std::pair<win::ScrollCode, int32_t>>{
                           {LineUp, 4}, {LineUp, 5}, {LineUp, 5}, {LineUp, 5}, {LineDown, 4}}));
}

// A dialog that steps its own edit (no buddy writing): typed text is read back,
// each arrow steps by one, the top of the range beeps and holds.
TEST_F(UiDialogTest, ProcedureSteppedEditClampsAtItsMaximumWithABeep) {
    constexpr int32_t kMaximum = 10;
    program->dialogs[201] = Dialog("Field", {Control(kEditClass, kEditId, win::kStyleTabStop),
                                            Control(kUpDownClass, kSpinId, kUpDownAutoBuddy)});
    auto procedure = [](WindowHandle d, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::VerticalScroll) {
            bool down = win::ScrollCodeOf(word) == win::ScrollCode::LineDown;
            int32_t value = GetItemInt(d, kEditId).value_or(0) + (down ? -1 : 1);
            if (value > kMaximum)
                Beep(BeepKind::Stop);
            else
                SetItemInt(d, kEditId, value);
            return 1;
        }
        return EndOnButtons(d, m, word, data);
    };
    headless::SetDialogScript(201, [](DialogDriver& dlg) {
        dlg.Type(kEditId, "9");
        dlg.StepUpDown(kSpinId, 2);
        EXPECT_EQ(dlg.Int(kEditId), 10);
        dlg.PressEnter();
    });
    EXPECT_EQ(RunModalDialog(201, frame, procedure), 10);
    EXPECT_EQ(headless::Beeps(), std::vector<BeepKind>{BeepKind::Stop});
}

// Dialogs opened from inside other dialogs' scripts run to a depth of ten; each
// owner is disabled while its inner dialog runs and enabled again afterwards.
TEST_F(UiDialogTest, DialogsNestTenDeepFromInsideScripts) {
    constexpr int32_t kFirst = 300;
    constexpr int kDepth = 10;
    int deepest = 0;
    std::function<intptr_t(WindowHandle, Message, uint32_t, intptr_t)> procedure;
    procedure = [&](WindowHandle d, Message m, uint32_t word, intptr_t) -> intptr_t {
        if (m != Message::Command) return 0;
        int32_t id = GetDialogTemplateId(d).Number();
        if (win::CommandId(word) == kOpenId) {
            intptr_t inner = RunModalDialog(id + 1, d, procedure);
            EXPECT_TRUE(win::IsWindowEnabled(d));
            return EndDialog(d, inner + 1);
        }
        return win::CommandId(word) == kIdOk ? EndDialog(d, 1) : 0;
    };
    for (int i = 0; i < kDepth; ++i) {
        program->dialogs[kFirst + i] = Dialog("Level", {Control(kButtonClass, kOpenId, kButtonPush, "Open")});
        bool innermost = i == kDepth - 1;
        headless::SetDialogScript(kFirst + i, [&deepest, innermost](DialogDriver& dlg) {
            if (!innermost) {
                dlg.Click(kOpenId);
                return;
            }
            deepest = headless::OpenDialogDepth();
            EXPECT_FALSE(win::IsWindowEnabled(win::GetOwner(dlg.Dialog())));
            dlg.Click(kIdOk);
        });
    }
    EXPECT_EQ(RunModalDialog(kFirst, frame, procedure), kDepth);
    EXPECT_EQ(deepest, kDepth);
    EXPECT_EQ(headless::OpenDialogDepth(), 0);
    ASSERT_EQ(headless::Dialogs().size(), static_cast<size_t>(kDepth));
    EXPECT_EQ(headless::Dialogs().front().depth, kDepth);
    EXPECT_EQ(headless::Dialogs().back().depth, 1);
    EXPECT_TRUE(win::IsWindowEnabled(frame));
    EXPECT_EQ(win::TopLevelWindows().size(), 1u);  // every dialog was destroyed
}

// A centred dialog is centred on its owner, or on the screen when it has none.
TEST_F(UiDialogTest, CentredDialogIsCentredOnItsOwnerOrTheScreen) {
    program->dialogs[210] = Dialog("Centred", {});  // 200 x 100 units: 300 x 162 pixels
    win::headless::SetScreenSize(win::Size{800, 600});
    win::MoveWindow(frame, win::Rect{100, 100, 500, 400}, false);
    auto procedure = [](WindowHandle, Message m, uint32_t, intptr_t) -> intptr_t {
        return m == Message::InitDialog;
    };
    WindowHandle owned = CreateModelessDialog(210, frame, procedure);
    WindowHandle alone = CreateModelessDialog(210, WindowHandle{}, procedure);
    EXPECT_EQ(win::GetWindowRect(owned), (win::Rect{150, 169, 450, 331}));
    EXPECT_EQ(win::GetWindowRect(alone), (win::Rect{250, 219, 550, 381}));
}

// A missing template returns -1 at once: nothing is built and the owner stays enabled.
TEST_F(UiDialogTest, MissingTemplateReturnsMinusOne) {
    bool called = false;
    auto procedure = [&called](WindowHandle, Message, uint32_t, intptr_t) -> intptr_t {
        called = true;
        return 0;
    };
    EXPECT_EQ(RunModalDialog(999, frame, procedure), kDialogFailed);
    EXPECT_FALSE(called);
    EXPECT_TRUE(win::IsWindowEnabled(frame));
    EXPECT_EQ(win::TopLevelWindows().size(), 1u);
}

// The language bundle's template is used when it has one; otherwise the
// program's own is found, unless the lookup is limited to the language bundle.
TEST_F(UiDialogTest, LanguageBundleFirstThenTheProgramsOwn) {
    auto language = std::make_shared<sys::ResourceBundle>();
    language->dialogs[400] = Dialog("Langue", {});
    program->dialogs[400] = Dialog("Program", {});
    program->dialogs[401] = Dialog("Only in the program", {});
    sys::SetLanguageBundle(language);
    std::string caption;
    auto procedure = [&caption](WindowHandle d, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::InitDialog) caption = win::GetWindowText(d);
        return EndOnButtons(d, m, word, data);
    };
    RunModalDialog(400, frame, procedure);
    EXPECT_EQ(caption, "Langue");
    EXPECT_EQ(RunModalDialog(401, frame, procedure), kIdCancel);
    EXPECT_EQ(caption, "Only in the program");
    EXPECT_EQ(RunModalDialog(401, frame, procedure, 0, sys::Lookup::LanguageOnly), kDialogFailed);
}

// A dialog without a script is answered with Escape, which its procedure takes
// as Cancel; one whose procedure ignores Cancel still ends (with -1).
TEST_F(UiDialogTest, UnscriptedDialogIsCancelledAndOneThatRefusesEndsWithMinusOne) {
    program->dialogs[500] = Dialog("Plain", {Control(kEditClass, kEditId, 0)});
    EXPECT_EQ(RunModalDialog(500, frame, EndOnButtons), kIdCancel);
    auto stubborn = [](WindowHandle, Message m, uint32_t, intptr_t) -> intptr_t { return m == Message::Command; };
    EXPECT_EQ(RunModalDialog(500, frame, stubborn), kDialogFailed);
}

// Messages a dialog posts to itself in answer to the script's last action are
// delivered before the dialog is let go.
TEST_F(UiDialogTest, MessagesPostedDuringTheScriptReachTheDialog) {
    constexpr Message kFinish = win::PrivateMessage(0x40);
    program->dialogs[502] =
        Dialog("Deferred", {Control(kButtonClass, kOpenId, kButtonPush, "Apply")});
    auto procedure = [kFinish](WindowHandle d, Message m, uint32_t word,
                               intptr_t data) -> intptr_t {
        if (m == Message::Command && win::CommandId(word) == kOpenId)
            return win::PostMessage(d, kFinish, 42);
        if (m == kFinish) return EndDialog(d, word);
        return EndOnButtons(d, m, word, data);
    };
    headless::SetDialogScript(502, [](DialogDriver& dlg) { dlg.Click(kOpenId); });
    EXPECT_EQ(RunModalDialog(502, frame, procedure), 42);
}

// Buttons that are disabled or hidden cannot be pressed by a script, as a
// user could not reach them; once enabled they work.
TEST_F(UiDialogTest, ScriptCannotPressDisabledOrHiddenControls) {
    program->dialogs[600] = Dialog("Guarded", {Control(kButtonClass, kCheckId, kButtonAutoCheckBox, "Check")});
    auto procedure = [](WindowHandle d, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::InitDialog) {
            EnableItem(d, kIdOk, false);
            ShowItem(d, kCheckId, false);
            return 1;
        }
        return EndOnButtons(d, m, word, data);
    };
    headless::SetDialogScript(600, [](DialogDriver& dlg) {
        EXPECT_FALSE(dlg.Click(kIdOk));
        EXPECT_FALSE(dlg.PressEnter());
        EXPECT_FALSE(dlg.SetChecked(kCheckId, true));
        EXPECT_FALSE(dlg.IsChecked(kCheckId));
        EXPECT_TRUE(dlg.IsOpen());
        EnableItem(dlg.Dialog(), kIdOk, true);
        SetItemText(dlg.Dialog(), kEditId, "ignored: no such control");
        EXPECT_TRUE(dlg.Click(kIdOk));
    });
    EXPECT_EQ(RunModalDialog(600, frame, procedure), -99);  // OK with no edit to read
}

// An owner that was already disabled before the dialog stays disabled after it.
TEST_F(UiDialogTest, OwnerDisabledBeforeTheDialogStaysDisabled) {
    program->dialogs[700] = Dialog("Box", {});
    win::EnableWindow(frame, false);
    RunModalDialog(700, frame, EndOnButtons);
    EXPECT_FALSE(win::IsWindowEnabled(frame));
}

// A dialog ended during InitDialog returns that value without its script running.
TEST_F(UiDialogTest, DialogEndedDuringInitialisationSkipsItsScript) {
    program->dialogs[701] = Dialog("Quick", {});
    bool scriptRan = false;
    headless::SetDialogScript(701, [&scriptRan](DialogDriver&) { scriptRan = true; });
    auto procedure = [](WindowHandle d, Message m, uint32_t, intptr_t data) -> intptr_t {
        if (m == Message::InitDialog) EndDialog(d, data);
        return 0;
    };
    EXPECT_EQ(RunModalDialog(701, frame, procedure, 77), 77);
    EXPECT_FALSE(scriptRan);
}

// A help request names the control and carries a pointer position inside it.
TEST_F(UiDialogTest, HelpRequestNamesTheControlUnderThePointer) {
    program->dialogs[800] = Dialog("Helpful", {Control(kEditClass, kEditId, 0)});
    win::HelpInfo seen;
    win::Rect controlRect;
    auto procedure = [&](WindowHandle d, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::Help) {
            seen = *reinterpret_cast<const win::HelpInfo*>(data);
            controlRect = win::GetWindowRect(GetDialogItem(d, kEditId));
            return 1;
        }
        return EndOnButtons(d, m, word, data);
    };
    headless::SetDialogScript(800, [](DialogDriver& dlg) { dlg.RequestHelp(kEditId); });
    RunModalDialog(800, frame, procedure);
    EXPECT_EQ(seen.controlId, kEditId);
    EXPECT_TRUE(controlRect.Contains(seen.mouse));
}

// An owner-drawn button's drawing request carries the item state and a context
// on the button's own image.
TEST_F(UiDialogTest, OwnerDrawRequestDrawsOnTheButtonsImage) {
    program->dialogs[801] = Dialog("Logo", {Control(kButtonClass, kPictureId, kButtonOwnerDraw)});
    uint32_t state = 0;
    platform::BitmapHandle image;
    auto procedure = [&](WindowHandle d, Message m, uint32_t word, intptr_t data) -> intptr_t {
        if (m == Message::DrawItem) {
            const auto& item = *reinterpret_cast<const win::DrawItemInfo*>(data);
            state = item.state;
            gfx::FillRect(item.dc, item.rect, gfx::GetStockBrush(gfx::StockBrush::Black));
            image = win::GetWindowImage(item.control);
            return 1;
        }
        return EndOnButtons(d, m, word, data);
    };
    bool drawn = false;
    headless::SetDialogScript(801, [&](DialogDriver& dlg) {
        drawn = dlg.RequestDraw(kPictureId, win::kItemStateSelected, win::DrawAction::Select);
        EXPECT_EQ(gfx::GetBitmapPixel(image, 1, 1), gfx::kBlack);
    });
    RunModalDialog(801, frame, procedure);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(state, win::kItemStateSelected);
}

// When a dialog paints, its owner-drawn buttons ask the dialog to draw them whole.
TEST_F(UiDialogTest, PaintingAnOwnerDrawnButtonAsksTheDialogToDrawIt) {
    program->dialogs[803] = Dialog("Logo", {Control(kButtonClass, kPictureId, kButtonOwnerDraw)});
    std::vector<win::DrawAction> actions;
    auto procedure = [&actions](WindowHandle, Message m, uint32_t, intptr_t data) -> intptr_t {
        if (m == Message::DrawItem) actions.push_back(reinterpret_cast<const win::DrawItemInfo*>(data)->action);
        return m == Message::DrawItem || m == Message::InitDialog;
    };
    WindowHandle dialog = CreateModelessDialog(803, frame, procedure);
    ASSERT_TRUE(dialog);
    win::PumpMessages();
    EXPECT_EQ(actions, std::vector<win::DrawAction>{win::DrawAction::DrawEntire});
    win::DestroyWindow(dialog);
}

// A Quit that arrives while a dialog pumps its messages is kept for the outer loop.
TEST_F(UiDialogTest, QuitTakenInsideADialogIsPostedAgain) {
    program->dialogs[802] = Dialog("Busy", {});
    headless::SetDialogScript(802, [](DialogDriver& dlg) {
        win::PostQuitMessage(5);
        EXPECT_FALSE(dlg.PumpMessages());
        dlg.PressEscape();
    });
    RunModalDialog(802, frame, EndOnButtons);
    win::PumpResult after = win::PumpMessages();
    EXPECT_TRUE(after.quit);
    EXPECT_EQ(after.exitCode, 5);
}

// A modeless dialog takes the keys of its own windows: Enter presses its
// default button and Escape its Cancel; other windows' messages pass by.
TEST_F(UiDialogTest, ModelessDialogTakesEnterAndEscapeOfItsOwnWindows) {
    program->dialogs[900] = Dialog("Progress", {Control(kEditClass, kEditId, win::kStyleTabStop)});
    std::vector<uint32_t> commands;
    auto procedure = [&commands](WindowHandle d, Message m, uint32_t word, intptr_t) -> intptr_t {
        if (m == Message::Command && win::CommandCode(word) == kButtonClicked) commands.push_back(win::CommandId(word));
        if (m == Message::Command && win::CommandId(word) == kIdCancel) EndDialog(d, 0);
        return m == Message::Command || m == Message::InitDialog;
    };
    WindowHandle dialog = CreateModelessDialog(900, frame, procedure);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(win::IsWindowVisible(dialog));
    WindowHandle edit = GetDialogItem(dialog, kEditId);
    EXPECT_EQ(win::GetFocus(), edit);  // InitDialog's default answer focuses the first tab stop
    win::headless::PostKeyStroke(edit, win::Key::Enter);
    win::headless::PostKeyStroke(frame, win::Key::Escape);
    win::headless::PostKeyStroke(edit, win::Key::Escape);
    std::vector<win::QueuedMessage> passed;
    win::MessageFilter filters[] = {[dialog](const win::QueuedMessage& m) { return IsDialogMessage(dialog, m); },
                                    [&passed](const win::QueuedMessage& m) {
                                        if (m.message == Message::KeyDown || m.message == Message::KeyUp)
                                            passed.push_back(m);
                                        return true;
                                    }};
    win::PumpMessages(filters);
    EXPECT_EQ(commands, (std::vector<uint32_t>{kIdOk, kIdCancel}));
    EXPECT_EQ(passed.size(), 2u);  // the frame's KeyDown and KeyUp
    EXPECT_FALSE(win::IsWindowVisible(dialog));
    EXPECT_TRUE(win::DestroyWindow(dialog));
}

// Enter in a multi-line edit starts a new line there and leaves the default button
// alone; in a single-line edit it presses the default button.
TEST_F(UiDialogTest, EnterStartsANewLineInAMultiLineEditOnly) {
    constexpr int32_t kLinesId = 102;
    program->dialogs[901] = Dialog("Text", {Control(kEditClass, kLinesId, kEditMultiLine | win::kStyleTabStop),
                                            Control(kEditClass, kEditId, win::kStyleTabStop)});
    std::vector<uint32_t> pressed;
    auto procedure = [&pressed](WindowHandle, Message m, uint32_t word, intptr_t) -> intptr_t {
        if (m == Message::Command && win::CommandCode(word) == kButtonClicked) pressed.push_back(win::CommandId(word));
        return m == Message::Command || m == Message::InitDialog;
    };
    WindowHandle dialog = CreateModelessDialog(901, frame, procedure);
    ASSERT_TRUE(dialog);
    WindowHandle lines = GetDialogItem(dialog, kLinesId);
    win::SetFocus(lines);
    win::headless::PostKeyStroke(lines, static_cast<win::Key>('A'), 'a');
    win::headless::PostKeyStroke(lines, win::Key::Enter, '\r');
    win::headless::PostKeyStroke(lines, static_cast<win::Key>('B'), 'b');
    win::MessageFilter filters[] = {[dialog](const win::QueuedMessage& m) { return IsDialogMessage(dialog, m); }};
    win::PumpMessages(filters);
    EXPECT_EQ(GetItemText(dialog, kLinesId), "a\nb");
    EXPECT_TRUE(pressed.empty());
    WindowHandle single = GetDialogItem(dialog, kEditId);
    win::SetFocus(single);
    win::headless::PostKeyStroke(single, win::Key::Enter, '\r');
    win::PumpMessages(filters);
    EXPECT_EQ(GetItemText(dialog, kEditId), "");
    EXPECT_EQ(pressed, (std::vector<uint32_t>{kIdOk}));
    EXPECT_TRUE(win::DestroyWindow(dialog));
}

}  // namespace
}  // namespace ql::ui

namespace ql::ui {
namespace {

// The keyboard goes back where it was when a modal dialog ends: a child window of
// the owner that had the focus has it again (keys typed after the dialog reach it),
// and a focus window that closed meanwhile gives the focus to the owner.
TEST_F(UiDialogTest, AModalDialogGivesTheFocusBackWhenItEnds) {
    program->dialogs[230] = Dialog("Focus", {Control(kEditClass, kEditId, win::kStyleTabStop)});
    win::WindowParams params;
    params.className = "Frame";
    params.parent = frame;
    params.style = win::kStyleVisible | win::kStyleChild;
    const WindowHandle view = win::CreateWindow(params);
    win::SetFocus(view);
    headless::SetDialogScript(230, [](DialogDriver& dlg) { dlg.Click(kIdOk); });
    RunModalDialog(230, frame, EndOnButtons);
    EXPECT_EQ(win::GetFocus(), view);

    headless::SetDialogScript(230, [view](DialogDriver& dlg) {
        win::DestroyWindow(view);
        dlg.Click(kIdOk);
    });
    RunModalDialog(230, frame, EndOnButtons);
    EXPECT_EQ(win::GetFocus(), frame);
}

}  // namespace
}  // namespace ql::ui
