// The toolbar control (see toolbar.h): its buttons kept with its window, the
// button cells laid out left to right, painting and the click.
#include "platform/ui/toolbar.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"
#include "platform/ui/tooltips.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using win::Message;

constexpr int32_t kButtonPadding = 3;
constexpr int32_t kLabelHeight = 14;
constexpr int32_t kLabelledCellWidth = 48;  // room for a short label
constexpr gfx::Colour kFaceColour = gfx::Rgb(224, 224, 224);
constexpr gfx::Colour kCheckedColour = gfx::Rgb(190, 205, 230);
constexpr gfx::Colour kFrameColour = gfx::Rgb(96, 96, 96);
// A disabled image is lightened by OR-ing this grey over it.
constexpr gfx::Colour kDisabledWash = gfx::Rgb(160, 160, 160);
constexpr uint32_t kDestinationOrPattern = 0x00FA0089;

struct ToolbarState final : win::WindowExtension {
    std::vector<ToolbarButtonSpec> buttons;
    ToolbarImages images;
    WindowHandle notify;
    bool showLabels = false;
    int32_t labelWidth = 0;  // the widest label, measured in the toolbar's font
    ToolbarTooltip tooltip;
    int32_t tracking = -1;  // the button a left press went down on
    WindowHandle tip;
};

ToolbarState* StateOf(WindowHandle toolbar) {
    if (!win::HasClassName(toolbar, kToolbarClass)) return nullptr;
    return dynamic_cast<ToolbarState*>(win::GetWindowExtension(toolbar));
}

gfx::Size CellSize(const ToolbarState& s) {
    const int32_t side = s.images.imageSize + 2 * kButtonPadding;
    if (!s.showLabels) return {side, side};
    return {std::max({side, kLabelledCellWidth, s.labelWidth + 2 * kButtonPadding}), side + kLabelHeight};
}

int32_t LabelWidth(gfx::DcHandle dc, const std::string& label) {
    gfx::Size extent{};
    return text::GetTextExtentA(dc, label, &extent) ? extent.cx : 0;
}

// Every cell is as wide as the widest label, so that no label is cut.
int32_t WidestLabel(const std::vector<ToolbarButtonSpec>& buttons) {
    gfx::DcHandle dc = gfx::CreateMemoryContext({});
    if (!dc) return 0;
    int32_t widest = 0;
    for (const ToolbarButtonSpec& b : buttons) widest = std::max(widest, LabelWidth(dc, b.label));
    gfx::DeleteContext(dc);
    return widest;
}

int32_t ButtonAt(const ToolbarState& s, gfx::Point p) {
    const gfx::Size cell = CellSize(s);
    if (p.y < 0 || p.y >= cell.cy || p.x < 0 || cell.cx <= 0) return -1;
    const int32_t index = p.x / cell.cx;
    return index < static_cast<int32_t>(s.buttons.size()) ? index : -1;
}

ToolbarButtonSpec* FindCommand(ToolbarState& s, int32_t command) {
    for (ToolbarButtonSpec& b : s.buttons)
        if (b.command == command) return &b;
    return nullptr;
}

void PaintButton(gfx::DcHandle dc, gfx::DcHandle strip, const ToolbarState& s, size_t index) {
    const ToolbarButtonSpec& b = s.buttons[index];
    const gfx::Size cell = CellSize(s);
    const gfx::Rect r{static_cast<int32_t>(index) * cell.cx, 0, static_cast<int32_t>(index + 1) * cell.cx,
                      cell.cy};
    const bool down = (b.state & (kToolButtonChecked | kToolButtonPressed)) != 0;
    platform::BrushHandle face = gfx::CreateSolidBrush(down ? kCheckedColour : kFaceColour);
    gfx::FillRect(dc, r, face);
    gfx::DeleteObject(face);
    const int32_t size = s.images.imageSize;
    if (strip) {
        const gfx::Point at{r.left + (cell.cx - size) / 2, r.top + kButtonPadding};
        gfx::BitBlit(dc, at, {size, size}, strip, {b.image * size, 0}, gfx::RasterOp::SourceCopy);
        if ((b.state & kToolButtonEnabled) == 0) {
            platform::BrushHandle wash = gfx::CreateSolidBrush(kDisabledWash);
            platform::BrushHandle old = gfx::SelectObject(dc, wash);
            gfx::PatternBlit(dc, {at.x, at.y, at.x + size, at.y + size}, kDestinationOrPattern);
            gfx::SelectObject(dc, old);
            gfx::DeleteObject(wash);
        }
    }
    if (s.showLabels && !b.label.empty()) {
        const int32_t left = r.left + std::max(kButtonPadding, (cell.cx - LabelWidth(dc, b.label)) / 2);
        text::TextOutA(dc, {left, r.top + size + 2 * kButtonPadding}, b.label);
    }
    if (down) {
        platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 1, kFrameColour);
        platform::PenHandle oldPen = gfx::SelectObject(dc, pen);
        platform::BrushHandle oldBrush = gfx::SelectObject(dc, gfx::GetStockBrush(gfx::StockBrush::Null));
        gfx::Rectangle(dc, r);
        gfx::SelectObject(dc, oldBrush);
        gfx::SelectObject(dc, oldPen);
        gfx::DeleteObject(pen);
    }
}

void Paint(WindowHandle w) {
    win::PaintInfo paint;
    gfx::DcHandle dc = win::BeginPaint(w, paint);
    ToolbarState* s = StateOf(w);
    if (dc && s) {
        platform::BrushHandle face = gfx::CreateSolidBrush(kFaceColour);
        gfx::FillRect(dc, win::GetClientRect(w), face);
        gfx::DeleteObject(face);
        gfx::DcHandle strip = s->images.strip ? gfx::CreateMemoryContext({}) : gfx::DcHandle{};
        platform::BitmapHandle old;
        if (strip) old = gfx::SelectObject(strip, s->images.strip);
        for (size_t i = 0; i < s->buttons.size(); ++i) PaintButton(dc, strip, *s, i);
        if (strip) {
            gfx::SelectObject(strip, old);
            gfx::DeleteContext(strip);
        }
    }
    win::EndPaint(w, paint);
}

void Release(WindowHandle w, ToolbarState& s, gfx::Point p) {
    const int32_t index = ButtonAt(s, p);
    const int32_t tracked = s.tracking;
    s.tracking = -1;
    if (tracked < 0) return;
    ToolbarButtonSpec& b = s.buttons[static_cast<size_t>(tracked)];
    b.state &= static_cast<uint8_t>(~kToolButtonPressed);
    win::InvalidateRect(w, nullptr, false);
    if (index != tracked || (b.state & kToolButtonEnabled) == 0) return;
    WindowHandle target = s.notify ? s.notify : win::GetParent(w);
    if (target)
        win::PostMessage(target, Message::Command, win::MakeCommandWord(static_cast<uint32_t>(b.command), 0),
                         win::HandleData(w));
}

intptr_t ToolbarProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    ToolbarState* s = StateOf(w);
    switch (m) {
        case Message::Paint:
            Paint(w);
            return 0;
        case Message::LeftButtonDown:
            if (s) {
                s->tracking = ButtonAt(*s, win::UnpackPoint(data));
                if (s->tracking >= 0 && (s->buttons[static_cast<size_t>(s->tracking)].state & kToolButtonEnabled)) {
                    s->buttons[static_cast<size_t>(s->tracking)].state |= kToolButtonPressed;
                    win::InvalidateRect(w, nullptr, false);
                }
                win::SetCapture(w);
                if (s->tip) TooltipPointerOnTool(w);
            }
            return 0;
        case Message::LeftButtonUp:
            win::ReleaseCapture();
            if (s) Release(w, *s, win::UnpackPoint(data));
            return 0;
        case Message::MouseMove:
            if (s && s->tip) TooltipPointerOnTool(w);
            return 0;
        default:
            return win::DefaultWindowProc(w, m, word, data);
    }
}

bool EnsureToolbarClass() {
    if (win::IsClassRegistered(kToolbarClass)) return true;
    win::WindowClass cls;
    cls.name = kToolbarClass;
    cls.procedure = ToolbarProc;
    cls.cursor = win::LoadSystemCursor(win::SystemCursor::Arrow);
    return win::RegisterWindowClass(cls);
}

// The tip of the button under the pointer as the toolbar last saw it.
std::string TipUnderPointer(WindowHandle w) {
    ToolbarState* s = StateOf(w);
    if (s == nullptr) return {};
    const win::Point screen = win::GetCursorPosition();
    const win::Point p = win::ScreenToClient(w, screen);
    const int32_t index = ButtonAt(*s, {p.x, p.y});
    return index < 0 ? std::string{} : ToolbarButtonTooltip(w, s->buttons[static_cast<size_t>(index)].command);
}

}  // namespace

WindowHandle CreateToolbar(const ToolbarParams& params, std::span<const ToolbarButtonSpec> buttons) {
    if (!EnsureToolbarClass() || params.images.imageSize < 0) return {};
    win::WindowParams window;
    window.className = kToolbarClass;
    window.style = win::kStyleChild | win::kStyleVisible;
    window.parent = params.parent;
    window.id = params.id;
    window.rect = {0, 0, 1, 1};
    WindowHandle toolbar = win::CreateWindow(window);
    if (!toolbar) return {};
    auto state = std::make_unique<ToolbarState>();
    state->buttons.assign(buttons.begin(), buttons.end());
    state->images = params.images;
    state->notify = params.notify;
    state->showLabels = params.showLabels;
    if (state->showLabels) state->labelWidth = WidestLabel(state->buttons);
    state->tooltip = params.tooltip;
    state->tip = CreateTooltipWindow(toolbar);
    if (state->tip) AddTooltipTool(state->tip, toolbar, [toolbar] { return TipUnderPointer(toolbar); });
    win::SetWindowExtension(toolbar, std::move(state));
    const gfx::Size size = ToolbarIdealSize(toolbar);
    win::MoveWindow(toolbar, {0, 0, size.cx, size.cy}, false);
    return toolbar;
}

int32_t ToolbarButtonCount(WindowHandle toolbar) {
    ToolbarState* s = StateOf(toolbar);
    return s ? static_cast<int32_t>(s->buttons.size()) : 0;
}

std::optional<ToolbarButtonSpec> GetToolbarButton(WindowHandle toolbar, int32_t index) {
    ToolbarState* s = StateOf(toolbar);
    if (s == nullptr || index < 0 || index >= static_cast<int32_t>(s->buttons.size())) return std::nullopt;
    return s->buttons[static_cast<size_t>(index)];
}

bool SetToolbarButtonBits(WindowHandle toolbar, int32_t command, uint8_t state) {
    ToolbarState* s = StateOf(toolbar);
    ToolbarButtonSpec* b = s ? FindCommand(*s, command) : nullptr;
    if (b == nullptr) return false;
    if (b->state != state) {
        b->state = state;
        win::InvalidateRect(toolbar, nullptr, false);
    }
    return true;
}

std::optional<uint8_t> GetToolbarButtonBits(WindowHandle toolbar, int32_t command) {
    ToolbarState* s = StateOf(toolbar);
    ToolbarButtonSpec* b = s ? FindCommand(*s, command) : nullptr;
    if (b == nullptr) return std::nullopt;
    return b->state;
}

gfx::Size ToolbarIdealSize(WindowHandle toolbar) {
    ToolbarState* s = StateOf(toolbar);
    if (s == nullptr) return {};
    const gfx::Size cell = CellSize(*s);
    return {cell.cx * static_cast<int32_t>(s->buttons.size()), cell.cy};
}

gfx::Rect ToolbarButtonRect(WindowHandle toolbar, int32_t index) {
    ToolbarState* s = StateOf(toolbar);
    if (s == nullptr || index < 0 || index >= static_cast<int32_t>(s->buttons.size())) return {};
    const gfx::Size cell = CellSize(*s);
    return {index * cell.cx, 0, (index + 1) * cell.cx, cell.cy};
}

std::string ToolbarButtonTooltip(WindowHandle toolbar, int32_t command) {
    ToolbarState* s = StateOf(toolbar);
    ToolbarButtonSpec* b = s ? FindCommand(*s, command) : nullptr;
    if (b == nullptr) return {};
    std::string text = s->tooltip ? s->tooltip(command) : b->label;
    if (text.size() > kTooltipTextLimit) text.resize(kTooltipTextLimit);
    return text;
}

}  // namespace ql::ui
