// Drawing the toolbar strip: image i is shape i % 5 (disc, square, triangle,
// diamond, bar) in colour (i / 5) of nine, inset on a white face with a grey edge.
#include "shell/rebar/toolbar_art.h"

#include <array>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace ql {
namespace {

constexpr int kShapes = 5;
constexpr std::array<gfx::Colour, 9> kInks = {
    gfx::Rgb(30, 90, 170),  gfx::Rgb(190, 50, 40),  gfx::Rgb(40, 140, 60),
    gfx::Rgb(200, 140, 20), gfx::Rgb(120, 60, 150), gfx::Rgb(20, 140, 150),
    gfx::Rgb(90, 90, 90),   gfx::Rgb(170, 70, 120), gfx::Rgb(110, 110, 30)};
constexpr gfx::Colour kFace = gfx::Rgb(255, 255, 255);
constexpr gfx::Colour kEdge = gfx::Rgb(150, 150, 150);

void DrawImage(gfx::DcHandle dc, int32_t index, int32_t size) {
    const int32_t x = index * size;
    const int32_t inset = size / 5;
    const gfx::Rect cell{x, 0, x + size, size};
    const gfx::Rect mark{x + inset, inset, x + size - inset, size - inset};
    platform::BrushHandle face = gfx::CreateSolidBrush(kFace);
    platform::PenHandle edge = gfx::CreatePen(gfx::PenStyle::Solid, 1, kEdge);
    platform::BrushHandle oldBrush = gfx::SelectObject(dc, face);
    platform::PenHandle oldPen = gfx::SelectObject(dc, edge);
    gfx::Rectangle(dc, cell);
    const gfx::Colour colour = kInks[static_cast<size_t>(index / kShapes) % kInks.size()];
    platform::BrushHandle ink = gfx::CreateSolidBrush(colour);
    platform::PenHandle inkPen = gfx::CreatePen(gfx::PenStyle::Solid, 1, colour);
    gfx::SelectObject(dc, ink);
    gfx::SelectObject(dc, inkPen);
    const int32_t midX = (mark.left + mark.right) / 2;
    const int32_t midY = (mark.top + mark.bottom) / 2;
    switch (index % kShapes) {
        case 0: gfx::Ellipse(dc, mark); break;
        case 1: gfx::Rectangle(dc, mark); break;
        case 2: {
            const gfx::Point points[] = {{midX, mark.top}, {mark.right, mark.bottom}, {mark.left, mark.bottom}};
            gfx::Polygon(dc, points, 3);
            break;
        }
        case 3: {
            const gfx::Point points[] = {{midX, mark.top}, {mark.right, midY}, {midX, mark.bottom}, {mark.left, midY}};
            gfx::Polygon(dc, points, 4);
            break;
        }
        default: gfx::Rectangle(dc, {mark.left, midY - inset / 2, mark.right, midY + inset / 2 + 1}); break;
    }
    gfx::SelectObject(dc, oldBrush);
    gfx::SelectObject(dc, oldPen);
    for (platform::BrushHandle b : {face, ink}) gfx::DeleteObject(b);
    for (platform::PenHandle p : {edge, inkPen}) gfx::DeleteObject(p);
}

}  // namespace

platform::BitmapHandle MakeToolbarStrip(int32_t size) {
    if (size <= 0) return {};
    platform::BitmapHandle strip = gfx::CreateImageBitmap(size * kToolbarImageCount, size);
    if (!strip) return {};
    gfx::DcHandle dc = gfx::CreateMemoryContext({});
    if (!dc) {
        gfx::DeleteObject(strip);
        return {};
    }
    platform::BitmapHandle old = gfx::SelectObject(dc, strip);
    for (int32_t i = 0; i < kToolbarImageCount; ++i) DrawImage(dc, i, size);
    gfx::SelectObject(dc, old);
    gfx::DeleteContext(dc);
    return strip;
}

}  // namespace ql
