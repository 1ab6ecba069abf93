// Realising a font's size for a context.
// The request's height is in logical units: negative is the em (character height),
// positive the cell (ascent + descent). It becomes device pixels through the
// context's vertical scale; the glyphs keep their shape on the device (square
// pixels unless the device's resolution says otherwise), so the horizontal size
// in logical units follows from the device, not from the mapping's x scale. A
// non-zero width stretches the glyphs so that the face's average character width
// becomes that width. Text is always upright on the device, whatever the signs of
// the mapping; layout is therefore done in device pixels.
#pragma once

#include <cmath>
#include <cstdint>

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
    // Design units to logical units, rounded to the nearest unit.
    int32_t ToLogicalX(double design) const {
        return static_cast<int32_t>(std::lround(ToDeviceX(design) / scale.x));
    }
    int32_t ToLogicalY(double design) const {
        return static_cast<int32_t>(std::lround(ToDeviceY(design) / scale.y));
    }
};

// The font sized for a scale. A zero or negative scale counts as 1.
SizedFont SizeFont(const Font& font, DeviceScale scale);

}  // namespace ql::text
