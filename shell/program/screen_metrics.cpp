// The screen's metrics and class (see screen_metrics.h).
#include "shell/program/screen_metrics.h"

#include "platform/gfx/caps.h"
#include "platform/win/paint.h"

namespace ql {
namespace {

constexpr int32_t kWideScreen = 800;    // above: class 2
constexpr int32_t kMediumScreen = 640;  // above: class 1

ScreenInfo& Storage() {
    static ScreenInfo screen;
    return screen;
}

}  // namespace

int32_t ScreenClassOf(int32_t horizontalResolution) {
    if (horizontalResolution > kWideScreen) return 2;
    return horizontalResolution > kMediumScreen ? 1 : 0;
}

bool ReadScreenMetrics(platform::WindowHandle frame) {
    const platform::DcHandle dc = win::GetWindowContext(frame);
    if (!dc) return false;
    ScreenInfo& screen = Storage();
    screen.dpiX = gfx::GetDeviceCaps(dc, gfx::DeviceCap::LogPixelsX);
    screen.dpiY = gfx::GetDeviceCaps(dc, gfx::DeviceCap::LogPixelsY);
    screen.horizontalResolution = gfx::GetDeviceCaps(dc, gfx::DeviceCap::HorzRes);
    screen.screenClass = ScreenClassOf(screen.horizontalResolution);
    win::ReleaseWindowContext(frame, dc);
    return true;
}

const ScreenInfo& ProgramScreen() { return Storage(); }
void ResetProgramScreen() { Storage() = ScreenInfo{}; }

}  // namespace ql
