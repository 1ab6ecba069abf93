// Drawing text with cairo glyphs on the context's surface.
// Layout is done in device pixels (text is upright on the device): the reference
// point is the given point, or the current position with update-position
// alignment; the run's width includes the character extra; the horizontal flags
// put the reference point at the run's left, centre or right, the vertical flags
// at the cell's top, the baseline or the cell's bottom. With update-position the
// current position then moves past the text (left alignment: to the right end;
// right alignment: to the left end; centred: it stays).
#include "platform/text/text_out.h"

#include <cairo.h>

#include <string>
#include <vector>

#include "platform/gfx/dc.h"
#include "platform/gfx/dc_access.h"
#include "platform/gfx/mapping.h"
#include "platform/text/glyph_run.h"

namespace ql::text {
namespace {

constexpr double kChannelMax = 255.0;
constexpr int kMonochromeThreshold = 128;
// FreeType sizes glyphs by a 16-bit count of pixels per em: larger text cannot
// be rendered, and asking for it leaves the renderer in error.
constexpr double kLargestDrawnEm = 0xFFFF;

struct PlacedRun {
    double left = 0.0;      // device x of the run's left end
    double baseline = 0.0;  // device y of the baseline
    double width = 0.0;     // device width including character extra
    double ascent = 0.0;
    double descent = 0.0;
    double extra = 0.0;  // device character extra added to every advance
};

// Device advance of glyph i of the run, character extra included.
double DeviceAdvance(const SizedFont& font, const GlyphRun& run, const PlacedRun& placed, size_t i) {
    return font.ToDeviceX(run.advances[i]) + placed.extra;
}

PlacedRun PlaceRun(DcHandle dc, const SizedFont& font, const GlyphRun& run, gfx::Point at,
                   gfx::TextAlign align) {
    PlacedRun placed;
    const DesignMetrics& m = font.face->Metrics();
    placed.extra = gfx::GetTextCharacterExtra(dc) * font.scale.x;
    for (size_t i = 0; i < run.advances.size(); ++i) placed.width += DeviceAdvance(font, run, placed, i);
    placed.ascent = font.ToDeviceY(m.ascent);
    placed.descent = font.ToDeviceY(m.descent);
    gfx::Point device = gfx::LogicalToDevice(dc, at);
    switch (align & gfx::kTextAlignHorizontalMask) {
        case gfx::kTextAlignCentre:
            placed.left = device.x - placed.width / 2;
            break;
        case gfx::kTextAlignRight:
            placed.left = device.x - placed.width;
            break;
        default:
            placed.left = device.x;
            break;
    }
    switch (align & gfx::kTextAlignVerticalMask) {
        case gfx::kTextAlignBaseline:
            placed.baseline = device.y;
            break;
        case gfx::kTextAlignBottom:
            placed.baseline = device.y - placed.descent;
            break;
        default:
            placed.baseline = device.y + placed.ascent;
            break;
    }
    return placed;
}

void SetSourceColour(cairo_t* cr, gfx::Colour colour, bool monochrome) {
    double r = gfx::RedOf(colour), g = gfx::GreenOf(colour), b = gfx::BlueOf(colour);
    if (monochrome) {
        double brightness = (r + g + b) / 3.0;
        r = g = b = brightness >= kMonochromeThreshold ? kChannelMax : 0.0;
    }
    cairo_set_source_rgb(cr, r / kChannelMax, g / kChannelMax, b / kChannelMax);
}

// Unhinted outlines at exact positions; bilevel ink on monochrome surfaces.
cairo_font_options_t* MakeGlyphOptions(bool monochrome) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    if (monochrome) cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    return options;
}

// Both sets of options are made once and kept for the life of the process.
const cairo_font_options_t* GlyphOptions(bool monochrome) {
    static cairo_font_options_t* const colour = MakeGlyphOptions(false);
    static cairo_font_options_t* const bilevel = MakeGlyphOptions(true);
    return monochrome ? bilevel : colour;
}

void SetFont(cairo_t* cr, const SizedFont& font, bool monochrome) {
    cairo_set_font_face(cr, font.face->CairoFace());
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, font.emDeviceX, font.emDeviceY);
    cairo_set_font_matrix(cr, &matrix);
    cairo_set_font_options(cr, GlyphOptions(monochrome));
}

// Positions the run's glyphs on the baseline from its left end and shows them.
// Short runs (single music symbols, words) are laid out without allocating.
void ShowGlyphs(cairo_t* cr, const SizedFont& font, const GlyphRun& run, const PlacedRun& placed) {
    constexpr size_t kShortRun = 64;
    cairo_glyph_t shortRun[kShortRun];
    std::vector<cairo_glyph_t> longRun;
    cairo_glyph_t* glyphs = shortRun;
    if (run.glyphs.size() > kShortRun) {
        longRun.resize(run.glyphs.size());
        glyphs = longRun.data();
    }
    double x = placed.left;
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        glyphs[i] = cairo_glyph_t{run.glyphs[i], x, placed.baseline};
        x += DeviceAdvance(font, run, placed, i);
    }
    cairo_show_glyphs(cr, glyphs, static_cast<int>(run.glyphs.size()));
}

// Underline and strike-out, as bars across the run's width.
void DrawDecorations(cairo_t* cr, const SizedFont& font, const PlacedRun& placed) {
    const LogicalFont& request = font.font->request;
    const DesignMetrics& m = font.face->Metrics();
    auto bar = [&](int32_t top, int32_t thickness) {
        double height = std::max(1.0, font.ToDeviceY(thickness));
        cairo_rectangle(cr, placed.left, placed.baseline - font.ToDeviceY(top), placed.width,
                        height);
        cairo_fill(cr);
    };
    if (request.underline) bar(m.underlinePosition, m.underlineThickness);
    if (request.strikeout) bar(m.strikeoutPosition, m.strikeoutThickness);
}

void DrawRun(DcHandle dc, cairo_t* cr, const SizedFont& font, const GlyphRun& run,
             const PlacedRun& placed) {
    bool monochrome = gfx::IsMonochromeSurface(dc);
    cairo_save(cr);
    if (gfx::GetBackgroundMode(dc) == gfx::BackgroundMode::Opaque) {
        SetSourceColour(cr, gfx::GetBackgroundColour(dc), monochrome);
        cairo_rectangle(cr, placed.left, placed.baseline - placed.ascent, placed.width,
                        placed.ascent + placed.descent);
        cairo_fill(cr);
    }
    SetSourceColour(cr, gfx::GetTextColour(dc), monochrome);
    SetFont(cr, font, monochrome);
    if (!run.glyphs.empty()) ShowGlyphs(cr, font, run, placed);
    DrawDecorations(cr, font, placed);
    cairo_restore(cr);
}

// Moves the current position past the text when the alignment asks for it.
void UpdatePosition(DcHandle dc, const SizedFont& font, const PlacedRun& placed, gfx::Point from,
                    gfx::TextAlign align) {
    if (!(align & gfx::kTextAlignUpdateCurrentPosition)) return;
    int32_t width = SizedFont::RoundedLogical(placed.width / font.scale.x);
    gfx::TextAlign horizontal = align & gfx::kTextAlignHorizontalMask;
    if (horizontal == gfx::kTextAlignCentre) return;
    // Moving right on the device may be moving left in logical units.
    gfx::Point step = gfx::DeviceToLogical(dc, gfx::Point{1, 0});
    gfx::Point origin = gfx::DeviceToLogical(dc, gfx::Point{0, 0});
    int32_t sign = step.x < origin.x ? -1 : 1;
    if (horizontal == gfx::kTextAlignRight) sign = -sign;
    int64_t x = int64_t{from.x} + int64_t{sign} * width;
    gfx::SetCurrentPosition(dc, gfx::Point{SizedFont::RoundedLogical(static_cast<double>(x)), from.y});
}

bool DrawGlyphs(DcHandle dc, gfx::Point at, const SizedFont& font, const GlyphRun& run) {
    if (font.emDeviceX > kLargestDrawnEm || font.emDeviceY > kLargestDrawnEm) return false;
    gfx::TextAlign align = gfx::GetTextAlign(dc);
    gfx::Point from =
        (align & gfx::kTextAlignUpdateCurrentPosition) ? gfx::GetCurrentPosition(dc) : at;
    PlacedRun placed = PlaceRun(dc, font, run, from, align);
    cairo_t* cr = gfx::BeginInk(dc);
    if (!cr) return false;
    if (!run.glyphs.empty()) DrawRun(dc, cr, font, run, placed);
    gfx::EndInk(dc);
    UpdatePosition(dc, font, placed, from, align);
    return true;
}

// A recording context draws nothing now but keeps its current position in step,
// so that later calls made on it see where the text ended.
void RecordedPosition(DcHandle dc, const SizedFont& font, const GlyphRun& run) {
    gfx::TextAlign align = gfx::GetTextAlign(dc);
    if (!(align & gfx::kTextAlignUpdateCurrentPosition)) return;
    gfx::Point from = gfx::GetCurrentPosition(dc);
    UpdatePosition(dc, font, PlaceRun(dc, font, run, from, align), from, align);
}

// Only a recording context keeps the call (and a copy of the text).
bool IsRecording(DcHandle dc) { return gfx::GetContextKind(dc) == gfx::ContextKind::Recording; }

}  // namespace

bool TextOutA(DcHandle dc, gfx::Point at, std::string_view text) {
    SizedFont font;
    if (IsRecording(dc) &&
        gfx::RecordCall(dc, [at, copy = std::string(text)](DcHandle target) { TextOutA(target, at, copy); })) {
        if (ContextFont(dc, &font)) RecordedPosition(dc, font, GlyphsOfBytes(*font.font, text));
        return true;
    }
    if (!ContextFont(dc, &font)) return false;
    return DrawGlyphs(dc, at, font, GlyphsOfBytes(*font.font, text));
}

bool TextOutW(DcHandle dc, gfx::Point at, std::u16string_view text) {
    SizedFont font;
    if (IsRecording(dc) &&
        gfx::RecordCall(dc, [at, copy = std::u16string(text)](DcHandle target) { TextOutW(target, at, copy); })) {
        if (ContextFont(dc, &font)) RecordedPosition(dc, font, GlyphsOfUtf16(*font.font, text));
        return true;
    }
    if (!ContextFont(dc, &font)) return false;
    return DrawGlyphs(dc, at, font, GlyphsOfUtf16(*font.font, text));
}

}  // namespace ql::text
