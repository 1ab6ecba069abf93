// The window-menu commands and input-language changes of a score window: Close
// closes the window (refused while recording), the command after Alt+plus is
// swallowed once, and an
// input-language change sent to the frame or to a view is stored as the input
// locale.
#include <gtest/gtest.h>

#include "core/model/score_document.h"
#include "display/input_locale.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_transport.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using win::Key;
using win::Message;
using win::SystemCommandCode;

class ViewSystemCommandsTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ResetInputLocale();
        ASSERT_EQ(Start(), StartupCode::Ok);
        const std::string path = WriteScore("syscommand.ql");
        ASSERT_TRUE(OpenScorePath(path));
        view_ = FindViewByPath(path);
        ASSERT_NE(view_, nullptr);
        window_ = view_->ViewWindow;
    }
    void TearDown() override {
        ResetInputLocale();
        ProgramFixture::TearDown();
    }
    intptr_t SystemCommand(SystemCommandCode code) {
        return win::SendMessage(window_, Message::SystemCommand, static_cast<uint32_t>(code));
    }

    ScoreView* view_ = nullptr;
    platform::WindowHandle window_{};
};

TEST_F(ViewSystemCommandsTest, CloseFromTheWindowMenuClosesTheWindow) {
    EXPECT_EQ(SystemCommand(SystemCommandCode::KeyMenu), 0);
    EXPECT_TRUE(win::IsWindow(window_)) << "other commands leave the window";
    EXPECT_EQ(SystemCommand(SystemCommandCode::Close), 0);
    EXPECT_FALSE(win::IsWindow(window_));
    EXPECT_EQ(CountOpenViews(), 0);
}

// While recording, the window menu's Close is refused as the window's Close is.
TEST_F(ViewSystemCommandsTest, WhileRecordingCloseFromTheWindowMenuIsRefused) {
    Transport().recording = 1;
    SystemCommand(SystemCommandCode::Close);
    EXPECT_TRUE(win::IsWindow(window_));
    Transport().recording = 0;
    SystemCommand(SystemCommandCode::Close);
    EXPECT_FALSE(win::IsWindow(window_));
}

// Alt+plus steps a value and asks that the window-menu command its key stroke
// brings be dropped: the next one is, the one after is not. Any other message in
// between ends the request.
TEST_F(ViewSystemCommandsTest, AltPlusSwallowsTheNextWindowMenuCommandOnce) {
    win::headless::SetKeyDown(Key::Alt, true);
    win::SendMessage(window_, Message::SystemKeyDown, static_cast<uint32_t>(Key::Add));
    win::headless::SetKeyDown(Key::Alt, false);
    SystemCommand(SystemCommandCode::Close);
    ASSERT_TRUE(win::IsWindow(window_)) << "the command after Alt+plus is swallowed";

    win::headless::SetKeyDown(Key::Alt, true);
    win::SendMessage(window_, Message::SystemKeyDown, static_cast<uint32_t>(Key::Add));
    win::headless::SetKeyDown(Key::Alt, false);
    win::SendMessage(window_, Message::MouseMove, 0, win::PackPoint({10, 10}));
    SystemCommand(SystemCommandCode::Close);
    EXPECT_FALSE(win::IsWindow(window_)) << "a message in between ended the swallow";
}

TEST_F(ViewSystemCommandsTest, InputLanguageChangesAreStored) {
    constexpr uint32_t kHebrewCharset = 177;
    constexpr intptr_t kHebrewLayout = 0x040D040D;
    win::SendMessage(Frame().window, Message::InputLanguageChange, kHebrewCharset, kHebrewLayout);
    EXPECT_EQ(CurrentInputLocale().charset, kHebrewCharset);
    EXPECT_EQ(CurrentInputLocale().layout, static_cast<uint32_t>(kHebrewLayout));

    constexpr uint32_t kGreekCharset = 161;
    win::SendMessage(window_, Message::InputLanguageChange, kGreekCharset, 0x0408);
    EXPECT_EQ(CurrentInputLocale().charset, kGreekCharset);
    EXPECT_EQ(CurrentInputLocale().layout, 0x0408u);
    // A character set that is no byte keeps the stored one.
    win::SendMessage(window_, Message::InputLanguageChange, 0x1234, 0x0409);
    EXPECT_EQ(CurrentInputLocale().charset, kGreekCharset);
    EXPECT_TRUE(win::IsWindow(window_));
}

}  // namespace
}  // namespace ql
