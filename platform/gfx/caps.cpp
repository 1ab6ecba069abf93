// Device capabilities and the headless screen.
#include "platform/gfx/caps.h"

#include "platform/gfx/detail/image.h"
#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

namespace {
constexpr double kMillimetresPerInch = 25.4;
constexpr int kColourBits = 32;
constexpr int kMonochromeBits = 1;
constexpr int kPlanes = 1;

int Millimetres(int pixels, int dpi) {
    return dpi > 0 ? static_cast<int>(pixels * kMillimetresPerInch / dpi + 0.5) : 0;
}
}  // namespace

int GetDeviceCaps(DcHandle dc, DeviceCap cap) {
    const detail::Dc* d = detail::FindDc(dc);
    if (!d) return 0;
    detail::DeviceInfo info = detail::DeviceOf(*d);
    switch (cap) {
    case DeviceCap::HorzSize: return Millimetres(info.width, info.dpiX);
    case DeviceCap::VertSize: return Millimetres(info.height, info.dpiY);
    case DeviceCap::HorzRes: return info.width;
    case DeviceCap::VertRes: return info.height;
    case DeviceCap::LogPixelsX: return info.dpiX;
    case DeviceCap::LogPixelsY: return info.dpiY;
    case DeviceCap::BitsPixel: {
        const detail::Image* image = detail::ImageOf(*d);
        return image != nullptr && image->monochrome() ? kMonochromeBits : kColourBits;
    }
    case DeviceCap::Planes: return kPlanes;
    }
    return 0;
}

void SetScreenMetrics(const ScreenMetrics& metrics) { detail::Reg().screen = metrics; }
ScreenMetrics GetScreenMetrics() { return detail::Reg().screen; }

}  // namespace ql::gfx
