// Tooltips of the toolbar buttons: the toolbars' notifications answered for the
// frame. Most buttons have a fixed text; Undo and Redo name what they would undo
// and redo, and the voice and display buttons follow the view's state.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

struct ScoreView;

// The longest tooltip.
constexpr size_t kMostTooltipChars = 79;

enum class ToolbarNotification : uint8_t { QueryInsert, QueryDelete, NeedText, Other };

struct ToolbarNotifyInfo {
    ToolbarNotification code = ToolbarNotification::Other;
    int32_t command = 0;  // the button asked about
    std::string text;     // filled for NeedText
};

// The string id of a command's fixed tooltip; 0 for none.
int32_t TooltipStringId(int32_t command);

// The text a button shows for `view` (null: no view), at most 79 characters.
std::string ToolbarTooltip(const ScoreView* view, int32_t command);

// The frame's answer to a toolbar's notification: 1 for the customisation queries
// (inserting and deleting buttons are allowed), 0 for the rest; NeedText fills
// `info.text`.
intptr_t ToolbarNotify(const ScoreView* view, int32_t controlId, ToolbarNotifyInfo& info);

// Registers the tooltip texts into the program's bundle.
void RegisterToolbarStrings();

}  // namespace ql
