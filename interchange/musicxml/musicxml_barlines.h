// The barlines of a converted score. The file gives each measure a barline at
// either end, in every part; the score keeps one barline in front of each measure
// (and one after the last), the same on every staff. The barline between two
// measures joins the first one's right barline and the second one's left: the
// repeat signs of both, and the first look that is not plain. Each is written
// as the NIFF chunks the NIFF import turns into the next measure's barline.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

// The look a bar-style names; none for a look the score does not draw (dotted,
// dashed, heavy-heavy, tick, short, none).
std::optional<MxlBarStyle> BarStyleOf(std::string_view name);

// The barline in front of each measure: index m lies between measures m - 1 and
// m, index `measures` after the last.
std::vector<MxlBarline> BarlinesBetweenMeasures(const MxlScore& score, size_t measures);

// A barline as NIFF chunks in writing order: repeat signs (`rept` kinds, the end
// of a repeat before the start of the next), else its lines (`barl` types, left
// to right). Both empty for a plain barline.
struct NiffBarlineChunks {
    std::vector<int> repeatKinds;
    std::vector<int> lineTypes;
    bool Plain() const { return repeatKinds.empty() && lineTypes.empty(); }
};
inline constexpr int kNiffRepeatStart = 1;
inline constexpr int kNiffRepeatEnd = 2;
inline constexpr int kNiffThinLine = 1;
inline constexpr int kNiffThickLine = 2;
NiffBarlineChunks NiffChunksOf(const MxlBarline& barline);

}  // namespace ql::musicxml
