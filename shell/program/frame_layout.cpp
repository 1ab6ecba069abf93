// Frame layout: where the docked bar and the document client go for each dock side.
// The side bars are one palette button wide plus two borders and one pixel; the
// document client takes what the bar leaves of the height above the status bar.
#include "shell/program/frame_layout.h"

#include "core/ui/status_bar.h"
#include "platform/ui/status_bar.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/rebar/main_rebar.h"
#include "platform/ui/rebar.h"

namespace ql {
namespace {

gfx::Rect BarRect(const FrameLayoutInput& in, int32_t usable, int32_t sideWidth) {
    const int32_t t = in.barThickness;
    switch (in.dock) {
        case DockSide::Left: return {0, t, sideWidth, usable};
        case DockSide::Bottom: return {0, usable - t, in.clientWidth, usable};
        case DockSide::Right: return {in.clientWidth - sideWidth, t, in.clientWidth, usable};
        case DockSide::Top: break;
    }
    return {0, 0, in.clientWidth, t};
}

gfx::Rect ClientRect(const FrameLayoutInput& in, int32_t usable, int32_t sideWidth) {
    const int32_t t = in.barThickness;
    switch (in.dock) {
        case DockSide::Left: return {sideWidth, 0, in.clientWidth, usable};
        case DockSide::Bottom: return {0, 0, in.clientWidth, usable - t};
        case DockSide::Right: return {0, 0, in.clientWidth - t, usable};
        case DockSide::Top: break;
    }
    return {0, t + 2 * in.border + 1, in.clientWidth, usable};
}

}  // namespace

FrameLayout ComputeFrameLayout(const FrameLayoutInput& in) {
    FrameLayout out;
    out.usableHeight = in.clientHeight - in.statusHeight;
    const int32_t sideWidth = in.toolSize + 2 * in.border + 1;
    out.bar = BarRect(in, out.usableHeight, sideWidth);
    out.client = ClientRect(in, out.usableHeight, sideWidth);
    return out;
}

int32_t ToggledPaletteButtonSize(int32_t size) {
    return size == kLargePaletteButton ? kSmallPaletteButton : kLargePaletteButton;
}

gfx::Rect PlaceReadoutWindow(gfx::Point clientTopRight, int32_t menuBarHeight, int32_t border,
                             bool minimized) {
    const int32_t height = menuBarHeight + 2 * border;
    const int32_t x = clientTopRight.x - 1 - kReadoutWidth -
                      (minimized ? kReadoutMinimizedOffset : kReadoutFrameOffset);
    const int32_t y = clientTopRight.y + border - height;
    return {x, y, x + kReadoutWidth, y + height};
}

void LayoutFrameClient() {
    ProgramFrame& frame = Frame();
    if (!win::IsWindow(frame.window)) return;
    // The bar tells of its new height while it is laid out here: the layout under
    // way already uses it.
    static bool layingOut = false;
    if (layingOut) return;
    const struct Guard {
        Guard() { layingOut = true; }
        ~Guard() { layingOut = false; }
    } guard;
    const gfx::Rect client = win::GetClientRect(frame.window);
    FrameLayoutInput in;
    in.clientWidth = client.right - client.left;
    in.clientHeight = client.bottom - client.top;
    if (frame.statusBarOn && win::IsWindow(frame.statusBar)) {
        win::ShowWindow(frame.statusBar, win::ShowCommand::ShowNoActivate);
        LayoutStatusBar(frame.window);
        in.statusHeight = ui::GetStatusBarHeight(frame.statusBar);
    } else if (win::IsWindow(frame.statusBar)) {
        win::ShowWindow(frame.statusBar, win::ShowCommand::Hide);
    }
    // The main bar, when there is one, is as thick as its rows.
    const platform::WindowHandle rebar = MainRebarWindow();
    if (rebar) frame.barThickness = ui::LayoutRebar(rebar, in.clientWidth);
    in.barThickness = frame.barThickness;
    in.toolSize = frame.toolSize;
    in.dock = frame.dock;
    const FrameLayout layout = ComputeFrameLayout(in);
    if (rebar) win::MoveWindow(rebar, layout.bar, true);
    if (win::IsWindow(frame.mdiClient)) win::MoveWindow(frame.mdiClient, layout.client, true);
}

}  // namespace ql
