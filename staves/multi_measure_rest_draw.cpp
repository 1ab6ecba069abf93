// Drawing a multi-measure rest: a thick bar across the middle three quarters of the
// measure's content, centred on the staff's middle line, a short upright stroke at
// each end, and the number of measures it stands for above the staff.
#include <algorithm>
#include <string>
#include <string_view>

#include "core/draw/draw_surface.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"
#include "staves/multi_measure_rest.h"

namespace ql {

namespace {

// Offsets from the staff's bottom line, upward positive, at full size.
constexpr int32_t kBarTopRise = 320 - 8;
constexpr int32_t kBarThickness = 120;
constexpr int32_t kStrokeWidth = 32;
constexpr int32_t kRightStrokeInset = 16;
constexpr int32_t kStaffSpace = 128;
constexpr int32_t kNumberRise = 704;
constexpr int32_t kDigitGap = 48;
constexpr int kDigitGlyphBase = '0';
constexpr int kMostDigits = 4;
constexpr int kDecimal = 10;

struct RestBar {
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
};

// The bar of the measure in the view's current slot: three quarters of the usable
// width W (next slot's x less the trailing margin and trailing space), centred in W.
bool ComputeRestBar(ScoreView* view, RestBar* bar) {
    const ScoreSystem* system = view->currentSystem;
    if (system == nullptr || system->number >= kBeatMapRows) return false;
    const int slot = view->currentMeasure - system->firstMeasure + 1;
    if (slot < 1 || slot >= kLastBeatMapSlot) return false;
    const BeatMap& map = view->beatMap;
    const int cell = BeatMapCell(system->number, slot);
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    const int32_t start = system->x + map.contentX[cell];
    const int32_t end = system->x + map.slotX[cell + 1] - (record != nullptr ? record->trail : 0) -
                        map.trailSpace[cell];
    const int32_t usable = std::max(end - start, 0);
    const int32_t length = usable - usable / 4;
    bar->left = start + (usable - length) / 2;
    bar->right = bar->left + length;
    bar->top = StaffBaseY(view) - Zoomed(view, kBarTopRise);
    return true;
}

void Fill(ScoreView* view, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    gfx::PatternBlit(view->ViewDC, gfx::Rect{left, top, right, bottom}, gfx::RasterOp::PatternCopy);
}

// The count in up to four digits, 48 apart, centred over the bar.
void DrawCount(ScoreView* view, const RestBar& bar, int count) {
    const std::string digits = std::to_string(std::clamp(count, 0, 9999)).substr(0, kMostDigits);
    int32_t width = 0;
    for (char c : digits) width += Zoomed(view, GlyphMetricOf(*view->document, c).advance);
    width += Zoomed(view, kDigitGap) * (static_cast<int32_t>(digits.size()) - 1);
    int32_t x = (bar.left + bar.right) / 2 - width / 2;
    const int32_t y = StaffBaseY(view) - Zoomed(view, kNumberRise);
    for (char c : digits) {
        const int32_t advance = Zoomed(view, GlyphMetricOf(*view->document, c).advance);
        text::TextOutA(view->ViewDC, gfx::Point{x + advance / 2, y}, std::string_view(&c, 1));
        x += advance + Zoomed(view, kDigitGap);
    }
}

}  // namespace

void DrawMultiMeasureRest(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    RestBar bar;
    if (record == nullptr || !ComputeRestBar(view, &bar)) return;
    static_assert(kMostRestCount + 1 < kDecimal * kDecimal * kDecimal * kDecimal);
    const ScopedPaintingGuard painting;
    BeginViewDraw(view);
    if (view->ViewDC) {
        const int32_t thickness = Zoomed(view, kBarThickness);
        Fill(view, bar.left, bar.top, bar.right, bar.top + thickness);
        const int32_t strokeTop = bar.top - Zoomed(view, kStaffSpace);
        const int32_t strokeBottom = strokeTop + Zoomed(view, 2 * kStaffSpace);
        const int32_t stroke = Zoomed(view, kStrokeWidth);
        Fill(view, bar.left, strokeTop, bar.left + stroke, strokeBottom);
        const int32_t rightStroke = bar.right - Zoomed(view, kRightStrokeInset);
        Fill(view, rightStroke - stroke, strokeTop, rightStroke, strokeBottom);
        if (State().drawing.MusicFont) {
            const platform::FontHandle previous = gfx::SelectObject(view->ViewDC, State().drawing.MusicFont);
            const gfx::TextAlign align =
                gfx::SetTextAlign(view->ViewDC, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
            DrawCount(view, bar, record->extra + 1);
            gfx::SetTextAlign(view->ViewDC, align);
            gfx::SelectObject(view->ViewDC, previous);
        }
    }
    EndViewDraw(view);
}

}  // namespace ql
