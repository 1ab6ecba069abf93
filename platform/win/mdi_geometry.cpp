// Geometry of the document windows: the frame insets of each state, cascade,
// tile and icon positions, and the parts of the frame the layer draws.
// Cascade: each window is offset from the one below it by one caption plus one
// border, down and right; as many steps fit as a third of the area's height
// allows, after which the stack starts again at the top-left; every window has
// the area's size less all the steps, so the last one still fits. Tile: in
// horizontal tiling the windows fill floor(sqrt(n)) columns top to bottom, each
// column n / columns windows high, the last n % columns columns one more;
// vertical tiling is the same with rows and columns swapped. Icons sit along the
// bottom of the client, left to right, and wrap upward.
#include <algorithm>
#include <cmath>

#include "platform/win/input.h"
#include "platform/win/mdi_model.h"
#include "platform/win/window_model.h"

namespace ql::win::detail {
namespace {

constexpr int32_t kIconWidth = 160;
constexpr int kCascadeHeightShare = 3;  // steps fit while they use a third of the height

Rect Sized(int32_t left, int32_t top, int32_t width, int32_t height) {
    return Rect{left, top, left + std::max(0, width), top + std::max(0, height)};
}

bool HasIcons(const MdiClientState& state) {
    return std::any_of(state.children.begin(), state.children.end(), [](const MdiChildEntry& e) {
        return e.state == MdiChildState::Minimized && IsWindowVisible(e.window);
    });
}

}  // namespace

MdiMetrics GetMdiMetrics() {
    MdiMetrics m;
    m.frame = GetSystemMetric(SystemMetric::FrameWidth);
    m.caption = GetSystemMetric(SystemMetric::CaptionHeight);
    m.scroll = GetSystemMetric(SystemMetric::VerticalScrollWidth);
    m.iconWidth = kIconWidth;
    m.iconHeight = m.caption + 2 * m.frame;
    return m;
}

Rect MdiInsets(WindowHandle child, MdiChildState state) {
    MdiMetrics m = GetMdiMetrics();
    uint32_t style = GetStyle(child);
    int32_t vertical = (style & kStyleVerticalScroll) ? m.scroll : 0;
    int32_t horizontal = (style & kStyleHorizontalScroll) ? m.scroll : 0;
    switch (state) {
        case MdiChildState::Maximized:
            return Rect{0, 0, vertical, horizontal};
        case MdiChildState::Minimized:
            // No client area: the insets cover the whole icon.
            return Rect{m.frame, m.frame + m.caption, m.iconWidth, m.iconHeight};
        case MdiChildState::Normal:
            break;
    }
    return Rect{m.frame, m.frame + m.caption, m.frame + vertical, m.frame + horizontal};
}

void PlaceMdiChild(WindowHandle child, MdiChildEntry& entry, MdiChildState state, Rect rect) {
    entry.state = state;
    PlaceWindow(child, rect, MdiInsets(child, state), false);
}

Rect MdiArrangeArea(WindowHandle client, const MdiClientState& state) {
    Rect area = GetClientRect(client);
    int32_t iconRow = GetMdiMetrics().iconHeight;
    if (HasIcons(state) && area.Height() - iconRow >= iconRow) area.bottom -= iconRow;
    return area;
}

Rect MdiCascadeRect(WindowHandle client, const MdiClientState& state, int index) {
    MdiMetrics m = GetMdiMetrics();
    Rect area = MdiArrangeArea(client, state);
    int32_t step = std::max(1, m.caption + m.frame);
    int steps = area.Height() / (kCascadeHeightShare * step);
    int32_t offset = step * (index % (steps + 1));
    return Sized(area.left + offset, area.top + offset, area.Width() - steps * step, area.Height() - steps * step);
}

void ArrangeIcons(WindowHandle client, MdiClientState& state) {
    MdiMetrics m = GetMdiMetrics();
    Rect area = GetClientRect(client);
    int perRow = std::max(1, area.Width() / m.iconWidth);
    int placed = 0;
    // Oldest first, so that icons keep their places as windows are activated.
    for (auto it = state.children.rbegin(); it != state.children.rend(); ++it) {
        if (it->state != MdiChildState::Minimized) continue;
        int32_t left = area.left + (placed % perRow) * m.iconWidth;
        int32_t top = area.bottom - (placed / perRow + 1) * m.iconHeight;
        PlaceMdiChild(it->window, *it, MdiChildState::Minimized, Sized(left, top, m.iconWidth, m.iconHeight));
        ++placed;
    }
}

// Tiles `windows` into `strips` strips along one direction; `columns` says the
// strips are columns (horizontal tiling) rather than rows.
void TileInto(const std::vector<MdiChildEntry*>& windows, Rect area, int strips, bool columns) {
    int n = static_cast<int>(windows.size());
    int next = 0;
    for (int strip = 0; strip < strips; ++strip) {
        int inStrip = n / strips + (strip >= strips - n % strips ? 1 : 0);
        int32_t along = columns ? area.Width() : area.Height();
        int32_t across = columns ? area.Height() : area.Width();
        int32_t stripStart = along * strip / strips;
        int32_t stripEnd = along * (strip + 1) / strips;
        for (int i = 0; i < inStrip; ++i, ++next) {
            int32_t from = across * i / inStrip;
            int32_t to = across * (i + 1) / inStrip;
            Rect r = columns ? Rect{area.left + stripStart, area.top + from, area.left + stripEnd, area.top + to}
                             : Rect{area.left + from, area.top + stripStart, area.left + to, area.top + stripEnd};
            MdiChildEntry* entry = windows[static_cast<size_t>(next)];
            PlaceMdiChild(entry->window, *entry, MdiChildState::Normal, r);
        }
    }
}

int TileStrips(size_t count) {
    return std::max(1, static_cast<int>(std::floor(std::sqrt(static_cast<double>(count)))));
}

// The children an arrangement moves: shown and not minimised, in Z-order. A
// maximised child is restored first.
std::vector<MdiChildEntry*> ArrangedChildren(WindowHandle client, MdiClientState& state) {
    std::vector<MdiChildEntry*> out;
    for (MdiChildEntry& entry : state.children) {
        if (entry.state == MdiChildState::Maximized) RestoreMdiChild(client, entry.window);
        if (entry.state == MdiChildState::Normal && IsWindowVisible(entry.window)) out.push_back(&entry);
    }
    return out;
}

}  // namespace ql::win::detail

namespace ql::win {

using detail::MdiChildEntry;
using detail::MdiStateOf;

bool CascadeMdiChildren(WindowHandle client) {
    detail::MdiClientState* state = MdiStateOf(client);
    if (!state) return false;
    std::vector<MdiChildEntry*> windows = detail::ArrangedChildren(client, *state);
    // The bottom of the stack takes the first place, the active child the last.
    int index = 0;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it, ++index)
        detail::PlaceMdiChild((*it)->window, **it, MdiChildState::Normal,
                              detail::MdiCascadeRect(client, *state, index));
    detail::ArrangeIcons(client, *state);
    return true;
}

bool TileMdiChildren(WindowHandle client, MdiTile tile) {
    detail::MdiClientState* state = MdiStateOf(client);
    if (!state) return false;
    std::vector<MdiChildEntry*> windows = detail::ArrangedChildren(client, *state);
    if (!windows.empty())
        detail::TileInto(windows, detail::MdiArrangeArea(client, *state), detail::TileStrips(windows.size()),
                         tile == MdiTile::Horizontal);
    detail::ArrangeIcons(client, *state);
    return true;
}

bool ArrangeMdiIcons(WindowHandle client) {
    detail::MdiClientState* state = MdiStateOf(client);
    if (!state) return false;
    detail::ArrangeIcons(client, *state);
    return true;
}

MdiFrameParts GetMdiFrameParts(WindowHandle child) {
    MdiFrameParts parts;
    detail::WindowRecord* r = detail::FindWindow(child);
    if (!r) return parts;
    detail::MdiMetrics m = detail::GetMdiMetrics();
    Rect whole{0, 0, r->rect.Width(), r->rect.Height()};
    const Rect& in = r->frameInsets;
    parts.client = Rect{in.left, in.top, std::max(in.left, whole.right - in.right),
                        std::max(in.top, whole.bottom - in.bottom)};
    uint32_t style = r->style;
    if ((style & kStyleVerticalScroll) && GetMdiChildState(child) != MdiChildState::Minimized)
        parts.verticalScroll = Rect{parts.client.right, parts.client.top, parts.client.right + m.scroll, parts.client.bottom};
    if ((style & kStyleHorizontalScroll) && GetMdiChildState(child) != MdiChildState::Minimized)
        parts.horizontalScroll = Rect{parts.client.left, parts.client.bottom, parts.client.right, parts.client.bottom + m.scroll};
    if (GetMdiChildState(child) == MdiChildState::Maximized) return parts;
    parts.caption = Rect{m.frame, m.frame, std::max(m.frame, whole.right - m.frame), m.frame + m.caption};
    // Square buttons at the caption's right end: close, maximise (restore), minimise.
    int32_t button = std::max(0, m.caption - 2);
    int32_t top = parts.caption.top + 1;
    int32_t right = parts.caption.right - 1;
    parts.closeButton = Rect{right - button, top, right, top + button};
    parts.maximizeButton = Rect{right - 2 * button - 2, top, right - button - 2, top + button};
    parts.minimizeButton = Rect{right - 3 * button - 2, top, right - 2 * button - 2, top + button};
    return parts;
}

MdiHit MdiHitTest(WindowHandle child, Point p) {
    if (!detail::MdiClientOf(child)) return MdiHit::Nowhere;
    Rect whole = GetWindowRect(child);
    if (!Rect{0, 0, whole.Width(), whole.Height()}.Contains(p)) return MdiHit::Nowhere;
    MdiFrameParts parts = GetMdiFrameParts(child);
    if (parts.closeButton.Contains(p)) return MdiHit::CloseButton;
    if (parts.maximizeButton.Contains(p)) return MdiHit::MaximizeButton;
    if (parts.minimizeButton.Contains(p)) return MdiHit::MinimizeButton;
    if (parts.caption.Contains(p)) return MdiHit::Caption;
    if (parts.client.Contains(p)) return MdiHit::Client;
    if (parts.verticalScroll.Contains(p)) return MdiHit::VerticalScroll;
    if (parts.horizontalScroll.Contains(p)) return MdiHit::HorizontalScroll;
    return MdiHit::Border;
}

}  // namespace ql::win
