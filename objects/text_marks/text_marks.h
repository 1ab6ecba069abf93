// The plain text-record types: clef (14), key signature (15), text line (18) and
// lyric (50), 64-byte text objects of pool 8, and the plain text objects of types 2
// and 3 that a document keeps as prototypes. Stored as the text record; reading
// converts the bodies of older (and later) files:
//   clef, version 33 and up: kind from the character (minus ':'), style 2, flag bit 7
//     set and bit 2 cleared;
//   text line and lyric, before version 27: the character set reads as 0.
#pragma once

#include <cstdint>

#include "core/model/signature_fields.h"
#include "core/text/text_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

constexpr uint8_t kClefStyle = 2;
constexpr uint8_t kClefKindFileVersion = 33;
constexpr uint8_t kTextCharsetFileVersion = 27;

// The reader's and the prototypes' constructors: the text object's construction,
// then type (and, for a clef, flag bit 7; a lyric: subtype 3 and flag bit 6).
void ConstructClefObject(ScoreObject* object);
void ConstructKeySignatureObject(ScoreObject* object);
void ConstructTextLineObject(ScoreObject* object);
void ConstructLyricObject(ScoreObject* object);
// A plain text object of type 2 or 3 (prototype only).
void ConstructPlainTextObject(ScoreObject* object, ObjectType type);

void EncodeTextMarkBody(ScoreObject* object, ByteWriter& writer);
int DecodeTextMarkBody(ScoreObject* object, const ObjectReadContext& context);

}  // namespace ql
