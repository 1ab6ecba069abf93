// The status bar control: parts with right edges, texts and drawing styles.
// Every text set is reported to the backend, which shows it (and, headless,
// records it).
#include "platform/ui/status_bar.h"

#include "platform/ui/backend.h"
#include "platform/ui/control_state.h"
#include "platform/win/paint.h"

namespace ql::ui {
namespace {

using detail::StatusBarState;
using detail::StateOf;

// Height of the bar: one line of the interface font with its borders.
constexpr int32_t kStatusBarHeight = 20;

StatusBarState* BarOf(WindowHandle bar) {
    return win::HasClassName(bar, kStatusBarClass) ? StateOf<StatusBarState>(bar) : nullptr;
}

}  // namespace

WindowHandle CreateStatusBar(WindowHandle parent, uint32_t style, std::string_view text, int32_t id) {
    if (!win::IsWindow(parent)) return WindowHandle{};
    detail::EnsureControlClasses();
    win::Rect client = win::GetClientRect(parent);
    win::WindowParams params;
    params.className = kStatusBarClass;
    params.caption = std::string(text);
    params.style = style | win::kStyleChild;
    params.rect = win::Rect{0, client.bottom - kStatusBarHeight, client.right, client.bottom};
    params.parent = parent;
    params.id = id;
    return win::CreateWindow(params);
}

bool SetStatusBarParts(WindowHandle bar, std::span<const int32_t> rightEdges) {
    StatusBarState* s = BarOf(bar);
    if (!s || rightEdges.empty() || rightEdges.size() > static_cast<size_t>(kStatusBarMaxParts)) return false;
    s->parts.resize(rightEdges.size());
    for (size_t i = 0; i < rightEdges.size(); ++i) s->parts[i].rightEdge = rightEdges[i];
    return true;
}

std::vector<int32_t> GetStatusBarParts(WindowHandle bar) {
    std::vector<int32_t> edges;
    if (StatusBarState* s = BarOf(bar))
        for (const auto& part : s->parts) edges.push_back(part.rightEdge);
    return edges;
}

bool SetStatusBarText(WindowHandle bar, int part, std::string_view text, StatusTextStyle style) {
    StatusBarState* s = BarOf(bar);
    if (!s || part < 0 || part >= static_cast<int>(s->parts.size())) return false;
    s->parts[static_cast<size_t>(part)].text = std::string(text);
    s->parts[static_cast<size_t>(part)].style = style;
    win::InvalidateRect(bar, nullptr, true);
    CurrentUiBackend().StatusTextChanged(bar, part, text, style);
    return true;
}

std::string GetStatusBarText(WindowHandle bar, int part) {
    StatusBarState* s = BarOf(bar);
    if (!s || part < 0 || part >= static_cast<int>(s->parts.size())) return {};
    return s->parts[static_cast<size_t>(part)].text;
}

StatusTextStyle GetStatusBarTextStyle(WindowHandle bar, int part) {
    StatusBarState* s = BarOf(bar);
    if (!s || part < 0 || part >= static_cast<int>(s->parts.size())) return StatusTextStyle::Plain;
    return s->parts[static_cast<size_t>(part)].style;
}

int32_t GetStatusBarHeight(WindowHandle bar) { return BarOf(bar) ? win::GetClientRect(bar).Height() : 0; }

}  // namespace ql::ui
