// A small canvas for drawing the program's cursors: black ink stamped from rows
// of text ('X' inks a pixel) or plotted, mirrored or turned, and finished as a
// cursor resource with a one-pixel white outline around the ink, so the shape
// shows on light and dark backgrounds alike.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/gfx/types.h"
#include "platform/sys/resources.h"

namespace ql {

constexpr uint32_t kCursorInk = 0xFF000000u;
constexpr uint32_t kCursorOutline = 0xFFFFFFFFu;
constexpr uint32_t kCursorClear = 0x00000000u;

class CursorArt {
  public:
    CursorArt(int32_t width, int32_t height);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool Inked(int32_t x, int32_t y) const;

    // Inks the pixels of the rows' 'X's, the first row's first character at
    // (left, top); other characters and pixels off the canvas are left alone.
    void Stamp(std::span<const std::string_view> rows, int32_t left, int32_t top);
    // Inks every pixel `art` inks, its corner at (left, top).
    void Stamp(const CursorArt& art, int32_t left, int32_t top);
    void Plot(int32_t x, int32_t y);

    CursorArt Mirrored() const;    // left and right swapped
    CursorArt Transposed() const;  // rows become columns

    // The cursor: a clear pixel added on every side, the ink black, every clear
    // pixel touching the ink (corners too) white; the hot spot is given on the
    // canvas and moved with it.
    sys::CursorResource Finish(gfx::Point hotSpot) const;

  private:
    int32_t width_;
    int32_t height_;
    std::vector<bool> ink_;
};

}  // namespace ql
