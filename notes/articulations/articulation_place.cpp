// Placement of note articulations (see articulation_place.h): one table of glyph
// boxes, the side lists of the two palettes, and the stem offsets of the tremolo
// strokes.
#include "notes/articulations/articulation_place.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace ql {
namespace {

// Accents entries drawn above and below; any other entry is above, except entry 10
// on a note whose stem is up.
constexpr int kUpwardAccents[] = {3, 5, 7, 9, 12, 14, 16, 18, 19, 28};
constexpr int kDownwardAccents[] = {0, 4, 6, 8, 11, 13, 15, 17, 29};
constexpr int kStemSensitiveAccent = 10;
constexpr int kFirstTremoloEntry = 25;
constexpr int kLastTremoloEntry = 27;
constexpr int kDownwardOrnament = 29;

struct GlyphBox {
    int glyph;
    int box;
};
constexpr GlyphBox kGlyphBoxes[] = {
    {148, 256}, {153, 256}, {213, 256}, {214, 256}, {215, 256},
    {217, 128}, {142, 192}, {144, 352}, {146, 384},
};
constexpr int kDefaultGlyphBox = 320;

// Above: over the stem end by 96, else over the head by 192; at most one space over a
// five-line staff's top line.
constexpr int kOverStemEnd = 96;
constexpr int kOverHead = 192;
constexpr int kHighestBelowTopLine = 640;

// Tremolo strokes by glyph 213..215: y offsets for stemmed notes and for whole and
// longer ones, down-stem and up-stem; x as sixteenths of the head width.
constexpr int kStemlessDuration = 12;
constexpr int kStrokeGlyphs = kLastTremoloGlyph - kFirstTremoloGlyph + 1;
constexpr int kDownStrokeY[kStrokeGlyphs] = {384, 432, 408};
constexpr int kDownStrokeYStemless[kStrokeGlyphs] = {288, 368, 416};
constexpr int kUpStrokeY[kStrokeGlyphs] = {-256, -224, -152};
constexpr int kUpStrokeYStemless[kStrokeGlyphs] = {-128, -160, -128};
constexpr int kSixteenths = 16;
constexpr int kDownStrokeX = -6;         // -3/8 of the head
constexpr int kDownStrokeXStemless = 4;  // +1/4
constexpr int kUpStrokeX = 9;            // +9/16
constexpr int kUpStrokeXStemless = 5;    // +5/16

bool Listed(const int* first, const int* last, int entry) {
    return std::find(first, last, entry) != last;
}

ArticulationPoint Above(const ArticulationNote& note, ArticulationScale scale) {
    int y = note.stemUp ? note.y - scale(std::abs(note.stemOffset) + kOverStemEnd)
                        : note.y - scale(kOverHead);
    y = std::min(y, note.bottomLineY - scale(kHighestBelowTopLine));
    return {note.x, y};
}

ArticulationPoint Below(int glyph, const ArticulationNote& note, ArticulationScale scale) {
    const int box = scale(ArticulationGlyphBox(glyph));
    int y = note.stemUp ? note.y : note.y + scale(std::abs(note.stemOffset));
    y = std::max(y + box, note.bottomLineY + box);
    return {note.x, y};
}

ArticulationPoint OnStem(int glyph, const ArticulationNote& note, ArticulationScale scale) {
    const int stroke =
        std::clamp(glyph, kFirstTremoloGlyph, kLastTremoloGlyph) - kFirstTremoloGlyph;
    const bool stemless = note.durationCode >= kStemlessDuration;
    int dy = 0;
    int xSixteenths = 0;
    if (note.stemUp) {
        dy = stemless ? kUpStrokeYStemless[stroke] : kUpStrokeY[stroke];
        xSixteenths = stemless ? kUpStrokeXStemless : kUpStrokeX;
    } else {
        dy = stemless ? kDownStrokeYStemless[stroke] : kDownStrokeY[stroke];
        xSixteenths = stemless ? kDownStrokeXStemless : kDownStrokeX;
    }
    return {note.x + note.headWidth * xSixteenths / kSixteenths, note.y + scale(dy)};
}

}  // namespace

ArticulationSide ArticulationSideOf(ArticulationPalette palette, int entry, bool stemUp) {
    if (palette != ArticulationPalette::Accents) {
        if (entry >= kFirstTremoloEntry && entry <= kLastTremoloEntry)
            return ArticulationSide::OnStem;
        return entry == kDownwardOrnament ? ArticulationSide::Below : ArticulationSide::Above;
    }
    if (Listed(std::begin(kDownwardAccents), std::end(kDownwardAccents), entry))
        return ArticulationSide::Below;
    if (Listed(std::begin(kUpwardAccents), std::end(kUpwardAccents), entry))
        return ArticulationSide::Above;
    return entry == kStemSensitiveAccent && stemUp ? ArticulationSide::Below
                                                   : ArticulationSide::Above;
}

ArticulationSide SideForVoice(ArticulationSide side, bool voicesLaidOut, int voice) {
    constexpr int kFirstLowerVoice = 2;
    if (!voicesLaidOut || side == ArticulationSide::OnStem) return side;
    return voice >= kFirstLowerVoice ? ArticulationSide::Below : ArticulationSide::Above;
}

int ArticulationGlyphBox(int glyph) {
    for (const GlyphBox& entry : kGlyphBoxes)
        if (entry.glyph == glyph) return entry.box;
    return kDefaultGlyphBox;
}

ArticulationPoint PlaceArticulationPoint(ArticulationSide side, int glyph,
                                         const ArticulationNote& note, ArticulationScale scale) {
    if (scale.denominator == 0) scale = ArticulationScale{};
    switch (side) {
        case ArticulationSide::Above:
            return Above(note, scale);
        case ArticulationSide::Below:
            return Below(glyph, note, scale);
        case ArticulationSide::OnStem:
            return OnStem(glyph, note, scale);
    }
    return {note.x, note.y};
}

}  // namespace ql
