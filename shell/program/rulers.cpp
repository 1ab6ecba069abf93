// The rulers: their tick geometry, the ticks a ruler shows at a view's zoom and
// origin, painting them in blue with their numbers, the XOR tracking lines, the
// two window procedures, and switching the rulers of every score window.
#include "shell/program/rulers.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/units/units.h"
#include "core/units/view_moves.h"
#include "display/view_modes.h"
#include "editing/selection.h"
#include "objects/guide/guide_class.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/interface_fonts.h"
#include "shell/program/score_windows.h"
#include "shell/shell_services.h"

namespace ql {

namespace {

using platform::WindowHandle;

constexpr int32_t kThicknessDivisor = 5;
constexpr int32_t kPixelGrain = 64;  // device pixels measured for the mapping
constexpr int32_t kMinQuarterTop = 3;
constexpr int kSubTicks = 32;
constexpr int kSixteenthZoom = 4;
constexpr int kThirtySecondZoom = 10;
constexpr int kTenthZoom = 12;
constexpr int kTenths = 10;
constexpr double kCentimetresPerInch = 0.3937;
constexpr int kMostUnits = 2000;  // whole inches or centimetres one ruler may show
constexpr int32_t kLabelGap = 2;
constexpr int32_t kTrackInset = 2;
constexpr int32_t kLogicalPerSpace = 128;
constexpr gfx::Colour kRulerBlue = gfx::Rgb(0, 0, 255);
constexpr int32_t kViewLong = 0;
constexpr int32_t kRulerExtraBytes = 4;

// The top of a sub-tick k (1..31) of an inch, or -1 when the zoom hides it.
int32_t InchSubTickTop(const RulerMetrics& m, int k, int zoom) {
    if (k % 16 == 0) return m.halfTop;
    if (k % 8 == 0) return m.quarterTop;
    if (k % 4 == 0) return m.eighthTop;
    if (k % 2 == 0) return zoom >= kSixteenthZoom ? m.sixteenthTop : -1;
    return zoom >= kThirtySecondZoom ? m.thirtySecondTop : -1;
}

// The top of a sub-tick k (1..9) of a centimetre, or -1 when the zoom hides it.
int32_t CentimetreSubTickTop(const RulerMetrics& m, int k, int zoom) {
    if (k == kTenths / 2) return m.quarterTop;
    return zoom >= kTenthZoom ? m.eighthTop : -1;
}

}  // namespace

RulerMetrics ComputeRulerMetrics(int32_t topSize, int32_t leftSize) {
    RulerMetrics m;
    const int32_t b = std::max(0, topSize / kThicknessDivisor);
    m.topThickness = b;
    m.leftThickness = std::max(0, leftSize / kThicknessDivisor);
    const int32_t u = (b >> 4) + (b >> 2);
    const int32_t q = std::max(u + 2, kMinQuarterTop);
    m.halfTop = u - 1;
    m.quarterTop = q;
    m.eighthTop = q + 4;
    m.sixteenthTop = q + 6;
    m.thirtySecondTop = q + 8 >= b ? q + 7 : q + 8;
    m.furtherTop = q + 10 >= b ? q + 9 : q + 10;
    m.labelBase = q + 2;
    return m;
}

RulerMetrics ScreenRulerMetrics() {
    const DrawingGlobals& drawing = State().drawing;
    return ComputeRulerMetrics(drawing.ScreenDpiY, drawing.ScreenDpiX);
}

std::vector<RulerTick> RulerTicks(const RulerMetrics& metrics, const RulerScale& scale) {
    std::vector<RulerTick> ticks;
    const double perUnit = scale.centimetres ? scale.unitsPerInch * kCentimetresPerInch : scale.unitsPerInch;
    const double whole = std::trunc(perUnit);
    if (whole < 1.0 || scale.span64 <= 0.0 || scale.length <= 0) return ticks;
    const double fromEdge = static_cast<double>(scale.origin) - kLogicalOrigin;
    const double pixelsPerUnit = whole * kPixelGrain / scale.span64;
    const double offset = fromEdge * kPixelGrain / scale.span64;
    const int subTicks = scale.centimetres ? kTenths : kSubTicks;
    for (int i = std::max(0, static_cast<int>(fromEdge / perUnit)), n = 0; n < kMostUnits; ++i, ++n) {
        const double x = i * pixelsPerUnit - offset;
        if (x > scale.length) break;
        ticks.push_back({static_cast<int32_t>(x), 0, i});
        for (int k = 1; k < subTicks; ++k) {
            const int32_t top = scale.centimetres ? CentimetreSubTickTop(metrics, k, scale.zoom)
                                                  : InchSubTickTop(metrics, k, scale.zoom);
            if (top >= 0) ticks.push_back({static_cast<int32_t>(x + pixelsPerUnit * k / subTicks), top, -1});
        }
    }
    return ticks;
}

RulerScale ViewRulerScale(ScoreView* view, bool top, int32_t length) {
    RulerScale scale;
    if (!IsValidView(view) || view->document == nullptr) return scale;
    scale.unitsPerInch = view->UnitsPerInch > 0.0 ? view->UnitsPerInch : UnitsPerInch(*view->document);
    scale.zoom = ZoomLevel(view);
    scale.origin = top ? ScrollX(view) : ScrollY(view);
    scale.length = length;
    scale.centimetres = PaperUnitOf(&view->document->header.pageGeometry) != 0;
    BeginViewDraw(view);
    if (view->ViewDC) {
        const gfx::Size span = gfx::DeviceToLogicalDistance(view->ViewDC, gfx::Size{kPixelGrain, kPixelGrain});
        scale.span64 = top ? span.cx : span.cy;
    }
    EndViewDraw(view);
    // Without a context the mapping is the zoom's: zoom pixels to the staff space.
    if (scale.span64 <= 0.0 && scale.zoom > 0) scale.span64 = double{kPixelGrain} * kLogicalPerSpace / scale.zoom;
    return scale;
}

namespace {

ScoreView* ViewOfRuler(WindowHandle ruler) {
    auto* view = reinterpret_cast<ScoreView*>(win::GetWindowLong(ruler, kViewLong));
    return IsValidView(view) && view->document != nullptr ? view : nullptr;
}

// Draws one tracking line with XOR (drawing it again removes it).
void XorTrackLine(WindowHandle ruler, bool top, int32_t at, const RulerMetrics& m) {
    if (at < 0) return;
    const platform::DcHandle dc = win::GetWindowContext(ruler);
    if (!dc) return;
    const gfx::Rop2 oldRop = gfx::SetRop2(dc, gfx::Rop2::XorPen);
    const platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 0, kRulerBlue);
    const platform::PenHandle oldPen = gfx::SelectObject(dc, pen);
    const int32_t base = (top ? m.topThickness : m.leftThickness) - kTrackInset;
    gfx::MoveTo(dc, top ? gfx::Point{at, base} : gfx::Point{base, at});
    gfx::LineTo(dc, top ? gfx::Point{at, 0} : gfx::Point{0, at});
    gfx::SelectObject(dc, oldPen);
    gfx::DeleteObject(pen);
    gfx::SetRop2(dc, oldRop);
    win::ReleaseWindowContext(ruler, dc);
}

int32_t& TrackOf(ScoreView* view, bool top) {
    return top ? view->RulerTrackX : view->RulerTrackY;
}

// Moves one ruler's tracking line to the pointer.
void TrackRuler(ScoreView* view, WindowHandle ruler, bool top, const RulerMetrics& m) {
    if (!win::IsWindow(ruler)) return;
    int32_t& last = TrackOf(view, top);
    XorTrackLine(ruler, top, last, m);
    const gfx::Point p = win::ScreenToClient(ruler, win::GetCursorPosition());
    last = std::max(0, top ? p.x : p.y);
    XorTrackLine(ruler, top, last, m);
}

void DrawTicks(platform::DcHandle dc, bool top, const std::vector<RulerTick>& ticks, const RulerMetrics& m) {
    const int32_t base = top ? m.topThickness : m.leftThickness;
    gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | (top ? gfx::kTextAlignRight : gfx::kTextAlignLeft));
    for (const RulerTick& tick : ticks) {
        gfx::MoveTo(dc, top ? gfx::Point{tick.at, base} : gfx::Point{base, tick.at});
        gfx::LineTo(dc, top ? gfx::Point{tick.at, tick.top} : gfx::Point{tick.top, tick.at});
        if (tick.label < 0) continue;
        const std::string text = std::to_string(tick.label);
        const gfx::Point at = top ? gfx::Point{tick.at - kLabelGap, m.labelBase} : gfx::Point{kLabelGap, tick.at - kLabelGap};
        text::TextOutA(dc, at, text);
    }
}

void PaintRuler(WindowHandle ruler, bool top) {
    win::PaintInfo info;
    const platform::DcHandle dc = win::BeginPaint(ruler, info);
    ScoreView* view = ViewOfRuler(ruler);
    if (dc && view != nullptr) {
        const RulerMetrics m = ScreenRulerMetrics();
        const gfx::Rect client = win::GetClientRect(ruler);
        const auto ticks = RulerTicks(m, ViewRulerScale(view, top, top ? client.right : client.bottom));
        const platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 0, kRulerBlue);
        const platform::PenHandle oldPen = gfx::SelectObject(dc, pen);
        const platform::FontHandle font = GetInterfaceFont(InterfaceFont::Ruler);
        const platform::FontHandle oldFont = font ? gfx::SelectObject(dc, font) : platform::FontHandle{};
        gfx::SetTextColour(dc, kRulerBlue);
        gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
        DrawTicks(dc, top, ticks, m);
        gfx::SelectObject(dc, gfx::GetStockPen(gfx::StockPen::Black));
        const platform::BrushHandle oldBrush = gfx::SelectObject(dc, gfx::GetStockBrush(gfx::StockBrush::Null));
        gfx::Rectangle(dc, client);
        gfx::SelectObject(dc, oldBrush);
        if (font) gfx::SelectObject(dc, oldFont);
        gfx::SelectObject(dc, oldPen);
        gfx::DeleteObject(pen);
    }
    win::EndPaint(ruler, info);
    // The painting covered the old tracking line: draw it again at the pointer.
    if (view != nullptr) {
        TrackOf(view, top) = -1;
        TrackRuler(view, ruler, top, ScreenRulerMetrics());
    }
}

intptr_t RulerProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data, bool top) {
    // A ruler works on its view's document for the call.
    const ScopedDocumentContext context(ViewOfRuler(window));
    switch (message) {
        case win::Message::Paint:
            PaintRuler(window, top);
            return 0;
        case win::Message::LeftButtonDoubleClick:
            if (ScoreView* view = ViewOfRuler(window)) CreateGuideFromRuler(view, !top);
            return 0;
        default:
            return win::DefaultWindowProc(window, message, word, data);
    }
}

bool RegisterRulerClass(const char* name, win::WindowProc procedure) {
    if (win::IsClassRegistered(name)) return true;
    win::WindowClass cls;
    cls.name = name;
    cls.procedure = std::move(procedure);
    cls.style = win::kClassDoubleClicks;
    cls.extraBytes = kRulerExtraBytes;
    cls.cursor = win::LoadSystemCursor(win::SystemCursor::Arrow);
    cls.background = gfx::GetStockBrush(gfx::StockBrush::White);
    return win::RegisterWindowClass(cls);
}

// The view's ruler when it is a live child of the view's window.
bool HasRuler(const ScoreView* view, WindowHandle ruler) {
    return win::IsWindow(ruler) && win::GetParent(ruler) == view->ViewWindow;
}

WindowHandle MakeRuler(ScoreView* view, const char* cls, gfx::Rect rect) {
    win::WindowParams params;
    params.className = cls;
    params.style = win::kStyleChild | win::kStyleVisible;
    params.rect = rect;
    params.parent = view->ViewWindow;
    const WindowHandle ruler = win::CreateWindow(params);
    if (ruler) win::SetWindowLong(ruler, kViewLong, reinterpret_cast<intptr_t>(view));
    return ruler;
}

// "RulerOn", mirrored into the drawing state that places the view's mapping.
bool RulersOn() {
    State().drawing.RulersShown = Options().RulerOn != 0 ? 1 : 0;
    return Options().RulerOn != 0;
}

}  // namespace

intptr_t TopRulerWndProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    return RulerProc(window, message, word, data, true);
}

intptr_t LeftRulerWndProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    return RulerProc(window, message, word, data, false);
}

void CreateRulers(ScoreView* view) {
    if (!IsValidView(view) || !win::IsWindow(view->ViewWindow)) return;
    if (!RegisterRulerClass(kTopRulerClass, TopRulerWndProc) || !RegisterRulerClass(kLeftRulerClass, LeftRulerWndProc)) {
        ui::Beep(ui::BeepKind::Default);
        return;
    }
    const RulerMetrics m = ScreenRulerMetrics();
    const gfx::Rect client = win::GetClientRect(view->ViewWindow);
    const gfx::Rect left{0, m.topThickness, m.leftThickness, client.bottom};
    const gfx::Rect top{m.leftThickness, 0, client.right, m.topThickness};
    if (!HasRuler(view, view->LeftRuler)) view->LeftRuler = MakeRuler(view, kLeftRulerClass, left);
    else win::MoveWindow(view->LeftRuler, left, true);
    if (!HasRuler(view, view->TopRuler)) view->TopRuler = MakeRuler(view, kTopRulerClass, top);
    else win::MoveWindow(view->TopRuler, top, true);
}

void DestroyRuler(ScoreView* view) {
    if (view == nullptr) return;
    if (HasRuler(view, view->TopRuler)) win::DestroyWindow(view->TopRuler);
    if (HasRuler(view, view->LeftRuler)) win::DestroyWindow(view->LeftRuler);
    view->TopRuler = {};
    view->LeftRuler = {};
    view->RulerTrackX = view->RulerTrackY = -1;
}

void program::RefreshRulers(ScoreView* view, int which) {
    if (!IsValidView(view) || !RulersOn()) return;
    CreateRulers(view);
    for (const auto& [bit, ruler] : {std::pair{kTopRuler, view->TopRuler}, std::pair{kLeftRuler, view->LeftRuler}}) {
        if ((which & bit) == 0 || !win::IsWindow(ruler)) continue;
        win::InvalidateRect(ruler, nullptr, true);
        win::UpdateWindow(ruler);
    }
}

void program::InvalidateRulers(ScoreView* view) {
    if (!IsValidView(view) || !RulersOn()) return;
    for (const WindowHandle ruler : {view->TopRuler, view->LeftRuler})
        if (HasRuler(view, ruler)) win::InvalidateRect(ruler, nullptr, true);
}

void TrackRulerLines(ScoreView* view) {
    if (!IsValidView(view)) return;
    const RulerMetrics m = ScreenRulerMetrics();
    if (HasRuler(view, view->TopRuler)) TrackRuler(view, view->TopRuler, true, m);
    if (HasRuler(view, view->LeftRuler)) TrackRuler(view, view->LeftRuler, false, m);
}

void ApplyRulerSettingToAllViews(ScoreView* view) {
    Options().RulerOn = Options().RulerOn != 0 ? 0 : 1;
    const bool on = RulersOn();
    for (WindowHandle child : win::ChildWindows(Frame().mdiClient, {kScoreWindowClass})) {
        ScoreView* each = GetScoreViewOfWindow(child);
        if (!IsValidView(each) || each->ViewWindow != child) continue;
        if (on)
            CreateRulers(each);
        else
            DestroyRuler(each);
        RefreshViewMetrics(each);
        win::InvalidateRect(child, nullptr, true);
        EndFocus(each, 1);
    }
    HandleViewActivation(view);
}

}  // namespace ql
