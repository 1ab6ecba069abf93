// The logo window's procedure: the picture with the version and the further lines,
// the two-second timer, and the close that brings the frame up.
#include "shell/program/logo_window.h"

#include <cstdio>

#include "core/core_strings.h"
#include "core/settings/program_options.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"
#include "platform/ui/menu.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"

namespace ql {
namespace {

using platform::WindowHandle;
using win::Message;

// Where the text lines go over the picture.
constexpr int32_t kTextLeft = 20;
constexpr int32_t kVersionBaseline = 78;
constexpr int32_t kFirstLineBaseline = 102;
constexpr int32_t kVersionCellHeight = 18;
constexpr int32_t kVersionWeight = 600;
constexpr int32_t kLineCellHeight = 16;
constexpr int32_t kLineWeight = 500;
constexpr int32_t kLineSpacing = 2;
constexpr gfx::Colour kLogoBackground = gfx::Rgb(24, 40, 72);
constexpr gfx::Colour kLogoText = gfx::kWhite;
constexpr char kLogoFace[] = "Arial";

struct LogoState {
    WindowHandle window;
    int closeCounter = 0;  // timer stops counted; 1 once the timer runs
    bool shown = false;    // painted and not yet hidden
};

LogoState& Logo() {
    static LogoState state;
    return state;
}

platform::FontHandle LogoFont(int32_t cellHeight, int32_t weight) {
    text::LogicalFont request;
    request.height = cellHeight;
    request.weight = weight;
    request.SetFace(kLogoFace);
    return text::CreateFontIndirect(request);
}

void DrawLines(gfx::DcHandle dc) {
    platform::FontHandle font = LogoFont(kVersionCellHeight, kVersionWeight);
    platform::FontHandle previous = gfx::SelectObject(dc, font);
    text::TextOutA(dc, {kTextLeft, kVersionBaseline}, VersionLine(ProgramString(kStrVersion), kProgramVersion));
    gfx::SelectObject(dc, previous);
    gfx::DeleteObject(font);
    font = LogoFont(kLineCellHeight, kLineWeight);
    previous = gfx::SelectObject(dc, font);
    int32_t baseline = kFirstLineBaseline;
    for (int32_t id = kStrFirstLogoLine; id <= kStrLastLogoLine; ++id) {
        const std::string line = ProgramString(id);
        if (line.empty()) continue;
        text::TextOutA(dc, {kTextLeft, baseline}, line);
        baseline += kLineCellHeight + kLineSpacing;
    }
    gfx::SelectObject(dc, previous);
    gfx::DeleteObject(font);
}

void OnPaint(WindowHandle window) {
    LogoState& logo = Logo();
    if (logo.closeCounter == 0) {
        win::SetTimer(window, kLogoTimerId, kLogoTimeoutMs);
        logo.closeCounter = 1;
    }
    win::PaintInfo info;
    gfx::DcHandle dc = win::BeginPaint(window, info);
    if (dc) {
        platform::BrushHandle background = gfx::CreateSolidBrush(kLogoBackground);
        gfx::FillRect(dc, win::GetClientRect(window), background);
        gfx::DeleteObject(background);
        gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
        gfx::SetTextColour(dc, kLogoText);
        gfx::SetTextAlign(dc, gfx::kTextAlignBaseline);
        DrawLines(dc);
    }
    win::EndPaint(window, info);
    win::SetFocus(window);
    logo.shown = true;
}

// Hides the window, brings the frame up when it is still hidden, and destroys it.
void CloseLogo(WindowHandle window) {
    LogoState& logo = Logo();
    if (logo.closeCounter < 2) {
        win::KillTimer(window, kLogoTimerId);
        ++logo.closeCounter;
    }
    win::ShowWindow(window, win::ShowCommand::Hide);
    logo.shown = false;
    const WindowHandle frame = Frame().window;
    if (win::IsWindow(frame) && !win::IsWindowVisible(frame))
        ShowProgramFrame();
    if (win::IsWindow(frame)) win::SetFocus(frame);
    win::DestroyWindow(window);
}

// The About item's text, searched in the frame menu's popups.
std::string AboutMenuText() {
    const platform::MenuHandle bar = Frame().frameMenu;
    for (int32_t i = 0; i < ui::GetMenuItemCount(bar); ++i) {
        const platform::MenuHandle popup = ui::GetSubmenu(bar, i);
        for (int32_t j = 0; j < ui::GetMenuItemCount(popup); ++j)
            if (ui::GetMenuItemCommand(popup, j) == cmd::kAbout) return ui::GetMenuItemText(popup, j);
    }
    return {};
}

WindowHandle CreateLogo(bool withCaption) {
    LogoState& logo = Logo();
    if (win::IsWindow(logo.window)) win::DestroyWindow(logo.window);
    logo = LogoState{};
    const int32_t screenWidth = win::GetSystemMetric(win::SystemMetric::ScreenWidth);
    const int32_t screenHeight = win::GetSystemMetric(win::SystemMetric::ScreenHeight);
    const int32_t left = (screenWidth - kLogoWidth) / 2;
    const int32_t top = (screenHeight - kLogoHeight) / 2;
    win::WindowParams params;
    params.className = kLogoClass;
    params.caption = withCaption ? AboutCaption(AboutMenuText()) : std::string();
    params.style = win::kStylePopup | win::kStyleVisible | win::kStyleClipSiblings | win::kStyleBorder |
                   (withCaption ? win::kStyleCaption | win::kStyleSystemMenu : 0);
    params.rect = {left, top, left + kLogoWidth, top + kLogoHeight};
    params.owner = Frame().window;
    logo.window = win::CreateWindow(params);
    return logo.window;
}

}  // namespace

std::string VersionLine(const std::string& word, const ProgramVersion& v) {
    char text[96];
    if (v.build != 0)
        std::snprintf(text, sizeof text, "%s %d.%d.%d.%d", word.c_str(), v.major, v.minor, v.release, v.build);
    else if (v.release != 0)
        std::snprintf(text, sizeof text, "%s %d.%d.%d", word.c_str(), v.major, v.minor, v.release);
    else
        std::snprintf(text, sizeof text, "%s %d.%d", word.c_str(), v.major, v.minor);
    return text;
}

std::string AboutCaption(std::string_view menuText) {
    std::string caption(menuText);
    if (const size_t amp = caption.find('&'); amp != std::string::npos) caption.erase(amp, 1);
    if (const size_t dots = caption.find("..."); dots != std::string::npos) caption.resize(dots);
    return caption;
}

intptr_t SplashWndProc(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case Message::Paint: OnPaint(window); return 0;
        case Message::Timer:
            if (word != kLogoTimerId) return 0;
            CloseLogo(window);
            return 0;
        case Message::Close:
        case Message::KeyDown:
        case Message::Command:
        case Message::LeftButtonDown:
        case Message::RightButtonDown: CloseLogo(window); return 0;
        case Message::Destroy: win::KillTimer(window, kLogoTimerId); return 0;
        default: break;
    }
    return win::DefaultWindowProc(window, message, word, data);
}

WindowHandle ShowSplashWindow() { return CreateLogo(false); }

WindowHandle ShowAboutWindow() { return CreateLogo(true); }

bool IsLogoShown() { return Logo().shown && win::IsWindow(Logo().window); }

}  // namespace ql
