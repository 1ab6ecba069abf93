// The marks of a note, in drawing order: augmentation dots (note_dots.cpp), the
// staccato and legato marks of its chord, the tie-continuation sign, the accidental
// and the objects attached to the note. A hidden head's marks are dimmed; a fully
// hidden note (head and stem hidden) draws none unless hidden items are shown.
//
// Staccato and legato stand on the head side of the chord (below it with the stem up,
// above with it down), 128 from the chord's end note, 192 from a note on a line inside
// the staff; or, in several voices, voices 1-2 above and 3-4 below, at the stem end
// when that side is the stem's: 96 beyond the stem end, snapped to a whole step and
// moved off a line inside the staff. A staccato beside a legato goes further out.
#include <cstddef>
#include <cstdlib>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/ink_tag.h"
#include "core/draw/glyph_metrics.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "notes/accidentals/accidental.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/ties/tie_lookup.h"
#include "platform/gfx/objects.h"

namespace ql::notedraw {

namespace {

constexpr uint8_t kStaccatoGlyph = 140;
constexpr uint8_t kLegatoGlyph = 249;
constexpr uint8_t kTieArcAbove = 234;
constexpr uint8_t kTieArcBelow = 235;
constexpr int32_t kTieArcLeft = 256;  // two spaces left of the note
constexpr int32_t kTieArcRise = 32;   // a quarter space
constexpr int32_t kMarkDistance = 128;
constexpr int32_t kMarkDistanceOnLine = 192;
constexpr int32_t kStemEndGap = 96;
constexpr int32_t kNearStaccatoGap = 96;
constexpr int32_t kFarStaccatoGap = 128;
constexpr int kLowMarkLimit = -3;   // below: staccato 96 further for positions above it
constexpr int kHighMarkLimit = -5;  // above: 96 further for positions below it
constexpr int32_t kHalfStep = kUnitsPerStaffStep / 2;
constexpr int32_t kQuarterSpace = kUnitsPerStaffSpace / 4;
constexpr uint8_t kRepeatEnd = static_cast<uint8_t>(BarlineType::EndRepeat);
constexpr uint8_t kRepeatBoth = static_cast<uint8_t>(BarlineType::BothRepeats);
constexpr int kMaxAttachments = 256;
constexpr int kAttachmentPools[] = {kTextObjectPool, kLargeObjectPool, kSmallObjectPool,
                                    kRootObjectPool};

// Where the chord's staccato and legato go.
struct MarkPlace {
    bool below = false;
    bool atStemEnd = false;
};

MarkPlace PlaceOfMarks(const ScoreView* view, bool up) {
    if (IsSingleVoiceLayout(view)) return MarkPlace{up, false};
    constexpr int kLastUpperVoice = 1;
    if (ActiveVoiceOfMask(view->voiceMask) <= kLastUpperVoice) return MarkPlace{false, up};
    return MarkPlace{true, !up};
}

struct MarkYs {
    int32_t legato = 0;
    int32_t staccato = 0;
    int32_t legatoShift = 0;  // horizontal, toward the stem
};

MarkYs HeadSideYs(const ScoreView* view, const EventRecord& end, bool below, bool both) {
    const StaffLines lines = StaffLinesOf(view);
    const int p = NotePosition(end);
    const int sign = below ? 1 : -1;
    const bool inside = below ? p < lines.bottom : p > lines.top;
    const int32_t distance = (p % 2 == 0 && inside) ? kMarkDistanceOnLine : kMarkDistance;
    int32_t further = 0;
    if (both) {
        const bool near = below ? p > kLowMarkLimit : p < kHighMarkLimit;
        further = near ? kNearStaccatoGap : kFarStaccatoGap;
    }
    MarkYs ys;
    ys.legato = NoteY(view, p) + ZoomX(view, sign * distance);
    ys.staccato = ys.legato + ZoomX(view, sign * further);
    return ys;
}

MarkYs StemEndYs(const ScoreView* view, const NoteMetrics& m, const EventRecord& first, bool below,
                 bool stac, bool leg) {
    const StaffLines lines = StaffLinesOf(view);
    const int sign = below ? 1 : -1;
    int32_t d = NotePosition(first) * kUnitsPerStaffStep +
                sign * (std::abs(static_cast<int32_t>(first.stemLength)) + kStemEndGap);
    const bool inside = d > lines.top * kUnitsPerStaffStep && d < lines.bottom * kUnitsPerStaffStep;
    if (inside) {
        d = (d + kHalfStep) & ~(kUnitsPerStaffStep - 1);
        if ((d / kUnitsPerStaffStep) % 2 == 0) d += sign * kUnitsPerStaffStep;
    }
    MarkYs ys;
    ys.legato = BottomLineY(view) + ZoomX(view, d);
    const int32_t further = inside ? kUnitsPerStaffSpace : kStemEndGap;
    ys.staccato = ys.legato + (stac && leg ? ZoomX(view, sign * further) : 0);
    if (leg && !stac) ys.legatoShift = ZoomX(view, kQuarterSpace) - m.dotGap;
    return ys;
}

void DrawMarkGlyph(ScoreView* view, InkPart part, uint8_t glyph, int32_t x, int32_t y) {
    const gfx::TextAlign previous =
        SetViewTextAlign(view, gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
    InkGlyph(view, part, glyph, x, y);
    SetViewTextAlign(view, previous);
}

// The staccato and legato of a chord; `which` selects them (their word2 bits).
void DrawChordMarks(ScoreView* view, const NoteMetrics& m, const Chord& chord, int32_t x,
                    uint16_t which) {
    const EventRecord& first = *chord.First();
    const bool up = ChordStemsUp(first);
    const EventRecord& end = up ? *chord.Last() : first;
    const bool hasStac = (end.word2 & kNoteStaccato) != 0;
    const bool hasLeg = (end.word2 & kNoteLegato) != 0;
    const bool stac = hasStac && (which & kNoteStaccato) != 0;
    const bool leg = hasLeg && (which & kNoteLegato) != 0;
    if (!stac && !leg) return;
    const MarkPlace place = PlaceOfMarks(view, up);
    const bool both = hasStac && hasLeg;
    const MarkYs ys = place.atStemEnd ? StemEndYs(view, m, first, place.below, hasStac, hasLeg)
                                      : HeadSideYs(view, end, place.below, both);
    const int32_t centre = x + m.black / 2;
    const int32_t shift = up ? ys.legatoShift : -ys.legatoShift;
    if (leg) DrawMarkGlyph(view, InkPart::Legato, kLegatoGlyph, centre + shift, ys.legato);
    if (stac)
        DrawMarkGlyph(view, InkPart::Staccato, kStaccatoGlyph, centre,
                      both ? ys.staccato : ys.legato);
}

bool TieSignDue(const ScoreView* view) {
    const ScoreSystem* system = view->currentSystem;
    if (system != nullptr && view->currentMeasure == system->firstMeasure) return true;
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    if (record == nullptr) return false;
    const uint8_t low = BarlineTypeOf(*record);
    const uint8_t high = SystemStartBarlineTypeOf(*record);
    return low == kRepeatEnd || low == kRepeatBoth || high == kRepeatEnd || high == kRepeatBoth;
}

void DrawTieSign(ScoreView* view, EventRecord& note, int32_t x, int32_t y) {
    if (note.time != 0 || (note.word2 & kNoteTieIn) == 0 || !TieSignDue(view)) return;
    const int curve = TieIntoNoteCurve(view, &note, ActiveVoiceOfMask(view->voiceMask));
    if (curve == kNoTieIntoNote) return;  // no tie starts before it: no sign
    const bool above = curve == kTieCurveAbove;
    InkGlyph(view, InkPart::TieSign, above ? kTieArcAbove : kTieArcBelow,
             x - ZoomX(view, kTieArcLeft), y + ZoomX(view, above ? -kTieArcRise : kTieArcRise));
}

// An object of the attachment pools, or the text part of a MIDI-carrying record
// (an articulation), which sits after the record's MidiAction.
bool IsLiveAttachment(const ScoreObject* object) {
    for (int pool : kAttachmentPools)
        if (IsLiveRecord(CurrentPoolSet(), pool, object)) return true;
    const auto* outer = reinterpret_cast<const std::byte*>(object) - offsetof(MidiTextRecord, text);
    return IsLiveRecord(CurrentPoolSet(), kMidiTextRecordPool, outer);
}

// The first object of the note's attachment chain when it resolves and names the note
// back; null otherwise.
ScoreObject* VerifiedAttachment(const EventRecord& note) {
    ScoreObject* first = GetEventAttachment(&note);
    if (first == nullptr || first->prev.get() != reinterpret_cast<const ScoreObject*>(&note))
        return nullptr;
    return first;
}

void DrawAccidental(ScoreView* view, const NoteMetrics& m, EventRecord& note, int32_t x,
                    int32_t y) {
    const int bits = NoteAccidentalBits(note);
    if (bits == CodeOf(AccidentalCode::None)) return;
    if (bits > kLastAccidentalCode) {
        ReportDamagedNote(__LINE__);
        return;
    }
    if (IsHeadHidden(note) && !IsShowingHidden()) return;
    if (!note.attachment) NewAccidentalForNote(view, &note);
    ScoreObject* head = note.attachment ? VerifiedAttachment(note) : nullptr;
    if (note.attachment && head == nullptr) return;  // an attachment that does not resolve
    ScoreObject* accidental = head != nullptr ? AccidentalOfNote(note) : nullptr;
    if (accidental != nullptr && AccidentalDrawsItself(accidental)) {
        ClassOf(accidental).Draw(accidental, view);
        return;
    }
    const int32_t offset = accidental != nullptr
                               ? AccidentalOffset(accidental)
                               : -EngravingMetricOf(*view->document, EngravingMetric::Accident);
    int32_t ax = x + ZoomX(view, static_cast<int32_t>(offset * m.classFactor));
    if (NoteHeadKind(note) == kHeadNormal && note.duration >= CodeOf(DurationCode::Whole)) {
        const bool whole = note.duration == CodeOf(DurationCode::Whole);
        const int glyph = whole ? kWholeHeadCode : kBreveHeadCode;
        ax -= ((whole ? m.whole : m.breve) - m.black) / 2 +
              ScaledGlyphValue(view, m,
                               GlyphMetricOf(*view->document, glyph).outline[kOutlineInkLeft]);
    }
    DrawMarkGlyph(view, InkPart::Accidental, static_cast<uint8_t>(kAccidentalGlyphBase + bits), ax,
                  y);
}

// The Update operation of every object attached to the note but its accidental.
void DrawAttachments(ScoreView* view, const EventRecord& note) {
    ScoreObject* object = VerifiedAttachment(note);
    for (int i = 0; object != nullptr && i < kMaxAttachments; ++i) {
        if (object->type != 0 && object->type != TypeCode(ObjectType::Accidental)) {
            const InkObjectScope drawing(object);
            ClassOf(object).Update(object, view);
        }
        ScoreObject* next = object->next.get();
        object = next != nullptr && IsLiveAttachment(next) ? next : nullptr;
    }
}

}  // namespace

bool IsSingleVoiceLayout(const ScoreView* view) {
    if (view->voiceDisplayMask != 0) return false;
    MeasureCell* cell = view->currentCell;
    for (int voice = 1; cell != nullptr && voice < kVoiceCount; ++voice)
        if (!IsVoiceEmpty(cell, voice)) return false;
    return true;
}

void DrawMarksAt(ScoreView* view, const NoteMetrics& m, const Chord& chord, EventRecord& note,
                 int32_t x, int32_t y) {
    if (IsHeadHidden(note) && IsStemHidden(note) && !IsShowingHidden()) return;
    const DimmedScope dimmed(view, IsHeadHidden(note));
    DrawDotsAt(view, m, chord, note, x);
    const EventRecord* end = ChordStemsUp(*chord.First()) ? chord.Last() : chord.First();
    if (&note == end) DrawChordMarks(view, m, chord, x, kNoteStaccato | kNoteLegato);
    DrawTieSign(view, note, x, y);
    DrawAccidental(view, m, note, x, y);
    DrawAttachments(view, note);
}

void DrawOneChordMark(ScoreView* view, EventRecord* note, int32_t x, uint16_t which) {
    Chord chord;
    if (view == nullptr || !view->ViewDC || !GatherChord(ChordHeadOf(note), chord)) return;
    NoteDrawScope scope(view);
    const ScopedNotationFont font(view, NoteSizeClass(*chord.First()));
    DrawChordMarks(view, CurrentNoteMetrics(view), chord, x, which);
}

}  // namespace ql::notedraw

namespace ql {

void DrawNoteMarks(EventRecord* note, ScoreView* view, int32_t x, int32_t y) {
    notedraw::Chord chord;
    if (view == nullptr || !view->ViewDC || note == nullptr) return;
    if (!notedraw::GatherChord(notedraw::ChordHeadOf(note), chord)) return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawMarksAt(view, notedraw::CurrentNoteMetrics(view), chord, *note, x, y);
}

void DrawArticulationMark(ScoreView* view, int sizeClass, uint8_t glyph, int32_t x, int32_t y) {
    if (view == nullptr || !view->ViewDC) return;
    notedraw::NoteDrawScope scope(view);
    const ScopedNotationFont font(view, sizeClass);
    const platform::FontHandle shown = CurrentNotationFont().font;
    const platform::FontHandle previous =
        shown ? gfx::SelectObject(view->ViewDC, shown) : platform::FontHandle{};
    notedraw::DrawMarkGlyph(view, notedraw::InkPart::Articulation, glyph, x, y);
    if (shown) gfx::SelectObject(view->ViewDC, previous);
}

void DrawNoteAccidental(EventRecord* note, ScoreView* view, int32_t x, int32_t y) {
    if (view == nullptr || !view->ViewDC || note == nullptr) return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawAccidental(view, notedraw::CurrentNoteMetrics(view), *note, x, y);
}

void DrawStaccatoMark(EventRecord* note, ScoreView* view, int32_t x) {
    notedraw::DrawOneChordMark(view, note, x, kNoteStaccato);
}

void DrawLegatoMark(EventRecord* note, ScoreView* view, int32_t x) {
    notedraw::DrawOneChordMark(view, note, x, kNoteLegato);
}

}  // namespace ql
