// Basic value types of the drawing layer: points, sizes, rectangles and colours.
// Colours are 32-bit values laid out as 0x00BBGGRR (red in the low byte), the form
// the program stores in its records and settings. Coordinates are 32-bit.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/handles.h"

namespace ql::gfx {

using platform::AnyObjectHandle;
using platform::BitmapHandle;
using platform::BrushHandle;
using platform::DcHandle;
using platform::FontHandle;
using platform::PenHandle;

// 0x00BBGGRR.
using Colour = uint32_t;

constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
constexpr uint8_t RedOf(Colour c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GreenOf(Colour c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t BlueOf(Colour c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

constexpr Colour kBlack = Rgb(0, 0, 0);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kLightGrey = Rgb(192, 192, 192);
constexpr Colour kGrey = Rgb(128, 128, 128);
constexpr Colour kDarkGrey = Rgb(64, 64, 64);
// Returned by pixel reads outside the image or on a context without pixels.
constexpr Colour kInvalidColour = 0xFFFFFFFFu;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    constexpr bool operator==(const Point&) const = default;
};

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;
    constexpr bool operator==(const Size&) const = default;
};

// b - a, saturated to 32 bits (spans between far-apart coordinates exceed them).
constexpr int32_t SaturatedDifference(int32_t b, int32_t a) {
    const int64_t d = int64_t{b} - a;
    if (d > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (d < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(d);
}

// Right and bottom are exclusive: a rectangle covers left..right-1, top..bottom-1.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    constexpr int32_t Width() const { return SaturatedDifference(right, left); }
    constexpr int32_t Height() const { return SaturatedDifference(bottom, top); }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool operator==(const Rect&) const = default;
};

// Intersection of two rectangles; an empty rectangle when they do not overlap.
constexpr Rect Intersect(const Rect& a, const Rect& b) {
    Rect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.IsEmpty()) return Rect{};
    return r;
}

// Left <= right and top <= bottom.
constexpr Rect Normalised(const Rect& r) {
    return Rect{r.left < r.right ? r.left : r.right, r.top < r.bottom ? r.top : r.bottom,
                r.left < r.right ? r.right : r.left, r.top < r.bottom ? r.bottom : r.top};
}

}  // namespace ql::gfx
