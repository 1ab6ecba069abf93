// Tooltips: one tooltip window serves any number of tools (windows). A tool's text
// is fixed or asked for by a callback when its tip is about to show, and is cut to
// 79 characters. The tip shows once the pointer has rested on a tool for the
// window's initial delay; pressing a button on the tool hides it. On a display the
// backend may show tips itself (GTK's own tooltips), asking for the same texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win/messages.h"

namespace ql::ui {

using platform::WindowHandle;

constexpr char kTooltipClass[] = "tooltips_class32";
constexpr size_t kTooltipTextLimit = 79;
constexpr uint32_t kDefaultTooltipDelayMs = 500;

using TooltipText = std::function<std::string()>;

// A hidden tooltip window owned by owner; null when it cannot be made.
WindowHandle CreateTooltipWindow(WindowHandle owner);
bool SetTooltipInitialDelay(WindowHandle tip, uint32_t milliseconds);
uint32_t GetTooltipInitialDelay(WindowHandle tip);  // 0 for a window that is no tip

// Registers a tool whose text comes from the callback, or a fixed text; a tool
// registered again takes the new text. False for a window that is no tip or a
// null tool.
bool AddTooltipTool(WindowHandle tip, WindowHandle tool, TooltipText text);
bool AddTooltipToolText(WindowHandle tip, WindowHandle tool, std::string text);
void RemoveTooltipTool(WindowHandle tip, WindowHandle tool);
// The tool's text now, cut to kTooltipTextLimit; empty for an unknown tool.
std::string GetTooltipToolText(WindowHandle tip, WindowHandle tool);

// The pointer moved on a tool (its tip is due after the initial delay), or pressed
// a button on it (the tip hides). Tools of no tip are ignored.
void TooltipPointerOnTool(WindowHandle tool);
void TooltipPointerPressed(WindowHandle tool);
// The tool whose tip shows now; null when none does.
WindowHandle GetShownTooltipTool(WindowHandle tip);

}  // namespace ql::ui
