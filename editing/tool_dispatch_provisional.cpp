// The current tool group and the hand-over of messages to the armed tool.
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tool_dispatch.h"
#include "editing/pointer_tool.h"
#include "editing/tools.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

ToolGroup& GroupStorage() {
    static ToolGroup group = ToolGroup::Pointer;
    return group;
}

bool IsToolMessage(win::Message message) {
    switch (message) {
        case win::Message::MouseMove:
        case win::Message::LeftButtonDown:
        case win::Message::LeftButtonUp:
        case win::Message::LeftButtonDoubleClick:
        case win::Message::RightButtonDown:
        case win::Message::RightButtonUp:
        case win::Message::KeyDown:
        case win::Message::KeyUp:
        case win::Message::Char:
            return true;
        default:
            return win::ToRaw(message) >= win::kPrivateMessageBase;
    }
}

bool IsKeyMessage(win::Message message) {
    return message == win::Message::KeyDown || message == win::Message::KeyUp || message == win::Message::Char;
}

}  // namespace

ToolGroup CurrentToolGroup() {
    return GroupStorage();
}

void SetCurrentToolGroup(ToolGroup group) {
    if (static_cast<int>(group) < kToolGroupCount) GroupStorage() = group;
}

int ToolGroupObjectType(ToolGroup group) {
    switch (group) {
        case ToolGroup::Staff:
            return 13;
        case ToolGroup::Note:
            return 29;
        case ToolGroup::Zoom:
            return 19;
        default:
            return 0;
    }
}

// provisional: the palette windows' button sets do not arm their tools yet; the
// Pointer (the tool of the Pointer group, current in a new score window) takes its
// messages through its handler, which arms it on the first mouse message, and passes
// on the keys it does not take; any other armed tool's shared mouse processing stands for
// the current button's handler.
intptr_t DispatchToCurrentTool(ScoreView* view, platform::WindowHandle window, win::Message message,
                               uint32_t word, intptr_t data, bool /*ctrl*/) {
    SelectionState* s = State().documents.Selection;
    if (view == nullptr || s == nullptr || !IsToolMessage(message)) return 0;
    const bool armsPointer = s->armed == 0 && !IsKeyMessage(message);  // the pointer's first visit
    if (CurrentToolGroup() == ToolGroup::Pointer && (armsPointer || (s->armed != 0 && s->toolType == 0))) {
        const intptr_t taken = PointerToolHandler(view, ToolAction::Message, nullptr, window, message, word, data);
        return IsKeyMessage(message) ? taken : 1;
    }
    if (s->armed == 0) return 0;
    HandleToolMouseMessage(view, window, message, word, data);
    return 1;
}

// provisional: with no palette windows a group command arms its group's object
// type and a number key presses the button of the group's palette set.
void SelectToolButtonByKey(ScoreView* view, int32_t keyOrCommand, bool /*alt*/) {
    if (view == nullptr) return;
    if (keyOrCommand >= kFirstToolGroupCommand &&
        keyOrCommand < kFirstToolGroupCommand + kToolGroupCount) {
        const auto group = static_cast<ToolGroup>(keyOrCommand - kFirstToolGroupCommand);
        SetCurrentToolGroup(group);
        SelectToolType(view, ToolGroupObjectType(group));
        return;
    }
    if (keyOrCommand >= 0 && keyOrCommand < kToolGroupCount)
        DrawToolButtonPressed(view, static_cast<int>(CurrentToolGroup()) + 1, keyOrCommand);
}

}  // namespace ql
