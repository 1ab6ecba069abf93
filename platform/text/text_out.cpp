// Drawing text with cairo glyphs on the context's surface.
// Text is upright on the device, whatever the mapping's signs. The reference
// point is the given point, or the current position with update-position
// alignment; glyphs advance by their logical widths plus the character extra and
// sit on whole device pixels (see text_metrics.h); the horizontal flags
// put the reference point at the run's left, centre or right, the vertical flags
// at the cell's top, the baseline or the cell's bottom. With update-position the
// current position then moves past the text (left alignment: to the right end;
// right alignment: to the left end; centred: it stays).
#include "platform/text/text_out.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/gfx/dc.h"
#include "platform/gfx/dc_access.h"
#include "platform/gfx/detail/drawable_range.h"
#include "platform/gfx/mapping.h"
#include "platform/text/glyph_run.h"
#include "platform/text/scaled_font_cache.h"
#include "platform/text/text_ink_tap.h"
#include "platform/text/text_metrics.h"

namespace ql::text {
namespace {

constexpr double kChannelMax = 255.0;
constexpr int kMonochromeThreshold = 128;
// FreeType sizes glyphs by a 16-bit count of pixels per em: larger text cannot
// be rendered, and asking for it leaves the renderer in error.
constexpr double kLargestDrawnEm = 0xFFFF;

// Logical offsets along the run become device pixels by the context's
// horizontal scale, rounded as the mapping rounds (halves away from zero), as
// magnitudes: text is upright on the device whatever the mapping's signs.
struct DeviceSteps {
    int64_t viewport = 1;  // |viewport extent|
    int64_t window = 1;    // |window extent|

    double Of(int64_t logical) const {
        // Products of everyday sizes are divided in 64 bits; the rounding is the same.
        constexpr int64_t kNarrowLimit = int64_t{1} << 31;
        if (logical > -kNarrowLimit && logical < kNarrowLimit && viewport < kNarrowLimit &&
            window < kNarrowLimit) {
            const int64_t product = logical * viewport, half = window / 2;
            return static_cast<double>(product >= 0 ? (product + half) / window
                                                    : -((-product + half) / window));
        }
        __int128 product = static_cast<__int128>(logical) * viewport, half = window / 2;
        __int128 steps = product >= 0 ? (product + half) / window : -((-product + half) / window);
        return static_cast<double>(steps);
    }
};

DeviceSteps StepsOf(DcHandle dc) {
    gfx::Mapping m = gfx::GetMapping(dc);
    if (m.mode != gfx::MapMode::Anisotropic || m.viewportExtent.cx == 0 || m.windowExtent.cx == 0)
        return {};
    return DeviceSteps{std::abs(int64_t{m.viewportExtent.cx}),
                       std::abs(int64_t{m.windowExtent.cx})};
}

// A run placed on the device. Glyph positions are logical offsets from the run's
// left end (sums of glyph advances), each drawn at the reference point plus its
// offset from the reference converted to whole device pixels, so a glyph lands
// where the mapping puts the sum of the widths before it.
struct PlacedRun {
    double reference = 0.0;  // device x of the reference point
    int64_t anchor = 0;      // logical offset of the reference point from the left end
    int64_t width = 0;       // logical width, character extra included
    int32_t extra = 0;       // logical character extra after every glyph
    DeviceSteps steps;
    double baseline = 0.0;  // device y of the baseline
    double ascent = 0.0;
    double descent = 0.0;

    // Device x of a logical offset from the run's left end.
    double DeviceX(int64_t offset) const { return reference + steps.Of(offset - anchor); }
};

int64_t AnchorOf(gfx::TextAlign align, int64_t width) {
    switch (align & gfx::kTextAlignHorizontalMask) {
        case gfx::kTextAlignCentre:
            return width / 2;
        case gfx::kTextAlignRight:
            return width;
        default:
            return 0;
    }
}

PlacedRun PlaceRun(DcHandle dc, const SizedFont& font, const GlyphRun& run, gfx::Point at,
                   gfx::TextAlign align) {
    PlacedRun placed;
    const DesignMetrics& m = font.face->Metrics();
    placed.extra = gfx::GetTextCharacterExtra(dc);
    placed.width = RunWidth(font, run, placed.extra);
    placed.anchor = AnchorOf(align, placed.width);
    placed.steps = StepsOf(dc);
    placed.ascent = font.ToDeviceY(m.ascent);
    placed.descent = font.ToDeviceY(m.descent);
    gfx::Point device = gfx::LogicalToDevice(dc, at);
    placed.reference = device.x;
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

// The run's box from device x0 to x1 (either order) between two heights above
// the baseline, cut to the drawable range.
gfx::detail::DeviceArea RunArea(const PlacedRun& placed, double x0, double x1, double top,
                                double bottom) {
    return gfx::detail::CutToDrawableRange(gfx::detail::DeviceArea{
        std::min(x0, x1), placed.baseline - top, std::max(x0, x1), placed.baseline - bottom});
}

void FillArea(cairo_t* cr, const gfx::detail::DeviceArea& area) {
    if (area.IsEmpty()) return;
    cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
    cairo_fill(cr);
}

void SetSourceColour(cairo_t* cr, gfx::Colour colour, bool monochrome) {
    double r = gfx::RedOf(colour), g = gfx::GreenOf(colour), b = gfx::BlueOf(colour);
    if (monochrome) {
        double brightness = (r + g + b) / 3.0;
        r = g = b = brightness >= kMonochromeThreshold ? kChannelMax : 0.0;
    }
    cairo_set_source_rgb(cr, r / kChannelMax, g / kChannelMax, b / kChannelMax);
}

// The run's font as cairo's scaled font; false when cairo could not make it.
bool SetFont(cairo_t* cr, const SizedFont& font, bool monochrome) {
    cairo_scaled_font_t* scaled = ScaledFontFor(font, monochrome, cairo_get_target(cr));
    if (scaled == nullptr) return false;
    cairo_set_scaled_font(cr, scaled);
    return true;
}

// A glyph's ink stays within this many ems of its origin.
constexpr double kInkMarginEms = 2.0;

// True when a glyph at this origin may ink an image: the origin lies within the
// ink margin of the drawable range. Glyphs further out are left out, as their
// coordinates would wrap in the renderer; those kept stay well inside its range.
bool GlyphMayShow(double x, double baseline, double margin) {
    return gfx::detail::ReachesDrawableRange(
        gfx::detail::DeviceArea{x - margin, baseline - margin, x + margin, baseline + margin});
}

// Positions the run's glyphs on the baseline into `glyphs` (room for every glyph of
// the run), those that may show; their count.
int PositionGlyphs(const SizedFont& font, const GlyphRun& run, const PlacedRun& placed,
                   cairo_glyph_t* glyphs) {
    double margin = kInkMarginEms * std::max(font.emDeviceX, font.emDeviceY);
    int count = 0;
    int64_t offset = 0;
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        double x = placed.DeviceX(offset);
        if (GlyphMayShow(x, placed.baseline, margin))
            glyphs[count++] = cairo_glyph_t{run.glyphs[i], x, placed.baseline};
        offset += GlyphAdvance(font, run, i, placed.extra);
    }
    return count;
}

// Room for glyphs: short runs (single music symbols, words, a line of a text box)
// are laid out without allocating.
class GlyphBuffer {
  public:
    explicit GlyphBuffer(size_t size) {
        if (size > kShort) {
            long_.resize(size);
            glyphs_ = long_.data();
        }
    }
    cairo_glyph_t* data() { return glyphs_; }

  private:
    static constexpr size_t kShort = 64;
    cairo_glyph_t short_[kShort];
    std::vector<cairo_glyph_t> long_;
    cairo_glyph_t* glyphs_ = short_;
};

// Positions the run's glyphs on the baseline and shows those that may show.
void ShowGlyphs(cairo_t* cr, const SizedFont& font, const GlyphRun& run, const PlacedRun& placed) {
    GlyphBuffer glyphs(run.glyphs.size());
    const int count = PositionGlyphs(font, run, placed, glyphs.data());
    if (count > 0) cairo_show_glyphs(cr, glyphs.data(), count);
}

// Underline and strike-out, as bars across the run's width: `fill` fills each.
template <typename Fill>
void ForEachDecoration(const SizedFont& font, const PlacedRun& placed, Fill&& fill) {
    const LogicalFont& request = font.font->request;
    if (!request.underline && !request.strikeout) return;
    const DesignMetrics& m = font.face->Metrics();
    double left = placed.DeviceX(0), right = placed.DeviceX(placed.width);
    auto bar = [&](int32_t top, int32_t thickness) {
        double height = std::max(1.0, font.ToDeviceY(thickness)), y = font.ToDeviceY(top);
        fill(RunArea(placed, left, right, y, y - height));
    };
    if (request.underline) bar(m.underlinePosition, m.underlineThickness);
    if (request.strikeout) bar(m.strikeoutPosition, m.strikeoutThickness);
}

void DrawDecorations(cairo_t* cr, const SizedFont& font, const PlacedRun& placed) {
    ForEachDecoration(font, placed, [cr](const gfx::detail::DeviceArea& area) { FillArea(cr, area); });
}

// The run's box in its background colour (behind the glyphs when the background is opaque).
gfx::detail::DeviceArea BackgroundArea(const PlacedRun& placed) {
    return RunArea(placed, placed.DeviceX(0), placed.DeviceX(placed.width), placed.ascent, -placed.descent);
}

void DrawRun(DcHandle dc, cairo_t* cr, const SizedFont& font, const GlyphRun& run,
             const PlacedRun& placed) {
    // Nothing is saved and restored: the context's source and font are set here
    // for every run (a font already set costs nothing), and the fills use their paths up.
    bool monochrome = gfx::IsMonochromeSurface(dc);
    if (gfx::GetBackgroundMode(dc) == gfx::BackgroundMode::Opaque) {
        SetSourceColour(cr, gfx::GetBackgroundColour(dc), monochrome);
        FillArea(cr, BackgroundArea(placed));
    }
    SetSourceColour(cr, gfx::GetTextColour(dc), monochrome);
    if (SetFont(cr, font, monochrome) && !run.glyphs.empty()) ShowGlyphs(cr, font, run, placed);
    DrawDecorations(cr, font, placed);
}

// Moves the current position past the text when the alignment asks for it.
void UpdatePosition(DcHandle dc, const PlacedRun& placed, gfx::Point from, gfx::TextAlign align) {
    if (!(align & gfx::kTextAlignUpdateCurrentPosition)) return;
    int32_t width = SizedFont::RoundedLogical(static_cast<double>(placed.width));
    gfx::TextAlign horizontal = align & gfx::kTextAlignHorizontalMask;
    if (horizontal == gfx::kTextAlignCentre) return;
    // Moving right on the device may be moving left in logical units.
    gfx::Point step = gfx::DeviceToLogical(dc, gfx::Point{1, 0});
    gfx::Point origin = gfx::DeviceToLogical(dc, gfx::Point{0, 0});
    int32_t sign = step.x < origin.x ? -1 : 1;
    if (horizontal == gfx::kTextAlignRight) sign = -sign;
    int64_t x = int64_t{from.x} + int64_t{sign} * width;
    gfx::SetCurrentPosition(dc,
                            gfx::Point{SizedFont::RoundedLogical(static_cast<double>(x)), from.y});
}

// On a printed page, a run goes to the page's ink: its background box (when the
// background is opaque), its glyphs joining the page's runs of its font and
// colour, its bars as boxes; false when the context draws on no page.
bool GatherOnPage(DcHandle dc, const SizedFont& font, const GlyphRun& run, const PlacedRun& placed) {
    cairo_surface_t* page = gfx::PageSurfaceOf(dc);
    if (page == nullptr) return false;
    cairo_scaled_font_t* scaled = ScaledFontFor(font, false, page);
    if (scaled == nullptr) return false;
    auto fillBox = [dc](const gfx::detail::DeviceArea& area, gfx::Colour colour) {
        if (!area.IsEmpty()) gfx::FillPageBox(dc, area.left, area.top, area.right, area.bottom, colour);
    };
    if (gfx::GetBackgroundMode(dc) == gfx::BackgroundMode::Opaque)
        fillBox(BackgroundArea(placed), gfx::GetBackgroundColour(dc));
    GlyphBuffer glyphs(run.glyphs.size());
    const int count = PositionGlyphs(font, run, placed, glyphs.data());
    if (count > 0 && !gfx::ShowPageGlyphs(dc, scaled, glyphs.data(), count)) return false;
    const gfx::Colour text = gfx::GetTextColour(dc);
    ForEachDecoration(font, placed, [&](const gfx::detail::DeviceArea& area) { fillBox(area, text); });
    return true;
}

bool DrawGlyphs(DcHandle dc, gfx::Point at, const SizedFont& font, const GlyphRun& run) {
    if (font.emDeviceX > kLargestDrawnEm || font.emDeviceY > kLargestDrawnEm) return false;
    gfx::TextAlign align = gfx::GetTextAlign(dc);
    gfx::Point from =
        (align & gfx::kTextAlignUpdateCurrentPosition) ? gfx::GetCurrentPosition(dc) : at;
    PlacedRun placed = PlaceRun(dc, font, run, from, align);
    if (GatherOnPage(dc, font, run, placed)) {
        UpdatePosition(dc, placed, from, align);
        return true;
    }
    cairo_t* cr = gfx::BeginInk(dc);
    if (!cr) return false;
    if (!run.glyphs.empty()) DrawRun(dc, cr, font, run, placed);
    gfx::EndInk(dc);
    UpdatePosition(dc, placed, from, align);
    return true;
}

// A recording context draws nothing now but keeps its current position in step,
// so that later calls made on it see where the text ended.
void RecordedPosition(DcHandle dc, const SizedFont& font, const GlyphRun& run) {
    gfx::TextAlign align = gfx::GetTextAlign(dc);
    if (!(align & gfx::kTextAlignUpdateCurrentPosition)) return;
    gfx::Point from = gfx::GetCurrentPosition(dc);
    UpdatePosition(dc, PlaceRun(dc, font, run, from, align), from, align);
}

// Only a recording context keeps the call (and a copy of the text).
bool IsRecording(DcHandle dc) {
    return gfx::GetContextKind(dc) == gfx::ContextKind::Recording;
}

// Whether runs drawn one after another may go to the renderer in one call: an
// image (a printer page keeps each call in its file), glyphs alone (no opaque
// background, no bars drawn after each run) and no current position to move.
bool RunsMayShareACall(DcHandle dc, const SizedFont& font, gfx::TextAlign align) {
    const gfx::ContextKind kind = gfx::GetContextKind(dc);
    const LogicalFont& request = font.font->request;
    return kind != gfx::ContextKind::Printer && kind != gfx::ContextKind::Recording &&
           !(align & gfx::kTextAlignUpdateCurrentPosition) &&
           gfx::GetBackgroundMode(dc) != gfx::BackgroundMode::Opaque && !request.underline &&
           !request.strikeout && font.emDeviceX <= kLargestDrawnEm &&
           font.emDeviceY <= kLargestDrawnEm;
}

// True when no glyph's ink box, widened by a 64th of a device pixel on every side,
// meets the box around every glyph before it (inkless ones as points). The
// renderer tells overlapping glyphs by that test on the same boxes held to 256ths of
// a pixel; finding none, it composites the glyphs one by one in their order, as
// calls of their own do (a run's glyphs pass the test within the run too).
bool GlyphsStayClear(cairo_scaled_font_t* scaled, const cairo_glyph_t* glyphs, int count) {
    constexpr double kWidening = 1.0 / 64;
    double left = 0, top = 0, right = 0, bottom = 0;
    for (int i = 0; i < count; ++i) {
        const cairo_glyph_t atOrigin{glyphs[i].index, 0.0, 0.0};
        cairo_text_extents_t ink;
        cairo_scaled_font_glyph_extents(scaled, &atOrigin, 1, &ink);
        const double x1 = glyphs[i].x + ink.x_bearing - kWidening;
        const double y1 = glyphs[i].y + ink.y_bearing - kWidening;
        const double x2 = x1 + ink.width + 2 * kWidening;
        const double y2 = y1 + ink.height + 2 * kWidening;
        if (i == 0) {
            left = x1, top = y1, right = x2, bottom = y2;
            continue;
        }
        if (x2 > left && x1 < right && y2 > top && y1 < bottom) return false;
        left = std::min(left, x1), top = std::min(top, y1);
        right = std::max(right, x2), bottom = std::max(bottom, y2);
    }
    return cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS;
}

TextInkTap& InkTap() {
    static TextInkTap tap;
    return tap;
}

// Tells the listener the ink box of a run about to be drawn at `at` (or at the
// current position, as the alignment says).
void TellInk(DcHandle dc, gfx::Point at, const SizedFont& font, const GlyphRun& run,
             std::string_view bytes, std::u16string_view text) {
    const TextInkTap& tap = InkTap();
    if (!tap || font.face == nullptr) return;
    const gfx::TextAlign align = gfx::GetTextAlign(dc);
    const gfx::Point from =
        (align & gfx::kTextAlignUpdateCurrentPosition) ? gfx::GetCurrentPosition(dc) : at;
    const PlacedRun placed = PlaceRun(dc, font, run, from, align);
    double left = 0, top = 0, right = 0, bottom = 0;
    bool inked = false;
    int64_t offset = 0;
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        const DesignBox design = font.face->Box(run.glyphs[i]);
        const double x = placed.DeviceX(offset);
        offset += GlyphAdvance(font, run, i, placed.extra);
        if (!design.hasInk) continue;
        const double x1 = x + font.ToDeviceX(design.left), x2 = x + font.ToDeviceX(design.right);
        const double y1 = placed.baseline - font.ToDeviceY(design.top);
        const double y2 = placed.baseline - font.ToDeviceY(design.bottom);
        if (!inked) left = x1, right = x2, top = y1, bottom = y2;
        left = std::min(left, x1), right = std::max(right, x2);
        top = std::min(top, y1), bottom = std::max(bottom, y2);
        inked = true;
    }
    if (!inked) return;
    gfx::Point corners[2] = {{static_cast<int32_t>(std::floor(left)), static_cast<int32_t>(std::floor(top))},
                             {static_cast<int32_t>(std::ceil(right)), static_cast<int32_t>(std::ceil(bottom))}};
    gfx::DeviceToLogical(dc, corners, 2);
    TextInk ink;
    ink.dc = dc;
    ink.box = gfx::Rect{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
                        std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
    ink.bytes = bytes;
    ink.text = text;
    ink.face = font.face->Family();
    tap(ink);
}

bool DrawEachRun(DcHandle dc, const SizedFont& font, std::span<const GlyphRunAt> runs) {
    bool drawn = true;
    for (const GlyphRunAt& run : runs) drawn = DrawGlyphRun(dc, run.at, font, *run.run) && drawn;
    return drawn;
}

}  // namespace

TextInkTap SetTextInkTap(TextInkTap tap) {
    TextInkTap previous = std::move(InkTap());
    InkTap() = std::move(tap);
    return previous;
}

bool TextOutA(DcHandle dc, gfx::Point at, std::string_view text) {
    SizedFont font;
    if (InkTap() && ContextFont(dc, &font)) TellInk(dc, at, font, GlyphsOfBytes(*font.font, text), text, {});
    if (IsRecording(dc) && gfx::RecordCall(dc, [at, copy = std::string(text)](DcHandle target) {
            TextOutA(target, at, copy);
        })) {
        if (ContextFont(dc, &font)) RecordedPosition(dc, font, GlyphsOfBytes(*font.font, text));
        return true;
    }
    if (!ContextFont(dc, &font)) return false;
    return DrawGlyphs(dc, at, font, GlyphsOfBytes(*font.font, text));
}

bool TextOutW(DcHandle dc, gfx::Point at, std::u16string_view text) {
    SizedFont font;
    if (InkTap() && ContextFont(dc, &font)) TellInk(dc, at, font, GlyphsOfUtf16(*font.font, text), {}, text);
    if (IsRecording(dc) && gfx::RecordCall(dc, [at, copy = std::u16string(text)](DcHandle target) {
            TextOutW(target, at, copy);
        })) {
        if (ContextFont(dc, &font)) RecordedPosition(dc, font, GlyphsOfUtf16(*font.font, text));
        return true;
    }
    if (!ContextFont(dc, &font)) return false;
    return DrawGlyphs(dc, at, font, GlyphsOfUtf16(*font.font, text));
}

bool DrawGlyphRun(DcHandle dc, gfx::Point at, const SizedFont& font, const GlyphRun& run) {
    if (!gfx::IsContextValid(dc) || IsRecording(dc)) return false;
    TellInk(dc, at, font, run, {}, {});
    return DrawGlyphs(dc, at, font, run);
}

bool DrawGlyphRuns(DcHandle dc, const SizedFont& font, std::span<const GlyphRunAt> runs) {
    if (!gfx::IsContextValid(dc) || IsRecording(dc)) return false;
    const gfx::TextAlign align = gfx::GetTextAlign(dc);
    size_t total = 0;
    for (const GlyphRunAt& run : runs) total += run.run->glyphs.size();
    if (runs.size() < 2 || total == 0 || !RunsMayShareACall(dc, font, align))
        return DrawEachRun(dc, font, runs);
    cairo_t* cr = gfx::BeginInk(dc);
    if (!cr) return false;
    const bool monochrome = gfx::IsMonochromeSurface(dc);
    cairo_scaled_font_t* scaled = ScaledFontFor(font, monochrome, cairo_get_target(cr));
    GlyphBuffer glyphs(total);
    int count = 0;
    for (const GlyphRunAt& run : runs)
        if (!run.run->glyphs.empty())
            count += PositionGlyphs(font, *run.run, PlaceRun(dc, font, *run.run, run.at, align),
                                    glyphs.data() + count);
    if (scaled != nullptr && !GlyphsStayClear(scaled, glyphs.data(), count)) {
        gfx::EndInk(dc);
        return DrawEachRun(dc, font, runs);
    }
    for (const GlyphRunAt& run : runs) TellInk(dc, run.at, font, *run.run, {}, {});
    SetSourceColour(cr, gfx::GetTextColour(dc), monochrome);
    if (scaled != nullptr) {
        cairo_set_scaled_font(cr, scaled);
        if (count > 0) cairo_show_glyphs(cr, glyphs.data(), count);
    }
    gfx::EndInk(dc);
    return true;
}

}  // namespace ql::text
