// The palette state of the mark tools and their handlers (see mark_tools.h). Every
// handler but the hairpin's flyout step is the editing framework's object tool.
#include "objects/midi_marks/mark_tools.h"

#include "core/constants.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"

namespace ql {
namespace {

MarkToolState markTools;
constexpr const char* kChordToolStatus = "Guitar Symbol tool";

intptr_t ToolOfType(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                    win::Message message, uint32_t word, intptr_t data, ObjectType type) {
    return ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(type));
}

}  // namespace

MarkToolState& MarkTools() {
    return markTools;
}

void ResetMarkTools() {
    markTools = MarkToolState{};
}

intptr_t DynamicTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                     win::Message message, uint32_t word, intptr_t data) {
    return ToolOfType(view, action, record, window, message, word, data, ObjectType::Dynamic);
}

intptr_t PedalTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                   win::Message message, uint32_t word, intptr_t data) {
    return ToolOfType(view, action, record, window, message, word, data, ObjectType::Pedal);
}

intptr_t TempoTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                   win::Message message, uint32_t word, intptr_t data) {
    return ToolOfType(view, action, record, window, message, word, data, ObjectType::Tempo);
}

intptr_t HairpinTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                     win::Message message, uint32_t word, intptr_t data) {
    if (action == AlternateChosen) {
        markTools.diminuendo = record != nullptr && record->bitmapId == kDiminuendoFlyoutBitmap;
        return 0;
    }
    return ToolOfType(view, action, record, window, message, word, data, ObjectType::Hairpin);
}

// Armed as the other mark tools are (with the armed tool's cursor), but showing the
// tool's own name rather than the chord's status name.
intptr_t ChordSymbolTool(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data) {
    const SelectionState* selection = TheSelectionState();
    const bool unarmed = selection == nullptr || selection->armed == 0 || selection->bound == 0 ||
                         selection->toolType != TypeCode(ObjectType::Chord);
    if (action == Select || action == SelectThenMessage || (action == Message && unarmed)) {
        const intptr_t armed = ToolOfType(view, Select, record, window, message, word, data, ObjectType::Chord);
        SetStatusText(0, kChordToolStatus);
        if (action == Select) return armed;
        action = Message;
    }
    return ToolOfType(view, action, record, window, message, word, data, ObjectType::Chord);
}

}  // namespace ql
