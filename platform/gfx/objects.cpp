// Pens, brushes and stock objects; selecting objects into contexts and deleting them.
#include "platform/gfx/objects.h"

#include <algorithm>
#include <utility>

#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;
using detail::Reg;

namespace {

constexpr int kStockPenCount = 3;
constexpr int kStockBrushCount = 6;

BrushHandle AddBrush(std::shared_ptr<const BrushDesc> desc) {
    return Reg().brushes.Add(std::make_unique<detail::Brush>(detail::Brush{std::move(desc)}));
}

// Selection by value: a recording keeps the value, so a replay draws with the
// pen or brush as it was even after the object is deleted.
void ApplyPenSelection(DcHandle dc, PenHandle pen, PenDesc value) {
    Dc* d = FindDc(dc);
    if (!d) return;
    detail::RecordIfRecording(*d, [pen, value](DcHandle t) { ApplyPenSelection(t, pen, value); });
    detail::SelectPenValue(*d, pen, value);
}

void ApplyBrushSelection(DcHandle dc, BrushHandle brush, std::shared_ptr<const BrushDesc> value) {
    Dc* d = FindDc(dc);
    if (!d) return;
    detail::RecordIfRecording(*d, [brush, value](DcHandle t) { ApplyBrushSelection(t, brush, value); });
    detail::SelectBrushValue(*d, brush, std::move(value));
}

bool IsValidPenStyle(PenStyle s) { return static_cast<int>(s) <= static_cast<int>(PenStyle::InsideFrame); }

}  // namespace

PenHandle CreatePen(PenStyle style, int32_t width, Colour colour) {
    if (!IsValidPenStyle(style) || width < 0) return PenHandle{};
    return Reg().pens.Add(std::make_unique<detail::Pen>(detail::Pen{PenDesc{style, width, colour}}));
}

BrushHandle CreateSolidBrush(Colour colour) {
    auto b = std::make_shared<BrushDesc>();
    b->colour = colour;
    return AddBrush(std::move(b));
}

BrushHandle CreateHatchBrush(HatchStyle hatch, Colour colour) {
    if (static_cast<int>(hatch) > static_cast<int>(HatchStyle::DiagonalCross)) return BrushHandle{};
    auto b = std::make_shared<BrushDesc>();
    b->style = BrushStyle::Hatched;
    b->hatch = hatch;
    b->colour = colour;
    return AddBrush(std::move(b));
}

BrushHandle CreatePatternBrush(BitmapHandle pattern) {
    detail::Bitmap* bm = detail::FindBitmap(pattern);
    if (!bm) return BrushHandle{};
    const detail::Image& image = *bm->image;
    auto b = std::make_shared<BrushDesc>();
    b->style = BrushStyle::Pattern;
    b->patternWidth = image.width();
    b->patternHeight = image.height();
    b->monochromePattern = image.monochrome();
    image.BeginPixels();
    b->pattern.reserve(static_cast<size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) b->pattern.push_back(detail::ColourOf(image.At(x, y)));
    return AddBrush(std::move(b));
}

PenHandle GetStockPen(StockPen which) {
    int i = static_cast<int>(which);
    return i < kStockPenCount ? Reg().stockPens[i] : PenHandle{};
}

BrushHandle GetStockBrush(StockBrush which) {
    int i = static_cast<int>(which);
    return i < kStockBrushCount ? Reg().stockBrushes[i] : BrushHandle{};
}

bool IsStockObject(AnyObjectHandle object) {
    const detail::Registry& r = Reg();
    for (PenHandle p : r.stockPens)
        if (p.bits == object.bits) return true;
    for (BrushHandle b : r.stockBrushes)
        if (b.bits == object.bits) return true;
    return object.bits == r.stockBitmap.bits;
}

bool GetPenDesc(PenHandle pen, PenDesc* out) {
    const detail::Pen* p = Reg().pens.Find(pen);
    if (!p || !out) return false;
    *out = p->desc;
    return true;
}

bool GetBrushDesc(BrushHandle brush, BrushDesc* out) {
    const detail::Brush* b = Reg().brushes.Find(brush);
    if (!b || !out) return false;
    *out = *b->desc;
    return true;
}

PenHandle SelectObject(DcHandle dc, PenHandle pen) {
    Dc* d = FindDc(dc);
    const detail::Pen* p = Reg().pens.Find(pen);
    if (!d || !p) return PenHandle{};
    PenHandle old = d->state.penHandle;
    ApplyPenSelection(dc, pen, p->desc);
    return old;
}

BrushHandle SelectObject(DcHandle dc, BrushHandle brush) {
    Dc* d = FindDc(dc);
    const detail::Brush* b = Reg().brushes.Find(brush);
    if (!d || !b) return BrushHandle{};
    BrushHandle old = d->state.brushHandle;
    ApplyBrushSelection(dc, brush, b->desc);
    return old;
}

FontHandle SelectObject(DcHandle dc, FontHandle font) {
    Dc* d = FindDc(dc);
    if (!d || !font) return FontHandle{};
    if (d->IsRecording()) detail::HoldFont(*d, font);
    detail::RecordIfRecording(*d, [font](DcHandle t) { SelectObject(t, font); });
    FontHandle old = d->state.font;
    d->state.font = font;
    return old;
}

BitmapHandle SelectObject(DcHandle dc, BitmapHandle bitmap) {
    Dc* d = FindDc(dc);
    if (!d || d->kind != ContextKind::Memory) return BitmapHandle{};
    BitmapHandle old = d->state.bitmap;
    if (!detail::SelectBitmapInto(*d, dc, bitmap)) return BitmapHandle{};
    return old;
}

AnyObjectHandle SelectObject(DcHandle dc, AnyObjectHandle object) {
    switch (object.kind()) {
    case platform::ObjectKind::Pen: return SelectObject(dc, PenHandle{object.bits});
    case platform::ObjectKind::Brush: return SelectObject(dc, BrushHandle{object.bits});
    case platform::ObjectKind::Font: return SelectObject(dc, FontHandle{object.bits});
    case platform::ObjectKind::Bitmap: return SelectObject(dc, BitmapHandle{object.bits});
    default: return AnyObjectHandle{};
    }
}

PenHandle GetCurrentPen(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->state.penHandle : PenHandle{};
}
BrushHandle GetCurrentBrush(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->state.brushHandle : BrushHandle{};
}
FontHandle GetCurrentFont(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->state.font : FontHandle{};
}
BitmapHandle GetCurrentBitmap(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->state.bitmap : BitmapHandle{};
}

namespace {
bool IsBitmapInUse(BitmapHandle h, const detail::Bitmap& b) {
    if (b.backingUsers > 0) return true;
    const Dc* owner = FindDc(b.selectedInto);
    return owner && owner->state.bitmap == h;
}
}  // namespace

bool DeleteObject(AnyObjectHandle object) {
    if (!object || IsStockObject(object)) return false;
    detail::Registry& r = Reg();
    switch (object.kind()) {
    case platform::ObjectKind::Pen: return r.pens.Remove(PenHandle{object.bits});
    case platform::ObjectKind::Brush: return r.brushes.Remove(BrushHandle{object.bits});
    case platform::ObjectKind::Font: {
        const FontHandle font{object.bits};
        if (!r.fontDeleter) return false;
        if (!detail::IsFontHeld(font)) return r.fontDeleter(font);
        if (std::find(r.fontsToDelete.begin(), r.fontsToDelete.end(), font) == r.fontsToDelete.end())
            r.fontsToDelete.push_back(font);
        return true;
    }
    case platform::ObjectKind::Bitmap: {
        BitmapHandle h{object.bits};
        const detail::Bitmap* b = r.bitmaps.Find(h);
        if (!b || IsBitmapInUse(h, *b)) return false;
        return r.bitmaps.Remove(h);
    }
    default: return false;
    }
}

std::function<bool(FontHandle)> SetFontDeleter(std::function<bool(FontHandle)> deleter) {
    return std::exchange(Reg().fontDeleter, std::move(deleter));
}

namespace detail {
bool SelectBitmapInto(Dc& d, DcHandle self, BitmapHandle next) {
    Bitmap* b = FindBitmap(next);
    if (!b || b->backingUsers > 0) return false;
    bool isStock = next == Reg().stockBitmap;
    if (!isStock && b->selectedInto && b->selectedInto != self) {
        const Dc* owner = FindDc(b->selectedInto);
        if (owner && owner->state.bitmap == next) return false;
    }
    if (Bitmap* old = FindBitmap(d.state.bitmap); old && old->selectedInto == self)
        old->selectedInto = DcHandle{};
    d.state.bitmap = next;
    if (!isStock) b->selectedInto = self;
    return true;
}
}  // namespace detail

}  // namespace ql::gfx
