// The parts of the view procedure kept in their own files: the modifiers of one
// message, the key tables, the mouse shortcuts and the wheel.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// The modifier keys and the busy state of the message being handled.
struct ViewModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool busy = false;  // an element is hovered or being edited
};

// Each returns the message's result when it handled the message, else nothing.
std::optional<intptr_t> OnCtrlKey(ScoreView* view, uint32_t key, const ViewModifiers& m);
std::optional<intptr_t> OnBlockKey(ScoreView* view, uint32_t key, const ViewModifiers& m);
std::optional<intptr_t> OnFirstKeyTable(ScoreView* view, uint32_t key, const ViewModifiers& m);
std::optional<intptr_t> OnSecondKeyTable(ScoreView* view, platform::WindowHandle window,
                                         win::Message message, uint32_t key,
                                         const ViewModifiers& m);
std::optional<intptr_t> OnArrowKey(ScoreView* view, platform::WindowHandle window,
                                   win::Message message, uint32_t key, const ViewModifiers& m);
std::optional<intptr_t> OnMouseShortcut(ScoreView* view, platform::WindowHandle window,
                                        win::Message message, const ViewModifiers& m);
intptr_t OnMouseWheel(ScoreView* view, platform::WindowHandle window, uint32_t word,
                      const ViewModifiers& m);

// The view commands that open dialogs or change the score, and the option
// toggles; the command's result, or nothing for another command.
std::optional<int> RunScoreViewCommand(ScoreView* view, int id);

// The pointer's client point, for messages made from keys.
intptr_t PointerClientData(platform::WindowHandle window);

// The armed element is in edit mode; its type (-1 for none).
int EditedElementType();

}  // namespace ql
