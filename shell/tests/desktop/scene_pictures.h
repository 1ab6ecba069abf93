// What the scenarios read from pictures of the screen: the pixel tests for ink and
// paper, a palette button's cell and the pressed one found by its colour, how long a
// redraw may take, and the box around what changed between two pictures of an area.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "shell/tests/desktop/desktop_session.h"

namespace ql::desktop {

constexpr int kPaletteCell = 37;         // a 36-pixel button and its one-pixel gap
constexpr int kPaletteButtonMiddle = 18;  // from a cell's corner past its one-pixel frame
constexpr uint32_t kPressedColour = 0x1C5CA8;  // the pressed button's background
constexpr uint32_t kMidGrey = 0x80;
inline constexpr Millis kRedrawTimeout{8000};

// On average darker than mid-grey: the music's ink with its soft edges.
inline bool IsDarkPixel(uint32_t p) {
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * kMidGrey;
}
// Darker than `level` in all three channels: the music's ink, coloured marks left out.
inline bool IsDark(uint32_t p, uint32_t level = kMidGrey) {
    return ((p >> 16) & 0xFF) < level && ((p >> 8) & 0xFF) < level && (p & 0xFF) < level;
}
// The page's paper, untouched by any ink.
inline bool IsWhite(uint32_t p) {
    return (p & 0xFFFFFF) == 0xFFFFFF;
}

// The top-left corner of the pressed button's cell: the first pixel of its colour
// scanning rows top-down, past its one-pixel frame.
inline std::optional<std::pair<int, int>> PressedCell(const ScreenPicture& picture) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if ((picture.At(x, y) & 0xFFFFFF) == kPressedColour) return std::pair{x - 1, y - 1};
    return std::nullopt;
}

// The box around the pixels of an area that changed between two pictures, and their
// count; right and bottom are inclusive, and an empty box has count 0.
struct InkBox {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;
    int bottom = -1;
    int count = 0;
    void Take(int x, int y) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
        ++count;
    }
};
// Every pixel of the area that differs between the pictures.
inline InkBox ChangedBox(const ScreenPicture& before, const ScreenPicture& after, int left, int top, int right,
                         int bottom) {
    InkBox box;
    for (int y = std::max(top, 0); y < std::min(bottom, before.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, before.width); ++x)
            if (before.At(x, y) != after.At(x, y)) box.Take(x, y);
    return box;
}
inline int ChangedPixels(const ScreenPicture& before, const ScreenPicture& after, int left, int top, int right,
                         int bottom) {
    return ChangedBox(before, after, left, top, right, bottom).count;
}
// The changed pixels of the area that are dark in `after`: ink that came.
inline InkBox NewInkBox(const ScreenPicture& before, const ScreenPicture& after, int left, int top, int right,
                        int bottom) {
    InkBox box;
    for (int y = std::max(top, 0); y < std::min(bottom, after.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, after.width); ++x)
            if (before.At(x, y) != after.At(x, y) && IsDark(after.At(x, y))) box.Take(x, y);
    return box;
}

}  // namespace ql::desktop
