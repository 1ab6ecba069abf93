// The articulation tool's state and handler (see articulation_tool.h).
#include "notes/articulations/articulation_tool.h"

#include "core/constants.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "core/ui/palette_index.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"

namespace ql {
namespace {

constexpr uint8_t kArticulationType = TypeCode(ObjectType::NoteArticulation);
constexpr uint8_t kOrnamentsOpenerImage = 10;
constexpr const char* kToolStatus = "Note Embellishments tool";
constexpr uint16_t kTupletEntry = 9;  // the Notes palette's "Tuplets..." button
constexpr uint8_t kArmedModeByte = 2;

ArticulationToolState tools;

// The tool mode byte tells that the articulation tool is armed. The edit mode stays
// at 0: the mouse processing takes any mode above 0 for a focused object, and the
// first click would then end that focus instead of making a mark.
void Arm(ScoreView* view) {
    SelectToolType(view, kArticulationType);
    State().input.ToolModeByte = kArmedModeByte;
    SetStatusText(0, kToolStatus);
}

// The tuplet tool's record when it is the Notes palette's entry in force: the
// articulation buttons then hand every message to it.
ToolRecord* TupletToolInForce() {
    if (State().notes.NoteTools.selectedEntry != kTupletEntry) return nullptr;
    ToolRecord* record = ToolRecordOf(kNotesPalette, kTupletEntry);
    return record != nullptr && record->handler != nullptr && record->handler != ArticulationToolHandler ? record
                                                                                                          : nullptr;
}

// The selection's current object is of another kind than a mark: one that the
// previous tool left in focus (a dragged graphic, a note being stepped), one the
// pointer took up, or the prototype of another armed tool.
bool OtherKindInFocus(const SelectionState& s) {
    const bool armedHere = s.armed != 0 && s.toolType == kArticulationType;
    const ScoreObject* focused = s.focusedObject.get();
    if (s.editMode <= 0 || (armedHere && focused == s.defaultObject.get())) return !armedHere;
    return focused == nullptr || focused->type != kArticulationType;
}

}  // namespace

ArticulationToolState& ArticulationTools() {
    return tools;
}

void ResetArticulationTools() {
    tools = ArticulationToolState{};
}

void TakeArticulationChoice(const ToolRecord* record) {
    if (record == nullptr) return;
    if (record->bitmapId == kAccentsStrip && record->imageIndex < kAccentEntries) {
        tools.palette = ArticulationPalette::Accents;
        tools.accentEntry = static_cast<int8_t>(record->imageIndex);
    } else if (record->bitmapId == kOrnamentsStrip && record->imageIndex < kOrnamentEntries) {
        tools.palette = ArticulationPalette::Ornaments;
        tools.ornamentEntry = static_cast<int8_t>(record->imageIndex);
    } else if (record->bitmapId == kNotesStrip) {  // no entry chosen yet: the one in force
        tools.palette = record->imageIndex == kOrnamentsOpenerImage ? ArticulationPalette::Ornaments
                                                                     : ArticulationPalette::Accents;
    }
}

intptr_t ArticulationToolHandler(ScoreView* view, int action, ToolRecord* record,
                                 platform::WindowHandle window, win::Message message,
                                 uint32_t word, intptr_t data) {
    SelectionState* s = TheSelectionState();
    if (view == nullptr || s == nullptr) return 0;
    if (ToolRecord* tuplet = TupletToolInForce())
        return tuplet->handler(view, action, tuplet, window, message, word, data);
    // This tool edits marks only: an object of another kind in focus is let go first,
    // its edit committed, and the tool is then bound afresh.
    const bool otherKind = OtherKindInFocus(*s);
    if (otherKind) {
        EndFocus(view, 0);
        s->commitAfterMessage = 0;
    }
    const bool bound = !otherKind && BindArmedTool(view, message, window, kArticulationType) != 0;
    if (action == ToolAction::Message && (!bound || s->toolType != kArticulationType))
        action = ToolAction::SelectThenMessage;
    switch (action) {
        case ToolAction::Select:
            TakeArticulationChoice(record);
            Arm(view);
            return 1;
        case ToolAction::Message:
        case ToolAction::SelectThenMessage:
            TakeArticulationChoice(record);
            if (action == ToolAction::SelectThenMessage) Arm(view);
            // A right click while nothing is grabbed asks for the Notes palette under
            // the pointer, unless the program holds that back.
            if (message == win::Message::RightButtonDown && !s->grabbedRecord &&
                State().input.NotePalettePopupSuppressed == 0) {
                HideCursorAndPopUpNotePalette(view);
                return 1;
            }
            if (record != nullptr) State().locate.ArmedToolCode = static_cast<uint8_t>(record->bitmapId);
            return HandleToolMouseMessage(view, window, message, word, data);
        case ToolAction::Deselect:
            State().input.ToolModeByte = 0;
            DeselectTool(view);
            return 0;
        default:
            return 0;
    }
}

}  // namespace ql
