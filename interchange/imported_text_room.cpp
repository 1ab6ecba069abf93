// The room a system's staves, signs and notes take, and the boxes of texts (see
// imported_text_room.h). Notes are measured generously rather than glyph by glyph:
// a head with its accidental and ledger lines is taken as two and a half spaces
// either side of its x and a space above and below its line, and a stem to its end
// with half a space beyond; a slur from end to end and up to its curve's middle;
// a verse line of lyrics as a band across each measure whose notes carry one.
#include "interchange/imported_text_room.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/model/beat_map_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/linked_views.h"
#include "display/system_drawing.h"
#include "display/view_location.h"
#include "interchange/imported_marks.h"
#include "layout/page_texts.h"
#include "layout/spacing/accidental_columns.h"
#include "layout/staff_room.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_fields.h"
#include "notes/rests/rest.h"
#include "notes/rests/staff_place.h"
#include "notes/ties/tie_handles.h"
#include "notes/ties/ties.h"
#include "objects/chord/chord_class.h"
#include "objects/curves/curve_objects.h"
#include "objects/lyrics/lyric.h"
#include "objects/lyrics/lyric_lines.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {
namespace {

constexpr int32_t kStepUnits = 64;        // one staff step, unscaled
constexpr int32_t kSpaceUnits = 128;      // one staff space, unscaled
constexpr int32_t kNudgeUnits = 16;       // a note's nudge step
constexpr int32_t kNoteReachSpaces2 = 5;  // half spaces either side of a note's x
constexpr int32_t kSignReachSpaces = 2;   // spaces above and below a staff's signs
// A note's accidental: its reach above and below the head, in spaces and in halves.
constexpr int32_t kAccidentalRiseSpaces = 2;
constexpr int32_t kAccidentalDropHalves = 3;
// A measure number's reach, in spaces: left and right of its barline, above the
// top line (and above it at a system's start, over the clef).
constexpr int32_t kNumberReachLeft = 2;
constexpr int32_t kNumberReachRight = 4;
constexpr int32_t kNumberRise = 3;
constexpr int32_t kNumberRiseOverClef = 5;
// A verse line's syllables, in steps: their tops above the line's baseline and
// their feet below it.
constexpr int32_t kLyricRiseSteps = 4;
constexpr int32_t kLyricDropSteps = 2;
constexpr int32_t kTempoPlaceStep = 16;  // a tempo number's place step
constexpr int kTempoPlaceMask = 0x0F;
constexpr int kTempoRowOrigin = 4;
constexpr int kTempoRowAxis = 0;
constexpr int kTempoColumnAxis = 1;

int32_t Scaled(const ScoreView* view, int32_t v) {
    const double scale = ViewScale(view);
    return scale > 0.0 ? static_cast<int32_t>(v * scale) : v;
}

// The boxes of the notes of one staff's cell in the view's current slot.
void AddNotes(ScoreView* view, MeasureCell* cell, std::vector<RecordRect>& room) {
    const int32_t space = StaffSpaceUnits(view);
    const int32_t reach = space * kNoteReachSpaces2 / 2;
    const int32_t slotX = CurrentSlotX(view);
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        int32_t chordTop = 0;
        bool beamedOn = false;             // the chord is beamed to the one before
        std::optional<LogicalPoint> stem;  // the end of the stem before, in a beam group
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) {
            const int32_t x = BeatMapTickToX(view, e->time) + slotX + e->nudge * kNudgeUnits;
            const int32_t y = view->staffY + Scaled(view, NotePosition(*e) * kStepUnits);
            RecordRect box{x - reach, y - space, x + reach, y + space};
            // A sharp or a flat reaches further above and below its head.
            if (NoteHasAccidental(*e)) {
                box.top = std::min(box.top, y - space * kAccidentalRiseSpaces);
                box.bottom = std::max(box.bottom, y + space * kAccidentalDropHalves / 2);
            }
            const EventRecord* before = PrevEvent(e);
            if (before == nullptr || IsHeadSentinel(*before) || before->time != e->time) beamedOn = false;
            beamedOn = beamedOn || static_cast<bool>(e->beamPrev);
            if (IsStemCarrier(*e)) chordTop = y;
            if (IsStemCarrier(*e) && !IsStemHidden(*e)) {
                const int32_t end = chordTop + Scaled(view, e->stemLength);
                box.top = std::min(box.top, end - space / 2);
                box.bottom = std::max(box.bottom, end + space / 2);
                // And the beam from the stem before: a slanted beam passes over the
                // room between the two notes' boxes.
                if (beamedOn && stem)
                    room.push_back({stem->x, std::min(stem->y, end) - space / 2, x, std::max(stem->y, end) + space / 2});
                stem = LogicalPoint{x, end};
            }
            // And the marks on it: an accent or a fermata beyond the head.
            const VerticalReach marks = AttachedMarksReach(view, e, 1.0);
            box.top = std::min(box.top, view->staffY - Scaled(view, static_cast<int32_t>(marks.above)));
            box.bottom = std::max(box.bottom, view->staffY + Scaled(view, static_cast<int32_t>(marks.below)));
            room.push_back(box);
        }
    }
}

// The rests of one staff's cell in the view's current slot, as drawn: a voice's
// rest moved off the middle of the staff reaches beyond its lines.
void AddRests(ScoreView* view, MeasureCell* cell, std::vector<RecordRect>& room) {
    for (int voice = 0; voice < kVoiceCount; ++voice)
        for (ScoreObject* o = GetVoiceFirstElement(cell, voice); o != nullptr; o = o->next.get())
            if (o->type == TypeCode(ObjectType::Rest) && !IsRestHidden(*RestBodyOf(o)))
                room.push_back(RestInkBox(view, o));
}

// The box of a curve of four points: from end to end, and from the higher (lower)
// end to the middle of the curve, `clearance` beyond.
RecordRect CurveBox(const LogicalPoint* p, int32_t clearance) {
    const int32_t middle = (p[0].y + 3 * p[1].y + 3 * p[2].y + p[3].y) / 8;
    return {std::min(p[0].x, p[3].x), std::min({p[0].y, p[3].y, middle}) - clearance, std::max(p[0].x, p[3].x),
            std::max({p[0].y, p[3].y, middle}) + clearance};
}

// The slurs of one staff's cell in the view's current slot, a quarter space beyond.
void AddSlurs(ScoreView* view, MeasureCell* cell, std::vector<RecordRect>& room) {
    const int32_t clearance = StaffSpaceUnits(view) / 4;
    for (ScoreObject* o = cell->objects ? cell->objects->next.get() : nullptr; o != nullptr; o = o->next.get()) {
        if (o->type != TypeCode(ObjectType::Slur)) continue;
        LogicalPoint p[4]{};
        DecodeAnchors(view, o->subtype, reinterpret_cast<ObjectLocation*>(AsSlur(o)->body.points), p, 4);
        room.push_back(CurveBox(p, clearance));
    }
}

// The ties from the notes of one staff's cell in the view's current slot, boxed as
// the slurs are; one that leaves the system also a few spaces on from its note, where
// a short one is drawn as a glyph.
void AddTies(ScoreView* view, MeasureCell* cell, std::vector<RecordRect>& room) {
    constexpr int kTieGlyphSpaces = 4;
    const int32_t space = StaffSpaceUnits(view);
    const int32_t clearance = space / 4;
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    for (int voice = 0; voice < kVoiceCount; ++voice)
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) {
            ScoreObject* tie = FindNoteTie(e);
            if (tie == nullptr) continue;
            const TieBody& body = AsTie(tie)->body;
            for (const TieTarget& target : FindTieTargets(view->document, view, e, staff, measure, TieVoice(body))) {
                const int ahead = target.measure - measure;
                if (ahead < 0 || ahead > 1) continue;
                const TieNotePoints at = TieNotePositions(view, e, target.note, ahead);
                if (at.leavesSystem)
                    room.push_back({at.start.x, at.start.y - space, at.start.x + kTieGlyphSpaces * space,
                                    at.start.y + space});
                room.push_back(CurveBox(ComputeTieCurve(body, view, e, target.note, ahead).outer, clearance));
            }
        }
}

// The octave lines and pedal brackets of one staff's cell at the view's current
// place: from end to end, their hooks included, a quarter space beyond.
void AddOctaveLinesAndPedalBrackets(ScoreView* view, MeasureCell* cell, std::vector<RecordRect>& room) {
    const int32_t clearance = StaffSpaceUnits(view) / 4;
    for (ScoreObject* o = cell->objects ? cell->objects->next.get() : nullptr; o != nullptr; o = o->next.get()) {
        if (o->type != TypeCode(ObjectType::Octave) && o->type != TypeCode(ObjectType::PedalBracket)) continue;
        SpannerEndpoint& ends = SpannerOf(o)->endpoint;
        LogicalPoint p[2]{};
        static_assert(sizeof(AnchorPoint) == sizeof(ObjectLocation));
        DecodeAnchors(view, o->subtype, reinterpret_cast<ObjectLocation*>(&ends.start), p, 2);
        const int32_t hooks[] = {p[0].y, p[1].y, p[0].y + Scaled(view, ends.startHook), p[1].y + Scaled(view, ends.endHook)};
        room.push_back({std::min(p[0].x, p[1].x), *std::min_element(hooks, hooks + 4) - clearance,
                        std::max(p[0].x, p[1].x), *std::max_element(hooks, hooks + 4) + clearance});
    }
}

// Whether a note of the cell carries a syllable.
bool CarriesLyrics(MeasureCell* cell) {
    for (int voice = 0; voice < kVoiceCount; ++voice)
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e))
            for (int verse = 0; verse < kVerseCount; ++verse)
                if (FindLyricOnNote(e, verse) != nullptr) return true;
    return false;
}

// The verse lines of one staff's cell in the view's current slot that its notes
// carry syllables on: each a band from barline to barline at the line's height.
void AddLyricLines(ScoreView* view, MeasureCell* cell, int32_t left, int32_t right,
                   std::vector<RecordRect>& room) {
    const int32_t bottomLine = view->staffY + Scaled(view, StaffLinesOf(view).bottom * kStepUnits);
    bool carried[kVerseCount] = {};
    for (int voice = 0; voice < kVoiceCount; ++voice)
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e))
            for (int verse = 0; verse < kVerseCount; ++verse)
                carried[verse] = carried[verse] || FindLyricOnNote(e, verse) != nullptr;
    const uint16_t* levels = view->document->header.lyricLevels;
    for (int verse = 0; verse < kVerseCount; ++verse) {
        if (!carried[verse]) continue;
        const int32_t baseline = bottomLine + Scaled(view, levels[verse]);
        room.push_back({left, baseline - Scaled(view, kLyricRiseSteps * kStepUnits), right,
                        baseline + Scaled(view, kLyricDropSteps * kStepUnits)});
    }
}

// How far under the staff's bottom line the slurs and the notes' marks (accents,
// fermatas, texts) of the cells whose notes carry syllables reach, in document
// units (0 when none reaches below it): the lowest of a slur's ends and its
// curve's middle, with a quarter space for its thickness, and the foot of a mark.
int32_t InkDepthUnderLyrics(ScoreView* view, ScorePage* page) {
    int32_t depth = 0;
    const double scale = ViewScale(view) > 0.0 ? ViewScale(view) : 1.0;
    for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get())
        for (int staff = 1; staff <= view->document->header.staffCount; ++staff)
            for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
                MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
                if (cell == nullptr || !CarriesLyrics(cell)) continue;
                SetCurrentSystemAndMeasureQuick(view, system, staff, measure);
                const int32_t bottomLine = view->staffY + Scaled(view, StaffLinesOf(view).bottom * kStepUnits);
                std::vector<RecordRect> slurs;
                AddSlurs(view, cell, slurs);
                AddTies(view, cell, slurs);
                AddOctaveLinesAndPedalBrackets(view, cell, slurs);
                for (const RecordRect& slur : slurs)
                    depth = std::max(depth, static_cast<int32_t>((slur.bottom - bottomLine) / scale));
                for (int voice = 0; voice < kVoiceCount; ++voice)
                    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) {
                        const VerticalReach marks = AttachedMarksReach(view, e, 1.0, NoteLyrics::LeftOut);
                        const int32_t foot = view->staffY + Scaled(view, static_cast<int32_t>(marks.below));
                        depth = std::max(depth, static_cast<int32_t>((foot - bottomLine) / scale));
                    }
            }
    return depth;
}

}  // namespace

std::vector<RecordRect> MeasureNumberRoom(ScoreView* view, ScoreSystem* system) {
    std::vector<RecordRect> room;
    const StaffLinesY lines = StaffLinesIn(view, system, 1);
    const int32_t space = StaffSpaceUnits(view);
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    for (int slot = 1; slot <= slots + 1; ++slot) {
        if (!IsMeasureNumberDueIn(view->document, system, slot, view->pageView)) continue;
        const int32_t barline = SlotBarlineX(view, system, slot);
        const int32_t rise = (slot == 1 ? kNumberRiseOverClef : kNumberRise) * space;
        room.push_back({barline - kNumberReachLeft * space, lines.top - rise,
                        barline + kNumberReachRight * space, lines.top});
    }
    return room;
}

void LowerLyricLinesUnderSlursAndMarks(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    LyricLineNeeds needs = MeasureLyricLineNeeds(view->document);
    if (!needs.any) return;
    int32_t depth = 0;
    {
        PageBeatMapScope pages(view);
        for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get()) {
            pages.Visit(page);
            depth = std::max(depth, InkDepthUnderLyrics(view, page));
        }
    }
    if (depth <= needs.lowestInk) return;
    needs.lowestInk = depth;
    PlanLyricLines(needs, view->document->header.lyricLevels);
}

PageBeatMapScope::PageBeatMapScope(ScoreView* view)
    : view_(view),
      page_(view->currentPage),
      system_(view->currentSystem),
      staff_(view->currentStaff),
      measure_(view->currentMeasure),
      pageView_(view->pageView) {
    view->pageView = 1;
}

PageBeatMapScope::~PageBeatMapScope() {
    view_->pageView = pageView_;
    view_->currentPage = page_;
    view_->currentSystem = system_;
    BuildBeatMapsOnLinkedViews(view_, 0);
    SetCurrentSystemAndMeasure(view_, system_, staff_, measure_, true);
}

void PageBeatMapScope::Visit(ScorePage* page) {
    view_->currentPage = page;
    view_->currentSystem = page->firstSystem.get();
    // The rows of the page's systems as a page view shows them. A view never drawn
    // yet, or showing its scroll view, has none of their tick places: its rows are
    // laid out first. A page view's rows are read as they stand, since laying them
    // out again would undo systems the import filled by width.
    const bool laidOut = pageView_ != 0 && view_->beatMap.rowsAllocated != 0;
    if (view_->currentSystem != nullptr) UpdateBeatMaps(view_, laidOut ? 0 : 1);
}

bool BoxesOverlap(const RecordRect& a, const RecordRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

int32_t SlotBarlineX(const ScoreView* view, const ScoreSystem* system, int slot) {
    if (system->number >= kBeatMapRows || slot < 1 || slot > kLastBeatMapSlot) return system->x;
    return system->x + view->beatMap.slotX[BeatMapCell(system->number, slot)];
}

int32_t StaffSpaceUnits(const ScoreView* view) {
    return std::max(Scaled(view, kSpaceUnits), 1);
}

StaffLinesY StaffLinesIn(ScoreView* view, ScoreSystem* system, int staff) {
    SetCurrentSystemAndMeasureQuick(view, system, staff, system->firstMeasure);
    const StaffLines lines = StaffLinesOf(view);
    return {view->staffY + Scaled(view, lines.top * kStepUnits),
            view->staffY + Scaled(view, lines.bottom * kStepUnits)};
}

std::vector<RecordRect> StaffMusicRoom(ScoreView* view, ScoreSystem* system, int staff) {
    std::vector<RecordRect> room;
    ScoreDocument* document = view->document;
    const int32_t space = StaffSpaceUnits(view);
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    const int32_t end = std::max(view->PageRight, MeasureSlotX(view, system, slots));
    const StaffLinesY lines = StaffLinesIn(view, system, staff);
    room.push_back({system->x, lines.top - space, end, lines.bottom + space});
    const int32_t signsTop = lines.top - kSignReachSpaces * space;
    const int32_t signsBottom = lines.bottom + kSignReachSpaces * space;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        SetCurrentSystemAndMeasureQuick(view, system, staff, measure);
        const int slot = view->currentSlot;
        const int32_t barline = slot == 1 ? system->x : SlotBarlineX(view, system, slot);
        room.push_back({barline, signsTop, MeasureSlotX(view, system, slot), signsBottom});
        if (MeasureCell* cell = ExistingMeasureCell(document, staff, measure)) {
            AddNotes(view, cell, room);
            AddRests(view, cell, room);
            AddSlurs(view, cell, room);
            AddTies(view, cell, room);
            AddLyricLines(view, cell, barline, SlotBarlineX(view, system, slot + 1), room);
        }
    }
    return room;
}

RecordRect TextExtentAround(ScoreView* view, ScoreObject* object) {
    if (object->type == TypeCode(ObjectType::Chord)) return ChordSymbolExtent(object, view);
    RecordRect box = TextLineExtent(view, object);
    const TextObject* text = AsTextObject(object);
    const int32_t width = box.right - box.left;
    if (object->type != TypeCode(ObjectType::Tempo) || (text->body.flags & kTempoNumberShown) == 0)
        return box;
    const MidiAction& action = *MidiActionOfText(object);
    const int row = (action.flags >> kTempoPlaceShift[kTempoRowAxis]) & kTempoPlaceMask;
    const int column = (action.flags >> kTempoPlaceShift[kTempoColumnAxis]) & kTempoPlaceMask;
    const ImportedTextSize number =
        MeasureImportedText(view, std::to_string(action.head.values.value), kTempoNumberStyle);
    const int32_t left = width / 2 + kTempoPlaceStep * column;
    const int32_t base = kTempoPlaceStep * (row - kTempoRowOrigin);
    box.right = std::max(box.right, left + number.width);
    box.top = std::min(box.top, base - number.baseline);
    box.bottom = std::max(box.bottom, base - number.baseline + number.height);
    return box;
}

std::vector<RecordRect> PageTextRoom(ScoreView* view) {
    std::vector<RecordRect> room;
    ScoreObject* list = PageObjectListOf(view);
    for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr;
         o = o->next.get()) {
        RecordRect box;
        if (PageTextBox(view, o, &box)) room.push_back(box);
    }
    return room;
}

}  // namespace ql
