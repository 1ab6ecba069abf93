// The size classes of the music font while notes are drawn: computing a class's
// state, switching to it and back.
#include "notes/drawing/notation_font.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/model/engraving_metrics.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

constexpr double kPetiteFactor = 0.75;
constexpr double kGraceFactor = 0.65;
constexpr int kQuarterShift = 2;
constexpr int32_t kSmallestNormalQuarter = 2;  // a quarter width below this is 1
constexpr int kPetiteWidthsIndex = 0;          // view->smallGlyphWidths
constexpr int kGraceWidthsIndex = 1;
constexpr int kDevicePixelsOfThinnestBeam = 2;

uint16_t Word(int32_t v) {
    return static_cast<uint16_t>(std::clamp<int32_t>(v, 0, UINT16_MAX));
}

int32_t DocumentMetric(const ScoreView* view, EngravingMetric metric) {
    return view->document != nullptr ? EngravingMetricOf(*view->document, metric) : 0;
}

platform::FontHandle ClassFont(int sizeClass) {
    const DrawingGlobals& d = State().drawing;
    if (sizeClass == static_cast<int>(NoteSizeClass::Petite)) return d.MusicFont75;
    if (sizeClass == static_cast<int>(NoteSizeClass::Grace)) return d.MusicFont65;
    return d.MusicFont;
}

void FillNormal(const ScoreView* view, NotationFontState& s) {
    const ScaledMetrics& m = view->scaledMetrics;
    const double scale = ViewScale(view);
    s.beamThickness = Word(ScaledValue(DocumentMetric(view, EngravingMetric::BeamWid), scale));
    s.beamSeparation = Word(DocumentMetric(view, EngravingMetric::BeamSep));
    s.breveWidth = Word(m.breveWidth);
    s.wholeWidth = Word(m.wholeWidth);
    s.halfWidth = Word(m.halfWidth);
    s.blackWidth = Word(m.blackWidth);
    s.dotGap = Word(m.halfBlackWidth);
    const int32_t quarter = ScaledValue(view->glyphWidths.black >> kQuarterShift, scale);
    s.quarterBlackWidth = Word(quarter < kSmallestNormalQuarter ? 1 : quarter);
}

// Petite and grace: widths from the view's small head widths, beams by the factor.
void FillSmall(const ScoreView* view, int sizeClass, NotationFontState& s) {
    const bool petite = sizeClass == static_cast<int>(NoteSizeClass::Petite);
    const double factor = petite ? kPetiteFactor : kGraceFactor;
    const double scale = ViewScale(view);
    const GlyphWidths& w = view->smallGlyphWidths[petite ? kPetiteWidthsIndex : kGraceWidthsIndex];
    const int32_t beamWidth = DocumentMetric(view, EngravingMetric::BeamWid);
    const int32_t base = petite ? ScaledValue(beamWidth, scale) : beamWidth;
    const int32_t thinnest = kDevicePixelsOfThinnestBeam * view->PixelUnitsY;
    s.beamThickness = Word(std::max(static_cast<int32_t>(base * factor), thinnest));
    s.beamSeparation = Word(
        std::max(static_cast<int32_t>(DocumentMetric(view, EngravingMetric::BeamSep) * factor), 1));
    s.breveWidth = Word(ScaledValue(w.breve, scale));
    s.wholeWidth = Word(ScaledValue(w.whole, scale));
    s.halfWidth = Word(ScaledValue(w.half, scale));
    s.blackWidth = Word(ScaledValue(w.black, scale));
    s.dotGap = Word(ScaledValue(w.halfBlack, scale));
    s.quarterBlackWidth = Word(std::max(ScaledValue(w.black >> kQuarterShift, scale), 1));
}

void SelectIntoSurface(ScoreView* view, platform::FontHandle font, platform::FontHandle* replaced) {
    if (!view->ViewDC || !font) return;
    platform::FontHandle previous = gfx::SelectObject(view->ViewDC, font);
    if (platform::DcHandle companion = CompanionContext(view)) gfx::SelectObject(companion, font);
    if (replaced != nullptr) *replaced = previous;
}

void PutWidthsIntoView(ScoreView* view, const NotationFontState& s) {
    ScaledMetrics& m = view->scaledMetrics;
    m.breveWidth = s.breveWidth;
    m.wholeWidth = s.wholeWidth;
    m.halfWidth = s.halfWidth;
    m.blackWidth = s.blackWidth;
    m.halfBlackWidth = s.dotGap;
    m.quarterBlackWidth = s.quarterBlackWidth;
}

}  // namespace

double SizeClassFactor(int sizeClass) {
    if (sizeClass == static_cast<int>(NoteSizeClass::Petite)) return kPetiteFactor;
    if (sizeClass == static_cast<int>(NoteSizeClass::Grace)) return kGraceFactor;
    return 1.0;
}

NotationFontState ComputeNotationFontState(const ScoreView* view, int sizeClass) {
    NotationFontState s;
    if (sizeClass < 0 || sizeClass >= kSizeClassCount) sizeClass = 0;
    s.font = ClassFont(sizeClass);
    s.sizeClass = static_cast<uint16_t>(sizeClass);
    if (sizeClass == static_cast<int>(NoteSizeClass::Normal))
        FillNormal(view, s);
    else
        FillSmall(view, sizeClass, s);
    return s;
}

const NotationFontState& CurrentNotationFont() {
    return State().notes.NotationFont;
}

void EstablishNotationFont(ScoreView* view) {
    NotationFontState& current = State().notes.NotationFont;
    const uint16_t nesting = current.nesting;
    current = ComputeNotationFontState(view, static_cast<int>(NoteSizeClass::Normal));
    current.nesting = nesting;
}

int SelectNotationFont(ScoreView* view, int sizeClass, NotationFontState* save) {
    NotationFontState& current = State().notes.NotationFont;
    if (save != nullptr) *save = current;
    if (sizeClass < 0 || sizeClass >= kSizeClassCount || sizeClass == current.sizeClass) return 0;
    NotationFontState next = ComputeNotationFontState(view, sizeClass);
    next.nesting = static_cast<uint16_t>(current.nesting + 1);
    ApplyNotationFontState(view, next);
    return 1;
}

void RestoreNotationFont(ScoreView* view, const NotationFontState* save) {
    if (save == nullptr) return;
    NotationFontState& current = State().notes.NotationFont;
    const uint16_t nesting = current.nesting;
    current = *save;
    current.nesting = nesting;
    if (!save->font) return;
    PutWidthsIntoView(view, *save);
    SelectIntoSurface(view, save->font, nullptr);
}

void ApplyNotationFontState(ScoreView* view, const NotationFontState& state) {
    if (!state.font || state.beamThickness == 0 || state.beamSeparation == 0) return;
    NotationFontState& current = State().notes.NotationFont;
    current = state;
    PutWidthsIntoView(view, state);
    SelectIntoSurface(view, state.font, &current.previousFont);
}

}  // namespace ql
