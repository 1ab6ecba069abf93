// Placement of clefs and key signatures at a measure slot (clef_key_placement.h).
// x comes from the beat map (relative to the slot's opening barline), y from the
// system's staff offsets (each staff's bottom line). The music font draws clefs with
// their baseline on the bottom line and accidentals centred on their line or space.
//
// A clef change is drawn with the 75 % music font and kept on its line: its origin
// moves so that the line it names stays where the full-size clef puts it (origin =
// line + 0.75 x (bottom line - line)).
#include "staves/clef_key_placement.h"

#include <algorithm>

#include "core/draw/glyph_metrics.h"
#include "core/draw/view_drawing.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar_notes.h"
#include "notes/drawing/notation_font.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace {

constexpr int kClefChangeSizeClass = 1;
constexpr int32_t kClefBarlineClearance = 32;  // a quarter space

// Where a staff of the current system stands and which cell of the beat map holds
// the slot.
struct SlotPlace {
    ScoreDocument* document = nullptr;
    int32_t systemX = 0;
    int32_t bottomY = 0;  // the staff's bottom line
    int mapCell = 0;
    int measure = 0;
};

bool FindSlotPlace(ScoreView* view, int staff, int slot, SlotPlace* out) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr)
        return false;
    const ScoreSystem* system = view->currentSystem;
    const uint16_t* offsets = StaffOffsetsOf(system);
    if (offsets == nullptr || staff < 1 || staff > view->document->header.staffCount) return false;
    if (slot < 1 || slot > kLastBeatMapSlot || system->number >= kBeatMapRows) return false;
    out->document = view->document;
    out->systemX = system->x;
    out->bottomY = system->y + offsets[staff];
    out->mapCell = BeatMapCell(system->number, slot);
    out->measure = system->firstMeasure + slot - 1;
    return true;
}

int32_t PositionOffset(const ScoreView* view, int position) {
    return Zoomed(view, position * kUnitsPerStep);
}

int ClefOfCell(ScoreDocument* document, int staff, int measure) {
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    const int clef = cell != nullptr ? CellClef(*cell) : CodeOf(ClefKind::Treble);
    return IsValidClef(clef) ? clef : CodeOf(ClefKind::Treble);
}

// Accidentals [first, end) of `key` under `clef` as `glyph`, from x on.
PlacedKeyRow AccidentalRow(const ScoreView* view, const SlotPlace& place, int clef, int key,
                           uint8_t glyph, NaturalRange range, int32_t x) {
    PlacedKeyRow row;
    const int32_t step = Zoomed(view, EngravingMetricOf(*place.document, EngravingMetric::Keysym));
    for (int i = range.first; i < range.end && row.count < kMaxKeyAccidentals; ++i, x += step) {
        const int32_t y = place.bottomY + PositionOffset(view, KeyAccidentalPosition(clef, key, i));
        row.glyphs[row.count++] = PlacedGlyph{glyph, x, y};
    }
    return row;
}

}  // namespace

PlacedClef PlaceClefAtSystemStart(ScoreView* view, int staff, int slot, int clef) {
    SlotPlace place;
    if (!IsValidClef(clef) || !FindSlotPlace(view, staff, slot, &place)) return {};
    const uint8_t glyph = ClefGlyphOf(clef);
    const int32_t half = Zoomed(view, GlyphMetricOf(*place.document, glyph).halfAdvance);
    PlacedClef out;
    out.found = true;
    out.bottomY = place.bottomY;
    out.at.x = place.systemX + view->beatMap.slotX[place.mapCell] + half;
    out.at.y = place.bottomY + PositionOffset(view, ClefGlyphShift(clef));
    out.at.glyph = clef == CodeOf(ClefKind::Tab) ? 0 : glyph;
    return out;
}

PlacedClef PlaceClefChange(ScoreView* view, int staff, int slot, int clef) {
    SlotPlace place;
    if (!IsValidClef(clef) || !FindSlotPlace(view, staff, slot, &place)) return {};
    const MeasureRecord* record = MeasureRecordOf(place.document, place.measure);
    if (record == nullptr) return {};
    const int32_t room = EngravingMetricOf(*place.document, EngravingMetric::ClefChange);
    PlacedClef out;
    out.found = true;
    out.bottomY = place.bottomY;
    out.sizeClass = kClefChangeSizeClass;
    out.at.x = place.systemX + view->beatMap.contentX[place.mapCell] + record->width +
               record->trail + room / 2;
    // Its ink (a bass clef's dots) keeps a quarter space off the closing barline.
    const uint8_t glyph = ClefGlyphOf(clef);
    if (slot < kLastBeatMapSlot && clef != CodeOf(ClefKind::Tab)) {
        const int32_t inkRight = out.at.x + Zoomed(view, ClefChangeInkRight(*place.document, clef));
        const int32_t barline = place.systemX + view->beatMap.slotX[BeatMapCell(view->currentSystem->number, slot + 1)];
        out.at.x -= std::max(0, inkRight - (barline - Zoomed(view, kClefBarlineClearance)));
    }
    const int32_t line = place.bottomY + PositionOffset(view, ClefReferencePosition(clef));
    out.at.y = line + static_cast<int32_t>((place.bottomY - line) *
                                           SizeClassFactor(kClefChangeSizeClass));
    out.at.glyph = clef == CodeOf(ClefKind::Tab) ? 0 : glyph;
    return out;
}

int32_t ClefChangeInkRight(const ScoreDocument& document, int clef) {
    const GlyphMetricEntry entry = GlyphMetricOf(document, ClefGlyphOf(clef));
    const double factor = SizeClassFactor(kClefChangeSizeClass);
    const auto small = [factor](int32_t v) { return static_cast<int32_t>(v * factor); };
    return small(entry.outline[kOutlineInkLeft] + entry.outline[kOutlineInkWidth]) - small(entry.advance) / 2;
}

PlacedKeyRow PlaceKeySignature(ScoreView* view, int staff, int slot, int key,
                               int previousKeyPlusOne) {
    SlotPlace place;
    if (!IsValidKey(key) || !FindSlotPlace(view, staff, slot, &place)) return {};
    const int clef = ClefOfCell(place.document, staff, place.measure);
    const int32_t slotX = place.systemX + view->beatMap.slotX[place.mapCell];
    if (previousKeyPlusOne > 0) {
        const int oldKey = previousKeyPlusOne - 1;
        return AccidentalRow(view, place, clef, oldKey, kKeyNaturalGlyph,
                             CancelledAccidentals(oldKey, key),
                             slotX + view->beatMap.cancelX[place.mapCell]);
    }
    return AccidentalRow(view, place, clef, key, KeyAccidentalGlyph(key),
                         NaturalRange{0, KeyAccidentalCount(key)},
                         slotX + view->beatMap.keyX[place.mapCell]);
}

namespace {

// The treble staff's top line in a key object's box, and the units of one step.
constexpr int32_t kKeyBoxTopLine = 384;
constexpr int32_t kStepUnits = 64;
constexpr int kTopLinePosition = -8;

void AddKeyRow(PlacedKeyObject* out, int clef, int key, uint8_t glyph, NaturalRange range, int32_t x, int32_t y,
               int32_t distance) {
    for (int i = range.first; i < range.end && out->count < 2 * kMaxKeyAccidentals; ++i, x += distance) {
        const int32_t top = y + kKeyBoxTopLine + (KeyAccidentalPosition(clef, key, i) - kTopLinePosition) * kStepUnits;
        out->glyphs[out->count++] = PlacedGlyph{glyph, x, top};
    }
}

}  // namespace

PlacedKeyObject PlaceKeyAccidentals(int32_t accidentalDistance, int clef, int key, int previousKey, int32_t x,
                                    int32_t y) {
    PlacedKeyObject out;
    if (!IsValidKey(key)) return out;
    if (!IsValidClef(clef)) clef = CodeOf(ClefKind::Treble);
    if (IsValidKey(previousKey)) {
        const NaturalRange naturals = CancelledAccidentals(previousKey, key);
        const int32_t left = x - (naturals.end - naturals.first) * accidentalDistance;
        AddKeyRow(&out, clef, previousKey, kKeyNaturalGlyph, naturals, left, y, accidentalDistance);
    }
    AddKeyRow(&out, clef, key, KeyAccidentalGlyph(key), NaturalRange{0, KeyAccidentalCount(key)}, x, y,
              accidentalDistance);
    return out;
}

}  // namespace ql
