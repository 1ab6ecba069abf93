// The program-wide interface fonts (see interface_fonts.h).
#include "shell/program/interface_fonts.h"

#include <algorithm>
#include <array>

#include "core/draw/fonts.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/win/input.h"
#include "shell/program/rulers.h"
#include "shell/program/screen_metrics.h"

namespace ql {
namespace {

constexpr char kArial[] = "Arial";
constexpr char kSystemBold[] = "System,bold";
// Below this many pixels across the large font is Arial, as "System" is too wide.
constexpr int32_t kNarrowScreen = 700;
constexpr int32_t kSmallestScreenClass = 0;

std::array<platform::FontHandle, kInterfaceFontCount>& Fonts() {
    static std::array<platform::FontHandle, kInterfaceFontCount> fonts{};
    return fonts;
}

InterfaceFontScreen CurrentScreen() {
    const RulerMetrics ruler = ScreenRulerMetrics();
    return {ProgramScreen().screenClass, ProgramScreen().horizontalResolution,
            win::GetSystemMetric(win::SystemMetric::MenuHeight), win::GetSystemMetric(win::SystemMetric::BorderHeight),
            std::max(1, ruler.topThickness - ruler.labelBase)};
}

}  // namespace

InterfaceFontRequest InterfaceFontRequestOf(InterfaceFont font, const InterfaceFontScreen& screen) {
    switch (font) {
        case InterfaceFont::Heading:
            return {kArial, screen.screenClass == kSmallestScreenClass ? -11 : -13, text::kWeightBold};
        case InterfaceFont::SmallBold: return {kArial, -11, text::kWeightBold};
        case InterfaceFont::Small: return {kArial, -9, text::kWeightNormal};
        case InterfaceFont::Plain: return {kArial, 13, text::kWeightNormal};
        case InterfaceFont::Large:
            if (screen.horizontalResolution < kNarrowScreen) return {kArial, -12, text::kWeightBold};
            return {kSystemBold, -16, text::kWeightBold};
        case InterfaceFont::Readout: {
            // The menu bar's text height: the bar less its two borders.
            const int32_t text = std::max(1, screen.menuHeight - 2 * screen.borderHeight);
            return {kArial, text - (text >> 3), text::kWeightBold};
        }
        case InterfaceFont::Ruler: return {kArial, -screen.rulerLabel, text::kWeightDontCare};
    }
    return {};
}

bool CreateInterfaceFonts() {
    DeleteInterfaceFonts();
    const InterfaceFontScreen screen = CurrentScreen();
    bool all = true;
    for (int i = 0; i < kInterfaceFontCount; ++i) {
        const InterfaceFontRequest wanted = InterfaceFontRequestOf(static_cast<InterfaceFont>(i), screen);
        text::LogicalFont request;
        request.SetFace(wanted.face);
        request.height = wanted.height;
        request.weight = wanted.weight;
        Fonts()[static_cast<size_t>(i)] = CreateFontChecked(&request);
        all = all && Fonts()[static_cast<size_t>(i)];
    }
    return all;
}

void DeleteInterfaceFonts() {
    for (platform::FontHandle& font : Fonts()) {
        if (font) text::DeleteFont(font);
        font = {};
    }
}

platform::FontHandle GetInterfaceFont(InterfaceFont font) {
    const auto index = static_cast<size_t>(font);
    return index < Fonts().size() ? Fonts()[index] : platform::FontHandle{};
}

}  // namespace ql
