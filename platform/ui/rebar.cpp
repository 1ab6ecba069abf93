// The band container (see rebar.h): bands kept with the window, rows laid out,
// grips painted, and grip drops.
#include "platform/ui/rebar.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/ui/toolbar.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using win::Message;

constexpr int32_t kMinimumRowHeight = 8;
constexpr int32_t kGripLineInset = 3;
constexpr gfx::Colour kBarColour = gfx::Rgb(214, 214, 214);
constexpr gfx::Colour kGripColour = gfx::Rgb(128, 128, 128);

struct RebarState final : win::WindowExtension {
    std::vector<RebarBand> bands;
    int32_t dragging = -1;  // the band whose grip the left button holds
    std::vector<gfx::Rect> rects;  // by band, after the last layout
    int32_t width = 0;
    int32_t height = 0;
    bool vertical = false;
};

RebarState* StateOf(WindowHandle rebar) {
    if (!win::HasClassName(rebar, kRebarClass)) return nullptr;
    return dynamic_cast<RebarState*>(win::GetWindowExtension(rebar));
}

bool Hidden(const RebarBand& b) {
    return (b.style & kBandHidden) != 0;
}

// Whether band `index` starts a row once shown bands are laid out: by its own
// break, or by the break of a hidden band between it and the shown band before it
// (a band put away keeps its row's start for the band that follows it).
bool BreakBefore(const RebarState& s, size_t index) {
    if ((s.bands[index].style & kBandBreak) != 0) return true;
    for (size_t i = index; i-- > 0;) {
        if (!Hidden(s.bands[i])) return false;
        if ((s.bands[i].style & kBandBreak) != 0) return true;
    }
    return false;
}

int32_t ChildHeight(const RebarBand& b) {
    const gfx::Rect r = win::GetClientRect(b.child);
    return std::max(kMinimumRowHeight, r.bottom - r.top);
}

// A toolbar band is never narrower than its buttons, whatever width it was given
// (the given width is kept: it is what the layout saves).
int32_t LaidOutWidth(const RebarBand& b) {
    return std::max({b.width, kBandGripWidth + 1, kBandGripWidth + ToolbarIdealSize(b.child).cx});
}

void Layout(WindowHandle w, RebarState& s) {
    s.rects.assign(s.bands.size(), gfx::Rect{});
    int32_t x = 0;
    int32_t top = 0;
    int32_t rowHeight = 0;
    size_t rowStart = 0;
    bool rowEmpty = true;
    const auto closeRow = [&](size_t end) {
        for (size_t i = rowStart; i < end; ++i)
            if (!Hidden(s.bands[i])) s.rects[i].bottom = top + rowHeight;
        top += rowHeight;
        x = 0;
        rowHeight = 0;
        rowStart = end;
        rowEmpty = true;
    };
    for (size_t i = 0; i < s.bands.size(); ++i) {
        const RebarBand& b = s.bands[i];
        if (Hidden(b)) continue;
        if (!rowEmpty && BreakBefore(s, i)) closeRow(i);
        const int32_t width = LaidOutWidth(b);
        s.rects[i] = {x, top, x + width, top};
        rowHeight = std::max(rowHeight, ChildHeight(b));
        x += width;
        rowEmpty = false;
    }
    if (!rowEmpty) closeRow(s.bands.size());
    s.height = top;
    for (size_t i = 0; i < s.bands.size(); ++i) {
        const RebarBand& b = s.bands[i];
        if (Hidden(b)) continue;
        const gfx::Rect& r = s.rects[i];
        const gfx::Rect child = win::GetClientRect(b.child);
        win::MoveWindow(b.child, {r.left + kBandGripWidth, r.top, r.right, r.top + (child.bottom - child.top)}, true);
    }
    win::InvalidateRect(w, nullptr, true);
}

void Paint(WindowHandle w) {
    win::PaintInfo paint;
    gfx::DcHandle dc = win::BeginPaint(w, paint);
    RebarState* s = StateOf(w);
    if (dc && s) {
        platform::BrushHandle bar = gfx::CreateSolidBrush(kBarColour);
        gfx::FillRect(dc, win::GetClientRect(w), bar);
        gfx::DeleteObject(bar);
        platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 1, kGripColour);
        platform::PenHandle old = gfx::SelectObject(dc, pen);
        for (size_t i = 0; i < s->rects.size(); ++i) {
            if (Hidden(s->bands[i])) continue;
            const gfx::Rect& r = s->rects[i];
            for (int32_t dx : {kGripLineInset, kGripLineInset + 3}) {
                gfx::MoveTo(dc, {r.left + dx, r.top + kGripLineInset});
                gfx::LineTo(dc, {r.left + dx, r.bottom - kGripLineInset});
            }
        }
        gfx::SelectObject(dc, old);
        gfx::DeleteObject(pen);
    }
    win::EndPaint(w, paint);
}

// The band whose grip is under the point, or -1.
int32_t GripAt(const RebarState& s, gfx::Point p) {
    for (size_t i = 0; i < s.rects.size(); ++i) {
        const gfx::Rect& r = s.rects[i];
        if (!Hidden(s.bands[i]) && p.y >= r.top && p.y < r.bottom && p.x >= r.left && p.x < r.left + kBandGripWidth)
            return static_cast<int32_t>(i);
    }
    return -1;
}

// A grip dropped beyond an edge tells the parent: Command with the container's id
// and kRebarDroppedAbove or kRebarDroppedBelow.
void EndGripDrag(WindowHandle w, RebarState& s, gfx::Point p) {
    const int32_t band = s.dragging;
    s.dragging = -1;
    win::ReleaseCapture();
    if (band < 0) return;
    const BandDrop drop = DropRebarBand(w, band, p);
    if (drop != BandDrop::AboveTop && drop != BandDrop::BelowBottom) return;
    const uint32_t code = drop == BandDrop::AboveTop ? kRebarDroppedAbove : kRebarDroppedBelow;
    if (WindowHandle parent = win::GetParent(w))
        win::SendMessage(parent, Message::Command,
                         win::MakeCommandWord(static_cast<uint32_t>(win::GetWindowId(w)), code), win::HandleData(w));
}

intptr_t RebarProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    RebarState* s = StateOf(w);
    switch (m) {
        case Message::Paint:
            Paint(w);
            return 0;
        case Message::LeftButtonDown:
            if (s && (s->dragging = GripAt(*s, win::UnpackPoint(data))) >= 0) win::SetCapture(w);
            return 0;
        case Message::LeftButtonUp:
            if (s) EndGripDrag(w, *s, win::UnpackPoint(data));
            return 0;
        default:
            return win::DefaultWindowProc(w, m, word, data);
    }
}

bool EnsureRebarClass() {
    if (win::IsClassRegistered(kRebarClass)) return true;
    win::WindowClass cls;
    cls.name = kRebarClass;
    cls.procedure = RebarProc;
    cls.cursor = win::LoadSystemCursor(win::SystemCursor::Arrow);
    return win::RegisterWindowClass(cls);
}

struct BandSize {
    int32_t id;
    gfx::Size size;
};

std::vector<BandSize> BandSizes(const RebarState& s) {
    std::vector<BandSize> sizes;
    for (size_t i = 0; i < s.bands.size() && i < s.rects.size(); ++i)
        sizes.push_back({s.bands[i].id, {s.rects[i].Width(), s.rects[i].Height()}});
    return sizes;
}

void Tell(WindowHandle w, RebarNotice notice) {
    if (WindowHandle parent = win::GetParent(w))
        win::SendMessage(parent, Message::Notify, static_cast<uint32_t>(win::GetWindowId(w)),
                         reinterpret_cast<intptr_t>(&notice));
}

// Lays the bands out again, then tells the parent of each band whose place changed
// size and, last, of a new height.
void Relayout(WindowHandle w, RebarState& s) {
    const std::vector<BandSize> before = BandSizes(s);
    const int32_t oldHeight = s.height;
    Layout(w, s);
    win::MoveWindow(w, {0, 0, s.width, s.height}, true);
    for (const BandSize& now : BandSizes(s)) {
        const auto old = std::find_if(before.begin(), before.end(), [&](const BandSize& b) { return b.id == now.id; });
        if (old == before.end() || old->size != now.size)
            Tell(w, {RebarNoticeCode::ChildSize, now.id});
    }
    if (s.height != oldHeight) Tell(w, {RebarNoticeCode::HeightChange, 0});
}

bool StartsRow(const RebarState& s, size_t index) {
    for (size_t i = 0; i < index; ++i)
        if (!Hidden(s.bands[i])) return BreakBefore(s, index);
    return true;
}

}  // namespace

WindowHandle CreateRebar(WindowHandle parent, int32_t id, bool vertical) {
    if (!EnsureRebarClass()) return {};
    win::WindowParams params;
    params.className = kRebarClass;
    params.style = win::kStyleChild | win::kStyleVisible;
    params.parent = parent;
    params.id = id;
    params.rect = {0, 0, 200, 100};
    WindowHandle rebar = win::CreateWindow(params);
    if (!rebar) return {};
    auto state = std::make_unique<RebarState>();
    state->vertical = vertical;
    state->width = 200;
    win::SetWindowExtension(rebar, std::move(state));
    return rebar;
}

bool InsertRebarBand(WindowHandle rebar, const RebarBand& band) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr || !win::IsWindow(band.child)) return false;
    s->bands.push_back(band);
    win::ShowWindow(band.child, Hidden(band) ? win::ShowCommand::Hide : win::ShowCommand::ShowNoActivate);
    Relayout(rebar, *s);
    return true;
}

int32_t RebarBandCount(WindowHandle rebar) {
    RebarState* s = StateOf(rebar);
    return s ? static_cast<int32_t>(s->bands.size()) : 0;
}

std::optional<RebarBand> GetRebarBand(WindowHandle rebar, int32_t index) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr || index < 0 || index >= static_cast<int32_t>(s->bands.size())) return std::nullopt;
    return s->bands[static_cast<size_t>(index)];
}

int32_t RebarIdToIndex(WindowHandle rebar, int32_t id) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr) return -1;
    for (size_t i = 0; i < s->bands.size(); ++i)
        if (s->bands[i].id == id) return static_cast<int32_t>(i);
    return -1;
}

bool ShowRebarBand(WindowHandle rebar, int32_t index, bool show) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr || index < 0 || index >= static_cast<int32_t>(s->bands.size())) return false;
    RebarBand& b = s->bands[static_cast<size_t>(index)];
    b.style = show ? (b.style & ~kBandHidden) : (b.style | kBandHidden);
    win::ShowWindow(b.child, show ? win::ShowCommand::ShowNoActivate : win::ShowCommand::Hide);
    Relayout(rebar, *s);
    return true;
}

bool SetRebarBandWidth(WindowHandle rebar, int32_t index, int32_t width) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr || index < 0 || index >= static_cast<int32_t>(s->bands.size())) return false;
    s->bands[static_cast<size_t>(index)].width = width;
    Relayout(rebar, *s);
    return true;
}

BandDrop DropRebarBand(WindowHandle rebar, int32_t index, gfx::Point where) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr || index < 0 || index >= static_cast<int32_t>(s->bands.size())) return BandDrop::None;
    if (where.y < 0) return BandDrop::AboveTop;
    if (where.y >= s->height + kMinimumRowHeight) return BandDrop::BelowBottom;
    const auto at = static_cast<size_t>(index);
    RebarBand moved = s->bands[at];
    // The band's row keeps its start: the band after it takes its break.
    if (StartsRow(*s, at) && at + 1 < s->bands.size() && at != 0)
        s->bands[at + 1].style |= moved.style & kBandBreak;
    s->bands.erase(s->bands.begin() + static_cast<std::ptrdiff_t>(at));
    s->rects.erase(s->rects.begin() + static_cast<std::ptrdiff_t>(at));
    moved.style &= ~kBandBreak;
    size_t target = s->bands.size();
    bool newRow = true;
    for (size_t i = 0; i < s->bands.size(); ++i) {
        const gfx::Rect& r = s->rects[i];
        if (Hidden(s->bands[i]) || where.y < r.top || where.y >= r.bottom) continue;
        newRow = false;
        target = i + 1;  // the row's end unless a band of the row lies under or after the point
        if (where.x < r.right) {
            target = i;
            if (StartsRow(*s, i)) {
                moved.style |= s->bands[i].style & kBandBreak;
                if (i != 0) s->bands[i].style &= ~kBandBreak;
            }
            break;
        }
    }
    if (newRow) moved.style |= kBandBreak;
    s->bands.insert(s->bands.begin() + static_cast<std::ptrdiff_t>(target), moved);
    if (!s->bands.empty()) s->bands.front().style &= ~kBandBreak;
    Relayout(rebar, *s);
    return BandDrop::Moved;
}

int32_t LayoutRebar(WindowHandle rebar, int32_t width) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr) return 0;
    s->width = std::max(width, 0);
    Relayout(rebar, *s);
    return s->height;
}

int32_t RebarHeight(WindowHandle rebar) {
    RebarState* s = StateOf(rebar);
    return s ? s->height : 0;
}

gfx::Rect RebarBandRect(WindowHandle rebar, int32_t index) {
    RebarState* s = StateOf(rebar);
    if (s == nullptr || index < 0 || index >= static_cast<int32_t>(s->rects.size())) return {};
    return s->rects[static_cast<size_t>(index)];
}

}  // namespace ql::ui
