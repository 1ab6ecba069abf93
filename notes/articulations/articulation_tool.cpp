// The articulation tool's state and handler (see articulation_tool.h).
#include "notes/articulations/articulation_tool.h"

#include "core/constants.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "editing/note_palette_popup.h"
#include "editing/tool_records.h"
#include "editing/tools.h"

namespace ql {
namespace {

constexpr uint8_t kArticulationType = TypeCode(ObjectType::NoteArticulation);
constexpr uint8_t kOrnamentsOpenerImage = 10;
constexpr const char* kToolStatus = "Note Embellishments tool";

ArticulationToolState tools;

void Arm(ScoreView* view) {
    SelectToolType(view, kArticulationType);
    SetStatusText(0, kToolStatus);
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
    switch (action) {
        case ToolAction::Select:
            TakeArticulationChoice(record);
            Arm(view);
            return 1;
        case ToolAction::Message:
        case ToolAction::SelectThenMessage:
            TakeArticulationChoice(record);
            if (action == ToolAction::SelectThenMessage || s->armed == 0 ||
                s->toolType != kArticulationType)
                Arm(view);
            BindArmedTool(view, message, window, kArticulationType);
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
            DeselectTool(view);
            return 0;
        default:
            return 0;
    }
}

}  // namespace ql
