// The position readout window: placement and painting.
#include "shell/program/readout_window.h"

#include <string>

#include "display/position_readout.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/frame_layout.h"
#include "shell/program/interface_fonts.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr gfx::Colour kReadoutInk = gfx::Rgb(0, 255, 255);
constexpr int32_t kReadoutTextInset = 4;

void PaintReadout(WindowHandle window) {
    win::PaintInfo info;
    gfx::DcHandle dc = win::BeginPaint(window, info);
    if (dc) {
        const gfx::Rect client = win::GetClientRect(window);
        gfx::FillRect(dc, client, gfx::GetStockBrush(gfx::StockBrush::Black));
        const platform::FontHandle font = GetInterfaceFont(InterfaceFont::Readout);
        const platform::FontHandle previous = font ? gfx::SelectObject(dc, font) : platform::FontHandle{};
        gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
        gfx::SetTextColour(dc, kReadoutInk);
        text::TextOutA(dc, {kReadoutTextInset, 0}, PositionReadoutText());
        if (font) gfx::SelectObject(dc, previous);
    }
    win::EndPaint(window, info);
}

}  // namespace

intptr_t ReadoutWndProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    if (message == win::Message::Paint) {
        PaintReadout(window);
        return 0;
    }
    return win::DefaultWindowProc(window, message, word, data);
}

WindowHandle CreateReadoutWindow() {
    win::WindowParams params;
    params.className = kReadoutClassName;
    params.style = win::kStylePopup;
    params.extendedStyle = win::kExStyleMenuBarCompanion;
    params.owner = Frame().window;
    params.rect = {0, 0, kReadoutWidth, 1};
    Frame().readout = win::CreateWindow(params);
    PositionReadoutWindow() = Frame().readout;
    PlaceReadout();
    return Frame().readout;
}

void PlaceReadout() {
    ProgramFrame& frame = Frame();
    if (!win::IsWindow(frame.readout) || !win::IsWindow(frame.window)) return;
    const gfx::Rect client = win::GetClientRect(frame.window);
    if (client.bottom - client.top < kReadoutMinimumClientHeight) return;
    const gfx::Point corner = win::ClientToScreen(frame.window, {client.right, 0});
    const bool minimized = (win::GetStyle(frame.window) & win::kStyleMinimize) != 0;
    const gfx::Rect place = PlaceReadoutWindow(corner, win::GetSystemMetric(win::SystemMetric::MenuHeight),
                                               win::GetSystemMetric(win::SystemMetric::BorderHeight), minimized);
    win::MoveWindow(frame.readout, place, true);
    if (win::IsWindowVisible(frame.window)) win::ShowWindow(frame.readout, win::ShowCommand::ShowNoActivate);
}

std::string_view ReadoutShownText() { return PositionReadoutText(); }

void SetReadoutText(std::string_view text) {
    PositionReadoutText() = text;
    if (win::IsWindow(Frame().readout)) win::InvalidateRect(Frame().readout, nullptr, true);
}

}  // namespace ql
