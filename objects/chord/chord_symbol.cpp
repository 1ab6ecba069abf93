// The chord symbol's constructor and stored body (see chord_symbol.h).
#include "objects/chord/chord_symbol.h"

#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "files/records/text_record_io.h"
#include "objects/stored_classes.h"

namespace ql {

void ConstructChordSymbol(ScoreObject* object) {
    ChordSymbol* chord = AsChordSymbol(object);
    ConstructTextObject(&chord->text);
    ConstructStoredHeader(object, ObjectType::Chord, ObjectSubtype::MeasureTimeList);
    chord->text.body.style = kChordDiagramStyle;
    chord->text.body.string = kChordDefaultDiagram;
    chord->chord = ChordFields{};
    chord->chord.nameStyle = kChordNameStyle;
    chord->chord.showName = 1;
    chord->chord.showSymbol = 1;
}

void EncodeChordBody(ChordSymbol& object, ByteWriter& writer) {
    EncodeTextRecord(&object.text, writer);
    const ChordFields& chord = object.chord;
    FixedRecord record(writer, kChordFieldBytes);
    record.U8(0, chord.quality);
    record.U8(1, chord.root);
    record.U8(2, chord.bass);
    record.U8(3, chord.rootAccidental);
    record.U8(4, chord.bassAccidental);
    record.U8(5, chord.nameStyle);
    record.U8(6, chord.showName);
    record.U8(7, chord.showSymbol);
    record.U8(8, chord.reserved[0]);
    record.U8(9, chord.reserved[1]);
}

int DecodeChordBody(ChordSymbol* object, const ObjectReadContext& /*context*/) {
    if (!DecodeTextRecord(&object->text)) return item_code::kChordText;
    uint8_t bytes[kChordFieldBytes] = {};
    if (!ReadBodyBytes(bytes, kChordFieldBytes)) return item_code::kChordFields;
    ByteReader reader(bytes, kChordFieldBytes);
    ChordFields& chord = object->chord;
    chord.quality = reader.U8();
    chord.root = reader.U8();
    chord.bass = reader.U8();
    chord.rootAccidental = reader.U8();
    chord.bassAccidental = reader.U8();
    chord.nameStyle = reader.U8();
    chord.showName = reader.U8();
    chord.showSymbol = reader.U8();
    chord.reserved[0] = reader.U8();
    chord.reserved[1] = reader.U8();
    return 0;
}

}  // namespace ql
