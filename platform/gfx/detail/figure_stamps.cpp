// The stamps kept for repeated figures (see figure_stamps.h).
#include "platform/gfx/detail/figure_stamps.h"

#include "platform/gfx/detail/drawable_range.h"

namespace ql::gfx::detail {
namespace {

// Inside the drawable range the figure's path reaches Cairo as it stands, only
// moved to the stamp's corner, and the one-pixel steps are taken from the points'
// differences: the same pixels wherever the figure stands.
bool InsideRange(const Rect& own) {
    return own.left > kDrawableRange.left && own.top > kDrawableRange.top && own.right < kDrawableRange.right &&
           own.bottom < kDrawableRange.bottom;
}

Rect MovedBy(const Rect& r, Point by) {
    return Rect{r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

// Shapes told apart by a hash first: those the rounding to pixels gives differ in a
// few points only, so comparing them point by point would run far into most.
uint64_t ShapeHash(const std::vector<Point>& figure) {
    constexpr uint64_t kPrime = 0x100000001B3;
    const int64_t x0 = figure[0].x, y0 = figure[0].y;
    uint64_t hash = figure.size();
    for (auto p = figure.begin() + 1; p != figure.end(); ++p) {
        const auto dx = static_cast<uint32_t>(p->x - x0), dy = static_cast<uint32_t>(p->y - y0);
        hash = (hash ^ (dx | uint64_t{dy} << 32)) * kPrime;
    }
    return hash ^ hash >> 29;
}

bool SameShape(const std::vector<Point>& shape, const std::vector<Point>& figure) {
    if (shape.size() + 1 != figure.size()) return false;
    const int64_t x0 = figure[0].x, y0 = figure[0].y;
    for (size_t i = 0; i < shape.size(); ++i)
        if (figure[i + 1].x - x0 != shape[i].x || figure[i + 1].y - y0 != shape[i].y) return false;
    return true;
}

}  // namespace

bool FigureStamps::Find(const std::vector<Point>& figure, const StampInk& ink, PlacedStamp* out) const {
    if (figure.empty() || kept_.empty()) return false;
    const uint64_t hash = ShapeHash(figure);
    for (const Kept& kept : kept_) {
        if (kept.hash != hash || !(kept.ink == ink) || !SameShape(kept.shape, figure)) continue;
        // Kept stamps lie well inside the range, so moving them stays within 32 bits.
        const int64_t x = int64_t{figure[0].x}, y = int64_t{figure[0].y};
        if (x + kept.own.left <= kDrawableRange.left || x + kept.own.right >= kDrawableRange.right ||
            y + kept.own.top <= kDrawableRange.top || y + kept.own.bottom >= kDrawableRange.bottom)
            return false;
        out->own = MovedBy(kept.own, figure[0]);
        out->painted = MovedBy(kept.painted, figure[0]);
        out->pixels = &kept.pixels;
        return true;
    }
    return false;
}

void FigureStamps::Keep(const std::vector<Point>& figure, const StampInk& ink, const Rect& own, const Rect& painted,
                        const std::vector<uint8_t>& pixels) {
    if (figure.empty() || figure.size() > kLargestFigure || pixels.size() > kLargestStamp || !InsideRange(own))
        return;
    Kept kept;
    kept.ink = ink;
    kept.hash = ShapeHash(figure);
    const Point origin = figure[0];
    const Point back{-origin.x, -origin.y};
    kept.shape.reserve(figure.size() - 1);
    for (size_t i = 1; i < figure.size(); ++i) kept.shape.push_back(Point{figure[i].x - origin.x, figure[i].y - origin.y});
    kept.own = MovedBy(own, back);
    kept.painted = painted.IsEmpty() ? Rect{} : MovedBy(painted, back);
    kept.pixels = pixels;
    if (kept_.size() < kKept) {
        kept_.push_back(std::move(kept));
        return;
    }
    kept_[next_] = std::move(kept);
    next_ = (next_ + 1) % kKept;
}

}  // namespace ql::gfx::detail
