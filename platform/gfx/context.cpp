// Device contexts: creation of window, paint and memory contexts, the
// save/restore stack, the text and fill attributes, current position and clip.
#include <utility>
#include <vector>

#include "platform/gfx/dc.h"
#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;
using detail::Reg;

namespace {

DcHandle CreateBackedContext(ContextKind kind, BitmapHandle backing, std::optional<Rect> clip) {
    detail::Bitmap* b = detail::FindBitmap(backing);
    if (!b || backing == Reg().stockBitmap) return DcHandle{};
    auto d = detail::NewContext(kind);
    d->backing = backing;
    d->paintClip = clip;
    DcHandle h = detail::AddContext(std::move(d));
    if (h) ++b->backingUsers;
    return h;
}

void RestoreState(Dc& d, DcHandle self, detail::DcState state) {
    BitmapHandle wanted = state.bitmap;
    state.bitmap = d.state.bitmap;
    d.state = std::move(state);
    if (d.kind == ContextKind::Memory && wanted != d.state.bitmap)
        detail::SelectBitmapInto(d, self, wanted);
}

// Attribute setters record themselves, swap the value and return the old one.
template <typename T>
T SwapAttribute(DcHandle dc, T detail::DcState::*field, T value, T fallback, T (*self)(DcHandle, T)) {
    Dc* d = FindDc(dc);
    if (!d) return fallback;
    detail::RecordIfRecording(*d, [value, self](DcHandle t) { self(t, value); });
    return std::exchange(d->state.*field, value);
}

template <typename T>
T ReadAttribute(DcHandle dc, T detail::DcState::*field, T fallback) {
    const Dc* d = FindDc(dc);
    return d ? d->state.*field : fallback;
}

}  // namespace

namespace detail {
std::unique_ptr<Dc> NewContext(ContextKind kind) {
    auto d = std::make_unique<Dc>();
    d->kind = kind;
    Registry& r = Reg();
    PenHandle black = r.stockPens[static_cast<int>(StockPen::Black)];
    SelectPenValue(*d, black, r.pens.Get(black).desc);
    BrushHandle white = r.stockBrushes[static_cast<int>(StockBrush::White)];
    SelectBrushValue(*d, white, r.brushes.Get(white).desc);
    return d;
}

DcHandle AddContext(std::unique_ptr<Dc> d) { return Reg().contexts.Add(std::move(d)); }

bool RestoreForReplay(DcHandle target, int level) {
    Dc* d = FindDc(target);
    if (!d) return false;
    if (level > 0) return RestoreContext(target, level + d->replayBase);
    // A relative restore never pops the save that the replay itself made.
    if (static_cast<int>(d->saved.size()) + level < d->replayBase) return false;
    return RestoreContext(target, level);
}
}  // namespace detail

DcHandle CreateWindowContext(BitmapHandle backing) {
    return CreateBackedContext(ContextKind::Window, backing, std::nullopt);
}

DcHandle CreatePaintContext(BitmapHandle backing, Rect invalid) {
    return CreateBackedContext(ContextKind::Paint, backing, Normalised(invalid));
}

DcHandle CreateMemoryContext(DcHandle compatible) {
    auto d = detail::NewContext(ContextKind::Memory);
    if (const Dc* c = FindDc(compatible)) d->device = detail::DeviceOf(*c);
    if (d->device.isScreen) d->device = detail::DeviceInfo{};
    Dc* raw = d.get();
    DcHandle h = detail::AddContext(std::move(d));
    if (h) raw->state.bitmap = Reg().stockBitmap;
    return h;
}

bool ReleaseContext(DcHandle dc) {
    const Dc* d = FindDc(dc);
    if (!d || (d->kind != ContextKind::Window && d->kind != ContextKind::Paint)) return false;
    return DeleteContext(dc);
}

bool DeleteContext(DcHandle dc) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    while (d->inkDepth > 0) detail::EndInkOf(*d);
    detail::DropKeptInk(*d);
    if (d->kind == ContextKind::Printer && d->printer && d->printer->inDocument) EndDocument(dc);
    if (detail::Bitmap* b = detail::FindBitmap(d->backing)) --b->backingUsers;
    if (detail::Bitmap* b = detail::FindBitmap(d->state.bitmap); b && b->selectedInto == dc)
        b->selectedInto = DcHandle{};
    std::vector<FontHandle> held = std::exchange(d->heldFonts, {});
    const bool removed = Reg().contexts.Remove(dc);
    detail::ReleaseFonts(held);  // deleted fonts it still held go with its calls
    return removed;
}

ContextKind GetContextKind(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->kind : ContextKind{};
}

bool IsContextValid(DcHandle dc) { return FindDc(dc) != nullptr; }

int SaveContext(DcHandle dc) {
    Dc* d = FindDc(dc);
    if (!d) return 0;
    detail::RecordIfRecording(*d, [](DcHandle t) { SaveContext(t); });
    d->saved.push_back(d->state);
    return static_cast<int>(d->saved.size());
}

bool RestoreContext(DcHandle dc, int level) {
    Dc* d = FindDc(dc);
    if (!d || level == 0) return false;
    int depth = static_cast<int>(d->saved.size());
    int keep = level > 0 ? level - 1 : depth + level;
    if (keep < 0 || keep >= depth) return false;
    if (d->IsRecording()) d->calls.push_back([level](DcHandle t) { detail::RestoreForReplay(t, level); });
    detail::DcState state = std::move(d->saved[keep]);
    d->saved.resize(keep);
    RestoreState(*d, dc, std::move(state));
    return true;
}

int GetSaveDepth(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? static_cast<int>(d->saved.size()) : 0;
}

Colour SetTextColour(DcHandle dc, Colour c) {
    return SwapAttribute(dc, &detail::DcState::textColour, c, kBlack, &SetTextColour);
}
Colour GetTextColour(DcHandle dc) { return ReadAttribute(dc, &detail::DcState::textColour, kBlack); }
Colour SetBackgroundColour(DcHandle dc, Colour c) {
    return SwapAttribute(dc, &detail::DcState::backgroundColour, c, kWhite, &SetBackgroundColour);
}
Colour GetBackgroundColour(DcHandle dc) {
    return ReadAttribute(dc, &detail::DcState::backgroundColour, kWhite);
}
BackgroundMode SetBackgroundMode(DcHandle dc, BackgroundMode m) {
    return SwapAttribute(dc, &detail::DcState::backgroundMode, m, BackgroundMode::Opaque,
                         &SetBackgroundMode);
}
BackgroundMode GetBackgroundMode(DcHandle dc) {
    return ReadAttribute(dc, &detail::DcState::backgroundMode, BackgroundMode::Opaque);
}
TextAlign SetTextAlign(DcHandle dc, TextAlign a) {
    return SwapAttribute(dc, &detail::DcState::textAlign, a, kTextAlignLeft, &SetTextAlign);
}
TextAlign GetTextAlign(DcHandle dc) {
    return ReadAttribute(dc, &detail::DcState::textAlign, kTextAlignLeft);
}
int SetTextCharacterExtra(DcHandle dc, int extra) {
    return SwapAttribute(dc, &detail::DcState::charExtra, extra, 0, &SetTextCharacterExtra);
}
int GetTextCharacterExtra(DcHandle dc) { return ReadAttribute(dc, &detail::DcState::charExtra, 0); }
FillMode SetFillMode(DcHandle dc, FillMode m) {
    return SwapAttribute(dc, &detail::DcState::fillMode, m, FillMode::Alternate, &SetFillMode);
}
FillMode GetFillMode(DcHandle dc) {
    return ReadAttribute(dc, &detail::DcState::fillMode, FillMode::Alternate);
}
Rop2 SetRop2(DcHandle dc, Rop2 rop) {
    return SwapAttribute(dc, &detail::DcState::rop, rop, Rop2::CopyPen, &SetRop2);
}
Rop2 GetRop2(DcHandle dc) { return ReadAttribute(dc, &detail::DcState::rop, Rop2::CopyPen); }

bool MoveTo(DcHandle dc, Point to, Point* previous) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    detail::RecordIfRecording(*d, [to](DcHandle t) { MoveTo(t, to); });
    Point old = std::exchange(d->state.position, to);
    if (previous) *previous = old;
    return true;
}

Point GetCurrentPosition(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->state.position : Point{};
}

bool SetCurrentPosition(DcHandle dc, Point position) { return MoveTo(dc, position); }

bool IntersectClipRect(DcHandle dc, Rect logical) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    detail::RecordIfRecording(*d, [logical](DcHandle t) { IntersectClipRect(t, logical); });
    Rect r = detail::DeviceRectOf(*d, logical);
    d->state.clip = d->state.clip ? Intersect(*d->state.clip, r) : r;
    return true;
}

bool SetClipRect(DcHandle dc, Rect logical) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    detail::RecordIfRecording(*d, [logical](DcHandle t) { SetClipRect(t, logical); });
    d->state.clip = detail::DeviceRectOf(*d, logical);
    return true;
}

bool ClearClip(DcHandle dc) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    detail::RecordIfRecording(*d, [](DcHandle t) { ClearClip(t); });
    d->state.clip.reset();
    return true;
}

Rect GetClipBox(DcHandle dc) {
    const Dc* d = FindDc(dc);
    if (!d) return Rect{};
    Rect device = detail::DeviceClipOf(*d);
    if (d->IsRecording()) {
        detail::DeviceInfo info = detail::DeviceOf(*d);
        device = Rect{0, 0, info.width, info.height};
        if (d->state.clip) device = Intersect(device, *d->state.clip);
    }
    if (device.IsEmpty()) return Rect{};
    Point a = MapDeviceToLogical(d->state.mapping, Point{device.left, device.top});
    Point b = MapDeviceToLogical(d->state.mapping, Point{device.right, device.bottom});
    return Normalised(Rect{a.x, a.y, b.x, b.y});
}

}  // namespace ql::gfx
