// The cursor canvas: stamping, plotting, mirroring, turning and the outlined finish.
#include "core/ui/cursor_art.h"

namespace ql {

CursorArt::CursorArt(int32_t width, int32_t height)
    : width_(width),
      height_(height),
      ink_(static_cast<size_t>(width) * static_cast<size_t>(height), false) {}

bool CursorArt::Inked(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return ink_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void CursorArt::Plot(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    ink_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = true;
}

void CursorArt::Stamp(std::span<const std::string_view> rows, int32_t left, int32_t top) {
    int32_t y = top;
    for (std::string_view row : rows) {
        for (size_t i = 0; i < row.size(); ++i)
            if (row[i] == 'X') Plot(left + static_cast<int32_t>(i), y);
        ++y;
    }
}

void CursorArt::Stamp(const CursorArt& art, int32_t left, int32_t top) {
    for (int32_t y = 0; y < art.height_; ++y)
        for (int32_t x = 0; x < art.width_; ++x)
            if (art.Inked(x, y)) Plot(left + x, top + y);
}

CursorArt CursorArt::Mirrored() const {
    CursorArt result(width_, height_);
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x)
            if (Inked(x, y)) result.Plot(width_ - 1 - x, y);
    return result;
}

CursorArt CursorArt::Transposed() const {
    CursorArt result(height_, width_);
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x)
            if (Inked(x, y)) result.Plot(y, x);
    return result;
}

sys::CursorResource CursorArt::Finish(gfx::Point hotSpot) const {
    sys::CursorResource cursor;
    cursor.width = width_ + 2;
    cursor.height = height_ + 2;
    cursor.hotSpot = gfx::Point{hotSpot.x + 1, hotSpot.y + 1};
    cursor.pixels.assign(static_cast<size_t>(cursor.width) * static_cast<size_t>(cursor.height),
                         kCursorClear);
    for (int32_t y = 0; y < cursor.height; ++y) {
        for (int32_t x = 0; x < cursor.width; ++x) {
            uint32_t& pixel =
                cursor.pixels[static_cast<size_t>(y) * static_cast<size_t>(cursor.width) +
                              static_cast<size_t>(x)];
            if (Inked(x - 1, y - 1)) {
                pixel = kCursorInk;
                continue;
            }
            for (int32_t dy = -1; dy <= 1 && pixel == kCursorClear; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    if (Inked(x - 1 + dx, y - 1 + dy)) {
                        pixel = kCursorOutline;
                        break;
                    }
        }
    }
    return cursor;
}

}  // namespace ql
