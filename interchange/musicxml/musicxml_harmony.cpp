#include "interchange/musicxml/musicxml_harmony.h"

#include <string_view>
#include <utility>

namespace ql::musicxml {
namespace {

// Each kind the score holds, in a spelling of its row of the chord parser's table.
constexpr std::pair<std::string_view, std::string_view> kKinds[] = {
    {"major", ""},
    {"minor", "m"},
    {"augmented", "+"},
    {"dominant", "7"},
    {"major-seventh", "M7"},
    {"minor-seventh", "m7"},
    {"diminished", "dim"},
    {"diminished-seventh", "dim7"},
    {"augmented-seventh", "+7"},
    {"major-sixth", "6"},
    {"dominant-ninth", "9"},
    {"suspended-fourth", "sus4"},
    {"minor-sixth", "m6"},
    {"half-diminished", "m7@5"},
};

// The chord parser reads "@" as a flat; a text shows "b".
std::string Letter(char step, int alter, bool parsed) {
    return std::string(1, step) + (alter > 0 ? "#" : alter < 0 ? (parsed ? "@" : "b") : "");
}

}  // namespace

ChordSymbolText ChordSymbolTextOf(const MxlHarmony& harmony) {
    ChordSymbolText symbol;
    const std::string_view kind = harmony.kind.empty() ? "major" : std::string_view(harmony.kind);
    std::string quality = harmony.kindText.empty() ? " " + std::string(kind) : harmony.kindText;
    for (const auto& [name, spelling] : kKinds)
        if (kind == name) {
            quality = spelling;
            symbol.held = true;
        }
    symbol.text = Letter(harmony.root, harmony.rootAlter, symbol.held) + quality;
    if (harmony.bass != 0) symbol.text += "/" + Letter(harmony.bass, harmony.bassAlter, symbol.held);
    return symbol;
}

}  // namespace ql::musicxml
