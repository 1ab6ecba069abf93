// The tool records of the ten palettes (one table: handlers, faces, kinds, alternate
// faces and tooltips), the face step of a cycle button, and the hand-over of a tool
// action along the Main palette's current button to its group palette's current tool.
#pragma once

#include <cstdint>

#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"
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

// The number of records of a palette (palette as editing/palette_layout.h numbers
// them; ToolRecordOf, core/ui/tool_services.h, gives one).
int ToolRecordCount(int palette);
// Every button back to its first face, as when the palettes are made.
void ResetToolRecords();
// The text of a record's tooltipId; "" for 0 and unknown ids.
const char* ToolTipText(uint32_t id);
// The pop-up palette an opener button shows when it is pressed again; -1 none.
int OpenedPaletteOf(int palette, int index);
// The button that opens a pop-up palette (false for the other palettes).
bool FindOpenerOf(int popUp, int* palette, int* index);
// Where a button's record sits; false for a record of no palette (a face).
bool FindToolRecord(const ToolRecord* record, int* palette, int* index);

// The Notes palette's note or rest mode: the value buttons' faces, which note entry
// reads (kept in its own copy, SyncNoteEntryStrips).
bool NotesPaletteShowsRests();
void SetNotesPaletteRests(bool rests);
void SyncNoteEntryStrips();

// The handlers the palettes own: "Toggle Note/Rest" switches the value buttons
// between note and rest faces (its click is action 1) and takes the Notes tool up
// again for what they show; an entry of a pop-up palette puts its face on the button
// that opened the palette (and on that palette's opener in turn).
intptr_t ToggleNoteRest(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                        win::Message message, uint32_t word, intptr_t data);
intptr_t SelectFlyoutEntry(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                           win::Message message, uint32_t word, intptr_t data);

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
// along the Main palette's link; a Notes button is selected through the Main
// palette, and between two note values only the current index changes); the
// current button again steps a cycle button's face, opens an opener's pop-up
// palette, else re-clicks. A momentary button's handler gets action 1 and the
// current button stays (IsMomentaryButton). Choosing on the Main palette also makes
// its group current.
void ChooseToolButton(ScoreView* view, int palette, int oldIndex, int newIndex);
bool IsMomentaryButton(int palette, int index);

// Sends one action to a button's handler and on along its link while that passes.
intptr_t SendToolAction(ScoreView* view, int palette, int index, int action);

// True when a walk from the button reaches a tool's own handler (not only a group
// selector).
bool ReachesToolHandler(int palette, int index);

// A button of a group palette taken up while another group is in use: the tool in
// use is put down through the Main palette's current group, the Main button `group`
// becomes the current group (its palette shows) and the button's own tool is
// selected, whatever tool its group palette had current before.
void TakeUpGroupTool(ScoreView* view, int group, int palette, int index);

// Makes a Main palette button current as a click on it does (through the palette
// window when the palettes exist).
void SelectMainButton(ScoreView* view, int index);

}  // namespace ql
