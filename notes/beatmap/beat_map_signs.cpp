// Widths the start-of-measure layout reads: barline thicknesses and sign gaps from
// the document's engraving metrics, and clef and accidental widths from the music
// font's glyph table (advances, in view units at full staff size); the time
// signature takes the room of its numbers, or of its symbol where it has one.
// Also the checked access to a slot's tick array and the measures a build reaches.
#include <algorithm>

#include "core/draw/glyph_metrics.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/signature_fields.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/time_signature.h"

namespace ql::beatmap {

namespace {

// A thick barline thinner than this is taken as kDefaultThickBar.
constexpr int32_t kThinnestThickBar = 8;
constexpr int32_t kDefaultThickBar = 32;
// Clef kinds from Soprano on are drawn with the alto glyph (the TAB sign too, for
// its width).
constexpr uint8_t kAltoClefGlyph = kClefGlyphBase + CodeOf(ClefKind::Alto);
constexpr int kFirstAltoGlyphKind = CodeOf(ClefKind::Soprano);
// Accidental glyphs: 217 + AccidentalCode.
constexpr int kAccidentalGlyphBase = 217;

int32_t Advance(const ScoreDocument& document, int code) {
    return GlyphMetricOf(document, code).advance;
}

int ClefGlyphOf(int kind) {
    if (!IsValidClef(kind)) kind = CodeOf(ClefKind::Treble);
    return kind >= kFirstAltoGlyphKind ? kAltoClefGlyph : kClefGlyphBase + kind;
}

}  // namespace

SlotArray SlotArrayOf(const BeatMap& map, int cell) {
    if (cell < 0 || cell >= kBeatMapCells) return {};
    const BeatMapTicks ticks = map.tickX[cell];
    if (ticks.row >= kBeatMapRows || !map.rowBuffers[ticks.row]) return {};
    const uint32_t count = SlotEntryCount(map.slotTicks[cell]);
    const uint64_t capacity = map.rowCapacity[ticks.row] / sizeof(uint16_t);
    if (count == 0 || uint64_t{ticks.first} + count > capacity) return {};
    return SlotArray{map.rowBuffers[ticks.row].get() + ticks.first, count};
}

int LastReachableMeasure(const ScoreDocument& document) {
    return std::min<int>(document.header.measureCount + kSpareMeasures, MaxMeasures - 1);
}

int RowLengthOfMeasure(ScoreDocument* document, int measure) {
    const MeasureRecord* record =
        MeasureRecordOf(document, std::min<int>(measure, document->header.measureCount));
    return record != nullptr ? record->lengthTicks : 0;
}

SignWidths ReadSignWidths(const ScoreDocument& document) {
    SignWidths widths;
    widths.thickBar = EngravingMetricOf(document, EngravingMetric::ThickBarline);
    if (widths.thickBar < kThinnestThickBar) widths.thickBar = kDefaultThickBar;
    widths.halfThinBar = EngravingMetricOf(document, EngravingMetric::BarLineWid) / 2;
    widths.doubleGap = EngravingMetricOf(document, EngravingMetric::BetweenDouble);
    widths.clefGap = EngravingMetricOf(document, EngravingMetric::Clef);
    widths.keyIndent = EngravingMetricOf(document, EngravingMetric::Key);
    widths.accidentalStep = EngravingMetricOf(document, EngravingMetric::Keysym);
    widths.accidentalWidth = 0;
    for (AccidentalCode code :
         {AccidentalCode::Sharp, AccidentalCode::Flat, AccidentalCode::Natural})
        widths.accidentalWidth = std::max(widths.accidentalWidth,
                                          Advance(document, kAccidentalGlyphBase + CodeOf(code)));
    widths.timeGap = EngravingMetricOf(document, EngravingMetric::Time);
    widths.systemStartGap = EngravingMetricOf(document, EngravingMetric::SigMeasureExtra);
    widths.clefChange = EngravingMetricOf(document, EngravingMetric::ClefChange);
    return widths;
}

int32_t StartClefWidth(RowCells& cells, int measure) {
    int32_t widest = 0;
    const CellSigns* at = cells.Staves(measure);
    for (int i = 0; i < cells.staffCount(); ++i) {
        const int kind = at[i].present ? at[i].clef : CodeOf(ClefKind::Treble);
        widest = std::max(widest, Advance(*cells.document(), ClefGlyphOf(kind)));
    }
    return widest;
}

int32_t TimeSignatureWidth(RowCells& cells, int measure) {
    const CellSigns cell = cells.Signs(1, measure);
    if (!cell.present) return 0;
    return TimeSignatureRoom(*cells.document(), cell.beats, cell.beatUnit);
}

}  // namespace ql::beatmap
