// The Main palette's group selectors, the Tie tool and the alternate curve faces, the
// graphic-alternate flag, and placing a palette window on the screen.
#include <algorithm>

#include "core/constants.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/group_tools.h"
#include "editing/mouse_processor.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tool_records.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {
namespace {

// The palette a Main group button shows; -1 for the other buttons.
int GroupPaletteOf(const ToolRecord* record) {
    if (record == nullptr || record->bitmapId != kMainStrip) return -1;
    return LinkedPaletteOf(record->imageIndex);
}

void ShowPalette(int palette, bool show) {
    const platform::WindowHandle window = PaletteWindow(palette);
    if (window) win::ShowWindow(window, show ? win::ShowCommand::ShowNoActivate : win::ShowCommand::Hide);
}

void SetToolCursor() {
    const SelectionState* s = TheSelectionState();
    if (s != nullptr && s->toolCursor) win::SetCursor(s->toolCursor);
}

}  // namespace

intptr_t GroupSelectorHandler(ScoreView* /*view*/, int action, ToolRecord* record,
                              platform::WindowHandle /*window*/, win::Message /*message*/,
                              uint32_t /*word*/, intptr_t /*data*/) {
    const int palette = GroupPaletteOf(record);
    if (palette < 0) return 0;
    switch (action) {
        case ToolAction::Select:
            ShowPalette(palette, true);
            if (palette == kStaffToolsPalette) SetToolCursor();
            break;
        case ToolAction::Message:
            SetToolCursor();
            break;
        case ToolAction::Deselect:
            ShowPalette(palette, false);
            if (palette == kPerformancePalette) ShowPalette(kDynamicsPalette, false);
            break;
        default:
            break;
    }
    return 0;
}

intptr_t TieToolHandler(ScoreView* view, int action, ToolRecord* record,
                        platform::WindowHandle window, win::Message message, uint32_t word,
                        intptr_t data) {
    if (action == ToolAction::Select &&
        (view == nullptr || view->document == nullptr || view->document->header.staffCount < 1))
        return 1;
    return ObjectToolHandler(view, action, record, window, message, word, data,
                             TypeCode(ObjectType::Tie));
}

intptr_t AlternateCurveHandler(ScoreView* view, int /*action*/, ToolRecord* record,
                               platform::WindowHandle /*window*/, win::Message /*message*/,
                               uint32_t /*word*/, intptr_t /*data*/) {
    if (view == nullptr || !view->ViewWindow) return 1;
    const bool ownStrip = record != nullptr && record->bitmapId == kGraphicsStrip;
    win::PostMessage(view->ViewWindow, static_cast<win::Message>(ownStrip ? kSlot26Message : kSlot27Message));
    return 1;
}

void GraphicsAlternateFlag() {
    const ToolRecord* current = ToolRecordOf(kGraphicsPalette, CurrentToolButton(kGraphicsPalette));
    if (current != nullptr && current->bitmapId != kGraphicsStrip) State().input.GraphicAlternate = 1;
}

void PlacePaletteWindow(platform::WindowHandle window, int x, int y, int width, int height) {
    const platform::WindowHandle frame = State().dialogs.FrameWindow;
    if (!window || !frame || !win::IsWindowVisible(frame)) return;
    const int button = PaletteButtonSize();
    const int screenWidth = win::GetSystemMetric(win::SystemMetric::ScreenWidth);
    const int toolbarTop = win::ClientToScreen(frame, win::Point{0, 0}).y;
    x = std::max(button - width, std::min(x, screenWidth - button));
    y = std::max(0, std::min(y, toolbarTop));
    win::MoveWindow(window, {x, y, x + width, y + height}, true);
    win::InvalidateRect(window, nullptr, true);
}

}  // namespace ql
