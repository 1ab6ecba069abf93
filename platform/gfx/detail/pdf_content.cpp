#include "platform/gfx/detail/pdf_content.h"

#include <cmath>

namespace ql::gfx::detail {

namespace {

constexpr double kUnitsPerDot = 100.0;  // content units of a device dot
constexpr int kMatrixDecimals = 6;
constexpr int kSizeDecimals = 3;
constexpr double kSizeScale = 1e3;
constexpr int kMoveDecimals = 6;  // of the font size
constexpr double kMoveScale = 1e6;

int64_t Units(double dots) { return std::llround(dots * kUnitsPerDot); }

// What the graphics state holds, so that each operator is written only when its
// value changes. A clip is set inside a saved state of its own; leaving it
// forgets the rest.
class ContentWriter {
  public:
    ContentWriter(PdfFonts& fonts, PdfImageSink& images, PdfText& out) : fonts_(fonts), images_(images), out_(out) {}

    bool Write(const PageRecord& record, const PdfPageGeometry& page) {
        out_.Raw("q ")
            .Fixed(page.unitsPerDotX / kUnitsPerDot, kMatrixDecimals)
            .Raw("0 0 ")
            .Fixed(-page.unitsPerDotY / kUnitsPerDot, kMatrixDecimals)
            .Raw("0 ")
            .Fixed(page.heightPoints, kMatrixDecimals)
            .Raw("cm\n");
        for (const PageOp& op : record.ops()) {
            SetClip(op);
            switch (op.kind) {
            case PageOpKind::Boxes:
                FillColour(op.colour);
                // One fill a box: a renderer lines a rectangle filled alone up with
                // the device's pixels, as it does the boxes of Cairo's files.
                for (uint32_t i = op.from; i < op.from + op.count; ++i) Box(record.boxes()[i]);
                break;
            case PageOpKind::Fill:
                FillColour(op.colour);
                Path(record.path() + op.from, op.count);
                out_.Raw(op.rule == CAIRO_FILL_RULE_EVEN_ODD ? "f*\n" : "f\n");
                break;
            case PageOpKind::Stroke:
                StrokeColour(op.colour);
                StrokeStyle(record.stroke(op.item));
                Path(record.path() + op.from, op.count);
                out_.Raw("S\n");
                break;
            case PageOpKind::Glyphs:
                FillColour(op.colour);
                if (!Glyphs(record.font(op.item), record.glyphs() + op.from, static_cast<int>(op.count)))
                    return false;
                break;
            case PageOpKind::Image:
                Image(record.image(op.item));
                break;
            }
        }
        if (clipped_) out_.Raw("Q\n");
        out_.Raw("Q\n");
        return true;
    }

  private:
    void Forget() {
        fill_ = stroke_ = -1;
        width_ = -1;
        cap_ = join_ = -1;
        dashKnown_ = false;
    }

    void SetClip(const PageOp& op) {
        if (op.clipped == clipped_ && (!op.clipped || op.clip == clip_)) return;
        if (clipped_) {
            out_.Raw("Q\n");
            Forget();
        }
        clipped_ = op.clipped;
        if (!clipped_) return;
        clip_ = op.clip;
        const int64_t left = Units(clip_.left), top = Units(clip_.top);
        out_.Raw("q ").Int(left).Int(top).Int(Units(clip_.right) - left).Int(Units(clip_.bottom) - top)
            .Raw("re W n\n");
    }

    void Colour(uint32_t colour, const char* grey, const char* rgb) {
        const uint32_t r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
        if (r == g && g == b) {
            out_.Channel(r).Raw(grey);
        } else {
            out_.Channel(r).Channel(g).Channel(b).Raw(rgb);
        }
    }
    void FillColour(uint32_t colour) {
        if (fill_ == colour) return;
        fill_ = colour;
        Colour(colour, "g\n", "rg\n");
    }
    void StrokeColour(uint32_t colour) {
        if (stroke_ == colour) return;
        stroke_ = colour;
        Colour(colour, "G\n", "RG\n");
    }

    void StrokeStyle(const PageStroke& s) {
        const int64_t width = Units(s.width);
        if (width != width_) out_.Int(width).Raw("w\n");
        width_ = width;
        const int cap = s.cap == CAIRO_LINE_CAP_ROUND ? 1 : s.cap == CAIRO_LINE_CAP_SQUARE ? 2 : 0;
        if (cap != cap_) out_.Int(cap).Raw("J\n");
        cap_ = cap;
        const int join = s.join == CAIRO_LINE_JOIN_ROUND ? 1 : s.join == CAIRO_LINE_JOIN_BEVEL ? 2 : 0;
        if (join != join_) out_.Int(join).Raw("j\n");
        join_ = join;
        if (dashKnown_ && dashes_ == s.dashes) return;
        out_.Char('[');
        for (double length : s.dashes) out_.Int(Units(length));
        out_.Raw("] 0 d\n");
        dashes_ = s.dashes;
        dashKnown_ = true;
    }

    // The image's unit square on its pixels, its first row at the top.
    void Image(const PageImage& image) {
        const int64_t width = Units(image.width), height = Units(image.height);
        out_.Raw("q ").Int(width).Raw("0 0 ").Int(-height).Int(Units(image.left)).Int(Units(image.top) + height);
        out_.Raw("cm /Im").Int(images_.AddImage(image)).Raw("Do Q\n");
    }

    void Box(const PageBox& b) {
        const int64_t left = Units(b.left), top = Units(b.top);
        out_.Int(left).Int(top).Int(Units(b.right) - left).Int(Units(b.bottom) - top).Raw("re f\n");
    }

    void Point(const cairo_path_data_t& p) { out_.Int(Units(p.point.x)).Int(Units(p.point.y)); }

    void Path(const cairo_path_data_t* data, uint32_t count) {
        const cairo_path_data_t* move = nullptr;  // a move not yet written
        for (uint32_t i = 0; i < count; i += static_cast<uint32_t>(data[i].header.length)) {
            const cairo_path_data_t& head = data[i];
            if (head.header.length < 1) return;
            switch (head.header.type) {
            case CAIRO_PATH_MOVE_TO:
                move = &data[i + 1];
                break;
            case CAIRO_PATH_LINE_TO:
                WriteMove(&move);
                Point(data[i + 1]);
                out_.Raw("l\n");
                break;
            case CAIRO_PATH_CURVE_TO:
                WriteMove(&move);
                Point(data[i + 1]);
                Point(data[i + 2]);
                Point(data[i + 3]);
                out_.Raw("c\n");
                break;
            case CAIRO_PATH_CLOSE_PATH:
                out_.Raw("h\n");
                break;
            }
        }
    }
    void WriteMove(const cairo_path_data_t** move) {
        if (*move == nullptr) return;
        Point(**move);
        out_.Raw("m\n");
        *move = nullptr;
    }

    // The glyphs of a run at font size 1 under a text matrix that carries the
    // font's matrix, placed one by one by moves in text space from the glyph before
    // (as Cairo writes them; a reader rasterises them alike). Each move is worked
    // out from where the moves written so far put the glyph, so rounding does not
    // add up along a run.
    bool Glyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count) {
        const int resource = fonts_.Use(font, glyphs, count);
        if (resource < 0) return false;
        cairo_matrix_t m;
        cairo_scaled_font_get_font_matrix(font, &m);
        const double a = m.xx * kUnitsPerDot, b = m.yx * kUnitsPerDot, c = -m.xy * kUnitsPerDot,
                     d = -m.yy * kUnitsPerDot;
        const double determinant = a * d - b * c;
        if (determinant == 0) return true;  // glyphs of no size show nothing
        out_.Raw("BT /F").Int(resource).Raw("1 Tf ");
        out_.Fixed(a, kSizeDecimals).Fixed(b, kSizeDecimals).Fixed(c, kSizeDecimals).Fixed(d, kSizeDecimals);
        // Where the reader puts the text line, in content units.
        double x = static_cast<double>(Units(glyphs[0].x)), y = static_cast<double>(Units(glyphs[0].y));
        out_.Int(static_cast<int64_t>(x)).Int(static_cast<int64_t>(y)).Raw("Tm <");
        out_.Hex4(static_cast<uint32_t>(glyphs[0].index)).Raw(">Tj\n");
        // The matrix as written, for the moves.
        const double wa = Rounded(a), wb = Rounded(b), wc = Rounded(c), wd = Rounded(d);
        const double wdet = wa * wd - wb * wc;
        for (int i = 1; i < count; ++i) {
            const double dx = static_cast<double>(Units(glyphs[i].x)) - x;
            const double dy = static_cast<double>(Units(glyphs[i].y)) - y;
            const double tx = Moved((dx * wd - dy * wc) / wdet), ty = Moved((dy * wa - dx * wb) / wdet);
            out_.Fixed(tx, kMoveDecimals).Fixed(ty, kMoveDecimals).Raw("Td <");
            out_.Hex4(static_cast<uint32_t>(glyphs[i].index)).Raw(">Tj\n");
            x += tx * wa + ty * wc;
            y += tx * wb + ty * wd;
        }
        out_.Raw("ET\n");
        return true;
    }

    static double Rounded(double v) { return std::round(v * kSizeScale) / kSizeScale; }
    static double Moved(double v) { return std::round(v * kMoveScale) / kMoveScale; }

    PdfFonts& fonts_;
    PdfImageSink& images_;
    PdfText& out_;
    bool clipped_ = false;
    Rect clip_;
    int64_t fill_ = -1, stroke_ = -1;
    int64_t width_ = -1;
    int cap_ = -1, join_ = -1;
    std::vector<double> dashes_;  // solid, as every page starts
    bool dashKnown_ = true;
};

}  // namespace

bool WritePageContent(const PageRecord& record, const PdfPageGeometry& page, PdfFonts& fonts,
                      PdfImageSink& images, PdfText& out) {
    ContentWriter writer(fonts, images, out);
    return writer.Write(record, page);
}

}  // namespace ql::gfx::detail
