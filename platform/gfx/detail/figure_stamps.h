// The stamps of repeated figures kept for the figures that follow. A wavy line is
// one figure repeated along it, and a page of them repeats the same few figures:
// each line's figure is its neighbour's moved by whole pixels, or one of the few
// shapes the rounding to pixels gives. A stamp depends only on the figure's shape
// (its points relative to the first) and on how it is inked, and is the same
// wherever the figure stands inside the drawable range, so it is made once.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/types.h"

namespace ql::gfx::detail {

// What a figure's stamp depends on besides its shape.
struct StampInk {
    bool polygons = false;
    bool filled = false;
    bool hasPen = false;
    int width = 1;
    int64_t reach = 0;
    PenStyle style = PenStyle::Solid;
    FillMode fillMode = FillMode::Alternate;
    bool operator==(const StampInk&) const = default;
};

// A stamp placed for a figure: the area it was made over, the bounds of the
// pixels it paints and those pixels (a byte each, row by row over `painted`).
struct PlacedStamp {
    Rect own;
    Rect painted;
    const std::vector<uint8_t>* pixels = nullptr;
};

class FigureStamps {
  public:
    // The kept stamp of a figure of this shape and ink, placed at the figure; false
    // when none is kept or the figure stands where a stamp would not be the same.
    bool Find(const std::vector<Point>& figure, const StampInk& ink, PlacedStamp* out) const;
    // Keeps the stamp made for a figure (own and painted as placed at it), when it
    // stands inside the drawable range and is small enough to keep.
    void Keep(const std::vector<Point>& figure, const StampInk& ink, const Rect& own, const Rect& painted,
              const std::vector<uint8_t>& pixels);

    static constexpr size_t kKept = 32;
    static constexpr size_t kLargestFigure = 1024;    // points
    static constexpr size_t kLargestStamp = 1 << 16;  // pixels

  private:
    struct Kept {
        StampInk ink;
        uint64_t hash = 0;         // of the shape
        std::vector<Point> shape;  // the points less the first
        Rect own, painted;         // relative to the first point
        std::vector<uint8_t> pixels;
    };
    std::vector<Kept> kept_;
    size_t next_ = 0;  // the entry replaced next once all are in use
};

}  // namespace ql::gfx::detail
