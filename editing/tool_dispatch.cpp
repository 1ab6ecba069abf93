// The current tool group and the hand-over of messages to the armed tool.
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tool_dispatch.h"
#include "editing/palette_layout.h"
#include "editing/tool_records.h"
#include "editing/tools.h"

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
        case win::Message::SystemKeyDown:  // a key with Alt held: the arrows of a chosen note
        case win::Message::Char:
            return true;
        default:
            return win::ToRaw(message) >= win::kPrivateMessageBase;
    }
}

bool IsKeyMessage(win::Message message) {
    return message == win::Message::KeyDown || message == win::Message::KeyUp ||
           message == win::Message::SystemKeyDown || message == win::Message::Char;
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
// The Pointer takes every mouse message it is sent; the keys it does not take go on
// to the view.
intptr_t DispatchToCurrentTool(ScoreView* view, platform::WindowHandle window, win::Message message,
                               uint32_t word, intptr_t data, bool /*ctrl*/) {
    SelectionState* s = State().documents.Selection;
    if (view == nullptr || s == nullptr || !IsToolMessage(message)) return 0;
    if (CurrentToolGroup() == ToolGroup::Pointer) {
        // The Pointer arms itself on the first mouse message it is sent; until then,
        // and while another tool is armed, keys go on as below.
        const bool armsPointer = s->armed == 0 && !IsKeyMessage(message);
        if (armsPointer || (s->armed != 0 && s->toolType == 0)) {
            const intptr_t taken = SendToCurrentTool(kMainPalette, view, ToolAction::Message, window,
                                                     message, word, data, nullptr);
            return IsKeyMessage(message) ? taken : 1;
        }
    } else {
        bool reached = false;
        const intptr_t result = SendToCurrentTool(kMainPalette, view, ToolAction::Message, window,
                                                  message, word, data, &reached);
        if (reached) return result;
    }
    if (s->armed == 0) return 0;
    HandleToolMouseMessage(view, window, message, word, data);
    return 1;
}

// The palette the number keys press: the current group's own palette, or the Main
// palette while the Pointer or the Zoom tool is current.
static int NumberKeyPalette() {
    const auto group = static_cast<int>(CurrentToolGroup());
    if (group == static_cast<int>(ToolGroup::Note)) return kNotesPalette;
    const int linked = LinkedPaletteOf(group);
    return linked >= 0 ? linked : kMainPalette;
}

// A group command presses its Main palette button, and a number key the button of
// the current group's palette (the Main palette's for Pointer and Zoom).
void SelectToolButtonByKey(ScoreView* view, int32_t keyOrCommand, bool /*alt*/) {
    if (view == nullptr) return;
    if (keyOrCommand >= kFirstToolGroupCommand &&
        keyOrCommand < kFirstToolGroupCommand + kToolGroupCount) {
        SelectMainButton(view, keyOrCommand - kFirstToolGroupCommand);
        return;
    }
    if (keyOrCommand < 0 || keyOrCommand >= kToolGroupCount) return;
    const int palette = NumberKeyPalette();
    if (palette == kMainPalette)
        SelectMainButton(view, keyOrCommand);
    else
        DrawToolButtonPressed(view, palette, keyOrCommand);
}

}  // namespace ql
