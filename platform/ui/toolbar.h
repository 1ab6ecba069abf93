// The toolbar control: a row of buttons, each with an image from the toolbar's
// bitmap strip, an optional text label under it, a command, a tooltip asked for
// by callback (cut to 79 characters), and enabled, checked and pressed bits. A
// click on an enabled button sends its command to the toolbar's notify window;
// the toolbar paints itself (images, pressed or checked frames, disabled buttons
// dimmed) on both backends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql::ui {

using platform::WindowHandle;

constexpr char kToolbarClass[] = "ToolbarWindow32";

// Button state bits.
constexpr uint8_t kToolButtonEnabled = 0x01;
constexpr uint8_t kToolButtonChecked = 0x02;
constexpr uint8_t kToolButtonPressed = 0x04;

struct ToolbarButtonSpec {
    int32_t command = 0;
    int32_t image = 0;  // index into the strip
    std::string label;  // shown under the image when the toolbar shows labels
    uint8_t state = kToolButtonEnabled;
};

// The button images: a strip of square images side by side.
struct ToolbarImages {
    platform::BitmapHandle strip;  // owned by the caller; outlives the toolbar
    int32_t imageSize = 0;
};

using ToolbarTooltip = std::function<std::string(int32_t command)>;

struct ToolbarParams {
    WindowHandle parent;
    WindowHandle notify;  // receives the commands (the parent when null)
    int32_t id = 0;
    ToolbarImages images;
    bool showLabels = false;
    ToolbarTooltip tooltip;  // may be empty: the label is the tip
};

// A visible toolbar sized to its buttons; null when the window cannot be made.
WindowHandle CreateToolbar(const ToolbarParams& params, std::span<const ToolbarButtonSpec> buttons);

int32_t ToolbarButtonCount(WindowHandle toolbar);
std::optional<ToolbarButtonSpec> GetToolbarButton(WindowHandle toolbar, int32_t index);
// The bits of the button with the command; false when no button has it.
bool SetToolbarButtonBits(WindowHandle toolbar, int32_t command, uint8_t state);
std::optional<uint8_t> GetToolbarButtonBits(WindowHandle toolbar, int32_t command);
// The size the toolbar needs for its buttons.
gfx::Size ToolbarIdealSize(WindowHandle toolbar);
// The button's rectangle in the toolbar's client; empty when there is none.
gfx::Rect ToolbarButtonRect(WindowHandle toolbar, int32_t index);
// The tip of the button with the command, cut to 79 characters.
std::string ToolbarButtonTooltip(WindowHandle toolbar, int32_t command);

}  // namespace ql::ui
