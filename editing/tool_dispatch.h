// The current tool group and the hand-over of a score window's messages to the
// current tool: the view procedures give every mouse and key message to
// DispatchToCurrentTool, and the group commands (42023-42029) and the number keys
// press a palette's button through SelectToolButtonByKey.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// The palette groups of commands 42023..42029.
enum class ToolGroup : uint16_t {
    Staff = 0,
    Note = 1,
    Graphics = 2,
    Text = 3,
    Performance = 4,
    Pointer = 5,
    Zoom = 6
};
constexpr int32_t kFirstToolGroupCommand = 42023;
constexpr int kToolGroupCount = 7;

ToolGroup CurrentToolGroup();
void SetCurrentToolGroup(ToolGroup group);

// The object type a group arms when the armed type has gone bad: Staff 13, Note 29,
// Pointer 0, Zoom 19; the other groups arm the marquee (0).
int ToolGroupObjectType(ToolGroup group);

// Gives a score window's message to the current tool; non-zero when it took it.
intptr_t DispatchToCurrentTool(ScoreView* view, platform::WindowHandle window, win::Message message,
                               uint32_t word, intptr_t data, bool ctrl);

// Presses a button of the palette of the current group (button 0..6, from the
// number keys) or, for a group command id, that group's palette; `alt` as the
// key's Alt state.
void SelectToolButtonByKey(ScoreView* view, int32_t keyOrCommand, bool alt);

}  // namespace ql
