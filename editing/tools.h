// Tools and palettes (modules TOOLPAL, TOOLICON, Pagers): arming and binding
// tools, the shared mouse processing of every tool, palettes and the page band.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ToolRecord;
struct ButtonSet;
struct PaletteRecord;

// The actions a tool handler is called with. The palettes send 0 to 4; 5 is a
// handler's own step ("select, then handle the message") and never passes on to a
// linked set. A handler answers an action it does not know with 0.
enum ToolAction : int {
    Select = 0,             // the button becomes current
    Message = 1,            // a score-view mouse or key message, or a momentary click
    Deselect = 2,           // another button of the same set becomes current
    AlternateChosen = 3,    // a cycle button stepped to another face
    Reclick = 4,            // the current button clicked again, opening no palette
    SelectThenMessage = 5,  // select, then handle the message
};

// The tool-handler protocol: non-zero means handled. A handler returning 0 to
// actions 0, 2 and 4 lets the action pass on to the button's linked set.
using ToolHandler = intptr_t (*)(ScoreView* view, int action, ToolRecord* record,
                                 platform::WindowHandle window, win::Message message, uint32_t word,
                                 intptr_t data);

// One palette button, or one alternate face of a button. Static tables fill
// handler .. alternates and tooltipId; the rest is filled while the palettes are
// built. A table ends with a record whose bitmapId is 0. The palette records are
// owned by the palette windows; the pointers here are borrowed.
struct ToolRecord {
    ToolHandler handler = nullptr;  // null for faces and pure palette openers
    uint16_t bitmapId = 0;          // bitmap strip of the face; 0 ends a table
    uint8_t imageIndex = 0;         // face inside the strip
    int8_t column = 0;
    int8_t row = 0;
    uint8_t kind = 0;                       // button kind 0..8
    ToolRecord* alternates = nullptr;       // faces of kinds 2, 5 and 8
    uint8_t toggled = 0;                    // kind 3's state
    int8_t alternateIndex = 0;              // face now shown
    uint8_t marked = 0;                     // Control-click mark
    platform::WindowHandle buttonWindow{};  // run time
    platform::WindowHandle paletteWindow{};
    PaletteRecord* opensPalette = nullptr;  // shown by a second click
    PaletteRecord* ownerPalette = nullptr;
    ButtonSet* ownerSet = nullptr;
    ButtonSet* linkedSet = nullptr;  // receives the protocol after this button
    int8_t offsetX = 0;
    int8_t offsetY = 0;
    int8_t width = 0;  // 0: the program's button size
    int8_t height = 0;
    uint8_t noFocusFrame = 0;
    uint32_t tooltipId = 0;  // string id; 0 none
    // The note palette's tuplet entry, armed by the "Tuplets" dialog: its command value
    // and the ratio index of the numbers typed there (past 8 for pairs outside the table).
    uint16_t commandValue = 0;
    uint8_t ratioIndex = 0;
};

// The standard handler of a tool acting on one object type, which the object tools
// call with their type: binds the armed tool (a failed bind, or a message while no
// tool is armed, is handled as select then message); Select arms the type and shows
// the tool's name, Message runs HandleToolMouseMessage, Deselect disarms (0),
// AlternateChosen and Reclick give 0. A message taken with a record makes its
// bitmapId the armed tool's code (State().locate.ArmedToolCode). record may be null.
intptr_t ObjectToolHandler(ScoreView* view, int action, ToolRecord* record,
                           platform::WindowHandle window, win::Message message, uint32_t word,
                           intptr_t data, int objectType);

// 0 when no tool is armed; on the first call after arming binds the tool to the
// view's window and redraws the focus, then returns 1.
int BindArmedTool(ScoreView* view, win::Message message, platform::WindowHandle window,
                  int objectType);

// Arms the tool of an object type (prototype = the document's default object of
// that type), clears status panes 0 and 1 and sets the tool cursor.
void SelectToolType(ScoreView* view, int objectType);

// When a tool is armed: unfocuses, resets the selection, clears armed and bound.
void DeselectTool(ScoreView* view);

// The generic mouse processing of every tool (hit test, select, focus, drag,
// marquee, popup menu); returns the message result.
intptr_t HandleToolMouseMessage(ScoreView* view, platform::WindowHandle window,
                                win::Message message, uint32_t word, intptr_t data);

// Tool handlers of palette entries 7 (note heads) and 8 (dots).
intptr_t NoteHeadsToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data);
intptr_t ToggleDotsToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message, uint32_t word,
                               intptr_t data);

// Redraws a palette button as pressed and makes it the active tool.
void DrawToolButtonPressed(ScoreView* view, int palette, int button);

// Hides every palette window and the two page-turn windows; shows them again (the
// pop-up palettes stay hidden until opened). Nothing happens before the palettes exist.
void HideAllPalettes();
void ShowAllPalettes();

// Place and update the page band of the toolbar for the view's document.
void LayoutPagersToolbar(ScoreView* view);
void UpdatePagersToolbar(ScoreView* view);

// Creates a tooltip control for a dialog; adds a tool with a text to a control.
platform::WindowHandle AddDialogTooltip(platform::WindowHandle dialog);
bool AddDialogTooltipText(platform::WindowHandle tooltip, platform::WindowHandle dialog,
                          int controlId, const char* text);

}  // namespace ql
