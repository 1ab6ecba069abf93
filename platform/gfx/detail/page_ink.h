// The ink of a printed page (a PDF page or an SVG picture): one Cairo context on
// the page's vector surface for the whole page, and solid boxes gathered into one
// fill. A vector surface keeps every drawing operation of a page and writes each
// with its own state when the page ends, so a page of thousands of small strokes
// and boxes costs many times its painting; boxes of one colour that follow one
// another (staff lines, stems, ledger lines, beams' boxes, barlines, and the
// 1-pixel straight lines that stand for them) go to the page as one path instead.
// Nothing drawn changes: a box is cut to the clip it was drawn under, and each
// other operation draws after the boxes before it.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "platform/gfx/types.h"

namespace ql::gfx::detail {

// A box in device pixels, in the fractions a stroke covers.
struct PageBox {
    double left = 0, top = 0, right = 0, bottom = 0;
};

class PageInk {
  public:
    // `unitsPerDotX/Y`: surface units of a device pixel.
    PageInk(cairo_surface_t* surface, double unitsPerDotX, double unitsPerDotY);
    ~PageInk();
    PageInk(const PageInk&) = delete;
    PageInk& operator=(const PageInk&) = delete;

    // A context in device pixels for one operation, clipped to `clip`; the boxes
    // gathered so far are drawn first. Every setting made on it ends at End().
    cairo_t* Begin(const Rect& clip);
    // As Begin, for an operation that draws in one solid colour alone: the boxes
    // gathered so far may wait when they are of that colour too (ink of one colour
    // looks the same in any order), so that boxes and glyphs each go to the page
    // in long runs.
    cairo_t* BeginInColour(const Rect& clip, uint32_t colour);
    void End();
    // A box of a solid colour (0xRRGGBB in the low bytes), drawn cut to `clip`.
    void AddBox(const PageBox& box, uint32_t colour, const Rect& clip);
    // Draws the boxes gathered so far.
    void Flush();

  private:
    cairo_t* Open(const Rect& clip);
    void SetClip(const Rect& clip);

    cairo_t* cr_;
    int depth_ = 0;  // operations begun and not ended
    bool clipped_ = false;
    Rect clip_;
    uint32_t colour_ = 0;
    std::vector<PageBox> boxes_;
};

// The pixels a solid 1-pixel pen covers on the horizontal or vertical line from a
// to b, b left out, as on an image (a stroke through the pixels' centres would
// reach half a pixel past them at both ends); false for any other line, and for
// one of no length.
bool StraightThinLineBox(Point a, Point b, PageBox* box);

}  // namespace ql::gfx::detail
