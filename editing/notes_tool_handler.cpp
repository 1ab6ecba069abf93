// The Notes tool's handler: select arms the Note type (with rests selectable too),
// shows the Notes palette and names the tool; a message goes to the Notes palette's
// current tool when that is one of its own tools, else to the Notes tool's keys and
// the shared mouse processing, in the order that lets a click enter a note; deselect
// ends a held placement, hides the note cursor and disarms.
#include "editing/notes_tool_handler.h"

#include "core/constants.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/units/save_stacks.h"
#include "display/view_pointer.h"
#include "editing/palette_layout.h"
#include "editing/note_palette_popup.h"
#include "editing/palette_windows.h"
#include "editing/rest_tool_handler.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "editing/tool_records.h"
#include "notes/entry/note_cursor.h"
#include "notes/entry/note_preview.h"
#include "notes/handler/notes_tool.h"
#include "platform/win/keys.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int kNoteType = TypeCode(ObjectType::Note);
constexpr int kLastValueEntry = 6;
constexpr uint16_t kEighthEntry = 4;

// Set while the Notes palette is shown because this tool was chosen.
bool g_paletteShownByTool = false;

bool Idle(const SelectionState* s) {
    return s->editMode <= 0 && s->modal == 0;
}

// The focused object is the armed tool's prototype while nothing is focused.
bool HasFocusedObject(const SelectionState* s) {
    return s->focusedObject && s->focusedObject != s->defaultObject;
}

// A rest chosen (not dragged): the one the rest tool has just placed.
bool RestChosen(const SelectionState* s) {
    const ScoreObject* focused = s->focusedObject.get();
    return s->editMode == 1 && s->modal == 0 && HasFocusedObject(s) && focused != nullptr &&
           focused->type == TypeCode(ObjectType::Rest);
}

// Whether the right button went down on one of the objects the tool can choose.
bool ClickHitsAnObject(ScoreView* view, intptr_t data) {
    PointerToLogicalPoint(view, static_cast<uint32_t>(data));
    return FindRecordUnderPointer(view) != nullptr;
}

// The Notes palette's current button when it is a tool of its own (note heads, dots,
// tuplets, accidentals); null for the value buttons.
ToolRecord* EntryTool() {
    const uint16_t entry = State().notes.NoteTools.selectedEntry;
    if (entry <= kLastValueEntry) return nullptr;
    ToolRecord* record = ToolRecordOf(kNotesPalette, entry);
    return record != nullptr && record->handler != nullptr && record->handler != NotesToolHandler ? record
                                                                                                   : nullptr;
}

void ArmNotes(ScoreView* view, SelectionState* s) {
    // The tool keeps the behaviour code SelectToolType gives (5), not 3: code 3 would
    // collect only notes and rests of the voice chain, and the tool would no longer
    // reach the ties, accidentals and other objects of the measure it edits.
    SelectToolType(view, kNoteType);
    s->secondaryType = TypeCode(ObjectType::Rest);
    ClearStatusBar();
    SetStatusText(0, "Notes tool");
    SendSustainPedal(view, false);
    State().input.ToolCursorState = 1;  // the note cursor shows from now on
}

intptr_t PassMessage(ScoreView* view, platform::WindowHandle window, win::Message message, uint32_t word,
                 intptr_t data) {
    const SelectionState* s = TheSelectionState();
    if (message == win::Message::KeyUp && word == static_cast<uint32_t>(win::Key::Control))
        SendSustainPedal(view, false);
    if (State().notes.NoteEntry.pointerHeld != 0 &&
        (message == win::Message::MouseMove || message == win::Message::LeftButtonUp)) {
        NotesToolMessage(view, window, message, word, data);
        return 1;
    }
    const bool keysFirst = Idle(s) && message != win::Message::LeftButtonDown && message != win::Message::MouseMove;
    if (keysFirst) {
        if (const intptr_t taken = NotesToolMessage(view, window, message, word, data)) return taken;
        return HandleToolMouseMessage(view, window, message, word, data);
    }
    if (const intptr_t taken = HandleToolMouseMessage(view, window, message, word, data)) return taken;
    return NotesToolMessage(view, window, message, word, data);
}

void Disarm(ScoreView* view, platform::WindowHandle window) {
    if (State().notes.NoteEntry.pointerHeld != 0)
        NotesToolMessage(view, window, win::Message::LeftButtonUp, 0, 0);
    State().notes.NoteEntry.pointerHeld = 0;
    HideNoteCursor(view);
    DeselectTool(view);
}

}  // namespace

intptr_t NotesToolHandler(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                          win::Message message, uint32_t word, intptr_t data) {
    SelectionState* s = TheSelectionState();
    if (view == nullptr || s == nullptr) return 0;
    if (action == ToolAction::Message && message == win::Message::KillFocus) {
        NotesToolMessage(view, window, message, word, data);
        return 0;
    }
    if (view->document == nullptr || view->document->header.staffCount == 0) return 0;
    // A right click while nothing is being edited asks for the Notes palette under
    // the pointer; on an object (a note) it opens that object's menu as before.
    if (message == win::Message::RightButtonDown && Idle(s) && !HasFocusedObject(s) && !ClickHitsAnObject(view, data)) {
        HideCursorAndPopUpNotePalette(view);
        return 1;
    }
    if (action == ToolAction::Select) {
        win::ShowWindow(PaletteWindow(kNotesPalette), win::ShowCommand::ShowNoActivate);
        g_paletteShownByTool = true;
    }
    // The value keys work with rests shown as with notes; R also with the rest just
    // placed still chosen (it lets go of it).
    if (action == ToolAction::Message && message == win::Message::KeyDown && IsNotePaletteKey(word) &&
        (Idle(s) || (word == static_cast<uint32_t>(win::LetterKey('R')) && RestChosen(s)))) {
        if (!Idle(s)) UnfocusElement(view);
        return NotesToolMessage(view, window, message, word, data);
    }
    // The value buttons show rests: the rest tool places them.
    if (action != ToolAction::Deselect && NotesPaletteShowsRests() && EntryTool() == nullptr)
        return RestToolHandler(view, action, record, window, message, word, data);
    const bool armed = s->armed != 0 && s->toolType == kNoteType;
    switch (action) {
        case ToolAction::Select:
            ArmNotes(view, s);
            return 1;
        case ToolAction::Reclick:  // pressed again: re-armed when something disarmed it
            if (armed) return 0;
            ArmNotes(view, s);
            return 1;
        case ToolAction::Message:
        case ToolAction::SelectThenMessage:
            if (BindArmedTool(view, message, window, kNoteType) == 0 || s->armed == 0)
                action = ToolAction::SelectThenMessage;
            if (action == ToolAction::SelectThenMessage) ArmNotes(view, s);
            if (ToolRecord* tool = EntryTool())
                return tool->handler(view, ToolAction::Message, tool, window, message, word, data);
            if (record != nullptr) State().locate.ArmedToolCode = static_cast<uint8_t>(record->bitmapId);
            return PassMessage(view, window, message, word, data);
        case ToolAction::Deselect:
            if (CurrentToolGroup() != ToolGroup::Note) {  // another button set becomes current
                if (g_paletteShownByTool) PopCursorPosition(true);
                g_paletteShownByTool = false;
                if (State().notes.NoteTools.selectedEntry > kLastValueEntry)
                    State().notes.NoteTools.selectedEntry = kEighthEntry;
                RedrawPalette(kNotesPalette);
            }
            Disarm(view, window);
            return 0;
        default:
            return 0;
    }
}

}  // namespace ql
