// The box, circle and line tools: arming their type with the tool's name in the
// status bar, handing mouse messages to the shared mouse processing, disarming. The
// line tool's alternate faces set or clear the wavy-line flag: the face whose
// identifier (its bitmap id) is 182 draws wavy lines.
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"
#include "core/units/status_text.h"
#include "objects/graphics/graphic_class.h"

namespace ql {
namespace {

constexpr uint16_t kWavyLineIdentifier = 182;

void ArmTool(ScoreView* view, ObjectType type, const char* name) {
    SelectToolType(view, TypeCode(type));
    ClearStatusBar();
    SetStatusText(0, BuildStatusText(true, name, "tool"));
}

intptr_t GraphicTool(ScoreView* view, int action, platform::WindowHandle window, win::Message message,
                     uint32_t word, intptr_t data, ObjectType type, const char* name) {
    if (view == nullptr) return 0;
    switch (action) {
    case ToolAction::Select:
    case ToolAction::AlternateChosen: ArmTool(view, type, name); return 1;
    case ToolAction::Message:
    case ToolAction::SelectThenMessage:
        // The first message after arming binds the tool; an unbound tool is armed first.
        if (action == ToolAction::SelectThenMessage || BindArmedTool(view, message, window, TypeCode(type)) == 0)
            ArmTool(view, type, name);
        return HandleToolMouseMessage(view, window, message, word, data);
    case ToolAction::Deselect: DeselectTool(view); return 0;
    default: return 0;
    }
}

}  // namespace

intptr_t BoxTool(ScoreView* view, int action, ToolRecord*, platform::WindowHandle window,
                 win::Message message, uint32_t word, intptr_t data) {
    return GraphicTool(view, action, window, message, word, data, ObjectType::Box, "Box");
}

intptr_t CircleTool(ScoreView* view, int action, ToolRecord*, platform::WindowHandle window,
                    win::Message message, uint32_t word, intptr_t data) {
    return GraphicTool(view, action, window, message, word, data, ObjectType::Circle, "Circle");
}

intptr_t LineTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                  win::Message message, uint32_t word, intptr_t data) {
    if (action == ToolAction::AlternateChosen)
        SetWavyLineArmed(record != nullptr && record->bitmapId == kWavyLineIdentifier);
    return GraphicTool(view, action, window, message, word, data, ObjectType::Line, "Line");
}

}  // namespace ql
