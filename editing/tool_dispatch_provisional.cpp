// The current tool group and the hand-over of messages to the armed tool.
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tool_dispatch.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"

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

// The message goes to the Main palette's current tool and on to its group palette's.
// provisional: buttons without a tool handler yet (Pointer, Notes, and the Text &
// Symbols and Performance palettes) fall back to the armed tool's shared mouse
// processing.
intptr_t DispatchToCurrentTool(ScoreView* view, platform::WindowHandle window, win::Message message,
                               uint32_t word, intptr_t data, bool /*ctrl*/) {
    SelectionState* s = State().documents.Selection;
    if (view == nullptr || s == nullptr || !IsToolMessage(message)) return 0;
    bool reached = false;
    const intptr_t result = SendToCurrentTool(kMainPalette, view, ToolAction::Message, window,
                                              message, word, data, &reached);
    if (reached) return result;
    if (s->armed == 0) return 0;
    HandleToolMouseMessage(view, window, message, word, data);
    return 1;
}

// A Main palette button pressed from the keyboard. provisional: a group whose tools
// have no handler yet arms its group's object type.
static void PressMainButton(ScoreView* view, int index) {
    if (!SelectMainButton(view, index))
        SelectToolType(view, ToolGroupObjectType(static_cast<ToolGroup>(index)));
}

// A group command presses its Main palette button, and a number key the button of the
// palette pressed last (the Main palette at first).
void SelectToolButtonByKey(ScoreView* view, int32_t keyOrCommand, bool /*alt*/) {
    if (view == nullptr) return;
    if (keyOrCommand >= kFirstToolGroupCommand &&
        keyOrCommand < kFirstToolGroupCommand + kToolGroupCount) {
        PressMainButton(view, keyOrCommand - kFirstToolGroupCommand);
        return;
    }
    if (keyOrCommand < 0 || keyOrCommand >= kToolGroupCount) return;
    const int palette = LastClickedPalette();
    if (palette == kMainPalette)
        PressMainButton(view, keyOrCommand);
    else
        SelectToolButtonByKey(view, palette, keyOrCommand);
}

}  // namespace ql
