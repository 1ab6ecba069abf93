// Speed of redrawing one page of score in a view: staff lines, stems, barlines and
// ledger lines, music-font glyphs one at a time, text, beams and XOR selection
// feedback, through the score's mapping (origin -30720, 128 units per staff space
// at a zoom of 16..24 pixels per space). A page must redraw within a screen frame.
// The single-call benchmarks break the page down; their argument is the raster
// operation (13 copy, 7 XOR).
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"

namespace {

using namespace ql::gfx;
using ql::text::LogicalFont;

constexpr int kViewWidth = 1400;
constexpr int kViewHeight = 1000;
constexpr int32_t kScoreOrigin = -30720;
constexpr int32_t kSpace = 128;  // logical units per staff space
constexpr int32_t kStaffLines = 5;
constexpr int kDefaultZoom = 20;
constexpr int32_t kMusicFontHeight = -512;  // one em is the staff height
constexpr int32_t kTextFontHeight = -200;
constexpr uint8_t kSymbolCharset = 2;

// What a full page holds.
constexpr int kSystems = 12;
constexpr int kStavesPerSystem = 5;
constexpr int kStaves = kSystems * kStavesPerSystem;
constexpr int kItemsPerStaff = 25;  // stems, barlines, ledgers; and as many glyphs
constexpr int kStrings = 24;
constexpr int kBeamsPerStaff = 2;
constexpr int kFeedbackLines = 4;

// Music-font codes: heads, a quarter rest, a sharp, an eighth flag.
constexpr char kGlyphCodes[] = {72, 72, 71, char(131), char(219), char(112)};
constexpr int kGlyphKinds = sizeof(kGlyphCodes);

Rop2 RopOf(const benchmark::State& state) { return static_cast<Rop2>(state.range(0)); }

// A window image with the score's mapping, the music font and a text font.
class PageView {
  public:
    explicit PageView(int zoom) {
        SetMapMode(dc_, MapMode::Anisotropic);
        SetWindowExtent(dc_, Size{kSpace, kSpace});
        SetViewportExtent(dc_, Size{zoom, zoom});
        SetWindowOrigin(dc_, Point{kScoreOrigin, kScoreOrigin});
        SetBackgroundMode(dc_, BackgroundMode::Transparent);
        SetTextAlign(dc_, kTextAlignBaseline);
        SelectObject(dc_, GetStockBrush(StockBrush::Black));
        LogicalFont music;
        music.SetFace("Glyphora");
        music.height = kMusicFontHeight;
        music.charset = kSymbolCharset;
        musicFont_ = ql::text::CreateFontIndirect(music);
        LogicalFont text;
        text.SetFace("Times New Roman");
        text.height = kTextFontHeight;
        textFont_ = ql::text::CreateFontIndirect(text);
        SelectObject(dc_, musicFont_);
        zoom_ = zoom;
    }
    ~PageView() {
        DeleteContext(dc_);
        DeleteObject(image_);
        ql::text::DeleteFont(musicFont_);
        ql::text::DeleteFont(textFont_);
    }
    bool Ready() const { return dc_ && musicFont_ && textFont_; }
    DcHandle dc() const { return dc_; }
    // Logical units of a device distance.
    int32_t Logical(int pixels) const { return pixels * kSpace / zoom_; }
    int32_t X(int pixels) const { return kScoreOrigin + Logical(pixels); }
    int32_t Y(int pixels) const { return kScoreOrigin + Logical(pixels); }
    void Line(Point a, Point b) const {
        MoveTo(dc_, a);
        LineTo(dc_, b);
    }
    void Glyph(Point at, char code) const { ql::text::TextOutA(dc_, at, std::string_view(&code, 1)); }

    void DrawStaff(int32_t left, int32_t right, int32_t top) const;
    void DrawStaffItems(int32_t left, int32_t right, int32_t top, int staff) const;
    void DrawStrings() const;
    void DrawFeedback() const;
    FontHandle musicFont() const { return musicFont_; }
    FontHandle textFont() const { return textFont_; }

  private:
    BitmapHandle image_ = CreateImageBitmap(kViewWidth, kViewHeight);
    DcHandle dc_ = CreateWindowContext(image_);
    FontHandle musicFont_;
    FontHandle textFont_;
    int zoom_ = kDefaultZoom;
};

void PageView::DrawStaff(int32_t left, int32_t right, int32_t top) const {
    for (int32_t line = 0; line < kStaffLines; ++line)
        Line(Point{left, top + line * kSpace}, Point{right, top + line * kSpace});
}

// Barlines, stems and ledger lines, then heads, rests, accidentals and flags, then beams.
void PageView::DrawStaffItems(int32_t left, int32_t right, int32_t top, int staff) const {
    const int32_t bottom = top + (kStaffLines - 1) * kSpace;
    const int32_t pitch = (right - left) / kItemsPerStaff;
    for (int i = 0; i < kItemsPerStaff; ++i) {
        int32_t x = left + i * pitch + pitch / 2;
        switch (i % 5) {
            case 0: Line(Point{x, top}, Point{x, bottom + 1}); break;  // barline
            case 4: Line(Point{x - kSpace / 2, bottom + kSpace}, Point{x + kSpace, bottom + kSpace}); break;
            default: Line(Point{x + kSpace, top + kSpace / 2}, Point{x + kSpace, top + 4 * kSpace}); break;
        }
        int32_t y = top + ((i + staff) % 9) * (kSpace / 2);
        Glyph(Point{x, y}, kGlyphCodes[(i + staff) % kGlyphKinds]);
    }
    for (int b = 0; b < kBeamsPerStaff; ++b) {
        int32_t x0 = left + (2 * b + 1) * (right - left) / 5, x1 = x0 + 3 * pitch;
        int32_t y0 = top - kSpace, y1 = y0 - kSpace / 2, thick = kSpace / 2;
        Point beam[] = {{x0, y0}, {x1, y1}, {x1, y1 + thick}, {x0, y0 + thick}};
        Polygon(dc_, beam, 4);
    }
}

// Measure numbers, a title, staff names.
void PageView::DrawStrings() const {
    SelectObject(dc_, textFont_);
    for (int i = 0; i < kStrings; ++i) {
        Point at{X(40 + (i % 4) * 330), Y(30 + (i / 4) * 160)};
        ql::text::TextOutA(dc_, at, i == 0 ? "Sonata in C for Piano" : std::to_string(i * 4 + 1));
    }
    SelectObject(dc_, musicFont_);
}

// A selection rectangle drawn and erased with the XOR pen.
void PageView::DrawFeedback() const {
    Rop2 old = SetRop2(dc_, Rop2::XorPen);
    Point corners[] = {{X(100), Y(100)}, {X(900), Y(100)}, {X(900), Y(600)}, {X(100), Y(600)}};
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < kFeedbackLines; ++i) Line(corners[i], corners[(i + 1) % kFeedbackLines]);
    SetRop2(dc_, old);
}

void DrawPage(const PageView& view) {
    const int32_t left = view.X(20), right = view.X(kViewWidth - 20);
    const int usable = kViewHeight - 120;
    for (int staff = 0; staff < kStaves; ++staff) {
        // Staves share the view's height; neighbours overlap at the larger zooms.
        int32_t top = view.Y(60 + staff * usable / kStaves);
        view.DrawStaff(left, right, top);
        view.DrawStaffItems(left, right, top, staff);
    }
    view.DrawStrings();
    view.DrawFeedback();
}

// The whole page; the argument is the zoom in pixels per staff space.
void BM_PageOfScore(benchmark::State& state) {
    PageView view(static_cast<int>(state.range(0)));
    if (!view.Ready()) {
        state.SkipWithError("no music font");
        return;
    }
    for (auto _ : state) DrawPage(view);
}
BENCHMARK(BM_PageOfScore)->Arg(16)->Arg(20)->Arg(24)->Unit(benchmark::kMillisecond);

// The score painter's full page (BM_PaintFullPage) against this page drawn directly
// at zoom 16.
void BM_PaintFullPage_Baseline(benchmark::State& state) {
    constexpr int kPainterZoom = 16;
    PageView view(kPainterZoom);
    if (!view.Ready()) {
        state.SkipWithError("no music font");
        return;
    }
    for (auto _ : state) DrawPage(view);
    state.SetLabel("baseline");
}
BENCHMARK(BM_PaintFullPage_Baseline)->Unit(benchmark::kMillisecond);

void BM_HorizontalLine1000(benchmark::State& state) {
    PageView view(kDefaultZoom);
    SetRop2(view.dc(), RopOf(state));
    int y = 0;
    for (auto _ : state) {
        view.Line(Point{view.X(100), view.Y(y)}, Point{view.X(1100), view.Y(y)});
        y = (y + 1) % kViewHeight;
    }
}
BENCHMARK(BM_HorizontalLine1000)->Arg(13)->Arg(7);

void BM_Stem30(benchmark::State& state) {
    PageView view(kDefaultZoom);
    SetRop2(view.dc(), RopOf(state));
    int x = 0;
    for (auto _ : state) {
        view.Line(Point{view.X(x), view.Y(400)}, Point{view.X(x), view.Y(430)});
        x = (x + 3) % kViewWidth;
    }
}
BENCHMARK(BM_Stem30)->Arg(13)->Arg(7);

// Text ink is copy ink whatever the raster operation; XOR shows that it stays so.
void BM_SingleGlyph(benchmark::State& state) {
    PageView view(kDefaultZoom);
    if (!view.Ready()) {
        state.SkipWithError("no music font");
        return;
    }
    SetRop2(view.dc(), RopOf(state));
    int i = 0;
    for (auto _ : state) {
        view.Glyph(Point{view.X(50 + (i * 37) % 1300), view.Y(100 + (i * 13) % 800)}, kGlyphCodes[i % kGlyphKinds]);
        ++i;
    }
}
BENCHMARK(BM_SingleGlyph)->Arg(13)->Arg(7);

void BM_TwentyCharString(benchmark::State& state) {
    PageView view(kDefaultZoom);
    if (!view.Ready()) {
        state.SkipWithError("no text font");
        return;
    }
    SetRop2(view.dc(), RopOf(state));
    SelectObject(view.dc(), view.textFont());
    int i = 0;
    for (auto _ : state) {
        ql::text::TextOutA(view.dc(), Point{view.X(50 + (i * 37) % 1000), view.Y(100 + (i * 13) % 800)},
                           "Allegro ma non troppo");
        ++i;
    }
}
BENCHMARK(BM_TwentyCharString)->Arg(13)->Arg(7);

void BM_FilledBeam(benchmark::State& state) {
    PageView view(kDefaultZoom);
    SetRop2(view.dc(), RopOf(state));
    int i = 0;
    for (auto _ : state) {
        int32_t x0 = view.X(50 + (i * 37) % 1200), y0 = view.Y(100 + (i * 13) % 800);
        int32_t x1 = x0 + 6 * kSpace, y1 = y0 - kSpace / 2, thick = kSpace / 2;
        Point beam[] = {{x0, y0}, {x1, y1}, {x1, y1 + thick}, {x0, y0 + thick}};
        Polygon(view.dc(), beam, 4);
        ++i;
    }
}
BENCHMARK(BM_FilledBeam)->Arg(13)->Arg(7);

}  // namespace
