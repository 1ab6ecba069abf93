// The four accidental tools: natural, sharp (double sharp in its double state), flat
// (double flat) and parentheses. A click on a note writes the tool's code; a click
// that repeats the note's code takes the sign away step by step (a parenthesised sign
// first loses its parentheses, a plain one goes). The parentheses tool toggles the
// parentheses of a note that has a code. Every click is one undoable edit of type 38.
// A mouse move changes a note only while the left button is held (dragging the tool
// over notes), so that passing over a note never edits it.
#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "display/view_pointer.h"
#include "layout/measure_spacing.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_internal.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace accidentals {

namespace {

constexpr int kPointerInput = 1;
constexpr int kNudgeUnit = 16;

// The code the armed tool writes.
int ToolCode(const AccidentalToolState& tools) {
    switch (tools.tool) {
        case AccidentalTool::Natural:
            return CodeOf(AccidentalCode::Natural);
        case AccidentalTool::Sharp:
            return CodeOf(tools.doubled != 0 ? AccidentalCode::DoubleSharp : AccidentalCode::Sharp);
        case AccidentalTool::Flat:
            return CodeOf(tools.doubled != 0 ? AccidentalCode::DoubleFlat : AccidentalCode::Flat);
        case AccidentalTool::Parentheses:
            break;
    }
    return CodeOf(AccidentalCode::None);
}

// Redraws after a change of a note's sign: respaced when the widths changed, else the
// measure is drawn again; the selection is asked to redraw its marks.
void RedrawAfterChange(ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    RefreshMeasureWidths(view, false, false);
    RedrawCurrentMeasure(view);
    selection->rebuildRequested = 1;
}

// Wipes the place of the note's sign: the staff lines over three heads from half a
// head left of the note.
void WipeSignPlace(ScoreView* view, const EventRecord& note) {
    const int32_t x = CurrentSlotX(view) + BeatMapTickToX(view, note.time) + note.nudge * kNudgeUnit -
                      view->glyphWidths.black / 2;
    DrawStaffLinesAt(view, x);
}

void ToggleParentheses(ScoreView* view, EventRecord* note) {
    ScoreObject* sign = AccidentalOfNote(*note);
    if (sign == nullptr) sign = NewAccidentalForNote(view, note);
    if (sign == nullptr) return;
    SetAccidentalParentheses(sign, AccidentalParentheses(sign) != 0 ? 0 : kAccidentalParenthesised);
    RedrawAfterChange(view);
}

void ApplyCode(ScoreView* view, EventRecord* note, int code) {
    if (code != NoteAccidentalCode(*note)) {
        SetNoteAccidental(view, note, code, false);
        return;
    }
    ScoreObject* sign = AccidentalOfNote(*note);
    if (sign != nullptr && AccidentalParentheses(sign) != 0)
        SetAccidentalParentheses(sign, 0);
    else
        SetNoteAccidentalCode(*note, CodeOf(AccidentalCode::None));
    RedrawAfterChange(view);
}

// One click of the armed tool on the note under the pointer; 0 when the parentheses
// tool meets a note without a code.
intptr_t ClickNote(ScoreView* view, EventRecord* note) {
    const AccidentalToolState& tools = State().notes.AccidentalTools;
    const bool parentheses = tools.tool == AccidentalTool::Parentheses;
    if (parentheses && NoteAccidentalCode(*note) == CodeOf(AccidentalCode::None)) return 0;
    WipeSignPlace(view, *note);
    UndoStep step(view->document, view, UndoKind::Item, kAccidentalUndoType, UndoVerb::Change);
    SetDocumentModified(view->document);
    if (parentheses)
        ToggleParentheses(view, note);
    else
        ApplyCode(view, note, ToolCode(tools));
    return 1;
}

}  // namespace

}  // namespace accidentals

using namespace accidentals;

int SetNoteAccidental(ScoreView* view, EventRecord* note, int code, bool drawNow) {
    if (view == nullptr || note == nullptr) return 1;
    if (drawNow) BeginViewDraw(view);
    ScoreObject* sign = AccidentalOfNote(*note);
    if (sign == nullptr) sign = NewAccidentalForNote(view, note);
    SetAccidentalGlyph(sign, code);
    SetNoteAccidentalCode(*note, code);
    const bool parentheses = State().notes.AccidentalTools.parenthesesOn != 0;
    SetAccidentalParentheses(sign, parentheses ? kAccidentalParenthesised : 0);
    RedrawAfterChange(view);
    if (drawNow) EndViewDraw(view);
    return 1;
}

intptr_t AccidentalToolHandler(ScoreView* view, int action, ToolRecord* /*record*/,
                               platform::WindowHandle /*window*/, win::Message message,
                               uint32_t word, intptr_t data) {
    if (action != kPointerInput || view == nullptr || view->document == nullptr) return 0;
    const bool down = message == win::Message::LeftButtonDown;
    const bool move = message == win::Message::MouseMove;
    if (!down && !move) return 0;
    BeginViewDraw(view);
    PointerToLogicalPoint(view, static_cast<uint32_t>(data));
    intptr_t result = 1;
    const bool dragging = move && (word & win::kMouseLeftButton) != 0;
    if (down || dragging) {
        if (EventRecord* note = FindEventUnderPointer(view)) result = ClickNote(view, note);
    }
    EndViewDraw(view);
    return result;
}

}  // namespace ql
