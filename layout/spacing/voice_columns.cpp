// FitVoiceColumns and WidenSpan: widening the stretches in front of chords that
// need room for accidentals, clefs, keys and grace offsets.
#include "layout/spacing/voice_columns.h"

#include <algorithm>
#include <cstddef>

#include "core/draw/glyph_metrics.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/accidental_columns.h"
#include "core/model/engraving_metrics.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/widths/width_support.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

namespace {

constexpr int kMaxCellObjects = 64 * 1024;
// Clef kinds drawn with the C-clef glyph (Soprano, Mezzo Soprano, the Tenor and
// Baritone second forms).
constexpr uint8_t kCClefGlyph = 60;
constexpr uint8_t kSoprano = 10;
constexpr uint8_t kFirstLateCClef = 12;
constexpr uint8_t kLastLateCClef = 14;

int ClefGlyphOf(uint8_t kind) {
    if (kind == kSoprano || (kind >= kFirstLateCClef && kind <= kLastLateCClef)) return kCClefGlyph;
    return kClefGlyphBase + kind;
}

int32_t KeySignatureWidth(const ScoreObject* key) {
    return LoadField<int32_t>(key->BodyBytes() + offsetof(TextObjectBody, width));
}

int32_t GraceOffset(const EventRecord& chord) {
    const auto steps = static_cast<int8_t>(chord.nudge);
    return (chord.time == 0 && steps < 0) ? -steps * kGraceUnitsPerStep : 0;
}

// The first object of a cell's object list, or null.
const ScoreObject* FirstCellObject(const MeasureCell* cell) {
    const ScoreObject* head = cell != nullptr ? cell->objects.get() : nullptr;
    return head != nullptr ? head->next.get() : nullptr;
}

bool IsClefOrKey(const ScoreObject& o) {
    return o.type == TypeCode(ObjectType::Clef) || o.type == TypeCode(ObjectType::KeySignature);
}

}  // namespace

bool CellHasClefOrKey(const MeasureCell* cell) {
    const ScoreObject* o = FirstCellObject(cell);
    for (int i = 0; o != nullptr && i < kMaxCellObjects; ++i, o = o->next.get())
        if (IsClefOrKey(*o)) return true;
    return false;
}

bool VoiceNeedsNoRoom(const EventRecord* first, BlockResolver<EventRecord>& events) {
    // Every event is looked at, not only each chord's first (nor only real ones): more
    // than the fitting reads, so a voice passed here is passed by it too.
    const EventRecord* event = first;
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i) {
        if (NoteHasAccidental(*event) || GraceOffset(*event) != 0) return false;
        event = event->next ? events.Find(event->next) : nullptr;
    }
    return event == nullptr;
}

int32_t ClefOrKeyWidthBetween(ScoreDocument& document, MeasureCell* cell, int after, int before) {
    int32_t keyWidth = 0;
    int32_t clefWidth = -1;
    const ScoreObject* o = FirstCellObject(cell);
    for (int i = 0; o != nullptr && i < kMaxCellObjects; ++i, o = o->next.get()) {
        if (!IsClefOrKey(*o)) continue;
        const bool isClef = o->type == TypeCode(ObjectType::Clef);
        const int tick = SignatureTickOfObject(o);
        if (tick <= after || tick >= before) continue;
        if (isClef)
            clefWidth = std::max(clefWidth,
                                 GlyphMetricOf(document, ClefGlyphOf(ClefKindOfObject(o))).advance);
        else
            keyWidth = std::max(keyWidth, KeySignatureWidth(o));
    }
    return clefWidth >= 0 ? clefWidth : keyWidth;
}

namespace {

struct VoiceFit {
    ScoreView* view;
    ScoreDocument& document;
    ScoreSystem* system;
    int measure;
    int32_t oldWidth;
    bool apply;
    bool needed = false;
};

// The room one chord (`chord` its first note) needs in front of it; 0 when it needs
// nothing.
int32_t RoomNeeded(VoiceFit& fit, EventRecord* chord, int32_t clefOrKey, int* columns) {
    *columns = ChordHasAccidental(chord) ? FitChordAccidentals(fit.document, chord).columns : 0;
    const int32_t grace = GraceOffset(*chord);
    if (*columns == 0 && clefOrKey == 0 && grace == 0) return 0;
    const GlyphWidths& heads = fit.view->glyphWidths;
    return EngravingMetricOf(fit.document, EngravingMetric::Accident) * (*columns + 1) +
           heads.black / 4 + heads.halfBlack + grace + clefOrKey;
}

// A chord after the first column: widens the stretch from the previous chord.
void FitBetween(VoiceFit& fit, int fromTick, int32_t fromX, const EventRecord& chord, int32_t x,
                int32_t needed, int32_t& widening) {
    const int32_t available = std::max(x - fromX, 0);
    if (needed <= available) return;
    fit.needed = true;
    if (!fit.apply) return;
    const int slot = fit.system != nullptr ? fit.measure - fit.system->firstMeasure + 1 : 1;
    fit.view->pointerPoint.x = MeasureSlotX(fit.view, fit.system, slot) + (fromX + x) / 2;
    widening += needed - available;
    WidenSpan(fit.view, fit.measure, fromTick, chord.time, available, needed,
              State().layout.SpreadSpaceChanges == 0);
}

// The chord at tick 0: the measure's lead must hold its signs.
void FitFirst(VoiceFit& fit, MeasureRecord& record, int columns, int32_t clefOrKey,
              int32_t grace) {
    const int32_t lead =
        EngravingMetricOf(fit.document, EngravingMetric::Accident) * columns + clefOrKey + grace;
    if (record.lead >= lead) return;
    fit.needed = true;
    if (fit.apply) record.lead = static_cast<int16_t>(std::min(lead, 32767));
}

}  // namespace

bool FitVoiceColumns(ScoreView* view, EventRecord* first, ScoreSystem* system, int staff,
                     int measure, int32_t oldWidth, int32_t& widening, bool apply) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || first == nullptr) return false;
    MeasureCell* cell = FindMeasureCell(document, staff, measure);
    VoiceFit fit{view, *document, system, measure, oldWidth, apply};
    // The x of a chord is read from the spacing as it stands when the chord is
    // reached, and only a widening changes the spacing (the lead is no part of the
    // stretches): so the previous chord's x is read when a chord needs room, from
    // the spacing as it stands then. The first chord has none before it (0).
    int previousTime = -1;
    EventRecord* chord = first;
    for (int i = 0; chord != nullptr && i < kMaxChainLength; ++i, chord = GetNextChordEvent(chord)) {
        if (IsHeadSentinel(*chord)) continue;
        const int tick = chord->time;
        const int32_t clefOrKey = ClefOrKeyWidthBetween(*document, cell, previousTime, tick);
        int columns = 0;
        int32_t needed = RoomNeeded(fit, chord, clefOrKey, &columns);
        if (needed > 0 && apply && oldWidth > 0)
            needed = static_cast<int32_t>(static_cast<int64_t>(needed) * (oldWidth + widening) / oldWidth);
        if (needed > 0 && tick > 0) {
            const int32_t previousX = previousTime >= 0 ? SpacingTickX(*record, previousTime) : 0;
            FitBetween(fit, std::max(previousTime, 0), previousX, *chord, SpacingTickX(*record, tick),
                       needed, widening);
        } else if (needed > 0) {
            FitFirst(fit, *record, columns, clefOrKey, GraceOffset(*chord));
        }
        if (fit.needed && !apply) break;  // a probe has its answer
        previousTime = tick;
    }
    return fit.needed;
}

void WidenSpan(ScoreView* view, int measure, int from, int to, int32_t current, int32_t needed,
               bool rescale) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || to <= from) return;
    const int32_t previousWidth = record->width;
    SpacingEntry span{};
    span.time = static_cast<uint16_t>(from);
    span.ticksToNext = static_cast<uint16_t>(std::min(to - from, 0xFFFF));
    span.xPer16Ticks =
        ClampSpacingValue(static_cast<int64_t>(needed) * kTicksPerSpacingValue / (to - from));
    SetSpanSpacing(document, measure, span, current, needed);
    RebuildMeasureSlot(view, measure);
    if (!rescale) return;
    SetMeasureWidth(document, view, measure, previousWidth);
    RebuildMeasureSlot(view, measure);
}

}  // namespace ql
