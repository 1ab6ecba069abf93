// The fields of clef and key-signature objects that the score grid reads: both are
// text-family records (the 26-byte header, then the 38-byte text body). A clef keeps
// its kind in the text body's character-set byte and shows ':' + kind as its single
// character; a key signature keeps its key code in the same byte. The time of a
// cell object is the upper half of its position word (its time anchor's tick).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreObject;

// Glyph of a clef kind: the single character ':' + kind.
constexpr uint8_t kClefGlyphBase = ':';

// The clef kind (ClefKind 0..14) of a Clef object (type 14); 0 for null.
uint8_t ClefKindOfObject(const ScoreObject* object);
// The key code (KeyCode 0..14, 7 = no accidentals) of a KeySignature object (type
// 15); 0 for null.
uint8_t KeyCodeOfObject(const ScoreObject* object);
// The tick within its measure of a time-anchored text-family object.
uint16_t SignatureTickOfObject(const ScoreObject* object);

// Writers of the same fields, for the constructors and dialogs of the two classes.
void SetClefKindOfObject(ScoreObject* object, uint8_t kind);
void SetKeyCodeOfObject(ScoreObject* object, uint8_t key);
void SetSignatureTickOfObject(ScoreObject* object, uint16_t tick);

}  // namespace ql
