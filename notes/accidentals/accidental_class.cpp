// The Accidental's class: construction and registration under type code 38, the sign
// made for a note, its glyph, copies, reset, drag and drop. Drawing is in
// accidental_draw.cpp, the tools in accidental_tools.cpp.
#include <cstring>
#include <string>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/view_drawing.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "core/model/engraving_metrics.h"
#include "core/ui/selection_services.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_internal.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/owner_handles.h"

namespace ql {

namespace accidentals {

namespace {

constexpr int kEventSizeShift = 4;
constexpr int kUnknownSizeClass = 3;
// Text style of a sign by the note's size class 0..2.
constexpr uint8_t kStyleOfSizeClass[] = {3, 2, 1};

void ConstructAccidentalRecord(ScoreObject* record) {
    ConstructAccidental(record);
}

}  // namespace

const AccidentalClass& TheAccidentalClass() {
    static const AccidentalClass instance;
    return instance;
}

void ConstructAccidental(ScoreObject* record) {
    TextObject* text = AsTextObject(record);
    ConstructTextObject(text);
    record->classId = ClassOfType(ObjectType::Accidental);
    record->type = TypeCode(ObjectType::Accidental);
    record->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    text->body.flags |= kTextMusicGlyph;
    text->body.style = kStyleOfSizeClass[0];
    text->body.string = 0;
}

EventRecord* OwnerNoteOfSign(const ScoreObject* accidental) {
    if (accidental == nullptr || !accidental->prev) return nullptr;
    auto* note = reinterpret_cast<EventRecord*>(accidental->prev.get());
    if (!IsLiveRecord(CurrentPoolSet(), kEventRecordPool, note)) return nullptr;
    return GetEventAttachment(note) == accidental ? note : nullptr;
}

int SizeClassOfNote(const EventRecord& note) {
    return (note.flags & kEventSizeClassMask) >> kEventSizeShift;
}

int16_t DefaultAccidentalOffset(const ScoreView* view, const EventRecord* note) {
    if (view == nullptr || view->document == nullptr) return 0;
    int32_t offset = -EngravingMetricOf(*view->document, EngravingMetric::Accident);
    const bool farSide = note != nullptr && (note->word2 & kEventHeadOtherSide) != 0;
    const bool stemDown = note != nullptr && (note->flags & kEventStemFlag) == 0;
    if (farSide && stemDown) {
        int32_t head = view->glyphWidths.black;
        if (head == 0) head = GlyphMetricOf(*view->document, kBlackHeadCode).advance;
        offset -= head;
    }
    return static_cast<int16_t>(std::clamp<int32_t>(offset, INT16_MIN, INT16_MAX));
}

ScoreObject* AccidentalClass::Clone(ScoreObject* object, ScoreView*, PoolSet source,
                                    PoolSet target) const {
    ScopedPoolSet allocating(target);
    auto* copy = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (copy == nullptr) return nullptr;
    ConstructAccidental(copy);
    if (CopyTextObjectBody(AsTextObject(copy), AsTextObject(object)->body, source, target) == 0) {
        DestroyTextObject(AsTextObject(copy));
        FreeRecord(kTextObjectPool, copy);
        return nullptr;
    }
    copy->type = object->type;
    copy->subtype = object->subtype;
    return copy;
}

void AccidentalClass::ResetState(ScoreObject* object, ScoreView* view) const {
    TextObject* text = AsTextObject(object);
    text->body.flags &= static_cast<uint16_t>(~kAccidentalPlacedByHand);
    SetAccidentalOffset(object, DefaultAccidentalOffset(view, OwnerNoteOfSign(object)));
}

const char* AccidentalClass::GetDisplayText(ScoreObject* object, ScoreView*) const {
    const int glyph = AccidentalGlyph(object);
    const char sign = glyph != 0 ? static_cast<char>(glyph) : '?';
    std::string shown(1, sign);
    if (AccidentalParentheses(object) != 0) shown = std::string("(") + sign + ")";
    char* buffer = State().text.display;
    std::memcpy(buffer, shown.c_str(), shown.size() + 1);
    return buffer;
}

void AccidentalClass::TrackDrag(ScoreObject* object, ScoreView* view) const {
    TextObjectClass::TrackDrag(object, view);
    AsTextObject(object)->body.flags |= kAccidentalPlacedByHand;
}

// The sign moves only horizontally: the pointer is held on the y where the drag began.
void AccidentalClass::ConstrainDrag(ScoreObject*, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr || view == nullptr) return;
    selection->dragOffsetY = 0;
    if (view->pointerPoint.y != selection->grabY)
        MovePointerToPoint(view, view->pointerPoint.x, selection->grabY);
}

void AccidentalClass::Invalidate(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return;
    UndoStep step(view->document, view, UndoKind::Item, kAccidentalUndoType, UndoVerb::Modify);
    BeginSelectionDraw(view);
    Draw(object, view);
    EndHighlightDraw(view);
    ResetState(object, view);
    Draw(object, view);
    Measure(object, view);
    SetDocumentModified(view->document);
}

int AccidentalClass::HandleDrop(ScoreObject*, ScoreView* view, ScoreObject* target,
                                HitRecord*) const {
    if (State().program.ShutdownFlag != 0 || view == nullptr || target == nullptr) return 0;
    SetDocumentModified(view->document);
    SelectionState* selection = TheSelectionState();
    if (selection != nullptr && !selection->commitAfterMessage && selection->focusedObject.get() == target)
        UnfocusElement(view);
    BeginSelectionDraw(view);
    ClassOf(target).DrawSelected(target, view);
    EndHighlightDraw(view);
    if (EventRecord* note = OwnerNoteOfSign(target))
        SetNoteAccidentalCode(*note, CodeOf(AccidentalCode::None));
    ReleaseHitRecordsOf(target);
    RedrawCurrentMeasure(view);
    return 1;
}

}  // namespace accidentals

using namespace accidentals;

int AccidentalGlyphOfCode(int code) {
    return code >= 1 && code <= kLastAccidentalCode ? kAccidentalGlyphBase + code : 0;
}

void RegisterAccidentalClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Accidental), &TheAccidentalClass());
    RegisterObjectType(TypeCode(ObjectType::Accidental), {kTextObjectPool, &ConstructAccidentalRecord});
}

void SetAccidentalGlyph(ScoreObject* accidental, int code) {
    const int glyph = AccidentalGlyphOfCode(code);
    if (glyph == 0 || accidental == nullptr || accidental->type != TypeCode(ObjectType::Accidental))
        return;
    TextObject* text = AsTextObject(accidental);
    if ((text->body.flags & kTextOwnsString) != 0) return;
    text->body.string = static_cast<uint16_t>(glyph);
}

ScoreObject* NewAccidentalForNote(ScoreView* view, EventRecord* note) {
    if (note == nullptr || note->attachment) return nullptr;
    ScoreObject* accidental = ConstructObject(TypeCode(ObjectType::Accidental));
    if (accidental == nullptr) return nullptr;
    accidental->next = Ref32<ScoreObject>{};
    SetAccidentalOffset(accidental, DefaultAccidentalOffset(view, note));
    note->attachment = PtrToHandle(kTextObjectPool, accidental);
    accidental->prev = Ref32<ScoreObject>::To(reinterpret_cast<ScoreObject*>(note));
    SetAccidentalGlyph(accidental, NoteAccidentalCode(*note));
    const int size = SizeClassOfNote(*note);
    AsTextObject(accidental)->body.style =
        size < kUnknownSizeClass ? kStyleOfSizeClass[size] : kStyleOfSizeClass[0];
    ClassOf(accidental).Measure(accidental, view);
    return accidental;
}

void DeleteAccidental(ScoreObject* accidental) {
    if (accidental != nullptr) FreeRecord(kTextObjectPool, accidental);
}

bool AccidentalDrawsItself(const ScoreObject* accidental) {
    return IsAccidentalPlacedByHand(accidental) || IsAccidentalWide(accidental) ||
           IsAccidentalHidden(accidental);
}

}  // namespace ql
