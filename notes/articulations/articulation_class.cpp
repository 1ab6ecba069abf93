// The note articulation's class (see articulation_class.h): made at a click on a
// note, drawn in its note's music font, re-placed and flipped to its pair's other
// form, registered over the stored MIDI-mark class of type 26.
#include "notes/articulations/articulation_class.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/midi_services.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "notes/articulations/articulation_attach.h"
#include "notes/articulations/articulation_note_place.h"
#include "notes/articulations/articulation_tool.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/rests/staff_place.h"
#include "notes/ties/ties.h"
#include "objects/curves/curve_objects.h"
#include "objects/midi_marks/midi_marks.h"

namespace ql {
namespace {

constexpr uint8_t kArticulationType = TypeCode(ObjectType::NoteArticulation);
constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);
// Re-placing is one undo step named after the note's marks.
constexpr uint8_t kReplaceUndoType = 7;
constexpr int kFirstUnpairedFermata = 216;  // the fermata above
constexpr int kLastUnpairedFermata = 217;   // the fermata below
constexpr uint16_t kGlyphByte = 0x00FF;
// A mark's text style by its note's size class: the music font at 100, 75 and 65 %.
constexpr uint8_t kStyleOfSizeClass[] = {1, 2, 3};
constexpr int kSizeClasses = 3;

int GlyphOf(const ScoreObject* object) {
    return AsTextObject(object)->body.string & kGlyphByte;
}

int SizeClassOf(const EventRecord* note) {
    const int size = note != nullptr ? NoteSizeClass(*note) : 0;
    return size < kSizeClasses ? size : 0;
}

bool IsArticulation(const ScoreObject* object) {
    return object != nullptr && object->type == kArticulationType;
}

// The side an existing mark goes to: its own glyph's palette entry, the tremolo
// strokes across the stem.
ArticulationSide SideOfGlyph(ScoreView* view, EventRecord* note, int glyph) {
    if (glyph >= kFirstTremoloGlyph && glyph <= kLastTremoloGlyph) return ArticulationSide::OnStem;
    ArticulationPalette palette = ArticulationPalette::Accents;
    int entry = 0;
    if (!ArticulationEntryOfGlyph(glyph, &palette, &entry)) return ArticulationSide::Above;
    return ArticulationSideInView(view, note, palette, entry);
}

// The body's second word keeps the tick of the note a click placed the mark on.
void StoreNoteTick(ScoreObject* object, const EventRecord& note) {
    constexpr size_t kTickWord = sizeof(uint16_t);
    std::memcpy(reinterpret_cast<std::byte*>(&AsTextObject(object)->body.location) + kTickWord,
                &note.time, sizeof note.time);
}

void StoreAnchor(ScoreView* view, ScoreObject* object, const LogicalPoint& point) {
    PointToNoteAnchor(view, object, &AsTextObject(object)->body.location, point);
}

// The legato or staccato bit of the chord's end note (where the chord's marks are
// read), drawn in the highlight colours when set and erased when cleared.
void ToggleNoteBit(ScoreView* view, EventRecord* note, int entry) {
    EventRecord* first = GetFirstEventOfChord(note);
    EventRecord* end = notedraw::ChordStemsUp(*first) ? GetLastEventOfChord(note) : first;
    const uint16_t bit = entry == kLegatoEntry ? kNoteLegato : kNoteStaccato;
    const bool set = (end->word2 & bit) == 0;
    UndoStep step(view->document, view, UndoKind::Item, kNoteType, UndoVerb::Change);
    const int32_t x = notedraw::ChordX(view, *first);
    auto drawMark = [&] {
        if (entry == kLegatoEntry)
            DrawLegatoMark(first, view, x);
        else
            DrawStaccatoMark(first, view, x);
    };
    BeginViewDraw(view);
    if (set) {
        end->word2 = static_cast<uint16_t>(end->word2 | bit);
        BeginHighlightDraw(view);
        drawMark();
    } else {
        BeginSelectionDraw(view);
        drawMark();
        end->word2 = static_cast<uint16_t>(end->word2 & ~bit);
    }
    EndHighlightDraw(view);
    EndViewDraw(view);
    SetDocumentModified(view->document);
}

// The y spans the ties starting or ending at the notes of a chord cover there.
std::vector<std::pair<int32_t, int32_t>> TieSpansAtChord(ScoreView* view, EventRecord* note) {
    std::vector<std::pair<int32_t, int32_t>> spans;
    EventRecord* e = GetFirstEventOfChord(note);
    EventRecord* last = GetLastEventOfChord(note);
    const int voice = ArticulationVoiceOf(view, e);
    for (int walked = 0; e != nullptr && last != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
        std::vector<ScoreObject*> ties;
        if (ScoreObject* tie = FindNoteTie(e)) ties.push_back(tie);
        if ((e->word2 & kTieEndsHere) != 0)
            for (const TieTarget& source :
                 FindTiesIntoNote(view->document, view, e, view->currentStaff, view->currentMeasure, voice))
                if (ScoreObject* tie = FindNoteTie(source.note)) ties.push_back(tie);
        // Both ends of a tie stand level with its notes' heads, which share a pitch.
        const int32_t y = GetEventPosition(e, view).y;
        for (ScoreObject* tie : ties) {
            const TieExtent extent = TieExtentOf(AsTie(tie)->body);
            spans.emplace_back(y + Zoomed(view, extent.top), y + Zoomed(view, extent.bottom));
        }
        if (e == last) break;
    }
    return spans;
}

// A mark on a tied chord stands beyond the tie on its side: the tie lies against
// the heads, the mark outside it, its measured ink a gap off the tie's curve.
void PointBeyondTies(ScoreView* view, ScoreObject* object, LogicalPoint* point) {
    EventRecord* note = OwnerNoteOf(object);
    const int glyph = GlyphOf(object);
    if (view == nullptr || view->document == nullptr || note == nullptr ||
        (glyph >= kFirstTremoloGlyph && glyph <= kLastTremoloGlyph))
        return;
    constexpr int32_t kTieGap = 32;  // score units between a tie and a mark
    const int32_t gap = ZoomX(view, kTieGap);
    const TextObjectBody& body = AsTextObject(object)->body;
    const int32_t ascent = LoadField<uint16_t>(&body.baseline);
    const int32_t descent = std::max<int32_t>(LoadField<int32_t>(&body.height) - ascent, 0);
    const bool above = point->y <= GetEventPosition(note, view).y;
    for (const auto& [top, bottom] : TieSpansAtChord(view, note)) {
        if (point->y - ascent >= bottom + gap || point->y + descent <= top - gap) continue;
        point->y = above ? std::min(point->y, top - gap - descent) : std::max(point->y, bottom + gap + ascent);
    }
}

}  // namespace

const NoteArticulationClass& TheNoteArticulationClass() {
    static const NoteArticulationClass instance;
    return instance;
}

void RegisterNoteArticulationClass() {
    RegisterObjectClass(ClassOfType(ObjectType::NoteArticulation), &TheNoteArticulationClass());
    RegisterObjectType(kArticulationType,
                       {kMidiTextRecordPool, &ConstructArticulationForRead, kMidiTextObjectOffset});
}

void ConstructArticulationForView(ScoreObject* object, ScoreView*) {
    ConstructArticulationForRead(object);
    MidiActionOfText(object)->flags &= static_cast<uint16_t>(~kMidiFlagEnabled);
    const ArticulationToolState& tool = ArticulationTools();
    AsTextObject(object)->body.string =
        static_cast<uint16_t>(ArticulationGlyphOf(tool.palette, tool.EntryInForce()));
}

int ReplaceArticulationGlyph(ScoreView* view, ScoreObject* object, LogicalPoint* out, bool force) {
    if (view == nullptr || !IsArticulation(object) || out == nullptr) return 0;
    if (!force && State().program.AutoFlipAccents == 0) return 0;
    TextObject* text = AsTextObject(object);
    const int glyph = GlyphOf(object);
    if ((text->body.flags & kTextGlyphByHand) != 0) return 0;
    if (glyph >= kFirstUnpairedFermata && glyph <= kLastUnpairedFermata) return 0;
    uint8_t upper = 0;
    uint8_t lower = 0;
    if (!ArticulationGlyphPair(static_cast<uint8_t>(glyph), &upper, &lower)) return 0;
    EventRecord* note = OwnerNoteOf(object);
    if (note == nullptr) return 0;
    EventRecord* placed = nullptr;
    if (glyph >= kFirstTremoloGlyph && glyph <= kLastTremoloGlyph) {
        placed = PlaceArticulationOnStem(view, note, out, glyph);
    } else {
        constexpr int kFirstLowerVoice = 2;
        EventRecord* first = GetFirstEventOfChord(note);
        const bool lowerForm = notedraw::IsSingleVoiceLayout(view)
                                   ? first != nullptr && notedraw::ChordStemsUp(*first)
                                   : ArticulationVoiceOf(view, first) >= kFirstLowerVoice;
        const uint8_t form = lowerForm ? lower : upper;
        text->body.string = static_cast<uint16_t>((text->body.string & ~kGlyphByte) | form);
        placed = PlaceArticulationOnSide(
            view, note, lowerForm ? ArticulationSide::Below : ArticulationSide::Above, form, out);
    }
    if (placed == nullptr) return 0;
    PointBeyondTies(view, object, out);
    StoreAnchor(view, object, *out);
    return 1;
}

bool PlaceAttachedArticulation(ScoreView* view, ScoreObject* object) {
    if (view == nullptr || !IsArticulation(object)) return false;
    EventRecord* note = OwnerNoteOf(object);
    if (note == nullptr) return false;
    LogicalPoint point{};
    if (ReplaceArticulationGlyph(view, object, &point, true) != 0) return true;
    int glyph = GlyphOf(object);
    const ArticulationSide side = SideOfGlyph(view, note, glyph);
    // The two fermatas are no pair that flips with the stem, but a fermata put on
    // the other side takes that side's form (the lower voice's opens downwards).
    TextObject* text = AsTextObject(object);
    const bool fermata = glyph == kFirstUnpairedFermata || glyph == kLastUnpairedFermata;
    if (fermata && side != ArticulationSide::OnStem && (text->body.flags & kTextGlyphByHand) == 0) {
        glyph = side == ArticulationSide::Below ? kLastUnpairedFermata : kFirstUnpairedFermata;
        text->body.string = static_cast<uint16_t>((text->body.string & ~kGlyphByte) | glyph);
    }
    if (PlaceArticulationOnSide(view, note, side, glyph, &point) == nullptr) return false;
    PointBeyondTies(view, object, &point);
    StoreAnchor(view, object, point);
    return true;
}

void StackChordArticulations(ScoreView* view, const std::vector<ScoreObject*>& marks) {
    if (view == nullptr || marks.size() < 2) return;
    constexpr int32_t kStackGap = 32;  // score units between two stacked marks
    struct Placed {
        ScoreObject* object;
        LogicalPoint point;
        int32_t box;
        int32_t headY;
        int glyph;
    };
    std::vector<Placed> above;
    std::vector<Placed> below;
    for (ScoreObject* object : marks) {
        const EventRecord* note = IsArticulation(object) ? OwnerNoteOf(object) : nullptr;
        const int glyph = note != nullptr ? GlyphOf(object) : 0;
        if (note == nullptr || (glyph >= kFirstTremoloGlyph && glyph <= kLastTremoloGlyph)) continue;
        const int32_t headY = notedraw::BottomLineY(view) + ZoomX(view, NotePosition(*note) * kUnitsPerStaffStep);
        const Placed placed{object, TextObjectAnchorPoint(object, view), ZoomX(view, ArticulationGlyphBox(glyph)), headY, glyph};
        (placed.point.y <= headY ? above : below).push_back(placed);
    }
    // A mark's glyph stands on its anchor: it covers [y - box, y]. Of marks at one
    // place the accents stand nearer the heads than the ornaments (by glyph).
    const int32_t gap = ZoomX(view, kStackGap);
    const auto nearer = [](int32_t a, int32_t b, int glyphA, int glyphB) { return a != b ? a < b : glyphA < glyphB; };
    std::sort(above.begin(), above.end(),
              [&](const Placed& a, const Placed& b) { return nearer(-a.point.y, -b.point.y, a.glyph, b.glyph); });
    for (size_t i = 1; i < above.size(); ++i) {
        const int32_t limit = above[i - 1].point.y - above[i - 1].box - gap;
        if (above[i].point.y <= limit) continue;
        above[i].point.y = limit;
        StoreAnchor(view, above[i].object, above[i].point);
    }
    std::sort(below.begin(), below.end(),
              [&](const Placed& a, const Placed& b) { return nearer(a.point.y, b.point.y, a.glyph, b.glyph); });
    for (size_t i = 1; i < below.size(); ++i) {
        const int32_t limit = below[i - 1].point.y + below[i].box + gap;
        if (below[i].point.y >= limit) continue;
        below[i].point.y = limit;
        StoreAnchor(view, below[i].object, below[i].point);
    }
}

void MoveChordMarksBeyondTies(ScoreView* view, EventRecord* note) {
    EventRecord* e = note != nullptr ? GetFirstEventOfChord(note) : nullptr;
    EventRecord* last = note != nullptr ? GetLastEventOfChord(note) : nullptr;
    for (int walked = 0; view != nullptr && e != nullptr && last != nullptr && walked < kMaxChainLength;
         e = NextEvent(e), ++walked) {
        for (ScoreObject* o = GetEventAttachment(e); o != nullptr; o = o->next.get()) {
            if (!IsArticulation(o)) continue;
            LogicalPoint point = TextObjectAnchorPoint(o, view);
            const int32_t before = point.y;
            PointBeyondTies(view, o, &point);
            if (point.y != before) StoreAnchor(view, o, point);
        }
        if (e == last) break;
    }
}

void NoteArticulationClass::Measure(ScoreObject* object, ScoreView* view) const {
    AsTextObject(object)->body.style = kStyleOfSizeClass[SizeClassOf(OwnerNoteOf(object))];
    MidiTextObjectClass::Measure(object, view);
}

void NoteArticulationClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return;
    LogicalPoint point{};
    if (ReplaceArticulationGlyph(view, object, &point, false) == 0)
        point = TextObjectAnchorPoint(object, view);
    const EventRecord* note = OwnerNoteOf(object);
    BeginViewDraw(view);
    DrawArticulationMark(view, SizeClassOf(note), static_cast<uint8_t>(GlyphOf(object)), point.x,
                         point.y);
    EndViewDraw(view);
}

ScoreObject* AttachPlacedArticulation(ScoreView* view, EventRecord* note, ArticulationPalette palette,
                                      int entry) {
    if (view == nullptr || note == nullptr || !IsArticulationEntry(palette, entry)) return nullptr;
    const int glyph = ArticulationGlyphOf(palette, entry);
    ScoreObject* object = AttachArticulationObject(view, note, glyph);
    if (object == nullptr) return nullptr;
    MidiActionOfText(object)->flags &= static_cast<uint16_t>(~kMidiFlagEnabled);
    StoreNoteTick(object, *note);
    LogicalPoint point{};
    const ArticulationSide side = ArticulationSideInView(view, note, palette, entry);
    if (PlaceArticulationOnSide(view, note, side, glyph, &point) != nullptr)
        StoreAnchor(view, object, point);
    TheNoteArticulationClass().Measure(object, view);
    return object;
}

bool AttachPaletteEntryToNote(ScoreView* view, EventRecord* note, ArticulationPalette palette, int entry) {
    if (palette == ArticulationPalette::Accents && (entry == kLegatoEntry || entry == kStaccatoEntry))
        return AttachArticulation(view, note, palette, entry).changed;
    return AttachPlacedArticulation(view, note, palette, entry) != nullptr;
}

ScoreObject* NoteArticulationClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    EventRecord* note = FindEventUnderPointer(view);
    if (note == nullptr) return nullptr;
    const ArticulationToolState& tool = ArticulationTools();
    const int entry = tool.EntryInForce();
    const bool noteBit = tool.palette == ArticulationPalette::Accents &&
                         (entry == kLegatoEntry || entry == kStaccatoEntry);
    if (noteBit && !CtrlHeld()) {
        ToggleNoteBit(view, note, entry);
        return nullptr;
    }
    // The record is taken inside the step, so that undoing it gives the record back.
    UndoStep step(view->document, view, UndoKind::Item, kArticulationType, UndoVerb::Add);
    ScoreObject* object = AttachPlacedArticulation(view, note, tool.palette, entry);
    if (object == nullptr) return nullptr;
    if (SelectionState* selection = TheSelectionState())
        selection->focusedObject = Ref32<ScoreObject>::To(object);
    return object;
}

// The articulation's MIDI (Enable MIDI, the message, its timing and destination) and
// its image are edited in the "MIDI Event" dialog.
int NoteArticulationClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || !IsArticulation(object)) return 0;
    return OpenMidiEventDialog(view, object) == 1 ? 1 : 0;
}

void NoteArticulationClass::Invalidate(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr || !IsArticulation(object)) return;
    const int glyph = GlyphOf(object);
    EventRecord* note = OwnerNoteOf(object);
    if (glyph >= kFirstUnpairedFermata || note == nullptr) return;
    UndoStep step(view->document, view, UndoKind::Item, kReplaceUndoType, UndoVerb::Modify);
    BeginViewDraw(view);
    BeginSelectionDraw(view);
    Draw(object, view);
    EndHighlightDraw(view);
    PlaceAttachedArticulation(view, object);
    Draw(object, view);
    EndViewDraw(view);
    SetDocumentModified(view->document);
}

void NoteArticulationClass::ResetState(ScoreObject* object, ScoreView*) const {
    AsTextObject(object)->body.flags &= static_cast<uint16_t>(~(kTextYFromStaff | kTextGlyphByHand));
}

}  // namespace ql
