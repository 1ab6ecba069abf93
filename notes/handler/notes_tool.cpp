// NotesToolMessage: what the armed Notes tool does with a message before the shared
// mouse processing of the tools sees it.
#include "notes/handler/notes_tool.h"

#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/state/block_clipboard_state.h"
#include "core/ui/block_edit_services.h"
#include "core/ui/palette_index.h"
#include "core/ui/tool_services.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "notes/entry/note_cursor.h"
#include "notes/entry/note_entry.h"
#include "notes/entry/note_preview.h"
#include "notes/handler/notes_handler.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"

namespace ql {

namespace {

using win::Key;

constexpr int32_t kArrowStep = 128;  // view units the pointer moves per arrow key
constexpr int32_t kStepUnits = 64;
constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);

// W, H, Q, E, S, T press palette entries 1..6; R entry 0 while Ctrl is up.
int PaletteEntryOfKey(uint32_t key) {
    constexpr char kValueKeys[] = "WHQEST";
    for (int i = 0; kValueKeys[i] != '\0'; ++i)
        if (key == static_cast<uint32_t>(win::LetterKey(kValueKeys[i]))) return i + 1;
    if (key == static_cast<uint32_t>(win::LetterKey('R')) && !CtrlHeld()) return 0;
    return -1;
}

bool IsEditing() {
    const SelectionState* selection = TheSelectionState();
    return selection != nullptr && selection->editMode > 0;
}

intptr_t KeyDown(ScoreView* view, uint32_t key) {
    if (const int entry = PaletteEntryOfKey(key); entry >= 0) {
        // As a click on the button: R turns the values to rests and back, the value
        // and the tool kept.
        SelectToolButtonByKey(view, kNotesPalette, entry);
        return 1;
    }
    const Key k = static_cast<Key>(key);
    if (k == Key::Tab && !CtrlHeld())
        return StepToAdjacentNote(view, nullptr, win::IsKeyDown(Key::Shift) || State().input.ShiftLatch != 0);
    if (k == Key::Control) {
        SendSustainPedal(view, false);
        SendSustainPedal(view, true);
        return 1;
    }
    if (k == Key::Left || k == Key::Right) {
        const int32_t dx = k == Key::Left ? -kArrowStep : kArrowStep;
        MovePointerToPoint(view, view->pointerPoint.x + dx, view->pointerPoint.y);
        return 0;
    }
    if (k == Key::Insert && win::IsKeyDown(Key::Shift)) {
        // Ctrl+Shift+Insert marks the place; Shift+Insert copies the marked
        // staff's measure here, one undo step.
        if (CtrlHeld()) {
            MarkStaffBlock(view);
        } else if (StaffBlockMarked()) {
            UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Paste);
            PasteMarkedStaffBlock(view);
        }
        return 0;
    }
    if (k == Key::Insert) {
        WidenSpacingAtCursor(view);
        return 0;
    }
    if (k == Key::Delete && !CtrlHeld() && !win::IsKeyDown(Key::Shift)) {
        NarrowSpacingAtCursor(view);
        return 1;
    }
    return 0;
}

// Shift and Space coming up drop the key repeats still waiting for the window, so
// that a held key does not run on after its release.
intptr_t KeyUp(ScoreView* view, platform::WindowHandle window, uint32_t key) {
    switch (static_cast<Key>(key)) {
        case Key::Control:
            SendSustainPedal(view, false);
            return 1;
        case Key::Shift:
            State().input.ShiftDragFlag = 0;
            win::RemovePendingMessages(window, win::Message::KeyDown);
            return 0;
        case Key::Space:
            win::RemovePendingMessages(window, win::Message::KeyDown);
            return 1;
        default:
            return 0;
    }
}

// A drag with the button held moves the entry point one staff step per message.
intptr_t TrackHeldPointer(ScoreView* view) {
    NoteEntryContext& context = State().notes.NoteEntry;
    const int32_t y = view->pointerPoint.y;
    if (y != context.entryY) {
        context.entryY += y > context.entryY ? kStepUnits : -kStepUnits;
        view->pointerPoint.y = context.entryY;
    }
    return 1;
}

// The button comes up: a placement made with it held closes its undo step.
intptr_t ButtonUp(ScoreView* view) {
    NoteEntryContext& context = State().notes.NoteEntry;
    if (context.pointerHeld != 0)
        EndUndoableEdit(view->document, 0, 0, 0, view, UndoKind::Item, kNoteType, UndoVerb::Add);
    context.pointerHeld = 0;
    return 0;
}

}  // namespace

bool IsNotePaletteKey(uint32_t key) {
    return PaletteEntryOfKey(key) >= 0;
}

intptr_t NotesToolMessage(ScoreView* view, platform::WindowHandle window, win::Message message,
                          uint32_t word, intptr_t /*data*/) {
    if (view == nullptr || view->document == nullptr || IsEditing()) return 0;
    switch (message) {
        case win::Message::KillFocus:
            HideNoteCursor(view);
            if (State().notes.NoteEntry.pointerHeld != 0) ButtonUp(view);
            return 0;
        case win::Message::Paint:
            if (State().notes.NoteEntry.cursorShown != 0) DrawNoteCursor(view, false);
            return 1;
        case win::Message::KeyDown:
            return KeyDown(view, word);
        case win::Message::KeyUp:
            return KeyUp(view, window, word);
        case win::Message::MouseMove:
            return State().notes.NoteEntry.pointerHeld != 0 ? TrackHeldPointer(view) : 0;
        case win::Message::LeftButtonUp:
            return ButtonUp(view);
        default:
            return 0;
    }
}

}  // namespace ql
