#include "platform/gfx/detail/page_ink.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gfx/detail/drawable_range.h"

namespace ql::gfx::detail {

namespace {

// Boxes a new box is compared with for one covering the other: a stroke and the
// filled box drawn over it come one after the other.
constexpr size_t kCoverWindow = 8;
constexpr uint32_t kRgbBits = 0xFFFFFF;

bool Covers(const PageBox& outer, const PageBox& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

bool InRange(Point p) {
    return std::abs(p.x) <= kCairoCoordinateLimit && std::abs(p.y) <= kCairoCoordinateLimit;
}

}  // namespace

PageInk::PageInk(cairo_surface_t* surface, double unitsPerDotX, double unitsPerDotY)
    : cr_(cairo_create(surface)) {
    cairo_scale(cr_, unitsPerDotX, unitsPerDotY);
}

PageInk::~PageInk() {
    Flush();
    cairo_destroy(cr_);
}

// The page's clip is set outside any operation and kept while it stays the same;
// an operation begun inside another sets its clip inside its own state.
cairo_t* PageInk::BeginInColour(const Rect& clip, uint32_t colour) {
    if ((colour & kRgbBits) != colour_) Flush();
    return Open(clip);
}

cairo_t* PageInk::Begin(const Rect& clip) {
    Flush();
    return Open(clip);
}

cairo_t* PageInk::Open(const Rect& clip) {
    if (depth_ == 0 && (!clipped_ || !(clip == clip_))) {
        SetClip(clip);
        clip_ = clip;
        clipped_ = true;
    }
    cairo_save(cr_);
    if (depth_ > 0) SetClip(clip);
    ++depth_;
    return cr_;
}

void PageInk::End() {
    if (depth_ == 0) return;
    cairo_restore(cr_);
    --depth_;
}

void PageInk::SetClip(const Rect& clip) {
    cairo_reset_clip(cr_);
    cairo_rectangle(cr_, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr_);
}

void PageInk::AddBox(const PageBox& box, uint32_t colour, const Rect& clip) {
    const PageBox cut{std::max<double>(box.left, clip.left), std::max<double>(box.top, clip.top),
                      std::min<double>(box.right, clip.right), std::min<double>(box.bottom, clip.bottom)};
    if (cut.left >= cut.right || cut.top >= cut.bottom) return;
    colour &= kRgbBits;
    if (!boxes_.empty() && colour != colour_) Flush();
    colour_ = colour;
    const size_t from = boxes_.size() > kCoverWindow ? boxes_.size() - kCoverWindow : 0;
    for (size_t i = from; i < boxes_.size(); ++i)
        if (Covers(boxes_[i], cut)) return;
    auto covered = [&cut](const PageBox& b) { return Covers(cut, b); };
    boxes_.erase(std::remove_if(boxes_.begin() + static_cast<std::ptrdiff_t>(from), boxes_.end(), covered),
                 boxes_.end());
    boxes_.push_back(cut);
    // Inside an operation, what it draws next must come after the box.
    if (depth_ > 0) Flush();
}

void PageInk::Flush() {
    if (boxes_.empty()) return;
    cairo_save(cr_);
    cairo_reset_clip(cr_);
    if (depth_ == 0) clipped_ = false;
    cairo_set_source_rgb(cr_, ((colour_ >> 16) & 0xFF) / 255.0, ((colour_ >> 8) & 0xFF) / 255.0,
                         (colour_ & 0xFF) / 255.0);
    for (const PageBox& b : boxes_) {
        cairo_rectangle(cr_, b.left, b.top, b.right - b.left, b.bottom - b.top);
        cairo_fill(cr_);
    }
    cairo_restore(cr_);
    boxes_.clear();
}

bool StraightThinLineBox(Point a, Point b, PageBox* box) {
    if (!InRange(a) || !InRange(b) || (a.x == b.x && a.y == b.y)) return false;
    // The pixels from a up to b, b left out, whichever way the line runs.
    auto run = [](int32_t from, int32_t to, double* low, double* high) {
        *low = from < to ? from : to + 1.0;
        *high = from < to ? double(to) : from + 1.0;
    };
    if (a.y == b.y) {
        run(a.x, b.x, &box->left, &box->right);
        box->top = a.y;
        box->bottom = a.y + 1.0;
        return true;
    }
    if (a.x == b.x) {
        run(a.y, b.y, &box->top, &box->bottom);
        box->left = a.x;
        box->right = a.x + 1.0;
        return true;
    }
    return false;
}

}  // namespace ql::gfx::detail
