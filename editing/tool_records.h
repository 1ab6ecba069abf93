// The tool records of the Main, Staff Tools and Graphics palettes (the palettes whose
// buttons select groups, edit staves and draw graphics), the face step of a cycle
// button, and the hand-over of a tool action along the Main palette's current
// button to its group palette's current tool.
#pragma once

#include <cstdint>

#include "editing/tools.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

// Button kinds of a tool record.
enum ToolButtonKind : uint8_t {
    kRadioButton = 0,
    kMomentaryButton = 1,
    kCycleButton = 2,
    kToggleButton = 3,
    kCyclingMomentaryButton = 5,
    kOpenerButton = 6,
    kNotifyingRadioButton = 7,
    kCycleButton8 = 8,
};

// Bitmap strips of the palettes' own faces.
constexpr uint16_t kMainStrip = 1;
constexpr uint16_t kStaffToolsStrip = 191;
constexpr uint16_t kGraphicsStrip = 175;

// The record of a button of the Main, Staff Tools or Graphics palette (palette as
// editing/palette_layout.h numbers them); null for other palettes and out of range.
// The records are program-wide and live as long as the program.
ToolRecord* ToolRecordOf(int palette, int index);
// Every button back to its first face, as when the palettes are made.
void ResetToolRecords();

// The button now current on a palette: the palette window's when the palettes
// exist, else the Main palette's from the current tool group and the others' first.
int CurrentToolButton(int palette);

// The palette a Main button hands the protocol on to (its group palette); -1 none.
int LinkedPaletteOf(int mainButton);

// The face step of a cycle button (kinds 2, 5, 8): the next alternate face, back to
// the first after the last, copied into the button; the handler then gets action 3.
// Returns the handler's result (0 for a button that does not cycle).
intptr_t StepToolFace(ScoreView* view, ToolRecord* button);

// Sends an action to the current tool of a palette and on along its linked palette
// while the handler is missing or returns 0. `reached` (may be null) tells whether
// any handler was called.
intptr_t SendToCurrentTool(int palette, ScoreView* view, int action, platform::WindowHandle window,
                           win::Message message, uint32_t word, intptr_t data,
                           bool* reached = nullptr);

// What choosing a button of a palette does, once the palette made it current: a
// different button deselects the old one and selects the new one (each passing on
// along the Main palette's link); the current button again steps a cycle button's
// face, else re-clicks. Choosing on the Main palette also makes its group current.
// Palettes without records here are left alone.
void ChooseToolButton(ScoreView* view, int palette, int oldIndex, int newIndex);

// True when a walk from the button reaches a tool's own handler (not only a group
// selector).
bool ReachesToolHandler(int palette, int index);

// Makes a Main palette button current as a click on it does (through the palette
// window when the palettes exist).
void SelectMainButton(ScoreView* view, int index);

}  // namespace ql
