// The eighteen note-head faces, drawn from shapes on a 36-unit square scaled into
// the button: filled and hollow triangles, squares and diamonds, slashes, crosses,
// circles, a half-note head, a rest and the repeat signs.
#include "shell/options/note_head_faces.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace ql {
namespace {

constexpr int32_t kCell = 36;
constexpr int32_t kInk = 3;  // stroke width in cell units

// Cell units to the button's pixels, centred.
struct CellMapping {
    gfx::Rect rect;
    int32_t side;
    gfx::Point operator()(int32_t x, int32_t y) const {
        const int32_t left = rect.left + (rect.right - rect.left - side) / 2;
        const int32_t top = rect.top + (rect.bottom - rect.top - side) / 2;
        return {left + x * side / kCell, top + y * side / kCell};
    }
    gfx::Rect Box(int32_t l, int32_t t, int32_t r, int32_t b) const {
        const gfx::Point a = (*this)(l, t);
        const gfx::Point z = (*this)(r, b);
        return {a.x, a.y, z.x, z.y};
    }
};

class Ink {
  public:
    Ink(platform::DcHandle dc, const CellMapping& at) : dc_(dc), at_(at) {
        pen_ = gfx::CreatePen(gfx::PenStyle::Solid, std::max(1, kInk * at.side / kCell), gfx::kBlack);
        oldPen_ = gfx::SelectObject(dc, pen_);
        oldBrush_ = gfx::SelectObject(dc, gfx::GetStockBrush(gfx::StockBrush::Black));
    }
    ~Ink() {
        gfx::SelectObject(dc_, oldPen_);
        gfx::SelectObject(dc_, oldBrush_);
        gfx::DeleteObject(pen_);
    }
    Ink(const Ink&) = delete;
    Ink& operator=(const Ink&) = delete;

    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        const gfx::Point points[] = {at_(x0, y0), at_(x1, y1)};
        gfx::Polyline(dc_, points, 2);
    }
    void Shape(std::initializer_list<gfx::Point> cell, bool filled) {
        std::vector<gfx::Point> points;
        for (const gfx::Point& p : cell) points.push_back(at_(p.x, p.y));
        Fill(filled);
        gfx::Polygon(dc_, points.data(), static_cast<int>(points.size()));
    }
    void Circle(int32_t l, int32_t t, int32_t r, int32_t b, bool filled) {
        Fill(filled);
        gfx::Ellipse(dc_, at_.Box(l, t, r, b));
    }

  private:
    void Fill(bool filled) {
        gfx::SelectObject(dc_, gfx::GetStockBrush(filled ? gfx::StockBrush::Black : gfx::StockBrush::Null));
    }
    platform::DcHandle dc_;
    CellMapping at_;
    platform::PenHandle pen_;
    platform::PenHandle oldPen_;
    platform::BrushHandle oldBrush_;
};

void Triangle(Ink& ink, bool up, bool filled) {
    if (up)
        ink.Shape({{8, 26}, {18, 9}, {28, 26}}, filled);
    else
        ink.Shape({{8, 10}, {28, 10}, {18, 27}}, filled);
}

void Square(Ink& ink, bool filled) { ink.Shape({{10, 10}, {26, 10}, {26, 26}, {10, 26}}, filled); }
void Diamond(Ink& ink, bool filled) { ink.Shape({{18, 7}, {29, 18}, {18, 29}, {7, 18}}, filled); }
void Slash(Ink& ink, int32_t dx) { ink.Shape({{9 + dx, 27}, {14 + dx, 27}, {27 + dx, 9}, {22 + dx, 9}}, true); }
void Cross(Ink& ink) {
    ink.Line(11, 11, 25, 25);
    ink.Line(11, 25, 25, 11);
}
void Dots(Ink& ink) {
    ink.Circle(6, 9, 11, 14, true);
    ink.Circle(25, 22, 30, 27, true);
}

void DrawShape(Ink& ink, int shape) {
    switch (shape) {
        case 0: ink.Line(10, 26, 26, 10); break;                      // slash
        case 1: Cross(ink); break;                                    // X-head
        case 2: Triangle(ink, true, true); break;
        case 3: Triangle(ink, false, true); break;
        case 4: Square(ink, true); break;
        case 5: Diamond(ink, true); break;
        case 6: ink.Circle(7, 7, 29, 29, false); ink.Line(11, 25, 25, 11); break;  // circled slash
        case 7: ink.Circle(7, 7, 29, 29, false); Cross(ink); break;               // circled X
        case 8: Triangle(ink, true, false); break;
        case 9: Triangle(ink, false, false); break;
        case 10: Square(ink, false); break;
        case 11: Diamond(ink, false); break;
        case 12: ink.Circle(7, 12, 29, 24, false); break;             // half-note head
        case 13:                                                      // rest
            ink.Line(15, 7, 21, 14);
            ink.Line(21, 14, 15, 20);
            ink.Line(15, 20, 21, 27);
            ink.Line(21, 27, 16, 30);
            break;
        case 14: Slash(ink, 0); Dots(ink); break;                     // repeat slash
        case 15: Slash(ink, -5); Slash(ink, 5); break;                // repeat slashes
        case 16: ink.Line(10, 27, 26, 9); Dots(ink); break;           // figure repeat
        default: Slash(ink, -4); Slash(ink, 4); Dots(ink); break;     // measure repeat
    }
}

}  // namespace

bool DrawNoteHeadFace(platform::DcHandle dc, const gfx::Rect& rect, int shape, bool chosen) {
    if (shape < 0 || shape >= kNoteHeadShapeCount) return false;
    gfx::FillRect(dc, rect, gfx::GetStockBrush(gfx::StockBrush::White));
    const int32_t side = std::min(rect.right - rect.left, rect.bottom - rect.top);
    {
        Ink ink(dc, CellMapping{rect, side});
        DrawShape(ink, shape);
    }
    if (!chosen) gfx::PatternBlit(dc, rect, gfx::RasterOp::DestinationInvert);
    return true;
}

}  // namespace ql
