// Staff-size scaling: the view's scale and metric set, and the program-wide
// cache of music fonts per scale.
#include "core/draw/staff_scaling.h"

#include "core/model/document.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/state.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"

namespace ql {

namespace {

constexpr int32_t kFineUnit = 32;
constexpr int32_t kUnit256 = 256;
constexpr int32_t kUnit384 = 384;
constexpr int kQuarterShift = 2;

int32_t AtLeastOne(int32_t value) {
    return value < 1 ? 1 : value;
}

void DeleteEntryFonts(ScaledFontEntry* entry) {
    for (platform::FontHandle* font :
         {&entry->musicFont, &entry->musicFont75, &entry->musicFont65}) {
        if (*font) text::DeleteFont(*font);
        *font = {};
    }
}

ScaledFontEntry* EnsureCacheHead() {
    DrawingGlobals& d = State().drawing;
    if (!d.ScaledFontCache) {
        d.ScaledFontCache = new ScaledFontEntry{};
        d.ScaledFontCache->musicFont = d.MusicFont;
        d.ScaledFontCache->musicFont75 = d.MusicFont75;
        d.ScaledFontCache->musicFont65 = d.MusicFont65;
    }
    return d.ScaledFontCache;
}

// Makes the three current music fonts those of an entry and selects the full
// size into the open surface.
void UseEntryFonts(ScoreView* view, const ScaledFontEntry& entry) {
    DrawingGlobals& d = State().drawing;
    d.MusicFont = entry.musicFont;
    d.MusicFont75 = entry.musicFont75;
    d.MusicFont65 = entry.musicFont65;
    if (!view || !view->ViewDC || !d.MusicFont) return;
    gfx::SelectObject(view->ViewDC, d.MusicFont);
    if (platform::DcHandle companion = CompanionContext(view))
        gfx::SelectObject(companion, d.MusicFont);
}

void RefreshGlyphDrawState(const ScoreView* view) {
    DrawingGlobals& d = State().drawing;
    GlyphDrawState& g = d.glyphDrawState;
    if (g.lock != 0) return;
    const ScaledMetrics& m = view->scaledMetrics;
    g = GlyphDrawState{};
    g.musicFont = d.MusicFont.bits;
    g.lengthB = static_cast<int16_t>(m.lengthB);
    g.lengthA = static_cast<int16_t>(view->LineWidth);
    g.breveWidth = static_cast<int16_t>(m.breveWidth);
    g.wholeWidth = static_cast<int16_t>(m.wholeWidth);
    g.halfWidth = static_cast<int16_t>(m.halfWidth);
    g.blackWidth = static_cast<int16_t>(m.blackWidth);
    g.halfBlackWidth = static_cast<int16_t>(m.halfBlackWidth);
    g.quarterBlackWidth = static_cast<int16_t>(m.quarterBlackWidth);
}

void DropStyleFonts(ScoreDocument* document) {
    if (!document) return;
    for (int i = kFirstDocumentStyle; i < kScoreFontCount; ++i) {
        QuickFontRecord& style = document->fonts[i];
        if (style.handle) text::DeleteFont(platform::FontHandle{style.handle});
        style.handle = 0;
    }
}

}  // namespace

uint8_t StaffSizePercent(const StaffRecord& staff) {
    return staff.staffData22[kStaffSizeByte];
}

void SetStaffSizePercent(StaffRecord& staff, uint8_t percent) {
    staff.staffData22[kStaffSizeByte] = percent;
}

int32_t ScaledValue(int32_t base, double scale) {
    return scale != 0.0 ? static_cast<int32_t>(base * scale) : base;
}

ScaledMetrics ComputeScaledMetrics(const ScoreView* view, double scale) {
    const GlyphWidths& w = view->glyphWidths;
    ScaledMetrics m;
    m.staffHeight = ScaledValue(kFiveLineStaffUnits, scale);
    m.staffSpace = ScaledValue(kUnitsPerStaffSpace, scale);
    m.staffStep = ScaledValue(kUnitsPerStaffStep, scale);
    m.fineUnit = AtLeastOne(ScaledValue(kFineUnit, scale));
    m.unit256 = ScaledValue(kUnit256, scale);
    m.unit384 = ScaledValue(kUnit384, scale);
    m.breveWidth = ScaledValue(w.breve, scale);
    m.wholeWidth = ScaledValue(w.whole, scale);
    m.halfWidth = ScaledValue(w.half, scale);
    m.blackWidth = ScaledValue(w.black, scale);
    m.halfBlackWidth = ScaledValue(w.halfBlack, scale);
    m.quarterBlackWidth = AtLeastOne(ScaledValue(w.black >> kQuarterShift, scale));
    m.lengthA = ScaledValue(view->LineWidth, scale);
    m.lengthB = ScaledValue(view->LineWidth2, scale);
    m.halfLengthB = AtLeastOne(ScaledValue(view->LineWidth2 >> 1, scale));
    m.pixelUnitsX = ScaledValue(view->PixelUnitsX, scale);
    m.pixelUnitsY = ScaledValue(view->PixelUnitsY, scale);
    return m;
}

void SetViewScale(ScoreView* view, double scale) {
    if (scale != ViewScale(view)) DropStyleFonts(view->document);
    ViewScale(view) = 0.0;
    view->scaledMetrics = ComputeScaledMetrics(view, 0.0);
    if (ScaledFontEntry* head = State().drawing.ScaledFontCache) UseEntryFonts(view, *head);
    RefreshGlyphDrawState(view);
}

int SelectStaffScaledFonts(ScoreView* view, int staff) {
    constexpr int kNotSwitched = 1;
    constexpr int32_t kFullHeight = -kFiveLineStaffUnits;
    DrawingGlobals& d = State().drawing;
    if (!d.MusicFont || !view->document) return kNotSwitched;
    EnsureCacheHead();
    const StaffRecord* record = StaffRecordOf(view->document, staff);
    uint8_t percent = record ? StaffSizePercent(*record) : 0;
    double scale = percent * kPercent;
    SetViewScale(view, scale);
    bool masterPage = view->currentPage && view->currentPage->pageNumber < 0;
    if (masterPage || percent == 0) return kNotSwitched;
    ViewScale(view) = scale;
    int32_t height = static_cast<int32_t>(scale * kFullHeight);
    ScaledFontEntry* entry =
        LookupScaledFonts(d.ScaledFontCache, d.MusicFontTemplate, scale, height);
    if (!entry) {
        ViewScale(view) = 0.0;
        return kNotSwitched;
    }
    UseEntryFonts(view, *entry);
    view->scaledMetrics = ComputeScaledMetrics(view, scale);
    RefreshGlyphDrawState(view);
    return 0;
}

ScaledFontEntry* LookupScaledFonts(ScaledFontEntry* cache, const text::LogicalFont& tmpl,
                                   double scale, int32_t height) {
    if (!cache) return nullptr;
    for (ScaledFontEntry* entry = cache->next; entry; entry = entry->next)
        if (entry->scale == scale) return entry;
    auto* entry = new ScaledFontEntry{};
    entry->scale = scale;
    text::LogicalFont request = tmpl;
    request.height = height;
    entry->musicFont = CreateFontChecked(&request);
    request.height = SmallFontHeight(height, kMusicFont75Fraction);
    entry->musicFont75 = CreateFontChecked(&request);
    request.height = SmallFontHeight(height, kMusicFont65Fraction);
    entry->musicFont65 = CreateFontChecked(&request);
    if (!entry->musicFont || !entry->musicFont75 || !entry->musicFont65) {
        DeleteEntryFonts(entry);
        delete entry;
        return nullptr;
    }
    entry->next = cache->next;
    cache->next = entry;
    return entry;
}

void ReleaseDrawingGlobals(int freeHead) {
    DrawingGlobals& d = State().drawing;
    ScaledFontEntry* head = d.ScaledFontCache;
    if (!head) return;
    UseEntryFonts(nullptr, *head);
    while (ScaledFontEntry* entry = head->next) {
        head->next = entry->next;
        DeleteEntryFonts(entry);
        delete entry;
    }
    if (freeHead) {
        delete head;  // its fonts are the start-up fonts, deleted by their owner
        d.ScaledFontCache = nullptr;
    }
}

void ReleaseViewFonts(ScoreView* view, int freeHead) {
    SetViewScale(view, 0.0);
    ReleaseDrawingGlobals(freeHead);
}

int ScaledFontEntryCount() {
    const ScaledFontEntry* head = State().drawing.ScaledFontCache;
    int count = 0;
    for (const ScaledFontEntry* entry = head ? head->next : nullptr; entry; entry = entry->next)
        ++count;
    return count;
}

}  // namespace ql
