// The ink of a printed page (a PDF page or an SVG picture): one Cairo context on
// the page's vector surface for the whole page, and the ink of one colour gathered
// into a few large operations. A vector surface keeps every drawing operation of a
// page and writes each with its own state when the page ends, so a page of
// thousands of small strokes, boxes and glyphs costs many times its painting. Ink
// of one colour that follows one another (staff lines, stems, ledger lines,
// barlines, beams, the 1-pixel straight lines that stand for them, solid outlines,
// glyphs) waits and goes to the page as boxes one after another, one run of
// glyphs per font, one fill of polygons and one stroke per pen width (a box alone
// in its fill is written as four numbers; in a path of many, as eight). Nothing
// drawn changes: ink of one solid colour looks the same in any order, a box is cut
// to the clip it was drawn under, the other waiting ink keeps the one clip it was
// drawn under, and ink of another colour or of several draws after everything
// waiting. On a PDF print job's page the ink goes to the page's record instead
// (the surface then only serves to build paths and to choose font options) until
// an operation asks for a Cairo context to draw on: the job is then turned over to
// Cairo, the record drawn on its surface, and the rest of the page drawn there.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gfx/detail/page_record.h"
#include "platform/gfx/detail/pdf_print_job.h"
#include "platform/gfx/types.h"

namespace ql::gfx::detail {

class PageInk {
  public:
    // `unitsPerDotX/Y`: surface units of a device pixel.
    // `job`: the PDF print job of the page, if any.
    PageInk(cairo_surface_t* surface, double unitsPerDotX, double unitsPerDotY, PdfPrintJob* job = nullptr);
    ~PageInk();
    PageInk(const PageInk&) = delete;
    PageInk& operator=(const PageInk&) = delete;

    // A context in device pixels for one operation, clipped to `clip`; the ink
    // gathered so far is drawn first. Every setting made on it ends at End().
    cairo_t* Begin(const Rect& clip);
    // As Begin, for an operation that draws in one solid colour alone: the ink
    // gathered so far may wait when it is of that colour too.
    cairo_t* BeginInColour(const Rect& clip, uint32_t colour);
    void End();
    // A box of a solid colour (0xRRGGBB in the low bytes), drawn cut to `clip`.
    void AddBox(const PageBox& box, uint32_t colour, const Rect& clip);
    // Glyphs of one font (positions in device pixels) in a solid colour.
    void AddGlyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count, uint32_t colour,
                   const Rect& clip);
    // The path that `build` makes (device pixels) filled in a solid colour, when it
    // is one convex polygon (which fills the same by either rule); No for any other
    // path, which the caller draws itself. With `outline`, the corners a 1-pixel
    // pen of the same colour traces round the polygon through the pixels' centres:
    // when they are the polygon's corners and no corner is sharp, the fill takes
    // in the pixels the pen covers (the polygon grown a pixel right and down) and
    // the outline needs no drawing of its own.
    enum class Gathered { No, Fill, FillAndOutline };
    Gathered AddConvexFill(const std::function<void(cairo_t*)>& build, uint32_t colour, const Rect& clip,
                           const std::vector<Point>* outline = nullptr);
    // As AddConvexFill with an outline, for the polygon of the outline's own corners
    // (within the Cairo range): no path is built to find them. False, with nothing
    // gathered, for a polygon not convex or with a sharp corner.
    bool AddOutlinedPolygon(const std::vector<Point>& corners, uint32_t colour, const Rect& clip);
    // The path that `build` makes stroked with a solid round-ended pen of `width`
    // pixels (butt ends and mitred joins at width 1) in a solid colour.
    void AddStroke(const std::function<void(cairo_t*)>& build, int width, uint32_t colour, const Rect& clip);
    // A path filled in a solid colour by `rule` and, with `stroke`, the path of
    // `outline` stroked in the pen's colour: drawn after the ink gathered so far.
    void AddPathInk(const std::function<void(cairo_t*)>* fill, cairo_fill_rule_t rule, uint32_t fillColour,
                    const std::function<void(cairo_t*)>* outline, const PageStroke* stroke, uint32_t penColour,
                    const Rect& clip);
    // A bitmap of ARGB32 pixels (rows `stride` bytes apart) with its top left
    // corner at device pixel (left, top), each pixel drawn as a square; false when
    // it could not be kept.
    bool AddImage(const unsigned char* pixels, int stride, int width, int height, int left, int top,
                  const Rect& clip);
    // Draws the ink gathered so far.
    void Flush();

  private:
    // The glyphs of one font. A PDF page places glyphs that follow one another on
    // a line by the font's widths held to a thousandth of an em, and the error
    // grows along the line; so each run added starts off the line of the glyph
    // before it, by way of an inkless glyph an em above, and is placed anew.
    struct GlyphRun {
        cairo_scaled_font_t* font = nullptr;  // referenced while the run waits
        bool hasSpacer = false;
        unsigned long spacer = 0;  // an inkless glyph of the font
        double em = 0;             // the font's height in device pixels
        std::vector<cairo_glyph_t> glyphs;
    };
    struct StrokeRun {
        int width = 1;
        std::vector<cairo_path_data_t> path;
    };

    cairo_t* Open(const Rect& clip);
    void SetClip(const Rect& clip);
    // Ready for ink of `colour` under `clip` to wait with the ink already waiting.
    void Join(uint32_t colour, const Rect& clip);
    bool HasClippedInk() const;
    GlyphRun& RunOf(cairo_scaled_font_t* font);
    // Copies the path that `build` makes, dropping it from the context.
    std::vector<cairo_path_data_t> CopyPath(const std::function<void(cairo_t*)>& build);
    void AppendPath(const std::vector<cairo_path_data_t>& path);
    void GatherClippedInk(PageRecord& out);
    // Where ink goes now: the page record, or a scratch record drawn at once.
    PageRecord& Target() { return record_ ? *record_ : scratch_; }
    // Draws the scratch record on the page's context.
    void DrawScratch();
    // Draws the page on the surface of Cairo the job turns to.
    void TurnToCairo();

    cairo_t* cr_;
    PdfPrintJob* job_ = nullptr;
    PageRecord* record_ = nullptr;  // while the page is recorded
    double unitsPerDotX_ = 1;
    double unitsPerDotY_ = 1;
    PageRecord scratch_;
    int depth_ = 0;  // operations begun and not ended
    bool clipped_ = false;
    Rect clip_;
    uint32_t colour_ = 0;
    Rect inkClip_;  // the clip of the waiting ink other than boxes
    std::vector<PageBox> boxes_;
    std::vector<GlyphRun> glyphRuns_;
    std::vector<cairo_path_data_t> fills_;
    std::vector<StrokeRun> strokes_;
};

// The pixels a solid 1-pixel pen covers on the horizontal or vertical line from a
// to b, b left out, as on an image (a stroke through the pixels' centres would
// reach half a pixel past them at both ends); false for any other line, and for
// one of no length.
bool StraightThinLineBox(Point a, Point b, PageBox* box);

// True when `path` is one closed polygon of three or more corners that turns one
// way only; it is then made to run clockwise on the device (y down), so that
// polygons filled together by the winding rule cover their union.
bool MakeClockwiseConvex(std::vector<cairo_path_data_t>* path);

// The convex polygon `path` (as MakeClockwiseConvex leaves it) grown by what a
// 1-pixel pen covers tracing its corners through the pixels' centres: the hull of
// its corners and the corners one pixel right, down, and both. False, with the
// path unchanged, when the corners are not `outline`'s or a corner is sharper
// than the pen's mitre reaches within the hull.
bool GrowByThinOutline(std::vector<cairo_path_data_t>* path, const std::vector<Point>& outline);

}  // namespace ql::gfx::detail
