// Constructors and stored bodies of the plain text-record types (see text_marks.h).
#include "objects/text_marks/text_marks.h"

#include "files/records/file_codes.h"
#include "files/records/text_record_io.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

constexpr uint16_t kLowByte = 0xFF;

void ConstructTextType(ScoreObject* object, ObjectType type, ObjectSubtype subtype) {
    ConstructTextObject(AsTextObject(object));
    ConstructStoredHeader(object, type, subtype);
}

void ConvertClef(TextObjectBody* body) {
    body->charset = static_cast<uint8_t>((body->string & kLowByte) - kClefGlyphBase);
    body->style = kClefStyle;
    body->flags = static_cast<uint16_t>((body->flags | kTextMusicGlyph) & ~kTextOwnFont);
}

}  // namespace

void ConstructClefObject(ScoreObject* object) {
    ConstructTextType(object, ObjectType::Clef, ObjectSubtype::MeasureTimeList);
    AsTextObject(object)->body.flags |= kTextMusicGlyph;
}

void ConstructKeySignatureObject(ScoreObject* object) {
    ConstructTextType(object, ObjectType::KeySignature, ObjectSubtype::MeasureTimeList);
}

void ConstructTextLineObject(ScoreObject* object) {
    ConstructTextType(object, ObjectType::Text, ObjectSubtype::MeasureTimeList);
}

void ConstructLyricObject(ScoreObject* object) {
    ConstructTextType(object, ObjectType::Lyric, ObjectSubtype::NoteAttachment);
    AsTextObject(object)->body.flags |= kTextYFromStaff;
}

void ConstructPlainTextObject(ScoreObject* object, ObjectType type) {
    ConstructTextObject(AsTextObject(object));
    object->type = TypeCode(type);
}

void EncodeTextMarkBody(ScoreObject* object, ByteWriter& writer) {
    EncodeTextRecord(AsTextObject(object), writer);
}

int DecodeTextMarkBody(ScoreObject* object, const ObjectReadContext& context) {
    TextObjectBody& body = AsTextObject(object)->body;
    if (!DecodeTextRecord(AsTextObject(object))) return item_code::kTextRecord;
    auto type = static_cast<ObjectType>(object->type);
    if (type == ObjectType::Clef && context.version >= kClefKindFileVersion) ConvertClef(&body);
    bool textOrLyric = type == ObjectType::Text || type == ObjectType::Lyric;
    if (textOrLyric && context.version < kTextCharsetFileVersion) body.charset = 0;
    return 0;
}

}  // namespace ql
