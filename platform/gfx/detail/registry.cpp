// The drawing layer's registry: object tables, stock objects and the lookups
// shared by every drawing module.
#include "platform/gfx/detail/registry.h"

#include "platform/gfx/detail/pdf_print_job.h"

namespace ql::gfx::detail {

namespace {
std::shared_ptr<const BrushDesc> SolidBrushDesc(Colour colour) {
    auto b = std::make_shared<BrushDesc>();
    b->style = BrushStyle::Solid;
    b->colour = colour;
    return b;
}
std::shared_ptr<const BrushDesc> NullBrushDesc() {
    auto b = std::make_shared<BrushDesc>();
    b->style = BrushStyle::Null;
    return b;
}
}  // namespace

PrinterJob::PrinterJob() = default;

PrinterJob::~PrinterJob() {
    page.reset();
    pdf.reset();
    if (surface) cairo_surface_destroy(surface);
}

Registry::Registry() {
    stockPens[static_cast<int>(StockPen::White)] =
        pens.Add(std::make_unique<Pen>(Pen{PenDesc{PenStyle::Solid, 0, kWhite}}));
    stockPens[static_cast<int>(StockPen::Black)] =
        pens.Add(std::make_unique<Pen>(Pen{PenDesc{PenStyle::Solid, 0, kBlack}}));
    stockPens[static_cast<int>(StockPen::Null)] =
        pens.Add(std::make_unique<Pen>(Pen{PenDesc{PenStyle::Null, 0, kBlack}}));
    const Colour brushColours[] = {kWhite, kLightGrey, kGrey, kDarkGrey, kBlack};
    for (int i = 0; i < 5; ++i)
        stockBrushes[i] = brushes.Add(std::make_unique<Brush>(Brush{SolidBrushDesc(brushColours[i])}));
    stockBrushes[static_cast<int>(StockBrush::Null)] =
        brushes.Add(std::make_unique<Brush>(Brush{NullBrushDesc()}));
    auto mono = std::make_unique<Bitmap>();
    mono->image = Image::Create(1, 1, kBlackPixel, true);
    stockBitmap = bitmaps.Add(std::move(mono));
}

Image* ImageOf(const Dc& d) {
    BitmapHandle h;
    switch (d.kind) {
    case ContextKind::Window:
    case ContextKind::Paint: h = d.backing; break;
    case ContextKind::Memory: h = d.state.bitmap; break;
    default: return nullptr;
    }
    Bitmap* b = FindBitmap(h);
    return b ? b->image.get() : nullptr;
}

DeviceInfo DeviceOf(const Dc& d) {
    if (!d.device.isScreen) return d.device;
    const ScreenMetrics& s = Reg().screen;
    return DeviceInfo{true, s.width, s.height, s.dpiX, s.dpiY};
}

Rect DeviceRectOf(const Dc& d, Rect logical) {
    Point a = MapLogicalToDevice(d.state.mapping, Point{logical.left, logical.top});
    Point b = MapLogicalToDevice(d.state.mapping, Point{logical.right, logical.bottom});
    return Normalised(Rect{a.x, a.y, b.x, b.y});
}

Rect DeviceClipOf(const Dc& d) {
    Rect area;
    if (const Image* image = ImageOf(d)) {
        area = image->bounds();
    } else if (d.kind == ContextKind::Printer && d.printer && d.printer->inPage) {
        area = Rect{0, 0, d.device.width, d.device.height};
    } else {
        return Rect{};
    }
    if (d.paintClip) area = Intersect(area, *d.paintClip);
    if (d.state.clip) area = Intersect(area, *d.state.clip);
    return area;
}

void SelectPenValue(Dc& d, PenHandle handle, const PenDesc& pen) {
    d.state.penHandle = handle;
    d.state.pen = pen;
}

void SelectBrushValue(Dc& d, BrushHandle handle, std::shared_ptr<const BrushDesc> brush) {
    d.state.brushHandle = handle;
    d.state.brush = std::move(brush);
}

}  // namespace ql::gfx::detail
