// The frame's status bar on the platform's status-bar control.
#include "core/ui/status_bar.h"

#include <string>

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/state.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

// Window style of the bar: child, visible, clipping siblings, at the bottom, grip.
constexpr uint32_t kStatusBarStyle = win::kStyleChild | win::kStyleVisible |
                                     win::kStyleClipSiblings | ui::kStatusBarAtBottom |
                                     ui::kStatusBarSizeGrip;
static_assert(kStatusBarStyle == 0x54000103);
constexpr int32_t kStatusBarId = 0;
// Part layout: q = (width - kPartSlack) >> 2; edges 2q + 8 and 3q + 16.
constexpr int32_t kPartSlack = 40;
constexpr int kQuarterShift = 2;
constexpr int32_t kFirstPartPad = 8;
constexpr int32_t kSecondPartPad = 16;

platform::WindowHandle Bar() {
    return State().dialogs.StatusWindow;
}

void SendPartText(int part, const std::string& text, ui::StatusTextStyle style) {
    platform::WindowHandle bar = Bar();
    if (!bar || part < 0 || part >= kStatusPartCount) return;
    ui::SetStatusBarText(bar, part, text, style);
}

std::string Clip(const char* text, size_t limit) {
    std::string s(text);
    if (s.size() > limit) s.resize(limit);
    return s;
}

}  // namespace

platform::WindowHandle CreateStatusBar(platform::WindowHandle frame) {
    platform::WindowHandle bar = ui::CreateStatusBar(frame, kStatusBarStyle, "", kStatusBarId);
    State().dialogs.StatusWindow = bar;
    return bar;
}

void LayoutStatusBar(platform::WindowHandle frame) {
    platform::WindowHandle bar = Bar();
    if (!bar) return;
    win::Rect client = win::GetClientRect(frame);
    int32_t width = client.Width();
    int32_t q = (width - kPartSlack) >> kQuarterShift;
    int32_t edges[kStatusPartCount] = {
        2 * q + kFirstPartPad,
        3 * q + kSecondPartPad,
        width - 2 * win::GetSystemMetric(win::SystemMetric::BorderWidth) -
            win::GetSystemMetric(win::SystemMetric::VerticalScrollWidth),
    };
    ui::SetStatusBarParts(bar, edges);
    int32_t height = ui::GetStatusBarHeight(bar);
    win::MoveWindow(bar, win::Rect{0, client.bottom - height, width, client.bottom}, true);
}

int32_t ShowStatusBar() {
    platform::WindowHandle bar = Bar();
    if (!bar) return 0;
    if (State().dialogs.ShowStatusBarSetting != 0) {
        win::ShowWindow(bar, win::ShowCommand::Show);
        return ui::GetStatusBarHeight(bar);
    }
    win::ShowWindow(bar, win::ShowCommand::Hide);
    return 0;
}

void SetStatusText(int part, const char* text) {
    SendPartText(part, " " + std::string(text != nullptr ? text : ""), ui::StatusTextStyle::Plain);
}

void SetStatusTextNumber(int part, const char* text, int number) {
    std::string s = " " + std::string(text != nullptr ? text : "") + " " + std::to_string(number);
    SendPartText(part, s, ui::StatusTextStyle::Plain);
}

void ClearStatusPart(int n) {
    SetStatusText(n + 1, nullptr);
}

void ClearStatusBar() {
    for (int part = 1; part < kStatusPartCount; ++part) SetStatusText(part, "");
}

void ShowNotice(const char* text) {
    if (text == nullptr) return;
    SendPartText(0, " " + Clip(text, kNoticeChars), ui::StatusTextStyle::PopOut);
    PlayAlertBeep(ui::kBoxIconExclamation);
}

int ShowLabelledNotice(const char* text) {
    std::string notice = ProgramString(kStrNoticeLabel) + " " +
                         Clip(text != nullptr ? text : "", kLabelledNoticeChars);
    SendPartText(0, " " + notice, ui::StatusTextStyle::PopOut);
    PlayAlertBeep(ui::kBoxIconInformation);
    return 0;
}

}  // namespace ql
