// The parts of the tools' shared mouse processing (HandleToolMouseMessage,
// editing/tools.h) that the marquee and the view procedures call on their own.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// The private messages that run the focused object's Slot26 and Slot27 (posted by the
// alternate faces of the Slur and Tie buttons).
constexpr uint32_t kSlot26Message = 0x8002;
constexpr uint32_t kSlot27Message = 0x8003;

// Press, move, release and double click; 1 only for a press that must go on to
// create a new object.
int TrackPointerMessage(ScoreView* view, platform::WindowHandle window, win::Message message);
// Stores the pointer of a mouse message in logical units (the warp deficit of a
// drag taken off) and updates the note cursor, or snaps it vertically.
void SetPointerFromMessage(ScoreView* view, intptr_t packedPoint);
// Snaps the pointer of a hovering move to the view's vertical step and warps the
// pointer there; 0 (1 without a view).
int SnapPointerVertically(ScoreView* view, platform::WindowHandle window, intptr_t packedPoint);

// The popup menu's name for an object type under the pointer (-1: nothing under
// it); null for a Note handle that opens no menu.
const char* PopupMenuNameOfType(int type);

}  // namespace ql

namespace ql {

// Program-wide switches of the tool mouse processing, set by the shell and by the
// tool handlers around one call.
struct ToolMouseSwitches {
    uint8_t busy = 0;              // the processor returns at once
    uint8_t syntheticPress = 0;    // every message is a press at the current pointer
    uint8_t creating = 0;          // set around CreateAtClick
    uint8_t statusLock = 0;        // the status bar is not changed by the hover
    uint8_t snapSetting = 0;       // the vertical snapping setting (1 on)
};
ToolMouseSwitches& ToolSwitches();

}  // namespace ql
