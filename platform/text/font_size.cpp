// Sizing a font for a context's scale (see font_size.h for the rules).
#include "platform/text/font_size.h"

#include <cmath>

namespace ql::text {

SizedFont SizeFont(const Font& font, DeviceScale scale) {
    if (!(scale.x > 0.0)) scale.x = 1.0;
    if (!(scale.y > 0.0)) scale.y = 1.0;
    if (!(scale.aspect > 0.0)) scale.aspect = 1.0;
    SizedFont sized;
    sized.font = &font;
    sized.face = font.face.get();
    sized.scale = scale;
    const DesignMetrics& m = font.face->Metrics();
    double upem = m.unitsPerEm > 0 ? m.unitsPerEm : 1.0;
    double cell = m.ascent + m.descent > 0 ? m.ascent + m.descent : upem;
    int32_t height = font.request.height;
    double emLogical = height < 0   ? -static_cast<double>(height)
                       : height > 0 ? height * upem / cell
                                    : kDefaultCellHeight * upem / cell;
    sized.emDeviceY = emLogical * scale.y;
    sized.emDeviceX = sized.emDeviceY * scale.aspect;
    if (font.request.width != 0 && m.averageWidth > 0) {
        double naturalAverage = m.averageWidth * sized.emDeviceX / upem;
        double wantedAverage = std::fabs(static_cast<double>(font.request.width)) * scale.x;
        sized.emDeviceX *= wantedAverage / naturalAverage;
    }
    return sized;
}

}  // namespace ql::text
