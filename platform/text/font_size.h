// Realising a font's size for a context.
// The request's height is in logical units: negative is the em (character height),
// positive the cell (ascent + descent). It becomes device pixels through the
// context's vertical scale; the glyphs keep their shape on the device (square
// pixels unless the device's resolution says otherwise), so the horizontal size
// in logical units follows from the device, not from the mapping's x scale. A
// non-zero width stretches the glyphs so that the face's average character width
// becomes that width. Text is always upright on the device, whatever the signs of
// the mapping; runs are laid out by whole logical widths placed on whole device
// pixels (see text_metrics.h).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/text/font.h"

namespace ql::text {

// How a context maps lengths: device pixels per logical unit on each axis
// (magnitudes), and the device's pixel aspect (horizontal / vertical resolution).
struct DeviceScale {
    double x = 1.0;
    double y = 1.0;
    double aspect = 1.0;
};

// Cell height of a font asked for with height 0.
constexpr int32_t kDefaultCellHeight = 16;

// A font at a size: converts the face's design units to device pixels and to the
// context's logical units. Borrowed pointers: valid while the font lives.
struct SizedFont {
    const Font* font = nullptr;
    const LoadedFace* face = nullptr;
    DeviceScale scale;
    double emDeviceX = 0.0;  // device pixels per em, horizontally
    double emDeviceY = 0.0;  // device pixels per em, vertically

    double UnitsPerEm() const { return face->Metrics().unitsPerEm; }
    double ToDeviceX(double design) const { return design * emDeviceX / UnitsPerEm(); }
    double ToDeviceY(double design) const { return design * emDeviceY / UnitsPerEm(); }
    // Design units to logical units, rounded to the nearest unit and saturated
    // to 32 bits (a font asked for at a height near the 32-bit limit measures
    // beyond it).
    int32_t ToLogicalX(double design) const { return RoundedLogical(ToDeviceX(design) / scale.x); }
    int32_t ToLogicalY(double design) const { return RoundedLogical(ToDeviceY(design) / scale.y); }
    static int32_t RoundedLogical(double v) {
        constexpr double kLow = std::numeric_limits<int32_t>::min();
        constexpr double kHigh = std::numeric_limits<int32_t>::max();
        return static_cast<int32_t>(std::lround(std::clamp(v, kLow, kHigh)));
    }
};

// The font sized for a scale. A zero or negative scale counts as 1.
SizedFont SizeFont(const Font& font, DeviceScale scale);

}  // namespace ql::text
