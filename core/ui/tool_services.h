// What the music's tools, the score model and the display ask of the editor's
// tools and palettes (editing/): the standard handler of the object tools, arming,
// binding and putting down a tool, the mouse processing every tool shares, pressing
// a palette button, the palettes' and the page band's windows, a button's tool
// record, and the Notes palette popped up under the pointer. The editor fills the
// table when the program starts (editing/editing_services.h); until then, as in a
// program built without the editor, where no tool is armed and no palette exists,
// each call does nothing and answers 0 or null.
#pragma once

#include <cstdint>

#include "core/ui/tool_record.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

struct ToolServices {
    intptr_t (*objectToolHandler)(ScoreView* view, int action, ToolRecord* record,
                                  platform::WindowHandle window, win::Message message,
                                  uint32_t word, intptr_t data, int objectType) = nullptr;
    int (*bindArmedTool)(ScoreView* view, win::Message message, platform::WindowHandle window,
                         int objectType) = nullptr;
    void (*selectToolType)(ScoreView* view, int objectType) = nullptr;
    void (*deselectTool)(ScoreView* view) = nullptr;
    intptr_t (*handleToolMouseMessage)(ScoreView* view, platform::WindowHandle window,
                                       win::Message message, uint32_t word,
                                       intptr_t data) = nullptr;
    void (*drawToolButtonPressed)(ScoreView* view, int palette, int button) = nullptr;
    void (*selectToolButtonByKey)(ScoreView* view, int palette, int index) = nullptr;
    void (*hideAllPalettes)() = nullptr;
    void (*showAllPalettes)() = nullptr;
    void (*layoutPagersToolbar)(ScoreView* view) = nullptr;
    void (*updatePagersToolbar)(ScoreView* view) = nullptr;
    ToolRecord* (*toolRecordOf)(int palette, int index) = nullptr;
    void (*hideCursorAndPopUpNotePalette)(ScoreView* view) = nullptr;
};

void SetToolServices(const ToolServices& services);

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

// Redraws a palette button as pressed and makes it the active tool.
void DrawToolButtonPressed(ScoreView* view, int palette, int button);

// Hides every palette window and the two page-turn windows; shows them again (the
// pop-up palettes stay hidden until opened). Nothing happens before the palettes exist.
void HideAllPalettes();
void ShowAllPalettes();

// The keyboard's press of a button: as a click, remembered as the view's choice.
void SelectToolButtonByKey(ScoreView* view, int palette, int index);

// Place and update the page band of the toolbar for the view's document.
void LayoutPagersToolbar(ScoreView* view);
void UpdatePagersToolbar(ScoreView* view);

// The record of a palette's button (palette as core/ui/palette_index.h numbers
// them); null out of range. The records are program-wide and live as long as the
// program.
ToolRecord* ToolRecordOf(int palette, int index);

// Erases the view's note cursor first, so that no XOR ledger lines stay behind
// the Notes palette, then pops the palette up centred on the pointer.
void HideCursorAndPopUpNotePalette(ScoreView* view);

}  // namespace ql
