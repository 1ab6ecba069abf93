#include "interchange/musicxml/musicxml_barlines.h"

namespace ql::musicxml {

std::optional<MxlBarStyle> BarStyleOf(std::string_view name) {
    static constexpr std::pair<std::string_view, MxlBarStyle> kStyles[] = {
        {"regular", MxlBarStyle::Regular},        {"light-light", MxlBarStyle::LightLight},
        {"light-heavy", MxlBarStyle::LightHeavy}, {"heavy", MxlBarStyle::Heavy},
        {"heavy-light", MxlBarStyle::HeavyLight}};
    for (const auto& [text, style] : kStyles)
        if (name == text) return style;
    return std::nullopt;
}

std::vector<MxlBarline> BarlinesBetweenMeasures(const MxlScore& score, size_t measures) {
    std::vector<MxlBarline> between(measures + 1);
    const auto join = [](MxlBarline& into, const MxlBarline& side) {
        into.repeatStart = into.repeatStart || side.repeatStart;
        into.repeatEnd = into.repeatEnd || side.repeatEnd;
        if (into.style == MxlBarStyle::Regular) into.style = side.style;
    };
    for (size_t m = 0; m <= measures; ++m)
        for (const MxlPart& part : score.parts) {
            if (m > 0 && m - 1 < part.measures.size()) join(between[m], part.measures[m - 1].right);
            if (m < part.measures.size()) join(between[m], part.measures[m].left);
        }
    return between;
}

NiffBarlineChunks NiffChunksOf(const MxlBarline& barline) {
    NiffBarlineChunks chunks;
    if (barline.repeatEnd) chunks.repeatKinds.push_back(kNiffRepeatEnd);
    if (barline.repeatStart) chunks.repeatKinds.push_back(kNiffRepeatStart);
    if (!chunks.repeatKinds.empty()) return chunks;
    switch (barline.style) {
    case MxlBarStyle::Regular: break;
    case MxlBarStyle::LightLight: chunks.lineTypes = {kNiffThinLine, kNiffThinLine}; break;
    case MxlBarStyle::LightHeavy: chunks.lineTypes = {kNiffThinLine, kNiffThickLine}; break;
    case MxlBarStyle::Heavy: chunks.lineTypes = {kNiffThickLine}; break;
    case MxlBarStyle::HeavyLight: chunks.lineTypes = {kNiffThickLine, kNiffThinLine}; break;
    }
    return chunks;
}

}  // namespace ql::musicxml
