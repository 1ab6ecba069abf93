// Measuring the music font's glyphs into the glyph metric table.
#include "core/draw/glyph_metrics.h"

#include <cstring>

#include "core/draw/draw_surface.h"
#include "core/state.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/ui/message_box.h"

namespace ql {

namespace {

static_assert(sizeof(GlyphMetricEntry) == kGlyphMetricBytes);
static_assert(kGlyphTableEntries == kGlyphMetricCount);

int16_t ClampToInt16(int32_t value) {
    if (value > INT16_MAX) return INT16_MAX;
    if (value < INT16_MIN) return INT16_MIN;
    return static_cast<int16_t>(value);
}

int32_t ToTableUnits(int32_t value, int32_t em) {
    return static_cast<int32_t>(static_cast<int64_t>(value) * kGlyphTableEm / em);
}

// Contexts the table is measured on: the view context and its companions.
struct MeasuringContexts {
    platform::DcHandle dcs[3];
};

MeasuringContexts ContextsOf(const ScoreView* view) {
    return MeasuringContexts{{view->ViewMirrorDC, State().drawing.ReferenceDC, view->ViewDC}};
}

// Measures every code with a font of one design unit per device unit.
void MeasureTable(ScoreView* view, int32_t em) {
    DrawingGlobals& d = State().drawing;
    text::LogicalFont request = d.MusicFontTemplate;
    request.height = -em;
    platform::FontHandle font = text::CreateFontIndirect(request);
    MeasuringContexts contexts = ContextsOf(view);
    for (platform::DcHandle dc : contexts.dcs) {
        if (!dc) continue;
        gfx::SaveContext(dc);
        gfx::SetMapMode(dc, gfx::MapMode::Text);
        gfx::SelectObject(dc, font);
    }
    platform::DcHandle measuring = MeasuringContext(view);
    for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) {
        GlyphMetricEntry entry{};
        int32_t advance = 0;
        text::GetCharWidths(measuring, code, code, &advance);
        MeasureGlyph(measuring, code, &entry);
        for (int16_t& value : entry.outline) value = ClampToInt16(ToTableUnits(value, em));
        entry.advance = ToTableUnits(advance, em);
        entry.halfAdvance = entry.advance >> 1;
        d.GlyphTable[code - kFirstGlyphCode] = entry;
    }
    for (platform::DcHandle dc : contexts.dcs)
        if (dc) gfx::RestoreContext(dc, -1);
    text::DeleteFont(font);
}

void CopyTableInto(ScoreDocument* document) {
    if (!document) return;
    std::memcpy(document->glyphMetrics, State().drawing.GlyphTable, sizeof(document->glyphMetrics));
}

}  // namespace

bool MeasureGlyph(platform::DcHandle dc, uint32_t code, GlyphMetricEntry* out) {
    text::GlyphBox box;
    text::TextMetrics metrics;
    if (!text::GetGlyphOutlineBox(dc, code, &box) || !text::GetTextMetrics(dc, &metrics))
        return false;
    int32_t values[kOutlineValueCount] = {};
    values[kOutlineInkWidth] = box.Width();
    values[kOutlineInkHeight] = box.Height();
    values[kOutlineInkLeft] = box.left;
    values[kOutlineInkTop] = box.top;
    values[kOutlineInkRight] = box.right;
    values[kOutlineInkBottom] = box.bottom;
    values[kOutlineCentreX] = (box.left + box.right) / 2;
    values[kOutlineCentreY] = (box.top + box.bottom) / 2;
    values[kOutlineRightBearing] = box.advance - box.right;
    values[kOutlineFontAscent] = metrics.ascent;
    values[kOutlineFontDescent] = metrics.descent;
    values[kOutlineEmHeight] = metrics.height - metrics.internalLeading;
    for (int i = 0; i < kOutlineValueCount; ++i) out->outline[i] = ClampToInt16(values[i]);
    out->advance = box.advance;
    out->halfAdvance = box.advance >> 1;
    out->inkFlag = box.hasInk ? kGlyphHasInk : 0;
    return true;
}

GlyphTableStatus BuildGlyphMetrics(ScoreView* view) {
    BeginViewDraw(view);
    if (!view->ViewDC) return GlyphTableStatus::NoSurface;
    DrawingGlobals& d = State().drawing;
    GlyphTableStatus status = GlyphTableStatus::Copied;
    if (!d.GlyphTableBuilt) {
        int32_t em = text::GetOutlineEmSquare(view->ViewDC);
        if (em > 0) {
            MeasureTable(view, em);
            d.GlyphTableBuilt = 1;
            status = GlyphTableStatus::Built;
        } else {
            status = GlyphTableStatus::NoEmSquare;
            if (!d.GlyphTableFailureReported) ui::Beep(ui::BeepKind::Default);
            d.GlyphTableFailureReported = 1;
        }
    }
    CopyTableInto(view->document);
    EndViewDraw(view);
    return status;
}

GlyphMetricEntry GlyphMetricOf(const ScoreDocument& document, int code) {
    GlyphMetricEntry entry{};
    if (code < kFirstGlyphCode || code > kLastGlyphCode) return entry;
    std::memcpy(&entry, document.glyphMetrics[code - kFirstGlyphCode], sizeof(entry));
    return entry;
}

}  // namespace ql
