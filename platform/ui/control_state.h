// The state each control and dialog keeps with its window (as the window's
// extension, so it dies with the window), and the lookups that also check the
// control's kind: a call on a window of another class finds no state.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sys/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/status_bar.h"
#include "platform/win/window.h"

namespace ql::ui::detail {

struct ButtonState final : win::WindowExtension {
    CheckState check = CheckState::Unchecked;
};

struct EditState final : win::WindowExtension {
    uint32_t limit = 0;
    std::optional<ControlFont> font;
    std::optional<uint8_t> charset;  // of text without a font of its own (edit_charset.h)
    int32_t selectionStart = 0;
    int32_t selectionEnd = 0;
};

struct UpDownState final : win::WindowExtension {
    int32_t lower = 0;
    int32_t upper = 100;
    int32_t position = 0;
    int32_t base = 10;
    WindowHandle buddy;
};

struct ListItem {
    std::string text;
    intptr_t data = 0;
    bool selected = false;  // multiple-selection lists
};

// Combo boxes and list boxes.
struct ItemListState final : win::WindowExtension {
    std::vector<ListItem> items;
    int32_t selection = -1;
};

struct ProgressState final : win::WindowExtension {
    int32_t low = 0;
    int32_t high = 100;
    int32_t position = 0;
};

struct TrackbarState final : win::WindowExtension {
    int32_t minimum = 0;
    int32_t maximum = 100;
    int32_t position = 0;
    int32_t page = 1;
    int32_t tickFrequency = 1;
};

struct StatusPart {
    int32_t rightEdge = -1;
    std::string text;
    StatusTextStyle style = StatusTextStyle::Plain;
};

struct StatusBarState final : win::WindowExtension {
    std::vector<StatusPart> parts{StatusPart{}};
};

struct DialogState final : win::WindowExtension {
    DialogProc procedure;
    sys::ResourceId templateId{0};
    bool modal = false;
    bool ended = false;
    intptr_t result = 0;
};

template <typename T>
T* StateOf(WindowHandle window) {
    return dynamic_cast<T*>(win::GetWindowExtension(window));
}

// Registers the control and dialog classes when they are not registered (the
// window layer may have been reset since).
void EnsureControlClasses();

// Sends Command(id, code) for `control` to its parent.
void NotifyParent(WindowHandle control, uint32_t code);

// Enter and Escape in a dialog: press the default push button (or the OK
// button), or Cancel. False when that button is disabled or hidden.
bool PressDefaultButton(WindowHandle dialog);
bool PressCancel(WindowHandle dialog);

// The text of a number as an up-down writes it into its buddy.
std::string FormatUpDownNumber(int32_t value, int32_t base);

}  // namespace ql::ui::detail
