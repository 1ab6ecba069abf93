// Barlines of the staff grid. A measure's barline byte carries two kinds: the low
// nibble is drawn where the measure starts inside a system, the high nibble where a
// system opens with it. The byte is normalised for the measure's place before it is
// drawn, so that a combined repeat at a system break is drawn as an end repeat closing
// the first system and a start repeat opening the next, and so that moving the break
// moves the signs with it. Normalising is idempotent for each place.
//
// Strokes of each kind, with W the thin width, T the thick width, G the gap of a
// double barline and h = W / 2, by left edge from the barline's x:
//   0 single: W at x             1 double: W at x - G, W at x
//   2 begin section: T at x - G - h - T, W at x - h - W      4 thick: T at x - T
//   3 end section: W at c = x - G - h - T + 8, T at c + G
//   5 start repeat: as 2, dots at x - h - W + 96
//   6 end repeat: as 3, dots at c - 96
//   7 both repeats: as 6, then W at d = x + G + h - 8, dots at d + h + 96
//   8 dotted: a dotted pen line of width W at x - W / 2
#include <utility>

#include "core/draw/colour_sets.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/state.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "platform/gfx/dc.h"

namespace ql {

using namespace sysdraw;

namespace {

constexpr uint8_t kSingle = 0;
constexpr uint8_t kDouble = 1;
constexpr uint8_t kBeginSection = 2;
constexpr uint8_t kEndSection = 3;
constexpr uint8_t kThick = 4;
constexpr uint8_t kStartRepeat = 5;
constexpr uint8_t kEndRepeat = 6;
constexpr uint8_t kBothRepeats = 7;
constexpr uint8_t kDotted = 8;
constexpr uint8_t kLastKind = kDotted;
constexpr int kNibbleShift = 4;
constexpr uint8_t kNibbleMask = 0x0F;

// A thick width or a gap below this is taken as the default.
constexpr int32_t kThinnestMetric = 8;
constexpr int32_t kDefaultMetric = 32;
// Offsets of the section strokes and the repeat dots.
constexpr int32_t kSectionInset = 8;
constexpr int32_t kDotsDistance = 96;
// The dotted barline stops this far short of the group's ends.
constexpr int32_t kDottedInset = 32;
constexpr int kOneStaffScore = 1;
constexpr int kFirstMeasure = 1;
constexpr uint8_t kNoOpeningSigns = kSystemStaffNoClef | kSystemStaffNoKey | kSystemStaffNoTime;

bool IsSection(uint8_t kind) {
    return kind == kBeginSection || kind == kStartRepeat;
}
bool IsClosing(uint8_t kind) {
    return kind == kEndSection || kind == kEndRepeat;
}

struct BarWidths {
    int32_t thin = 0;
    int32_t thick = 0;
    int32_t gap = 0;
    int32_t half = 0;
};

int32_t MetricOrDefault(const ScoreDocument& document, EngravingMetric metric) {
    const int32_t value = EngravingMetricOf(document, metric);
    return value < kThinnestMetric ? kDefaultMetric : value;
}

BarWidths WidthsOf(const Grid& grid) {
    BarWidths w;
    w.thin = Scaled(grid.view, grid.view->LineWidth2);
    w.thick = Scaled(grid.view, MetricOrDefault(*grid.document, EngravingMetric::ThickBarline));
    w.gap = Scaled(grid.view, MetricOrDefault(*grid.document, EngravingMetric::BetweenDouble));
    w.half = w.thin / 2;
    return w;
}

// Repeat dots centred at x on the staff's y.
void DrawDots(const Grid& grid, int staff, int32_t x) {
    const gfx::TextAlign saved =
        gfx::SetTextAlign(grid.view->ViewDC, gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
    InkGlyph(grid.view, kRepeatDotsGlyph, x, StaffY(grid, staff));
    gfx::SetTextAlign(grid.view->ViewDC, saved);
}

// The strokes of the section and repeat kinds that end a passage (3, 6, 7).
int32_t DrawClosingStrokes(const Grid& grid, const BarWidths& w, int32_t x, int32_t top,
                           int32_t bottom) {
    const int32_t c = x - w.gap - w.half - w.thick + Scaled(grid.view, kSectionInset);
    DrawBarStroke(grid.view, w.thin, c, top, bottom);
    DrawBarStroke(grid.view, w.thick, c + w.gap, top, bottom);
    return c;
}

// The repeat dots of a kind at the staff's y, where DrawBarKind puts them.
void DrawKindDots(const Grid& grid, int staff, uint8_t kind, int32_t x) {
    const BarWidths w = WidthsOf(grid);
    const int32_t dots = Scaled(grid.view, kDotsDistance);
    const int32_t c = x - w.gap - w.half - w.thick + Scaled(grid.view, kSectionInset);
    if (kind == kStartRepeat) DrawDots(grid, staff, x - w.half - w.thin + dots);
    if (kind == kEndRepeat || kind == kBothRepeats) DrawDots(grid, staff, c - dots);
    if (kind == kBothRepeats)
        DrawDots(grid, staff, x + w.gap + w.half - Scaled(grid.view, kSectionInset) + w.half + dots);
}

// With `strokes` false only the repeat dots are drawn (a staff inside a barline group
// whose strokes its top staff draws).
void DrawBarKind(const Grid& grid, int staff, uint8_t kind, int32_t x, int32_t top,
                 int32_t bottom, bool strokes) {
    ScoreView* view = grid.view;
    if (!strokes) {
        DrawKindDots(grid, staff, kind, x);
        return;
    }
    const BarWidths w = WidthsOf(grid);
    const int32_t dots = Scaled(view, kDotsDistance);
    switch (kind) {
        case kDouble:
            DrawBarStroke(view, w.thin, x - w.gap, top, bottom);
            DrawBarStroke(view, w.thin, x, top, bottom);
            return;
        case kBeginSection:
        case kStartRepeat:
            DrawBarStroke(view, w.thick, x - w.gap - w.half - w.thick, top, bottom);
            DrawBarStroke(view, w.thin, x - w.half - w.thin, top, bottom);
            if (kind == kStartRepeat) DrawDots(grid, staff, x - w.half - w.thin + dots);
            return;
        case kEndSection: DrawClosingStrokes(grid, w, x, top, bottom); return;
        case kThick: DrawBarStroke(view, w.thick, x - w.thick, top, bottom); return;
        case kEndRepeat:
        case kBothRepeats: {
            const int32_t c = DrawClosingStrokes(grid, w, x, top, bottom);
            DrawDots(grid, staff, c - dots);
            if (kind == kEndRepeat) return;
            const int32_t d = x + w.gap + w.half - Scaled(view, kSectionInset);
            DrawBarStroke(view, w.thin, d, top, bottom);
            DrawDots(grid, staff, d + w.half + dots);
            return;
        }
        case kDotted: {
            const int32_t inset = Scaled(view, kDottedInset);
            InkDottedLine(view, x - w.thin / 2, top + inset, x - w.thin / 2, bottom - inset, w.thin);
            return;
        }
        default: DrawBarStroke(view, w.thin, x, top, bottom); return;
    }
}

// The plain stroke at a system's left edge is left out for a one-staff score whose
// first measure hides it, and where the staff has no signs at the system's start.
bool HasLeftEdgeStroke(const Grid& grid, int staff) {
    const MeasureRecord* first = MeasureRecordOf(grid.document, kFirstMeasure);
    if (grid.staffCount == kOneStaffScore && first != nullptr &&
        (first->flags & kMeasureLeftBarHidden) != 0)
        return false;
    return (SystemStaffFlags(grid, staff) & kNoOpeningSigns) != kNoOpeningSigns;
}

void DrawOpeningBarline(const Grid& grid, int staff, const MeasureRecord& measure, int32_t x,
                        int32_t top, int32_t bottom, bool strokes) {
    const BarWidths w = WidthsOf(grid);
    if (strokes && HasLeftEdgeStroke(grid, staff)) DrawBarStroke(grid.view, w.thin, x, top, bottom);
    uint8_t kind = static_cast<uint8_t>(measure.barline >> kNibbleShift);
    if (kind == kBothRepeats) kind = kStartRepeat;
    if (kind != kDouble && kind != kBeginSection && kind != kThick && kind != kStartRepeat &&
        kind != kDotted)
        return;
    const int32_t opening = OpeningContentX(grid) - measure.lead + kLineSpacing;
    DrawBarKind(grid, staff, kind, opening, top, bottom, strokes);
}

}  // namespace

uint8_t NormalizedBarlineByte(uint8_t byte, int measure, int position) {
    uint8_t lo = byte & kNibbleMask;
    uint8_t hi = byte >> kNibbleShift;
    if (lo == 0 && hi == 0) return byte;
    if (lo > kLastKind) lo = kSingle;
    if (hi > kLastKind) hi = kSingle;
    const auto pack = [](uint8_t low, uint8_t high) {
        return static_cast<uint8_t>(low | (high << kNibbleShift));
    };
    if (measure == kFirstMeasure) {
        if (IsClosing(hi)) hi = kSingle;
        if (hi == kBothRepeats) hi = kStartRepeat;
        return pack(kSingle, hi);
    }
    // A closing kind belongs before the measure: in the inner nibble. The rules below
    // still apply to what this leaves (a closing kind never moves back out).
    if (IsClosing(hi)) {
        std::swap(lo, hi);
        if (IsClosing(hi)) hi = kSingle;
    }
    // A combined repeat is settled before a section start moves past the system's end.
    if (lo == kBothRepeats || hi == kBothRepeats || (lo == kEndRepeat && hi == kStartRepeat)) {
        return position != kInsideSystem ? pack(kEndRepeat, kStartRepeat) : pack(kBothRepeats, kSingle);
    }
    if (position == kSystemEnd && IsSection(lo)) {
        std::swap(lo, hi);
        if (IsSection(lo)) lo = kSingle;
        return pack(lo, hi);
    }
    // A section start moves to the nibble of its place unless that nibble already
    // holds a section start or a closing kind (swapping those back and forth would
    // never settle).
    const bool toInner = position == kInsideSystem && IsSection(hi) && !IsSection(lo) && !IsClosing(lo);
    const bool toOpening = position != kInsideSystem && IsSection(lo) && !IsSection(hi);
    if (toInner || toOpening) std::swap(lo, hi);
    return pack(lo, hi);
}

void NormalizeBarlineCodes(ScoreView* view, int measure) {
    Grid grid;
    if (!OpenGrid(view, &grid)) return;
    MeasureRecord* record = MeasureRecordOf(grid.document, measure);
    if (record == nullptr) return;
    record->barline = NormalizedBarlineByte(record->barline, measure, PositionOfMeasure(grid, measure));
}

void DrawBarline(ScoreView* view, int staff, int measure, int32_t x, int32_t top, int32_t bottom) {
    DrawBarlinePart(view, staff, measure, x, top, bottom, true);
}

void sysdraw::DrawBarlinePart(ScoreView* view, int staff, int measure, int32_t x, int32_t top,
                     int32_t bottom, bool strokes) {
    Grid grid;
    if (!OpenGrid(view, &grid) || !view->ViewDC) return;
    const MeasureRecord* record = MeasureRecordOf(grid.document, measure);
    if (record == nullptr) return;
    if (record->barline != 0) NormalizeBarlineCodes(view, measure);
    const int position = PositionOfMeasure(grid, measure);
    const uint8_t hiddenBit = position == kSystemStart ? kOpeningBarlineHidden : kMeasureBarlineHidden;
    const bool hidden = (record->flags & hiddenBit) != 0;
    if (hidden && !ShowsHiddenItems()) return;
    if (hidden) BeginHighlightDrawAlt(view);
    if (position == kSystemStart)
        DrawOpeningBarline(grid, staff, *record, x, top, bottom, strokes);
    else
        DrawBarKind(grid, staff, record->barline & kNibbleMask, x, top, bottom, strokes);
    if (hidden) EndHighlightDraw(view);
}

}  // namespace ql
