// The chord symbol's name: the quality suffixes (the program's renamable table, see
// chord_class.h), building the name, and laying it out for drawing. Blanks in the
// built name only reserve room for accidentals; the drawn name has none, and each
// accidental is a raised music-font glyph: a sharp by half the letter's height, a
// flat by a quarter, an eighth of its width clear of the letter.
#include <algorithm>

#include "core/core_strings.h"
#include "core/settings/program_options.h"
#include "core/ui/string_ids.h"
#include "objects/chord/chord_class.h"

namespace ql {
namespace {

constexpr char kLetters[] = "CDEFGAB";
constexpr char kSlash = '/';
constexpr uint8_t kSharp = 1;
constexpr uint8_t kFlat = 2;
constexpr int kEighth = 8;
constexpr int kQuarter = 4;
constexpr int kHalf = 2;
constexpr char kBlank[] = " ";
static_assert(kChordTypeCount == kChordQualityCount);

char LetterOf(uint8_t stored) {
    return kLetters[ChordLetterOf(stored)];
}

std::string WithoutBlanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

// The raised accidental glyph's piece after a letter ending at x.
ChordNamePiece AccidentalPiece(int accidental, int32_t x, int32_t baseline, const ChordNameMetrics& metrics) {
    const int32_t lift = accidental == kSharp ? metrics.rootHeight / kHalf : metrics.rootHeight / kQuarter;
    const char glyph = static_cast<char>(accidental == kSharp ? kChordSharpGlyph : kChordFlatGlyph);
    return {std::string(1, glyph), true, {x + metrics.accidentalWidth / kEighth, baseline - lift}};
}

}  // namespace

std::string ChordQualitySuffix(uint8_t quality) {
    const int index = ChordQualityOf(quality);
    const std::string& renamed = Options().ChordTypes[index];
    return renamed.empty() ? ProgramString(kStrFirstChordType + index) : renamed;
}

void SetChordQualitySuffix(int quality, const std::string& suffix) {
    if (quality < 0 || quality >= kChordQualityCount) return;
    const std::string kept = suffix.substr(0, kChordSuffixChars);
    Options().ChordTypes[quality] = kept.empty() ? kBlank : kept;
}

bool ChordShowsBass(const ChordFields& fields) {
    return ChordLetterOf(fields.root) != ChordLetterOf(fields.bass) ||
           ChordAccidentalOf(fields.rootAccidental) != ChordAccidentalOf(fields.bassAccidental);
}

std::string BuildChordName(const ChordFields& fields) {
    std::string name(1, LetterOf(fields.root));
    if (ChordAccidentalOf(fields.rootAccidental) != 0) name += "  ";
    name += ChordQualitySuffix(fields.quality);
    if (!ChordShowsBass(fields)) return name;
    name += kSlash;
    name += LetterOf(fields.bass);
    if (ChordAccidentalOf(fields.bassAccidental) != 0) name += kBlank;
    return name;
}

std::string ShownChordName(const ChordFields& fields) {
    return WithoutBlanks(BuildChordName(fields));
}

std::vector<ChordNamePiece> LayOutChordName(const ChordFields& fields, LogicalPoint anchor, int32_t raise,
                                            const ChordNameMetrics& metrics) {
    return LayOutChordName(fields, ShownChordName(fields), anchor, raise, metrics);
}

std::vector<ChordNamePiece> LayOutChordName(const ChordFields& fields, std::string_view shown,
                                            LogicalPoint anchor, int32_t raise,
                                            const ChordNameMetrics& metrics) {
    const int rootAccidental = ChordAccidentalOf(fields.rootAccidental);
    const int bassAccidental = ChordShowsBass(fields) ? ChordAccidentalOf(fields.bassAccidental) : 0;
    int32_t x = anchor.x - (metrics.rootWidth + metrics.restWidth) / 2;
    if (rootAccidental != 0) x -= metrics.rootWidth / kQuarter;
    if (bassAccidental != 0) x -= metrics.rootWidth / kEighth;
    const int32_t baseline = anchor.y - raise;
    constexpr size_t kMostPieces = 4;
    std::vector<ChordNamePiece> pieces;
    pieces.reserve(kMostPieces);
    pieces.push_back({std::string(shown.substr(0, 1)), false, {x, baseline}});
    x += metrics.rootWidth;
    if (rootAccidental != 0) {
        pieces.push_back(AccidentalPiece(rootAccidental, x, baseline, metrics));
        x += metrics.accidentalWidth + metrics.accidentalWidth / kEighth;
    }
    if (shown.size() > 1) pieces.push_back({std::string(shown.substr(1)), false, {x, baseline}});
    x += metrics.restWidth;
    if (bassAccidental != 0) pieces.push_back(AccidentalPiece(bassAccidental, x, baseline, metrics));
    return pieces;
}

}  // namespace ql
