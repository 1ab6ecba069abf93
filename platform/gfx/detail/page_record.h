// The drawing of a printed page kept as operations in device dots: boxes, glyph
// runs, filled and stroked paths, each in one solid colour and under the clip it
// was drawn under, and bitmaps of device pixels. A record is written as the page of a PDF file of our own
// (pdf_content.h) or drawn on any Cairo context (DrawPageRecord) for the surfaces
// Cairo writes.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

namespace ql::gfx::detail {

// A box in device pixels, in the fractions a stroke covers.
struct PageBox {
    double left = 0, top = 0, right = 0, bottom = 0;
};

enum class PageOpKind : uint8_t { Boxes, Glyphs, Fill, Stroke, Image };

// A bitmap of device pixels with its colours and coverage compressed (a page may
// hold pictures of millions of pixels).
struct PageImage {
    int width = 0, height = 0;
    int left = 0, top = 0;  // device pixel of its top left corner
    std::string rgb;        // deflated: 3 bytes a pixel, rows from the top
    std::string alpha;      // deflated: a byte a pixel; empty when every pixel is opaque
};
// The bitmap of `width` x `height` ARGB32 pixels (premultiplied, rows `stride`
// bytes apart) at device pixel (left, top); false when it could not be compressed.
bool MakePageImage(const unsigned char* pixels, int stride, int width, int height, int left, int top,
                   PageImage* image);

struct PageStroke {
    double width = 1;
    cairo_line_cap_t cap = CAIRO_LINE_CAP_BUTT;
    cairo_line_join_t join = CAIRO_LINE_JOIN_MITER;
    std::vector<double> dashes;  // lengths in pixels; empty for a solid line
};

struct PageOp {
    PageOpKind kind = PageOpKind::Boxes;
    uint32_t colour = 0;  // 0xRRGGBB
    bool clipped = false;
    Rect clip;
    uint32_t from = 0;   // first box, glyph or path element
    uint32_t count = 0;  // boxes, glyphs or path elements
    uint32_t item = 0;   // Glyphs: the font; Stroke: the stroke style; Image: the image
    cairo_fill_rule_t rule = CAIRO_FILL_RULE_WINDING;  // Fill
};

class PageRecord {
  public:
    PageRecord() = default;
    ~PageRecord();
    PageRecord(PageRecord&& other) noexcept;
    PageRecord& operator=(PageRecord&& other) noexcept;
    PageRecord(const PageRecord&) = delete;
    PageRecord& operator=(const PageRecord&) = delete;

    // Boxes filled in a solid colour, unclipped (cut to their clips already).
    void AddBoxes(const std::vector<PageBox>& boxes, uint32_t colour);
    void AddGlyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count, uint32_t colour,
                   const Rect& clip);
    void AddFill(const std::vector<cairo_path_data_t>& path, cairo_fill_rule_t rule, uint32_t colour,
                 const Rect& clip);
    void AddStroke(const std::vector<cairo_path_data_t>& path, const PageStroke& stroke, uint32_t colour,
                   const Rect& clip);
    void AddImage(PageImage image, const Rect& clip);
    void Clear();

    bool empty() const { return ops_.empty(); }
    const std::vector<PageOp>& ops() const { return ops_; }
    const PageBox* boxes() const { return boxes_.data(); }
    const cairo_glyph_t* glyphs() const { return glyphs_.data(); }
    const cairo_path_data_t* path() const { return path_.data(); }
    cairo_scaled_font_t* font(uint32_t i) const { return fonts_[i]; }
    const PageStroke& stroke(uint32_t i) const { return strokes_[i]; }
    const PageImage& image(uint32_t i) const { return images_[i]; }

  private:
    PageOp& Push(PageOpKind kind, uint32_t colour, const Rect* clip);
    uint32_t FontIndex(cairo_scaled_font_t* font);

    std::vector<PageOp> ops_;
    std::vector<PageBox> boxes_;
    std::vector<cairo_glyph_t> glyphs_;
    std::vector<cairo_path_data_t> path_;
    std::vector<cairo_scaled_font_t*> fonts_;  // referenced
    std::vector<PageStroke> strokes_;
    std::vector<PageImage> images_;
};

// Draws the record's operations on `cr`, whose user space is in device dots.
void DrawPageRecord(const PageRecord& record, cairo_t* cr);

}  // namespace ql::gfx::detail
