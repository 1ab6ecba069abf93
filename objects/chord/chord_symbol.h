// GuitarChordSymbol (type 39, pool 9): a text object (the diagram character in the
// "Fret Symbols" style, a name offset in the byte after the style) followed by ten
// chord bytes: quality, root, bass, the two accidentals, the name's style, whether
// the name and the diagram are shown, and two reserved bytes. Stored as the text
// record and then the ten bytes as they are.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/text/text_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

#pragma pack(push, 1)
struct ChordFields {
    uint8_t quality;         // 0..15
    uint8_t root;            // letter 0..6 = C..B
    uint8_t bass;            // letter of the slash bass
    uint8_t rootAccidental;  // 0 none, 1 sharp, 2 flat
    uint8_t bassAccidental;
    uint8_t nameStyle;  // text style of the name, 0..23
    uint8_t showName;
    uint8_t showSymbol;
    uint8_t reserved[2];
};
struct ChordSymbol {
    TextObject text;
    ChordFields chord;
};
#pragma pack(pop)

constexpr uint32_t kChordFieldBytes = 10;
static_assert(sizeof(ChordFields) == kChordFieldBytes);
static_assert(sizeof(ChordSymbol) == 74);
static_assert(std::is_trivially_copyable_v<ChordSymbol>);

constexpr uint8_t kChordDiagramStyle = 0;
constexpr uint16_t kChordDefaultDiagram = 60;
constexpr uint8_t kChordNameStyle = 6;

// Checked readings of the chord bytes, which a file may hold out of range: a value
// outside its table reads as the table's default entry (letter C, no accidental, the
// chord name style, quality 0); the stored byte is left as it is.
constexpr int kChordLetterCount = 7;       // C D E F G A B
constexpr int kChordAccidentalCount = 3;   // none, sharp, flat
constexpr int kChordQualityCount = 16;
constexpr int kChordNameStyleCount = 24;   // the document's text styles
constexpr int ChordLetterOf(uint8_t stored) {
    return stored < kChordLetterCount ? stored : 0;
}
constexpr int ChordAccidentalOf(uint8_t stored) {
    return stored < kChordAccidentalCount ? stored : 0;
}
constexpr int ChordQualityOf(uint8_t stored) {
    return stored < kChordQualityCount ? stored : 0;
}
constexpr int ChordNameStyleOf(uint8_t stored) {
    return stored < kChordNameStyleCount ? stored : kChordNameStyle;
}

inline ChordSymbol* AsChordSymbol(ScoreObject* object) {
    return reinterpret_cast<ChordSymbol*>(object);
}

void ConstructChordSymbol(ScoreObject* object);
void EncodeChordBody(ChordSymbol& object, ByteWriter& writer);
int DecodeChordBody(ChordSymbol* object, const ObjectReadContext& context);

}  // namespace ql
