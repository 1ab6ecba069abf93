// Tooltip windows: their tools and texts, the initial delay on the window layer's
// timers, and the tip shown as a small window under its tool.
#include "platform/ui/tooltips.h"

#include <map>

#include "platform/gfx/objects.h"
#include "platform/ui/backend.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

constexpr uint32_t kDelayTimer = 1;
constexpr int kTipCharacterWidth = 7;
constexpr int kTipHeight = 18;
constexpr int kTipGap = 2;

struct TipState {
    uint32_t delay = kDefaultTooltipDelayMs;
    std::map<uint32_t, TooltipText> tools;  // by the tool's handle bits
    std::map<uint32_t, bool> shownByDisplay;  // tools whose tips the backend shows
    WindowHandle pending;
    WindowHandle shown;
};

struct Tips {
    std::map<uint32_t, TipState> tips;      // by the tip's handle bits
    std::map<uint32_t, WindowHandle> toolTip;  // the tip of each tool
};

Tips& Registry() {
    static Tips tips;
    return tips;
}

// The state of a live tip window; a window layer started anew drops the old ones.
TipState* StateOf(WindowHandle tip) {
    const auto found = Registry().tips.find(tip.bits);
    if (found == Registry().tips.end()) return nullptr;
    if (!win::IsWindow(tip) || !win::HasClassName(tip, kTooltipClass)) {
        Registry().tips.erase(found);
        return nullptr;
    }
    return &found->second;
}

void HideTip(WindowHandle tip, TipState& state) {
    win::KillTimer(tip, kDelayTimer);
    state.pending = {};
    state.shown = {};
    win::ShowWindow(tip, win::ShowCommand::Hide);
}

// The delay ran out with the pointer still on the tool: the tip shows under it.
void ShowDueTip(WindowHandle tip) {
    TipState* state = StateOf(tip);
    win::KillTimer(tip, kDelayTimer);
    if (state == nullptr || !state->pending || !win::IsWindow(state->pending)) return;
    const WindowHandle tool = state->pending;
    state->pending = {};
    const std::string text = GetTooltipToolText(tip, tool);
    if (text.empty()) return;
    win::SetWindowText(tip, text);
    const win::Rect below = win::GetWindowRect(tool);
    const int width = static_cast<int>(text.size()) * kTipCharacterWidth + 2 * kTipGap;
    win::MoveWindow(tip, {below.left, below.bottom + kTipGap, below.left + width,
                          below.bottom + kTipGap + kTipHeight}, false);
    win::ShowWindow(tip, win::ShowCommand::ShowNoActivate);
    state->shown = tool;
}

intptr_t TooltipProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    if (message == win::Message::Timer && word == kDelayTimer) {
        ShowDueTip(window);
        return 0;
    }
    if (message == win::Message::Destroy) Registry().tips.erase(window.bits);
    return win::DefaultWindowProc(window, message, word, data);
}

bool EnsureTooltipClass() {
    if (win::IsClassRegistered(kTooltipClass)) return true;
    win::WindowClass tips;
    tips.name = kTooltipClass;
    tips.procedure = TooltipProc;
    tips.background = gfx::GetStockBrush(gfx::StockBrush::LightGrey);
    return win::RegisterWindowClass(tips);
}

bool AddTool(WindowHandle tip, WindowHandle tool, TooltipText text) {
    TipState* state = StateOf(tip);
    if (state == nullptr || !tool || !text) return false;
    state->tools[tool.bits] = std::move(text);
    Registry().toolTip[tool.bits] = tip;
    state->shownByDisplay[tool.bits] = CurrentUiBackend().TooltipToolAdded(tip, tool);
    return true;
}

}  // namespace

WindowHandle CreateTooltipWindow(WindowHandle owner) {
    if (!EnsureTooltipClass()) return {};
    win::WindowParams params;
    params.className = kTooltipClass;
    params.style = win::kStylePopup;
    params.owner = owner;
    const WindowHandle tip = win::CreateWindow(params);
    if (tip) Registry().tips[tip.bits] = TipState{};
    return tip;
}

bool SetTooltipInitialDelay(WindowHandle tip, uint32_t milliseconds) {
    TipState* state = StateOf(tip);
    if (state == nullptr) return false;
    state->delay = milliseconds;
    return true;
}

uint32_t GetTooltipInitialDelay(WindowHandle tip) {
    const TipState* state = StateOf(tip);
    return state != nullptr ? state->delay : 0;
}

bool AddTooltipTool(WindowHandle tip, WindowHandle tool, TooltipText text) {
    return AddTool(tip, tool, std::move(text));
}

bool AddTooltipToolText(WindowHandle tip, WindowHandle tool, std::string text) {
    return AddTool(tip, tool, [text = std::move(text)] { return text; });
}

void RemoveTooltipTool(WindowHandle tip, WindowHandle tool) {
    TipState* state = StateOf(tip);
    if (state == nullptr) return;
    state->tools.erase(tool.bits);
    state->shownByDisplay.erase(tool.bits);
    Registry().toolTip.erase(tool.bits);
    if (state->pending == tool || state->shown == tool) HideTip(tip, *state);
}

std::string GetTooltipToolText(WindowHandle tip, WindowHandle tool) {
    const TipState* state = StateOf(tip);
    if (state == nullptr) return {};
    const auto found = state->tools.find(tool.bits);
    if (found == state->tools.end()) return {};
    std::string text = found->second();
    if (text.size() > kTooltipTextLimit) text.resize(kTooltipTextLimit);
    return text;
}

void TooltipPointerOnTool(WindowHandle tool) {
    const auto found = Registry().toolTip.find(tool.bits);
    if (found == Registry().toolTip.end()) return;
    const WindowHandle tip = found->second;
    TipState* state = StateOf(tip);
    if (state == nullptr || state->pending == tool || state->shown == tool) return;
    if (state->shownByDisplay[tool.bits]) return;
    if (state->shown) HideTip(tip, *state);
    state->pending = tool;
    win::SetTimer(tip, kDelayTimer, state->delay);
}

void TooltipPointerPressed(WindowHandle tool) {
    const auto found = Registry().toolTip.find(tool.bits);
    if (found == Registry().toolTip.end()) return;
    if (TipState* state = StateOf(found->second)) HideTip(found->second, *state);
}

WindowHandle GetShownTooltipTool(WindowHandle tip) {
    const TipState* state = StateOf(tip);
    return state != nullptr ? state->shown : WindowHandle{};
}

}  // namespace ql::ui
