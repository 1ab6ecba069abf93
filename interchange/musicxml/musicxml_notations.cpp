// MusicXML note marks as NIFF articulation and ornament codes.
#include "interchange/musicxml/musicxml_notations.h"

#include <cstdint>
#include <cstring>

namespace ql::musicxml {
namespace {

enum class Chunk : uint8_t { Articulation, Ornament };

struct MarkRow {
    std::string_view parent;
    std::string_view name;
    Chunk chunk;
    int code;
};

// NIFF codes: articulations 1 strong accent, 2 accent, 3 tenuto, 4 staccato, 5 down
// bow, 6 up bow, 7 harmonic, 8 fermata, 11 stopped, 12 staccatissimo (a wedge), 15
// snap pizzicato; ornaments 1 mordent, 2 inverted mordent, 4 its long form, 5 turn,
// 6 inverted turn, 7 trill. A detached legato is a tenuto with a staccato.
constexpr MarkRow kMarks[] = {
    {"articulations", "strong-accent", Chunk::Articulation, 1},
    {"articulations", "accent", Chunk::Articulation, 2},
    {"articulations", "tenuto", Chunk::Articulation, 3},
    {"articulations", "staccato", Chunk::Articulation, 4},
    {"articulations", "detached-legato", Chunk::Articulation, 3},
    {"articulations", "detached-legato", Chunk::Articulation, 4},
    {"articulations", "staccatissimo", Chunk::Articulation, 12},
    {"articulations", "spiccato", Chunk::Articulation, 12},
    {"technical", "down-bow", Chunk::Articulation, 5},
    {"technical", "up-bow", Chunk::Articulation, 6},
    {"technical", "harmonic", Chunk::Articulation, 7},
    {"technical", "stopped", Chunk::Articulation, 11},
    {"technical", "snap-pizzicato", Chunk::Articulation, 15},
    {"notations", "fermata", Chunk::Articulation, 8},
    {"ornaments", "trill-mark", Chunk::Ornament, 7},
    {"ornaments", "mordent", Chunk::Ornament, 1},
    {"ornaments", "inverted-mordent", Chunk::Ornament, 2},
    {"ornaments", "turn", Chunk::Ornament, 5},
    {"ornaments", "inverted-turn", Chunk::Ornament, 6},
};
constexpr int kLongInvertedMordent = 4;

}  // namespace

bool IsNoteMarkGroup(std::string_view parent) {
    return parent == "articulations" || parent == "technical" || parent == "ornaments";
}

bool AddNoteMark(MxlNote& note, std::string_view parent, std::string_view name, bool longMark) {
    bool known = false;
    for (const MarkRow& row : kMarks) {
        if (row.parent != parent || row.name != name) continue;
        const bool longForm = longMark && name == "inverted-mordent";
        (row.chunk == Chunk::Articulation ? note.articulations : note.ornaments)
            .push_back(longForm ? kLongInvertedMordent : row.code);
        known = true;
    }
    return known;
}

int TupletLook(const char* bracket, const char* lineShape, const char* showNumber, const char* showType,
               ImportReport& skipped) {
    const auto is = [](const char* value, const char* text) { return value != nullptr && std::strcmp(value, text) == 0; };
    const bool withBracket = is(bracket, "yes");
    if (is(showNumber, "both")) skipped.Count("tuplet ratio shown whole (its first number shown)");
    if (showType != nullptr && !is(showType, "none")) skipped.Count("tuplet note shown with its number");
    if (is(showNumber, "none") && withBracket) skipped.Count("tuplet bracket without its number (the number shown)");
    if (withBracket) return is(lineShape, "curved") ? kTupletCurve : kTupletBracket;
    if (is(showNumber, "none")) return kTupletUnmarked;
    return is(bracket, "no") ? kTupletNumberAlone : 0;
}

}  // namespace ql::musicxml
