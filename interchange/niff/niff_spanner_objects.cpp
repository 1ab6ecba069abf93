// Slurs, ties, hairpins, octave lines, repeat endings and tuplet marks of a NIFF
// import made in the document. Objects anchored in time keep, per point, the
// measure offset from the measure whose object list holds them, the tick, an x
// offset and the y from the staff's bottom line (unscaled, negative upwards), so they are written from
// the notes' measures and ticks without the page positions; the octave line and
// the ending are placed by their tools' own creation (label, glyph, passes) at the
// start, then given the file's span. Slurs, hairpins, octave lines, endings and
// pedal brackets whose nodes the file placed on one page are that page's items, at
// the file's page points.
#include "interchange/niff/niff_spanner_objects.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/beat_map_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/state/notation_font_state.h"
#include "core/text/text_object.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "interchange/niff/niff_document_marks.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_spanners.h"
#include "layout/page_format.h"
#include "layout/staff_room.h"
#include "notes/beatmap/beat_map.h"
#include "notes/articulations/articulation_class.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/stem_draw.h"
#include "notes/ties/ties.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/slur_clearance.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/tuplets/tuplet.h"

namespace ql::niff {
namespace {

constexpr int32_t kUnitsPerStep = 64;  // staff steps, as stem lengths count them
constexpr int32_t kSlurClearance = 3 * kUnitsPerStep;  // ends three steps off the note
constexpr int32_t kSlurPeakClearance = 192;           // the arch above the notes inside
constexpr int32_t kSlurHeightInMeasure = 256;
constexpr int32_t kSlurHeightPerMeasure = 128;
constexpr int16_t kSlurInset = 256;  // control points in from the ends
constexpr int32_t kShortSlur = 4 * kSlurInset;  // a slur shorter arches by its length
constexpr int32_t kShortSlurArch = 96;          // the least arch of a short slur
constexpr int32_t kGraceSlurGap = 32;           // a grace slur's end beside its note's head
constexpr int32_t kSlurHeadClearance = 48;
constexpr int32_t kSlurMarkClearance = 32;  // an end off the articulations it passes outside  // the inner curve off the heads it passes
constexpr int32_t kHeadHalfHeight = kUnitsPerStep + 8;  // a head's ink beyond its step's y
constexpr int32_t kPlainHeadWidth = 167;  // a black head, when the view has not measured one
constexpr int32_t kStemHalfWidth = 8;
constexpr int kWholeNoteCode = 12;
constexpr int kMiddleLineStep = 4;
constexpr int16_t kOctaveHookDrop = 128;
constexpr int16_t kOctaveEndBeforeNote = 128;
constexpr int16_t kEndingHook = 256;
constexpr int kMostEndingSpan = 127;
constexpr int32_t kPedalBracketBelow = 768;  // under the staff, as the pedal marks
constexpr int32_t kEndingOverOctave = 128;   // between an octave line and the hooks of an ending over it
constexpr int32_t kUnitsPerNudge = 16;       // a note's sideways nudge, in view units
constexpr int64_t kFiveLineStaffHeight = 512;  // from the bottom line to the top one

int16_t Word16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

// A time anchor of measure `measure` seen from the owner's measure `owner`.
AnchorPoint TimeAnchor(int owner, int measure, int32_t tick, int32_t x, int32_t y) {
    return AnchorPoint{{static_cast<uint16_t>(Word16(measure - owner)), static_cast<uint16_t>(std::clamp(tick, 0, 0xFFFF))},
                       Word16(x), Word16(y)};
}

const NiffPlacedEvent* PlacedOf(const NiffImportState& import, int serial) {
    const std::vector<NiffPlacedEvent>& placed = import.frame.spanners.placed;
    if (serial < 0 || static_cast<size_t>(serial) >= placed.size()) return nullptr;
    const NiffPlacedEvent& at = placed[static_cast<size_t>(serial)];
    return at.event != nullptr ? &at : nullptr;
}

// Makes (staff, measure) the view's current place, on the page that shows it;
// false when the document has no such staff or measure.
bool LocateAt(NiffImportState& import, int staff, int measure) {
    ScoreView* view = import.view;
    ScoreDocument* document = import.document;
    if (view == nullptr || document == nullptr || staff < 1 || staff > document->header.staffCount ||
        MeasureRecordOf(document, measure) == nullptr)
        return false;
    ShowPageInView(view, PageIndexOfMeasure(document, measure));
    SetCurrentMeasureQuick(view, staff, measure);
    return view->currentCell != nullptr && view->currentSystem != nullptr;
}

// The y of a staff position (0 the bottom line, negative upwards) from the
// staff's bottom line, the origin of the view's staff y.
int32_t PositionY(int position) {
    return position * kUnitsPerStep;
}

bool StemUp(const EventRecord& event) {
    return (event.flags & kEventStemFlag) != 0;
}

// A grace note's x from its tick (before its note < 0, after it > 0), in view
// units; 0 for any other note.
int32_t GraceX(const EventRecord& e) {
    return NoteSizeClass(e) == static_cast<int>(NoteSizeClass::Grace) ? int32_t{e.nudge} * kUnitsPerNudge : 0;
}

// An event's place in its staff's time: measure, tick, and its grace place.
std::tuple<int, int32_t, int32_t> TimePlace(int measure, const EventRecord& e) {
    return {measure, e.time, GraceX(e)};
}

// Whether `b` comes after `a` (a grace note before its note comes before it).
bool IsAfter(const NiffPlacedEvent& a, const NiffPlacedEvent& b) {
    return TimePlace(b.measure, *b.event) > TimePlace(a.measure, *a.event);
}

// The staff position of a chord's outer note on the slur's side: its highest
// (smallest position) above, its lowest below.
int OuterPosition(EventRecord* note, bool above) {
    int outer = static_cast<int8_t>(note->step);
    EventRecord* e = GetFirstEventOfChord(note);
    for (int i = 0; e != nullptr && i < kMaxChainLength; ++i, e = NextEvent(e)) {
        const int position = static_cast<int8_t>(e->step);
        outer = above ? std::min(outer, position) : std::max(outer, position);
        if (IsLastOfChord(e)) break;
    }
    return outer;
}

// The y of the free end of the stem of a note of (staff, measure): the chord's stem
// offset is kept in its first note, from that note; a beamed chord's stem ends on
// its beam as the beam is drawn.
int32_t StemEndY(NiffImportState& import, int staff, int measure, const EventRecord& note) {
    EventRecord* first = GetFirstEventOfChord(const_cast<EventRecord*>(&note));
    if (first == nullptr) first = const_cast<EventRecord*>(&note);
    int32_t offset = first->stemLength;
    int32_t drawn = 0;
    if (LocateAt(import, staff, measure) && DrawnBeamedStemOffset(import.view, first, &drawn)) offset = drawn;
    return PositionY(static_cast<int8_t>(first->step)) + offset;
}

// The y of a slur's end at a chord: three steps beyond its outer note, or beyond
// its stem end when a stem shorter than a whole note's points to the slur's side.
int32_t SlurEndY(NiffImportState& import, const NiffPlacedEvent& at, bool above) {
    EventRecord& note = *at.event;
    const int32_t head = PositionY(OuterPosition(&note, above));
    const bool stemToSide = StemUp(note) == above && note.duration < kWholeNoteCode;
    if (stemToSide) return StemEndY(import, at.staff, at.measure, note) + (above ? -kUnitsPerStep : kUnitsPerStep);
    return head + (above ? -kSlurClearance : kSlurClearance);
}

// How far right of its tick a slur's end stands at a note whose stem points up to a
// slur over it: at the stem, on the head's right, where the slur's end is off the
// stem's end (and over the beam's end there).
int32_t StemSideX(const NiffImportState& import, const NiffPlacedEvent& at, bool above) {
    const EventRecord& note = *at.event;
    if (!above || !StemUp(note) || note.duration >= kWholeNoteCode || GraceX(note) != 0) return 0;
    const int32_t width = import.view->glyphWidths.black > 0 ? import.view->glyphWidths.black : kPlainHeadWidth;
    return width - kStemHalfWidth;
}

// The ends' heights of a slur being fitted, its inner curve's offset and its side.
struct SlurFit {
    int32_t startY;
    int32_t endY;
    int8_t thickness;
    bool above;
    int32_t inset;   // the control points in from the ends
    int32_t startX;  // the ends' x off their notes' ticks
    int32_t endX;
};

// Calls `visit(measure, note)` for every note strictly between the two ends, in
// every voice of the staff's measures from the first end's to the last's.
template <typename Visit>
void ForEachNoteBetween(const NiffImportState& import, const NiffPlacedEvent& first, const NiffPlacedEvent& last,
                        Visit visit) {
    StaffRecord* staff = StaffRecordOf(import.document, first.staff);
    for (int measure = first.measure; measure <= last.measure && staff != nullptr; ++measure) {
        MeasureCell* cell = GetOrCreateMeasureCell(staff, import.document, measure);
        for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
            EventRecord* e = GetVoiceFirstEvent(cell, voice);
            for (int walked = 0; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
                if (IsHeadSentinel(*e)) continue;
                const bool afterFirst = TimePlace(measure, *e) > TimePlace(first.measure, *first.event);
                const bool beforeLast = TimePlace(measure, *e) < TimePlace(last.measure, *last.event);
                if (afterFirst && beforeLast) visit(measure, *e);
            }
        }
    }
}

// A slur's end moved beyond the articulations of its chord on the slur's side: the
// slur passes outside an ornament or a fermata over the end's stem.
int32_t EndBeyondArticulations(ScoreView* view, const NiffPlacedEvent& at, bool above, int32_t y) {
    EventRecord* e = GetFirstEventOfChord(at.event);
    for (int i = 0; e != nullptr && i < kMaxChainLength; ++i, e = NextEvent(e)) {
        VerticalReach marks;
        if (ArticulationsReach(view, e, &marks))
            y = above ? std::min<int32_t>(y, static_cast<int32_t>(-marks.above - kSlurMarkClearance))
                      : std::max<int32_t>(y, static_cast<int32_t>(marks.below + kSlurMarkClearance));
        if (IsLastOfChord(e)) break;
    }
    return y;
}

// The highest (above) or lowest note strictly between the two ends; false when none.
bool ExtremeBetween(const NiffImportState& import, const NiffPlacedEvent& first, const NiffPlacedEvent& last,
                    bool above, int32_t* extreme) {
    bool found = false;
    ForEachNoteBetween(import, first, last, [&](int, const EventRecord& e) {
        const int32_t y = PositionY(static_cast<int8_t>(e.step));
        if (!found || (above ? y < *extreme : y > *extreme)) *extreme = y;
        found = true;
    });
    return found;
}

// The x of a tick of (staff, measure) on its page, and its system; false when the
// document has no such place.
bool TickX(NiffImportState& import, int staff, int measure, int32_t tick, int32_t* x, const ScoreSystem** system) {
    if (!LocateAt(import, staff, measure)) return false;
    ScoreView* view = import.view;
    *x = MeasureSlotX(view, view->currentSystem, view->currentSlot) + BeatMapTickToX(view, tick);
    *system = view->currentSystem;
    return true;
}

// The row a slur's points are laid out in: the row of its first system S, whose
// slots go on past S's last measure. The part of the slur past S's end is drawn on
// the systems after it (as layout/system_span.h draws it): a point past the first beat of the
// slot that stands for a later system's first measure moves by that system's first
// beat less the slot's; a note of a later system stands in the row where the
// slur's point drawn over it lies.
struct SlurRow {
    // S (shift 0) and the systems after it with the shift of their x into the row.
    std::vector<std::pair<const ScoreSystem*, int32_t>> systems;
};

SlurRow RowOfSlur(NiffImportState& import, const NiffPlacedEvent& first) {
    SlurRow row;
    if (!LocateAt(import, first.staff, first.measure)) return row;
    const ScoreSystem* s = import.view->currentSystem;
    row.systems.emplace_back(s, 0);
    const BeatMap& map = import.view->beatMap;
    const ScoreSystem* before = s;
    for (const ScoreSystem* t = s->next.get(); t != nullptr && t->previous.get() == before && s->number < kBeatMapRows &&
                                               t->number < kBeatMapRows;
         before = t, t = t->next.get()) {
        const int slot = t->firstMeasure - s->firstMeasure + 1;
        if (slot < 1 || slot > kLastBeatMapSlot) break;
        const int32_t beat = s->x + map.contentX[BeatMapCell(s->number, slot)];
        const int32_t start = t->x + map.contentX[BeatMapCell(t->number, 1)];
        row.systems.emplace_back(t, beat - start);
    }
    return row;
}

// The x in the slur's row of a tick of (staff, measure); false when its system is
// none of the row's.
bool RowX(NiffImportState& import, const SlurRow& row, int staff, int measure, int32_t tick, int32_t* x) {
    const ScoreSystem* system = nullptr;
    if (row.systems.empty() || !TickX(import, staff, measure, tick, x, &system)) return false;
    for (const auto& [at, shift] : row.systems)
        if (at == system) {
            *x += shift;
            return true;
        }
    return false;
}

// The heads between a slur's notes, each as its edge facing the slur (or the edge of
// a mark on it or a stem toward it beyond the head); a head put on
// the other side of its stem may stand a head's width either side of its tick.
// False when the slur's notes are not all in its row's systems.
bool HeadsBetween(NiffImportState& import, const NiffPlacedEvent& first, const NiffPlacedEvent& last, bool above,
                  const SlurRow& row, std::vector<SlurObstacle>* heads) {
    const int32_t width = import.view->glyphWidths.black > 0 ? import.view->glyphWidths.black : kPlainHeadWidth;
    std::vector<std::pair<int, const EventRecord*>> notes;
    ForEachNoteBetween(import, first, last, [&](int measure, const EventRecord& e) { notes.emplace_back(measure, &e); });
    for (const auto& [measure, note] : notes) {
        int32_t x = 0;
        if (!RowX(import, row, first.staff, measure, note->time, &x)) return false;
        x += GraceX(*note);
        const bool otherSide = (note->word2 & kEventHeadOtherSide) != 0;
        const int32_t y = PositionY(static_cast<int8_t>(note->step));
        // The head's edge, or a mark on the note beyond it (a staccato dot, an accent).
        int32_t edge = above ? y - kHeadHalfHeight : y + kHeadHalfHeight;
        const VerticalReach marks = AttachedMarksReach(import.view, const_cast<EventRecord*>(note), 1.0, NoteLyrics::LeftOut);
        if (above && marks.above > 0) edge = std::min<int32_t>(edge, static_cast<int32_t>(-marks.above));
        if (!above && marks.below > 0) edge = std::max<int32_t>(edge, static_cast<int32_t>(marks.below));
        // A stem toward the slur reaches further than its head.
        if (StemUp(*note) == above && note->duration < kWholeNoteCode) {
            const int32_t stemEnd = StemEndY(import, first.staff, measure, *note);
            edge = above ? std::min(edge, stemEnd) : std::max(edge, stemEnd);
        }
        heads->push_back({otherSide ? x - width : x, otherSide ? x + 2 * width : x + width, edge});
    }
    return true;
}

// The control height raised (lowered below) until the slur's inner curve passes
// clear of every head between its notes, on its first system and on those it is
// carried on to, the ends raised first over the heads beside them.
int32_t ControlClearOfHeads(NiffImportState& import, const NiffPlacedEvent& first, const NiffPlacedEvent& last,
                            SlurFit* fit, int32_t control) {
    SlurShape shape;
    const SlurRow row = RowOfSlur(import, first);
    if (!RowX(import, row, first.staff, last.measure, last.event->time, &shape.x3) ||
        !RowX(import, row, first.staff, first.measure, first.event->time, &shape.x0))
        return control;
    shape.x0 += fit->startX;
    shape.x3 += fit->endX;
    std::vector<SlurObstacle> heads;
    if (!HeadsBetween(import, first, last, fit->above, row, &heads)) return control;
    shape.y0 = fit->startY;
    shape.y3 = fit->endY;
    shape.inset = fit->inset;
    shape.thickness = fit->thickness;
    shape.above = fit->above;
    EndsClearOf(&shape, heads, kSlurHeadClearance);
    fit->startY = shape.y0;
    fit->endY = shape.y3;
    return ControlYClearOf(shape, control, heads, kSlurHeadClearance);
}

// Whether a voice other than the slur's own has events on the staff in the
// slur's measures.
bool OtherVoicesSound(const NiffImportState& import, const NiffPlacedEvent& first, const NiffPlacedEvent& last) {
    StaffRecord* staff = StaffRecordOf(import.document, first.staff);
    for (int measure = first.measure; measure <= last.measure && staff != nullptr; ++measure) {
        MeasureCell* cell = GetOrCreateMeasureCell(staff, import.document, measure);
        for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
            if (voice == first.voice) continue;
            EventRecord* e = GetVoiceFirstEvent(cell, voice);
            if (e != nullptr && IsHeadSentinel(*e)) e = NextEvent(e);
            if (e != nullptr) return true;
        }
    }
    return false;
}

// The side of a slur the file gives none: a slur from or to a grace note on the
// side of its heads; with other voices on the staff the upper voice's slurs go above and the lower voices' below, so that a curve stays
// on its own notes' side and clear of the other voice; alone, to the heads (below
// when the first stem points up), and above when the stems of its ends differ.
bool SlurGoesAbove(const NiffImportState& import, int side, const NiffPlacedEvent& first,
                   const NiffPlacedEvent& last) {
    if (side == 1 || side == 2) return side == 1;
    // A slur from or to a grace note goes on its head's side, away from its stem.
    if (GraceX(*first.event) != 0) return !StemUp(*first.event);
    if (GraceX(*last.event) != 0) return !StemUp(*last.event);
    if (OtherVoicesSound(import, first, last)) return first.voice == 0;
    if (StemUp(*first.event) != StemUp(*last.event)) return true;
    return !StemUp(*first.event);
}

// The y of a slur's control points: beyond the higher end (above) or the lower
// one by the arch of its span, one measure or `span` measures more.
int32_t SlurControlY(int32_t startY, int32_t endY, int span, bool above) {
    const int32_t height = span == 0 ? kSlurHeightInMeasure : (span + 1) * kSlurHeightPerMeasure;
    return above ? std::min(startY, endY) - height : std::max(startY, endY) + height;
}

// The document's slur thickness, the inner curve under the outer one above.
int8_t SlurThickness(const ScoreDocument* document, bool above) {
    const int8_t thickness = CurveLineValuesOf(document).slurThickness;
    return static_cast<int8_t>(above ? thickness : -thickness);
}

// Shapes a slur between its notes: the ends off the notes (or their stems), the
// control points high enough for the slur's span and clear of the notes inside,
// then raised (lowered below) until the curve passes clear of every head under it.
void FitNiffSlurCurve(NiffImportState& import, SlurObject* slur, const NiffPlacedEvent& first,
                      const NiffPlacedEvent& last, bool above, int8_t thickness) {
    int32_t startY = EndBeyondArticulations(import.view, first, above, SlurEndY(import, first, above));
    int32_t endY = EndBeyondArticulations(import.view, last, above, SlurEndY(import, last, above));
    int32_t startX = GraceX(*first.event) + StemSideX(import, first, above);
    int32_t endX = GraceX(*last.event) + StemSideX(import, last, above);
    if (first.measure == last.measure && first.event->time == last.event->time) {
        // A grace note's slur to its note hugs their heads: off the grace head's
        // middle, beside the note's head.
        const int32_t width = import.view->glyphWidths.black > 0 ? import.view->glyphWidths.black : kPlainHeadWidth;
        const auto hug = [&](const NiffPlacedEvent& at, bool left, int32_t& x, int32_t& y) {
            const bool grace = GraceX(*at.event) != 0;
            const int32_t away = grace ? 2 * kUnitsPerStep : kUnitsPerStep;
            y = PositionY(OuterPosition(at.event, above)) + (above ? -away : away);
            x = grace ? x + width / 3 : left ? x + width + kGraceSlurGap : x - kGraceSlurGap;
        };
        startX = GraceX(*first.event);
        endX = GraceX(*last.event);
        hug(first, true, startX, startY);
        hug(last, false, endX, endY);
    }
    int32_t control = SlurControlY(startY, endY, last.measure - first.measure, above);
    // A short slur (a grace note's to its note) keeps its control points inside
    // its ends and arches by its length.
    int32_t inset = kSlurInset;
    int32_t x0 = 0, x3 = 0;
    const ScoreSystem* system = nullptr;
    const ScoreSystem* lastSystem = nullptr;
    if (TickX(import, first.staff, first.measure, first.event->time, &x0, &system) &&
        TickX(import, first.staff, last.measure, last.event->time, &x3, &lastSystem) && system == lastSystem) {
        const int32_t length = x3 + endX - x0 - startX;
        if (length < kShortSlur) {
            // Its ends differ in height by no more than its length: an end put far
            // off by its note's marks takes the other with it, not drawn as a hook.
            const int32_t outer = above ? std::min(startY, endY) : std::max(startY, endY);
            const int32_t reach = std::max<int32_t>(length, 0);
            startY = above ? std::min(startY, outer + reach) : std::max(startY, outer - reach);
            endY = above ? std::min(endY, outer + reach) : std::max(endY, outer - reach);
            inset = std::max<int32_t>(length / 4, 1);
            const int32_t arch = std::clamp<int32_t>(length / 3, kShortSlurArch, kSlurHeightInMeasure);
            control = above ? std::min(startY, endY) - arch : std::max(startY, endY) + arch;
        }
    }
    int32_t extreme = 0;
    if (ExtremeBetween(import, first, last, above, &extreme))
        control = above ? std::min(control, extreme - kSlurPeakClearance) : std::max(control, extreme + kSlurPeakClearance);
    SlurFit fit{startY, endY, thickness, above, inset, startX, endX};
    control = ControlClearOfHeads(import, first, last, &fit, control);
    startY = fit.startY;
    endY = fit.endY;
    const int owner = first.measure;
    slur->body.points[0] = TimeAnchor(owner, first.measure, first.event->time, startX, startY);
    slur->body.points[1] = TimeAnchor(owner, first.measure, first.event->time, startX + inset, control);
    slur->body.points[2] = TimeAnchor(owner, last.measure, last.event->time, endX - inset, control);
    slur->body.points[3] = TimeAnchor(owner, last.measure, last.event->time, endX, endY);
    slur->body.inner[0] = slur->body.inner[2] = 0;
    slur->body.inner[1] = slur->body.inner[3] = thickness;
}

// Inserts a time-anchored object into the object list of (staff, measure).
bool InsertAt(NiffImportState& import, ScoreObject* object, int staff, int measure) {
    if (!LocateAt(import, staff, measure)) return false;
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    InsertObjectBySubtype(import.view, object);
    return true;
}

// The point of (measure, tick) on the view at `vertical` from the staff's bottom line.
LogicalPoint PointAt(ScoreView* view, int32_t tick, int32_t vertical) {
    const int32_t x = MeasureSlotX(view, view->currentSystem, view->currentSlot) + BeatMapTickToX(view, tick);
    return LogicalPoint{x, view->staffY + vertical};
}

// A tool's click at `at` in the scroll view's manner (objects anchored in time),
// or with `onPage` in the page view's (objects on the current page); the view's
// pointer and mode are restored on every path. A click in time is anchored in the
// measure the view stands on, from the page's staff and columns that `at` was
// taken from (the scroll view's would put what the tool anchors elsewhere).
class ClickScope {
  public:
    ClickScope(ScoreView* view, LogicalPoint at, bool onPage = false)
        : view_(view), pointer_(view->pointerPoint), pageView_(view->pageView), keep_(State().locate.KeepMeasure) {
        view->pointerPoint = at;
        view->pageView = onPage ? 1 : 0;
        if (!onPage) State().locate.KeepMeasure = 1;
    }
    ~ClickScope() {
        view_->pointerPoint = pointer_;
        view_->pageView = pageView_;
        State().locate.KeepMeasure = keep_;
    }
    ClickScope(const ClickScope&) = delete;
    ClickScope& operator=(const ClickScope&) = delete;

  private:
    ScoreView* view_;
    LogicalPoint pointer_;
    decltype(ScoreView::pageView) pageView_;
    uint8_t keep_;
};

// The start and end anchors and hooks of a line, owned by its start measure.
void SetLineEnds(SpannerInterface* spanner, const NiffLineRequest& line, int16_t startHook, int16_t endHook) {
    SpannerEndpoint& ends = spanner->endpoint;
    ends.start = TimeAnchor(line.startMeasure, line.startMeasure, line.startTick, 0, line.vertical);
    ends.end = TimeAnchor(line.startMeasure, line.endMeasure, line.endTick, 0, line.vertical);
    ends.startHook = startHook;
    ends.endHook = endHook;
}

// A labelled line's ends from the file, its label moved up or down as far as the
// line's start moved from where the tool's click put it: the label keeps the place
// beside the line that the tool gives it.
void SetLabelledLineEnds(ScoreObject* object, const NiffLineRequest& line, int16_t startHook, int16_t endHook) {
    SpannerInterface* spanner = SpannerOf(object);
    const int32_t before = spanner->endpoint.start.y;
    SetLineEnds(spanner, line, startHook, endHook);
    ObjectLocation& label = AsTextObject(object)->body.location;
    const int32_t y = static_cast<int16_t>(label.measure);
    label.measure = static_cast<uint16_t>(Word16(y + spanner->endpoint.start.y - before));
}

// A labelled line at height `y` from its staff's bottom line, its label moved as
// far as its start.
void MoveLabelledLineTo(ScoreObject* object, int32_t y) {
    SpannerEndpoint& ends = SpannerOf(object)->endpoint;
    const int32_t by = y - ends.start.y;
    ends.start.y = Word16(y);
    ends.end.y = Word16(ends.end.y + by);
    ObjectLocation& label = AsTextObject(object)->body.location;
    label.measure = static_cast<uint16_t>(Word16(static_cast<int16_t>(label.measure) + by));
}

// A page point of the import as the page's items keep it.
LogicalPoint PagePoint(int32_t x, int32_t y) {
    return LogicalPoint{x - kNiffPageOrigin, y - kNiffPageOrigin};
}

// Links an object made for page `index` among its items; false (nothing linked)
// when the page is missing.
bool LinkToPage(NiffImportState& import, int index, ScoreObject* object) {
    if (!AddToPageItems(GetPageAt(import.document, index), object)) return false;
    SetDocumentModified(import.document);
    return true;
}

// The two ends of a line on the page, its hooks as given.
void SetPageLineEnds(SpannerInterface* spanner, ScoreView* view, LogicalPoint start, LogicalPoint end,
                     int16_t startHook, int16_t endHook) {
    SpannerEndpoint& ends = spanner->endpoint;
    const LogicalPoint line[2] = {start, end};
    static_assert(sizeof(AnchorPoint) == sizeof(ObjectLocation));
    EncodePageAnchors(view, reinterpret_cast<ObjectLocation*>(&ends.start), line, 2);
    ends.startHook = startHook;
    ends.endHook = endHook;
}

// A slur the file placed on a page: from the first node's page point to the
// last's, arched for its span, among the page's items.
bool PlaceSlurOnPage(NiffImportState& import, SlurObject* slur, const NiffSlurRequest& request) {
    const bool above = request.side != 2;
    const LogicalPoint start = PagePoint(request.startX, request.startY);
    const LogicalPoint end = PagePoint(request.endX, request.endY);
    const int32_t control = SlurControlY(start.y, end.y, request.measures, above);
    const LogicalPoint points[kSlurPoints] = {
        start, {start.x + kSlurInset, control}, {end.x - kSlurInset, control}, end};
    static_assert(sizeof(AnchorPoint) == sizeof(ObjectLocation));
    EncodePageAnchors(import.view, reinterpret_cast<ObjectLocation*>(slur->body.points), points, kSlurPoints);
    const int8_t thickness = SlurThickness(import.document, above);
    slur->body.inner[0] = slur->body.inner[2] = 0;
    slur->body.inner[1] = slur->body.inner[3] = thickness;
    return LinkToPage(import, request.page, &slur->header);
}

// A hairpin the file placed on a page: its points at the page positions of the
// two ends, and the object among the page's items.
bool PlaceHairpinOnPage(NiffImportState& import, HairpinObject* hairpin, const NiffLineRequest& request) {
    ScoreView* view = import.view;
    ScorePage* page = GetPageAt(import.document, request.page);
    if (page == nullptr) return false;
    ShowPageInView(view, request.page);
    const int32_t y = request.pageY - kNiffPageOrigin;
    const int32_t open = request.opening;
    const LogicalPoint start{request.pageStartX - kNiffPageOrigin, y};
    const LogicalPoint end{request.pageEndX - kNiffPageOrigin, y};
    HairpinShape shape;
    if (request.closing) {
        shape = {{start.x, y - open}, end, {start.x, y + open}};
    } else {
        shape = {{end.x, y - open}, start, {end.x, y + open}};
    }
    hairpin->header.subtype = SubtypeCode(ObjectSubtype::PageList);
    EncodeHairpinShape(hairpin, view, shape);
    return LinkToPage(import, request.page, &hairpin->header);
}

constexpr uint8_t kCurveAbove = 0;
constexpr uint8_t kCurveBelow = 1;

// Whether a voice other than `voice` has notes in the cell.
bool HoldsOtherVoice(MeasureCell* cell, int voice) {
    for (int other = 0; cell != nullptr && other < kVoiceCount; ++other) {
        const EventRecord* first = other != voice ? GetVoiceFirstEvent(cell, other) : nullptr;
        if (first != nullptr && !IsHeadSentinel(*first)) return true;
    }
    return false;
}

// The staff steps (up from the bottom line) of the heads of other voices than
// `voice` in the cell at times after `after` and before `before` (-1: any).
void OtherVoiceStepsBetween(MeasureCell* cell, int voice, int after, int before,
                            std::vector<int>& steps) {
    for (int other = 0; cell != nullptr && other < kVoiceCount; ++other) {
        if (other == voice) continue;
        const EventRecord* e = GetVoiceFirstEvent(cell, other);
        for (int n = 0; e != nullptr && !IsHeadSentinel(*e) && n < kMaxChainLength;
             ++n, e = NextEvent(e))
            if (e->time > after && (before < 0 || e->time < before))
                steps.push_back(-static_cast<int8_t>(e->step));
    }
}

// The side of a tie kept, unless another voice's head stands in its way between
// its notes (a step to three beyond the tied note on that side) and the other side
// is clear or its nearest such head stands further off: voices that cross keep
// their ties off each other's heads.
bool TieSideClearOfOtherVoices(NiffImportState& import, const NiffPlacedEvent& start,
                               const NiffPlacedEvent& end, bool above) {
    constexpr int kTieReachSteps = 3;
    std::vector<int> steps;
    const bool sameMeasure = start.measure == end.measure;
    OtherVoiceStepsBetween(ExistingMeasureCell(import.document, start.staff, start.measure),
                           start.voice, start.event->time, sameMeasure ? end.event->time : -1,
                           steps);
    if (!sameMeasure)
        OtherVoiceStepsBetween(ExistingMeasureCell(import.document, end.staff, end.measure),
                               end.voice, -1, end.event->time, steps);
    const int step = -static_cast<int8_t>(start.event->step);
    const auto nearest = [&](bool up) {  // steps off the tied note, beyond the reach when none
        int near = kTieReachSteps + 1;
        for (int h : steps)
            if (up ? h > step : h < step) near = std::min(near, std::abs(h - step));
        return near;
    };
    return nearest(above) <= kTieReachSteps && nearest(!above) > nearest(above) ? !above : above;
}

}  // namespace

bool NiffTieGoesAbove(int side, const NiffPlacedEvent& start, const NiffPlacedEvent& end,
                      bool sharedStaff) {
    if (side == 1 || side == 2) return side == 1;
    if (start.voice != 0) return false;  // a lower voice's ties go below
    if (sharedStaff) return true;        // and an upper voice's above
    // Staff steps count up from the bottom line; 4 is the middle line.
    const int startStep = -static_cast<int8_t>(start.event->step);
    const int endStep = -static_cast<int8_t>(end.event->step);
    const bool startHigh = startStep >= kMiddleLineStep;
    const bool endHigh = endStep >= kMiddleLineStep;
    const bool startUp = StemUp(*start.event);
    const bool endUp = StemUp(*end.event);
    if ((startHigh || endHigh) && (!startUp || !endUp)) return true;
    return ((startHigh && endHigh) || (!startUp && !endUp)) && !startUp && startHigh;
}

void RecordNiffPlacedEvent(NiffImportState& import, int serial, EventRecord* event, int staff, int measure,
                           int voice) {
    std::vector<NiffPlacedEvent>& placed = import.frame.spanners.placed;
    if (serial < 0 || serial >= import.frame.spanners.nextSerial) return;
    if (placed.size() <= static_cast<size_t>(serial)) placed.resize(static_cast<size_t>(serial) + 1);
    placed[static_cast<size_t>(serial)] = {event, staff, measure, voice};
}

void MakeNiffTie(NiffImportState& import, const NiffTieRequest& request) {
    const NiffPlacedEvent* start = PlacedOf(import, request.start);
    const NiffPlacedEvent* end = PlacedOf(import, request.end);
    if (start == nullptr || end == nullptr || !LocateAt(import, start->staff, start->measure)) {
        import.report.Count(kNiffUnplacedSpanners);
        return;
    }
    ScoreView* view = import.view;
    // The tie command joins a note to the next of its pitch in its voice: the
    // file's end note must be that one.
    const std::vector<TieTarget> targets =
        FindTieTargets(import.document, view, start->event, start->staff, start->measure, start->voice);
    const bool meets = std::any_of(targets.begin(), targets.end(), [&](const TieTarget& t) { return t.note == end->event; });
    if (!meets || FindNoteTie(start->event) != nullptr) {
        import.report.Count(kNiffUnmadeTies);
        return;
    }
    // The tie is shaped on the side the command's curve setting names.
    uint8_t& curveSide = State().notes.CurveSide;
    const uint8_t kept = curveSide;
    bool above = NiffTieGoesAbove(request.side, *start, *end,
                                  HoldsOtherVoice(view->currentCell, start->voice));
    if (request.side != 1 && request.side != 2)
        above = TieSideClearOfOtherVoices(import, *start, *end, above);
    curveSide = above ? kCurveAbove : kCurveBelow;
    const int made = ToggleTie(view, start->event, start->voice);
    curveSide = kept;
    if (made == 0) {
        import.report.Count(kNiffUnmadeTies);
        return;
    }
    // The marks of the tied chords stand outside the tie before slurs are fitted to them.
    for (const NiffPlacedEvent* at : {start, end})
        if (LocateAt(import, at->staff, at->measure)) MoveChordMarksBeyondTies(view, at->event);
}

void MakeNiffSlur(NiffImportState& import, const NiffSlurRequest& request) {
    if (request.page >= 0) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Slur));
        if (object == nullptr) {
            import.report.Count(kNiffUnmadeObjects);
        } else if (!PlaceSlurOnPage(import, AsSlur(object), request)) {
            ReleaseObjectByType(import.document, object);
            import.report.Count(kNiffUnplacedSpanners);
        }
        return;
    }
    const NiffPlacedEvent* first = PlacedOf(import, request.first);
    const NiffPlacedEvent* last = PlacedOf(import, request.last);
    if (first == nullptr || last == nullptr) {
        import.report.Count(kNiffUnplacedSpanners);
        return;
    }
    if (first->staff != last->staff) {
        import.report.Count(kNiffSpannersAcrossStaves);
        return;
    }
    if (!IsAfter(*first, *last)) {
        import.report.Count(kNiffSpannersReversed);
        return;
    }
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Slur));
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeObjects);
        return;
    }
    const bool above = SlurGoesAbove(import, request.side, *first, *last);
    FitNiffSlurCurve(import, AsSlur(object), *first, *last, above, SlurThickness(import.document, above));
    if (!InsertAt(import, object, first->staff, first->measure)) {
        ReleaseObjectByType(import.document, object);
        import.report.Count(kNiffUnplacedSpanners);
    }
}

void MakeNiffHairpin(NiffImportState& import, const NiffLineRequest& request) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Hairpin));
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeObjects);
        return;
    }
    HairpinObject* hairpin = AsHairpin(object);
    hairpin->lineWidth = HairpinDefaultLineWidth(import.document);
    if (request.page >= 0) {
        if (!PlaceHairpinOnPage(import, hairpin, request)) {
            ReleaseObjectByType(import.document, object);
            import.report.Count(kNiffUnplacedSpanners);
        }
        return;
    }
    const int owner = request.startMeasure;
    const int32_t y = request.vertical;
    const int32_t open = request.opening;
    if (request.closing) {  // stored: the upper end, the apex, the lower end
        hairpin->direction = kHairpinDiminuendo;
        hairpin->points[0] = TimeAnchor(owner, request.startMeasure, request.startTick, 0, y - open);
        hairpin->points[1] = TimeAnchor(owner, request.endMeasure, request.endTick, 0, y);
        hairpin->points[2] = TimeAnchor(owner, request.startMeasure, request.startTick, 0, y + open);
    } else {  // the apex, the upper end, the lower end
        hairpin->direction = kHairpinCrescendo;
        hairpin->points[0] = TimeAnchor(owner, request.startMeasure, request.startTick, 0, y);
        hairpin->points[1] = TimeAnchor(owner, request.endMeasure, request.endTick, 0, y - open);
        hairpin->points[2] = TimeAnchor(owner, request.endMeasure, request.endTick, 0, y + open);
    }
    if (!InsertAt(import, object, request.staff, request.startMeasure)) {
        ReleaseObjectByType(import.document, object);
        import.report.Count(kNiffUnplacedSpanners);
        return;
    }
    // Placed once the pages stand, at the height of its dynamics.
    (request.placed ? import.placedTexts : import.unplacedTexts).push_back(object);
}

namespace {

// A labelled line the file placed on a page: made by its tool's click at the
// start in the page view, then given the file's ends and hooks, its label moved
// with its start as the tool put it, and taken from the list the tool linked it
// into to the page's items. Null (counted) when nothing could be made.
ScoreObject* PlaceLabelledLineOnPage(NiffImportState& import, const NiffLineRequest& request,
                                     ScoreObject* (*createAtClick)(ScoreView*), int16_t startHook, int16_t endHook) {
    ScoreView* view = import.view;
    if (GetPageAt(import.document, request.page) == nullptr) {
        import.report.Count(kNiffUnplacedSpanners);
        return nullptr;
    }
    ShowPageInView(view, request.page);
    const LogicalPoint start = PagePoint(request.pageStartX, request.pageY);
    const LogicalPoint end = PagePoint(request.pageEndX, request.pageY);
    ScoreObject* object = nullptr;
    {
        ClickScope click(view, start, true);
        object = createAtClick(view);
    }
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeObjects);
        return nullptr;
    }
    UnlinkObject(object);
    SpannerInterface* spanner = SpannerOf(object);
    ObjectLocation* label = &AsTextObject(object)->body.location;
    LogicalPoint placed[2] = {};  // where the tool put the line's start and the label
    DecodeAnchors(view, object->subtype, reinterpret_cast<ObjectLocation*>(&spanner->endpoint.start), &placed[0], 1);
    DecodeAnchors(view, object->subtype, label, &placed[1], 1);
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    SetPageLineEnds(spanner, view, start, end, startHook, endHook);
    const LogicalPoint labelAt{placed[1].x + start.x - placed[0].x, placed[1].y + start.y - placed[0].y};
    EncodePageAnchors(view, label, &labelAt, 1);
    return object;
}

// Links a line made by PlaceLabelledLineOnPage among its page's items.
void LinkLineToPage(NiffImportState& import, const NiffLineRequest& request, ScoreObject* object) {
    if (!LinkToPage(import, request.page, object)) {
        ReleaseObjectByType(import.document, object);
        import.report.Count(kNiffUnplacedSpanners);
    }
}

// The measures an ending covers, from its start's.
uint16_t EndingSpan(const NiffLineRequest& request) {
    return static_cast<uint16_t>(std::clamp(request.endMeasure - request.startMeasure + 1, 1, kMostEndingSpan));
}

// An ending's numbers, the first shown as its label's one character.
void SetEndingPasses(RepeatEndingObject* ending, const NiffLineRequest& request) {
    std::copy(request.passes.begin(), request.passes.end(), ending->passes);
    ending->text.body.string = static_cast<uint16_t>('0' + request.passes[0]);
}

}  // namespace

void MakeNiffOctaveLine(NiffImportState& import, const NiffLineRequest& request) {
    if (request.page >= 0) {
        ScoreObject* object = PlaceLabelledLineOnPage(import, request, &CreateOctaveLineAtClick, 0,
                                                      request.above ? kOctaveHookDrop : -kOctaveHookDrop);
        if (object == nullptr) return;
        if (!request.lineShown) SpannerOf(object)->endpoint.lineWidth = 0;
        FollowOctaveHook(object);
        LinkLineToPage(import, request, object);
        return;
    }
    if (!LocateAt(import, request.staff, request.startMeasure)) {
        import.report.Count(kNiffUnplacedSpanners);
        return;
    }
    // The octave tool anchors a line to the page in page view; the file's line
    // belongs to its measures, so the tool runs as in the scroll view.
    ScoreObject* object = nullptr;
    {
        ClickScope click(import.view, PointAt(import.view, request.startTick, request.vertical));
        object = CreateOctaveLineAtClick(import.view);
    }
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeObjects);
        return;
    }
    SetLabelledLineEnds(object, request, 0, request.above ? kOctaveHookDrop : -kOctaveHookDrop);
    // The sign's end comes after its last note, at the time of the next one: the
    // end hook stands a space before that note, clear of its head and its marks.
    SpannerOf(object)->endpoint.end.x = -kOctaveEndBeforeNote;
    if (!request.lineShown) SpannerOf(object)->endpoint.lineWidth = 0;
    FollowOctaveHook(object);  // the label follows the hook: 8va above, 8vb below
}

void MakeNiffRepeatEnding(NiffImportState& import, const NiffLineRequest& request) {
    const int16_t startHook = request.startHook ? kEndingHook : 0;
    const int16_t endHook = request.endHook ? kEndingHook : 0;
    if (request.page >= 0) {
        ScoreObject* object = PlaceLabelledLineOnPage(import, request, &CreateRepeatEndingAtClick, startHook, endHook);
        if (object == nullptr) return;
        RepeatEndingObject* ending = AsRepeatEnding(object);
        ending->span = EndingSpan(request);
        SetEndingPasses(ending, request);
        LinkLineToPage(import, request, object);
        FreeRepeatEndingList(import.document);
        return;
    }
    if (!LocateAt(import, request.staff, request.startMeasure)) {
        import.report.Count(kNiffUnplacedSpanners);
        return;
    }
    ScoreObject* object = nullptr;
    {
        ClickScope click(import.view, PointAt(import.view, request.startTick, request.vertical));
        object = CreateRepeatEndingAtClick(import.view);
    }
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeObjects);
        return;
    }
    RepeatEndingObject* ending = AsRepeatEnding(object);
    SetLabelledLineEnds(object, request, startHook, endHook);
    // It stands over its measures from barline to barline, its hooks a gap inside
    // them, as the tool puts one over a measure.
    SpannerEndpoint& ends = ending->spanner.endpoint;
    int32_t left = 0, right = 0;
    if (LocateAt(import, request.staff, request.startMeasure) && EndingEdgesOfCurrentMeasure(import.view, &left, &right))
        ends.start.x = Word16(left - PointAt(import.view, request.startTick, 0).x);
    if (LocateAt(import, request.staff, request.endMeasure) && EndingEdgesOfCurrentMeasure(import.view, &left, &right))
        ends.end.x = Word16(right - PointAt(import.view, request.endTick, 0).x);
    ending->span = EndingSpan(request);
    SetEndingPasses(ending, request);
    FreeRepeatEndingList(import.document);
}

void MakeNiffPedalBracket(NiffImportState& import, const NiffMark& mark) {
    const NiffMarkDetail& detail = mark.detail;
    if (detail.endMeasure < mark.measure || (detail.endMeasure == mark.measure && detail.endTick < mark.tick)) {
        import.report.Count(kNiffSpannersReversed);
        return;
    }
    const bool onPage = mark.anchor == NiffAnchor::kPage;
    if (onPage ? GetPageAt(import.document, mark.page) == nullptr
               : MeasureRecordOf(import.document, detail.endMeasure) == nullptr ||
                     !LocateAt(import, mark.staff, mark.measure)) {
        import.report.Count(kNiffUnplacedSpanners);
        return;
    }
    auto* object = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeObjects);
        return;
    }
    ConstructWickette(object);
    SpannerInterface* spanner = &AsWickette(object)->spanner;
    SpannerEndpoint& ends = spanner->endpoint;
    ends.lineWidth = CurveLineValuesOf(import.document).defaultLineWidth;
    ends.style = detail.endStyle;
    const int16_t hook = Word16(detail.height);
    if (onPage) {
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        SetPageLineEnds(spanner, import.view, PagePoint(mark.x, mark.y), PagePoint(detail.endX, mark.y), hook, hook);
        if (!LinkToPage(import, mark.page, object)) {
            ReleaseObjectByType(import.document, object);
            import.report.Count(kNiffUnplacedSpanners);
        }
        return;
    }
    // Without a vertical place from the file the line goes where pedal marks go.
    const int32_t y = mark.y != 0 ? mark.y : kPedalBracketBelow;
    ends.start = TimeAnchor(mark.measure, mark.measure, mark.tick, mark.x, y);
    ends.end = TimeAnchor(mark.measure, detail.endMeasure, detail.endTick, detail.endX, y);
    ends.startHook = ends.endHook = hook;
    InsertObjectBySubtype(import.view, object);
}

void MakeNiffTupletMark(NiffImportState& import, const NiffTupletRequest& request) {
    const NiffPlacedEvent* note = PlacedOf(import, request.event);
    if (note == nullptr || !LocateAt(import, note->staff, note->measure)) {
        import.report.Count(kNiffUnplacedSpanners);
        return;
    }
    AttachNiffTupletMark(import, note->event, std::to_string(request.digit), request.bracket);
}

void AttachNiffTupletMark(NiffImportState& import, EventRecord* note, const std::string& digits, int bracket) {
    ScoreView* view = import.view;
    ScoreObject* record = view != nullptr && note != nullptr ? AllocTuplet() : nullptr;
    if (record == nullptr) {
        import.report.Count(kNiffTupletMarks);
        return;
    }
    // A bracket of style 1 is drawn as a bracket, 2 as a curve; none leaves the number.
    const int style = bracket == 1 ? kTupletBracket : bracket == 2 ? kTupletCurve : kTupletNumberOnly;
    SpannerEndpoint ends{};
    ends.lineWidth = CurveLineValuesOf(import.document).defaultLineWidth;
    ConstructTupletObject(record, view, DefaultTupletCurve(view, note), ends);
    if (AttachTupletToNote(record, view, note, style, digits.c_str()) == nullptr)
        import.report.Count(kNiffTupletMarks);
}

namespace {

// Whether two lines of measures share some time.
bool ShareTime(const NiffLineRequest& a, const NiffLineRequest& b) {
    const auto start = [](const NiffLineRequest& l) { return std::pair{l.startMeasure, l.startTick}; };
    const auto end = [](const NiffLineRequest& l) { return std::pair{l.endMeasure, l.endTick}; };
    return start(a) < end(b) && start(b) < end(a);
}

// The lines with every ending of a staff's measures standing over the octave lines
// above that staff which share its time: its hooks end a space over the octave
// line, as an ending stands outside every other mark of the staff.
std::vector<NiffLineRequest> EndingsOverOctaveLines(std::vector<NiffLineRequest> lines) {
    for (NiffLineRequest& ending : lines) {
        if (ending.kind != NiffLineKind::kEnding || ending.page >= 0) continue;
        const int32_t hook = ending.startHook || ending.endHook ? kEndingHook : 0;
        for (const NiffLineRequest& octave : lines)
            if (octave.kind == NiffLineKind::kOctave && octave.page < 0 && octave.above &&
                octave.staff == ending.staff && ShareTime(octave, ending))
                ending.vertical = std::min(ending.vertical, octave.vertical - kEndingOverOctave - hook);
    }
    return lines;
}

}  // namespace

void MakeNiffSpanners(NiffImportState& import) {
    if (import.view == nullptr || import.document == nullptr) return;
    const NiffSpannerState& spanners = import.frame.spanners;
    for (const NiffTieRequest& tie : spanners.ties) MakeNiffTie(import, tie);
    for (const NiffSlurRequest& slur : spanners.slurs) MakeNiffSlur(import, slur);
    for (const NiffLineRequest& line : EndingsOverOctaveLines(spanners.lines)) {
        switch (line.kind) {
            case NiffLineKind::kHairpin: MakeNiffHairpin(import, line); break;
            case NiffLineKind::kOctave: MakeNiffOctaveLine(import, line); break;
            case NiffLineKind::kEnding: MakeNiffRepeatEnding(import, line); break;
        }
    }
    for (const NiffTupletRequest& tuplet : spanners.tuplets) MakeNiffTupletMark(import, tuplet);
    ShowPageInView(import.view, 0);
}

void RaiseNiffEndingsAboveTheirStaves(NiffImportState& import) {
    ScoreDocument* document = import.document;
    if (import.view == nullptr || document == nullptr) return;
    struct Raised {
        ScoreObject* ending;
        int staff;
        int measure;
        int32_t y;  // where the import put it
    };
    std::map<const ScoreSystem*, std::vector<Raised>> bySystem;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        StaffRecord* record = StaffRecordOf(document, staff);
        for (int measure = 1; record != nullptr && measure <= document->header.measureCount; ++measure) {
            MeasureCell* cell = GetOrCreateMeasureCell(record, document, measure);
            for (ScoreObject* o = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr; o != nullptr;
                 o = o->next.get())
                if (o->type == TypeCode(ObjectType::RepeatEnding) && LocateAt(import, staff, measure))
                    bySystem[import.view->currentSystem].push_back({o, staff, measure, SpannerOf(o)->endpoint.start.y});
        }
    }
    for (auto& [system, endings] : bySystem) {
        // The staff's room without its endings: each stands on its bottom line meanwhile.
        for (const Raised& raised : endings) MoveLabelledLineTo(raised.ending, 0);
        LocateAt(import, endings.front().staff, endings.front().measure);
        const std::vector<InkReach> rooms = StaffRoomsOf(import.view, system);
        for (const Raised& raised : endings) {
            const SpannerEndpoint& ends = SpannerOf(raised.ending)->endpoint;
            const int32_t hook = std::max<int32_t>({ends.startHook, ends.endHook, 0});
            const auto above = static_cast<size_t>(raised.staff) < rooms.size()
                                   ? rooms[static_cast<size_t>(raised.staff)].All().above
                                   : int64_t{0};
            const int64_t clear = -kFiveLineStaffHeight - above - kStaffPaper - hook;
            MoveLabelledLineTo(raised.ending, static_cast<int32_t>(std::min<int64_t>(raised.y, clear)));
        }
    }
    ShowPageInView(import.view, 0);
}

}  // namespace ql::niff
