// Fixture of the text-entry tests: a fresh program state, input locale, control
// layer, window layer and clipboard, one plain host window, edit controls made as
// its children, and text put on the clipboard as a copy from the program puts it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state.h"
#include "display/input_locale.h"
#include "platform/sys/clipboard.h"
#include "platform/sys/clipboard_headless.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/control_state.h"
#include "platform/ui/controls.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql::testing_text {

class TextEntryHost : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ResetInputLocale();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        sys::headless::ResetClipboard();
        ui::detail::EnsureControlClasses();
        host_ = ::ql::testing::OpenPlainWindow("EntryHost", 200, 40);
    }
    void TearDown() override {
        ResetInputLocale();
        ResetProgramState();
    }
    // An edit control of the host with its own id.
    platform::WindowHandle MakeEdit(int32_t id) const {
        win::WindowParams params;
        params.className = ui::kEditClass;
        params.style = win::kStyleChild | win::kStyleVisible;
        params.parent = host_;
        params.id = id;
        return win::CreateWindow(params);
    }
    // UTF-8 text alone on the clipboard.
    void CopyText(const std::string& utf8) const {
        ASSERT_TRUE(sys::OpenClipboard(host_));
        sys::EmptyClipboard();
        sys::SetClipboardData(sys::ClipboardFormat::Text, std::vector<uint8_t>(utf8.begin(), utf8.end()));
        sys::CloseClipboard();
    }

    platform::WindowHandle host_{};
};

}  // namespace ql::testing_text
