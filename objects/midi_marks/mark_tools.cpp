// The palette state of the mark tools and their handlers (see mark_tools.h). Every
// handler but the hairpin's flyout step is the editing framework's object tool.
#include "objects/midi_marks/mark_tools.h"

#include "core/constants.h"
#include "core/objects/score_object.h"
#include "editing/tools.h"

namespace ql {
namespace {

MarkToolState markTools;

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

intptr_t ChordSymbolTool(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data) {
    return ToolOfType(view, action, record, window, message, word, data, ObjectType::Chord);
}

}  // namespace ql
