// Tools and palettes (modules TOOLPAL, TOOLICON, Pagers): arming and binding
// tools, the shared mouse processing of every tool, palettes and the page band.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ToolRecord;

// The tool-handler protocol: actions 0 select, 1 window message, 2 deselect,
// 5 select (internal).
using ToolHandler = intptr_t (*)(ScoreView* view, int action, ToolRecord* record,
                                 platform::WindowHandle window, win::Message message, uint32_t word,
                                 intptr_t data);

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

// Hides every palette window and the two page-turn windows.
void HideAllPalettes();

// Place and update the page band of the toolbar for the view's document.
void LayoutPagersToolbar(ScoreView* view);
void UpdatePagersToolbar(ScoreView* view);

// Creates a tooltip control for a dialog; adds a tool with a text to a control.
platform::WindowHandle AddDialogTooltip(platform::WindowHandle dialog);
bool AddDialogTooltipText(platform::WindowHandle tooltip, platform::WindowHandle dialog,
                          int controlId, const char* text);

}  // namespace ql
