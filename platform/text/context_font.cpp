// Resolving a context's font and scale.
#include "platform/text/context_font.h"

#include <cstdlib>

#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"

namespace ql::text {

DeviceScale ScaleOfContext(DcHandle dc) {
    DeviceScale scale;
    gfx::Mapping m = gfx::GetMapping(dc);
    if (m.mode == gfx::MapMode::Anisotropic && m.windowExtent.cx != 0 && m.windowExtent.cy != 0) {
        scale.x = std::abs(static_cast<double>(m.viewportExtent.cx) / m.windowExtent.cx);
        scale.y = std::abs(static_cast<double>(m.viewportExtent.cy) / m.windowExtent.cy);
    }
    int dpiX = gfx::GetDeviceCaps(dc, gfx::DeviceCap::LogPixelsX);
    int dpiY = gfx::GetDeviceCaps(dc, gfx::DeviceCap::LogPixelsY);
    if (dpiX > 0 && dpiY > 0) scale.aspect = static_cast<double>(dpiX) / dpiY;
    return scale;
}

FontHandle DefaultFont() {
    static FontHandle font;
    if (!FindFont(font)) font = CreateFontIndirect(LogicalFont{});
    return font;
}

bool ContextFont(DcHandle dc, SizedFont* out) {
    if (!gfx::IsContextValid(dc) || !out) return false;
    const Font* font = FindFont(gfx::GetCurrentFont(dc));
    if (!font) font = FindFont(DefaultFont());
    if (!font) return false;
    *out = SizeFont(*font, ScaleOfContext(dc));
    return true;
}

void RegisterFontDeleter() {
    gfx::SetFontDeleter([](FontHandle font) { return DeleteFont(font); });
}

}  // namespace ql::text
