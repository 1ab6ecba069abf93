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

// provisional: the palette windows and their button sets are not built yet; the
// armed tool's shared mouse processing stands for the current button's handler.
intptr_t DispatchToCurrentTool(ScoreView* view, platform::WindowHandle window, win::Message message,
                               uint32_t word, intptr_t data, bool /*ctrl*/) {
    SelectionState* s = State().documents.Selection;
    if (view == nullptr || s == nullptr || s->armed == 0 || !IsToolMessage(message)) return 0;
    // The Pointer tool's Escape zoom passes the key on to the view.
    const bool escape = message == win::Message::KeyDown && word == static_cast<uint32_t>(win::Key::Escape);
    if (CurrentToolGroup() == ToolGroup::Pointer && s->toolType == 0) {
        const intptr_t taken = PointerToolHandler(view, ToolAction::Message, nullptr, window, message, word, data);
        return escape ? taken : 1;
    }
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
